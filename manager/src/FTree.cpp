#include "FTree.h"

#include <cstring>

#include "UTxDiskApi.h"
#include "ManagerForms.h"
#include "Umanaglang.h"

namespace manager {

namespace {

constexpr int kTreeWidth = 311;
constexpr int kTreeHeight = 390;
constexpr int kTreeMinWidth = 300;
constexpr int kTreeMinHeight = 390;
constexpr int kPanelHeight = 41;
constexpr int kProgressHeight = 7;
// An expansion shows its progress only once it has taken this long.
constexpr DWORD kProgressDelayMs = 1000;

// Drives that are not ready (an empty card reader, a share gone offline) must not stop the tree
// with a system error box.
class CriticalErrorsQuiet {
public:
    CriticalErrorsQuiet() : m_uOld(::SetErrorMode(SEM_FAILCRITICALERRORS)) {}
    ~CriticalErrorsQuiet() { ::SetErrorMode(m_uOld); }
    CriticalErrorsQuiet(const CriticalErrorsQuiet&) = delete;
    CriticalErrorsQuiet& operator=(const CriticalErrorsQuiet&) = delete;

private:
    UINT m_uOld;
};

bool IsAsciiLower(unsigned char c)
{
    return c >= 'a' && c <= 'z';
}
bool IsAsciiUpper(unsigned char c)
{
    return c >= 'A' && c <= 'Z';
}

}  // namespace

std::string FolderDisplayName(const std::string& name)
{
    bool hasLetter = false;
    for (const char ch : name) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (IsAsciiLower(c)) return name;
        hasLetter = hasLetter || IsAsciiUpper(c);
    }
    if (!hasLetter) return name;
    std::string shown = name;
    for (size_t i = 1; i < shown.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(shown[i]);
        if (IsAsciiUpper(c)) shown[i] = static_cast<char>(c - 'A' + 'a');
    }
    return shown;
}

bool IsValidNewFolderName(const std::string& name)
{
    if (name.empty()) return false;
    for (const char ch : name) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c < 32 || std::strchr("\\/:*?\"<>|", c) != nullptr) return false;
    }
    return true;
}

// ---- New folder -------------------------------------------------------------------------------

TFormNewFolder::TFormNewFolder()
{
    borderStyle = ui::BorderStyle::Dialog;
    systemMenu = false;
    minimizeBox = false;
    maximizeBox = false;
    clientWidth = 297;
    clientHeight = 56;
    left = (::GetSystemMetrics(SM_CXSCREEN) - clientWidth) / 2;
    top = (::GetSystemMetrics(SM_CYSCREEN) - clientHeight) / 2;
    EditNewFolder.SetBounds(8, 6, 281, 21);
    ButtonOk.isDefault = true;
    ButtonOk.modalResult = ui::kModalOk;
    ButtonOk.SetBounds(134, 30, 75, 23);
    ButtonCancel.isCancel = true;
    ButtonCancel.modalResult = ui::kModalCancel;
    ButtonCancel.SetBounds(214, 30, 75, 23);
    EditNewFolder.onChange = [this](ui::Edit&) { EditNewFolderChange(); };
    onShow = [this](ui::Form&) { FormShow(); };
}

bool TFormNewFolder::Create(const ui::WindowClass& windowClass, HWND owner)
{
    if (!Form::Create(windowClass, owner)) return false;
    // A small tool window: a narrow caption, no taskbar button.
    ::SetWindowLongA(Handle(), GWL_EXSTYLE, ::GetWindowLongA(Handle(), GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
    return EditNewFolder.Create(*this) && ButtonOk.Create(*this, IDOK) &&
           ButtonCancel.Create(*this, IDCANCEL);
}

void TFormNewFolder::ApplyLanguage()
{
    ApplyCaptions("TFormNewFolder", *this, {{"ButtonOk", &ButtonOk}, {"ButtonCancel", &ButtonCancel}});
}

void TFormNewFolder::FormShow()
{
    EditNewFolder.SetText("");
    EditNewFolderChange();
    EditNewFolder.SetFocus();
}

void TFormNewFolder::EditNewFolderChange()
{
    ButtonOk.SetEnabled(IsValidNewFolderName(EditNewFolder.Text()));
}

// ---- Folder picker ----------------------------------------------------------------------------

TFormTree::TFormTree()
{
    borderStyle = ui::BorderStyle::Sizeable;
    minimizeBox = false;
    maximizeBox = false;
    clientWidth = kTreeWidth;
    clientHeight = kTreeHeight;
    left = (::GetSystemMetrics(SM_CXSCREEN) - kTreeWidth) / 2;
    top = (::GetSystemMetrics(SM_CYSCREEN) - kTreeHeight) / 2;

    TreeView.indent = 19;
    CheckBoxIncludeSubfolders.checked = true;
    ButtonNewFolder.visible = false;
    ButtonOk.isDefault = true;
    ButtonCancel.isCancel = true;
    ButtonCancel.modalResult = ui::kModalCancel;
    ProgressBar.visible = false;

    ButtonOk.onClick = [this](ui::Button&) { ButtonOkClick(); };
    ButtonCancel.onClick = [this](ui::Button&) { ButtonCancelClick(); };
    ButtonNewFolder.onClick = [this](ui::Button&) { ButtonNewFolderClick(); };
    TreeView.onExpanded = [this](ui::TreeView&, HTREEITEM node) { TreeViewExpanded(node); };
    TreeView.onCollapsed = [this](ui::TreeView&, HTREEITEM node) { TreeViewCollapsed(node); };
    TreeView.onChange = [this](ui::TreeView&, HTREEITEM) { UpdateOk(); };
    onShow = [this](ui::Form&) { FormShow(); };
}

bool TFormTree::Create(const ui::WindowClass& windowClass, HWND owner, TFormNewFolder* newFolder)
{
    m_pFormNewFolder = newFolder;
    if (!Form::Create(windowClass, owner)) return false;
    // The design size is the outer one.
    SetPos(nullptr, 0, 0, kTreeWidth, kTreeHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
    const bool created = Panel1.Create(*this) && CheckBoxIncludeSubfolders.Create(Panel1) &&
                         ButtonNewFolder.Create(Panel1) && ButtonOk.Create(Panel1, IDOK) &&
                         ButtonCancel.Create(Panel1, IDCANCEL) && ProgressBar.Create(Panel1) &&
                         TreeView.Create(*this);
    if (!created) return false;
    UpdateOk();
    return true;
}

void TFormTree::ApplyLanguage()
{
    ApplyCaptions("TFormTree", *this,
                  {{"ButtonOk", &ButtonOk},
                   {"ButtonCancel", &ButtonCancel},
                   {"ButtonNewFolder", &ButtonNewFolder},
                   {"CheckBoxIncludeSubfolders", &CheckBoxIncludeSubfolders}});
    if (m_pFormNewFolder) m_pFormNewFolder->ApplyLanguage();
}

void TFormTree::Layout()
{
    const RECT client = GetClientRect();
    const int w = client.right;
    const int h = client.bottom;
    TreeView.SetBounds(0, 0, w, h - kPanelHeight);
    Panel1.SetBounds(0, h - kPanelHeight, w, kPanelHeight);
    CheckBoxIncludeSubfolders.SetBounds(8, 10, w - 180, 17);
    ButtonNewFolder.SetBounds(8, 6, 90, 25);
    ButtonOk.SetBounds(w - 164, 6, 75, 25);
    ButtonCancel.SetBounds(w - 83, 6, 75, 25);
    ProgressBar.SetBounds(0, kPanelHeight - kProgressHeight, w, kProgressHeight);
}

LRESULT TFormTree::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize.x = kTreeMinWidth;
        info->ptMinTrackSize.y = kTreeMinHeight;
        return 0;
    }
    case WM_SIZE:
        Layout();
        break;
    default:
        break;
    }
    return Form::OnMessage(msg, wParam, lParam);
}

void TFormTree::UpdateOk()
{
    ButtonOk.SetEnabled(TreeView.Exists() && TreeView.Selected() != nullptr);
}

void TFormTree::FormShow()
{
    ui::WaitCursor wait;
    FillDrives();
    SelectPath(m_sPath, TreeView.Root());
    UpdateOk();
}

void TFormTree::FillDrives()
{
    TreeView.Clear();
    const DWORD drives = logicalDrives();
    CriticalErrorsQuiet quiet;
    // Bits 2 to 25: C: to Z:; A: and B: are never listed.
    for (int bit = 2; bit < 26; ++bit) {
        if (!(drives & (1u << bit))) continue;
        const char root[] = {static_cast<char>('A' + bit), ':', '\\', '\0'};
        char label[250] = {};
        char fileSystem[100] = {};
        if (!::GetVolumeInformationA(root, label, sizeof label, nullptr, nullptr, nullptr, fileSystem,
                                     sizeof fileSystem))
            label[0] = '\0';
        TreeView.AddChild(nullptr, std::string(root, 2) + "  " + label);
    }
    for (HTREEITEM drive = TreeView.Root(); drive; drive = TreeView.NextSibling(drive))
        FillSubfolders(TreeView.Text(drive).substr(0, 2) + "\\", drive);
}

void TFormTree::FillSubfolders(const std::string& path, HTREEITEM node)
{
    TreeView.DeleteChildren(node);
    CriticalErrorsQuiet quiet;
    TxFindFile find;
    if (!find.FindFirst(path.c_str(), "*")) return;
    do {
        const WIN32_FIND_DATAA& data = find.FindData();
        if (!find.IsDirectory() || find.IsDotDirectory() || (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN))
            continue;
        TreeView.AddChild(node, FolderDisplayName(data.cFileName));
    } while (find.FindNext());
    TreeView.SortChildren(node);
}

std::string TFormTree::NodePath(HTREEITEM node) const
{
    if (!node) return std::string();
    std::string path;
    HTREEITEM drive = node;
    while (HTREEITEM parent = TreeView.Parent(drive)) {
        path = "\\" + TreeView.Text(drive) + path;
        drive = parent;
    }
    return TreeView.Text(drive).substr(0, 2) + path;
}

void TFormTree::SelectPath(const std::string& path, HTREEITEM node)
{
    const size_t slash = path.find('\\');
    const std::string first = path.substr(0, slash);
    const std::string rest = slash == std::string::npos ? std::string() : path.substr(slash + 1);
    for (; node; node = TreeView.NextSibling(node)) {
        std::string text = TreeView.Text(node);
        if (!TreeView.Parent(node)) text = text.substr(0, 2);
        if (!first.empty() && ::lstrcmpiA(text.c_str(), first.c_str()) == 0) break;
    }
    if (!node) return;
    TreeView.Expand(node);
    TreeView.Select(node);
    if (!rest.empty()) SelectPath(rest, TreeView.FirstChild(node));
}

void TFormTree::ButtonOkClick()
{
    // No folder chosen is no answer: the picker stays open rather than returning an empty path.
    const std::string path = NodePath(TreeView.Selected());
    if (path.empty()) return;
    m_sPath = path;
    SetModalResult(ui::kModalOk);
}

void TFormTree::ButtonCancelClick()
{
    SetModalResult(ui::kModalCancel);
}

void TFormTree::TreeViewExpanded(HTREEITEM node)
{
    const DWORD start = ::GetTickCount();
    const std::string path = NodePath(node);
    int count = 0;
    for (HTREEITEM child = TreeView.FirstChild(node); child; child = TreeView.NextSibling(child))
        ++count;
    int done = 0;
    for (HTREEITEM child = TreeView.FirstChild(node); child; child = TreeView.NextSibling(child)) {
        FillSubfolders(path + "\\" + TreeView.Text(child), child);
        ++done;
        if (::GetTickCount() - start > kProgressDelayMs) {
            ProgressBar.SetPosition(done * 100 / count);
            if (!ProgressBar.IsVisible()) ProgressBar.SetVisible(true);
            ProgressBar.RepaintNow();
        }
    }
    ProgressBar.SetVisible(false);
}

void TFormTree::TreeViewCollapsed(HTREEITEM node)
{
    FillSubfolders(NodePath(node), node);
}

void TFormTree::ButtonNewFolderClick()
{
    const HTREEITEM node = TreeView.Selected();
    if (!node || !m_pFormNewFolder) return;
    RECT rect = TreeView.ItemRect(node, true);
    POINT corner = {rect.left, rect.top};
    ::ClientToScreen(TreeView.Handle(), &corner);
    m_pFormNewFolder->SetPos(nullptr, corner.x, corner.y + (rect.bottom - rect.top), 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_pFormNewFolder->SetText(std::string(Text(glm_CreateFolderIn)) + " \"" + TreeView.Text(node) + "\"");
    if (m_pFormNewFolder->ShowModal() != ui::kModalOk) return;
    std::string path = NodePath(node);
    if (!path.empty() && path.back() != '\\') path += '\\';
    path += m_pFormNewFolder->EditNewFolder.Text();
    if (::CreateDirectoryA(path.c_str(), nullptr)) {
        FillSubfolders(NodePath(node), node);
        SelectPath(path, TreeView.Root());
    } else {
        ui::TheDialogs().messageBox(Handle(), Text(glm_FolderCannotBeCreated), Text(glm_Error),
                                    MB_OK | MB_ICONEXCLAMATION);
    }
}

}  // namespace manager
