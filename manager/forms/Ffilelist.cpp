#include "Ffilelist.h"

#include <algorithm>

#include "ManagerEngine.h"
#include "ManagerForms.h"
#include "Umanaglang.h"
#include "UTxDiskApi.h"
#include "UTxLog.h"
#include "UiDialogs.h"
#include "Uinstallvalues.h"

namespace manager {

namespace {

constexpr int kControlsHeight = 41;
constexpr int kSplitterWidth = 4;
constexpr int kMinPanelWidth = 60;
constexpr int kMinListWidth = 120;

// A state picture: a filled circle, green for an image in use, red for an excluded one.
GdiObject StateBitmap(COLORREF color)
{
    WindowDC screen(nullptr);
    GdiObject bitmap(::CreateCompatibleBitmap(screen.get(), 16, 16));
    MemDC memory(::CreateCompatibleDC(screen.get()));
    if (!bitmap || !memory) return GdiObject();
    SelectGuard selected(memory.get(), bitmap.get());
    RECT all = {0, 0, 16, 16};
    GdiObject mask(::CreateSolidBrush(RGB(255, 0, 255)));
    ::FillRect(memory.get(), &all, static_cast<HBRUSH>(mask.get()));
    GdiObject brush(::CreateSolidBrush(color));
    SelectGuard withBrush(memory.get(), brush.get());
    SelectGuard withPen(memory.get(), ::GetStockObject(BLACK_PEN));
    ::Ellipse(memory.get(), 3, 3, 13, 13);
    return bitmap;
}

std::string ImagePath(const CImageFile& image)
{
    return std::string(image.FolderPath.GetText()) + "\\" + image.FileName.GetText();
}

int StateOf(const CImageFile& image)
{
    return 1 + static_cast<int>(image.FileFlags & FLAG_EXCLUDE_IMAGE);
}

}  // namespace

TFormFileList::TFormFileList()
{
    caption = Text(glm_FileBrowserCaption);
    borderStyle = ui::BorderStyle::Sizeable;
    clientWidth = 708;
    clientHeight = 326;
    left = (::GetSystemMetrics(SM_CXSCREEN) - clientWidth) / 2;
    top = (::GetSystemMetrics(SM_CYSCREEN) - clientHeight) / 2;

    ListViewFiles.columns = {{Text(glm_File), 140, false}, {Text(glm_Folder), 230, false}};
    ListViewFiles.multiSelect = true;
    ListViewFiles.stateImages = &ImageListIcons;
    Splitter.minLeft = kMinPanelWidth;
    Splitter.minRight = kMinListWidth;
    PanelClient.lowered = false;
    ShapeBackground.brushColor = ui::Color::System(COLOR_BTNFACE);
    PanelControls.lowered = true;
    ButtonSetAsWallpaper.caption = Text(glm_ButtonSetAsWallpaper);
    ButtonSetAsWallpaper.SetBounds(8, 8, 210, 25);
    CheckBoxExclude.caption = Text(glm_ButtonExcludeImage);
    CheckBoxExclude.SetBounds(228, 12, 250, 17);
    ButtonHelp.caption = "?";
    ButtonHelp.SetBounds(0, 8, 25, 25);
    ButtonClose.caption = Text(glm_ButtonClose);
    ButtonClose.modalResult = ui::kModalOk;
    ButtonClose.isCancel = true;
    ButtonClose.SetBounds(0, 8, 75, 25);

    onShow = [this](ui::Form&) { FormShow(); };
    onClose = [this](ui::Form&) { FormClose(); };
    onHide = [this](ui::Form&) { m_Loader.Stop(); };
    ListViewFiles.onSelectItem = [this](ui::ListView&, int, bool selected) {
        if (!selected) return;
        ShowSelectedImage();
        UpdateExcludeCheckBox();
    };
    Splitter.onMoved = [this](ui::Splitter&, int newLeft) {
        m_iPanelWidth = newLeft;
        Layout();
    };
    PanelClient.onResize = [this](ui::Panel&) { PanelClientResize(); };
    PaintBox.onPaint = [this](ui::PaintBox&, HDC dc, const RECT& client) {
        // The miniature screen under the picture.
        GdiObject brush(::CreateSolidBrush(ShapeBackground.brushColor.Value()));
        SelectGuard withBrush(dc, brush.get());
        SelectGuard withPen(dc, ::GetStockObject(BLACK_PEN));
        ::Rectangle(dc, client.left, client.top, client.right, client.bottom);
        PaintBoxPaint(dc, client.right, client.bottom);
    };
    ButtonSetAsWallpaper.onClick = [this](ui::Button&) { ButtonSetAsWallpaperClick(); };
    CheckBoxExclude.onClick = [this](ui::CheckBox&) { CheckBoxExcludeClick(); };
    ButtonHelp.onClick = [this](ui::Button&) {
        ui::TheDialogs().shellOpen(Handle(), TxProgramFile(kHelpFile));
    };
}

TFormFileList::~TFormFileList()
{
    m_Loader.Stop();
}

bool TFormFileList::Create(HWND owner)
{
    if (!ImageListIcons.Create(16, 16, 2)) return false;
    ImageListIcons.AddMasked(static_cast<HBITMAP>(StateBitmap(RGB(40, 170, 60)).get()), RGB(255, 0, 255));
    ImageListIcons.AddMasked(static_cast<HBITMAP>(StateBitmap(RGB(210, 40, 40)).get()), RGB(255, 0, 255));
    const bool created = Form::Create(ManagerFormClass(), owner) && PanelControls.Create(*this) &&
                         ButtonSetAsWallpaper.Create(PanelControls) &&
                         CheckBoxExclude.Create(PanelControls) && ButtonHelp.Create(PanelControls) &&
                         ButtonClose.Create(PanelControls, IDCANCEL) && ListViewFiles.Create(*this) &&
                         Splitter.Create(*this) && PanelClient.Create(*this) &&
                         ShapeBackground.Create(PanelClient) && PaintBox.Create(PanelClient);
    if (!created) return false;
    // The background lies under the preview and never paints over it: a first-made child is on top
    // of its siblings, and the repaint that follows a new average colour would cover the picture.
    ::SetWindowLongPtrA(ShapeBackground.Handle(), GWL_STYLE,
                        ::GetWindowLongPtrA(ShapeBackground.Handle(), GWL_STYLE) | WS_CLIPSIBLINGS);
    ::SetWindowPos(ShapeBackground.Handle(), HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ApplyTexts();
    Layout();
    return true;
}

void TFormFileList::ApplyTexts()
{
    ApplyCaptions("TFormFileList", *this,
                  {{"ListViewFiles", &ListViewFiles},
                   {"ButtonSetAsWallpaper", &ButtonSetAsWallpaper},
                   {"CheckBoxExclude", &CheckBoxExclude},
                   {"ButtonClose", &ButtonClose}});
}

void TFormFileList::Layout()
{
    if (!PanelControls.Exists()) return;
    const RECT client = GetClientRect();
    const int w = client.right;
    const int h = std::max(0, static_cast<int>(client.bottom) - kControlsHeight);
    m_iPanelWidth = std::max(kMinPanelWidth, std::min(m_iPanelWidth, w - kSplitterWidth - kMinListWidth));
    if (m_iPanelWidth < 0) m_iPanelWidth = 0;
    PanelControls.SetBounds(0, h, w, kControlsHeight);
    ButtonClose.SetBounds(w - 8 - ButtonClose.width, 8, ButtonClose.width, ButtonClose.height);
    ButtonHelp.SetBounds(ButtonClose.left - 6 - ButtonHelp.width, 8, ButtonHelp.width, ButtonHelp.height);
    PanelClient.SetBounds(0, 0, m_iPanelWidth, h);
    Splitter.SetBounds(m_iPanelWidth, 0, kSplitterWidth, h);
    ListViewFiles.SetBounds(m_iPanelWidth + kSplitterWidth, 0,
                            std::max(0, w - m_iPanelWidth - kSplitterWidth), h);
}

void TFormFileList::PanelClientResize()
{
    const RECT panel = PanelClient.GetClientRect();
    const int W = panel.right;
    const int H = panel.bottom;
    if (H <= 0) return;
    const double s = static_cast<double>(::GetSystemMetrics(SM_CXSCREEN)) / ::GetSystemMetrics(SM_CYSCREEN);
    int x, y, cx, cy;
    if (static_cast<double>(W) / H > s) {
        y = 1;
        cy = H - 2;
        cx = static_cast<int>(H * s) - 2;
        x = (W - cx) / 2;
    } else {
        x = 1;
        cx = W - 2;
        cy = static_cast<int>(W / s) - 2;
        y = (H - cy) / 2;
    }
    cx = std::max(cx, 0);
    cy = std::max(cy, 0);
    ShapeBackground.SetBounds(x, y, cx, cy);
    PaintBox.SetBounds(x, y, cx, cy);
}

LRESULT TFormFileList::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_FILELIST_INIT:
        FileListInit();
        return 0;
    case WM_FILELIST_PREVIEW_READY:
        PreviewReady();
        return 0;
    case WM_SIZE:
        Layout();
        break;
    default:
        break;
    }
    return Form::OnMessage(msg, wParam, lParam);
}

int TFormFileList::ShowBrowser(CFileCollection& files, const RegistryRecord& record)
{
    m_pFiles = &files;
    m_Record = record;
    return ShowModal();
}

void TFormFileList::FormShow()
{
    m_pWaitCursor = std::make_unique<ui::WaitCursor>();
    m_Loader.Prepare(Handle(), m_Record.Display.bRotateByExif != 0);
    const HWND owner = ::GetWindow(Handle(), GW_OWNER);
    if (owner) ::ShowWindow(owner, SW_HIDE);
    ::PostMessageA(Handle(), WM_FILELIST_INIT, 0, 0);
}

void TFormFileList::FileListInit()
{
    FillFileList();
    ShowSelectedImage();
    m_Loader.Start();
    m_pWaitCursor.reset();
}

void TFormFileList::FormClose()
{
    // Closing runs before hiding: the loader ends here, before its blocks go.
    if (!m_Loader.Stop()) LogF("!Preview loader did not end: its blocks are kept");
    m_Loader.FreeBlocks();
    m_pLastShown = nullptr;
    m_pWaitCursor.reset();
}

CImageFile* TFormFileList::SelectedImage() const
{
    const int item = ListViewFiles.FirstSelected();
    return item >= 0 ? static_cast<CImageFile*>(ListViewFiles.ItemData(item)) : nullptr;
}

void TFormFileList::FillFileList()
{
    std::string name;
    std::string folder;
    const int selected = ListViewFiles.FirstSelected();
    if (selected >= 0) {
        name = ListViewFiles.ItemText(selected, 0);
        folder = ListViewFiles.ItemText(selected, 1);
    }
    ++m_iUpdating;
    ListViewFiles.BeginUpdate();
    ListViewFiles.Clear();
    const int count = m_pFiles ? m_pFiles->GetCount() : 0;
    for (int i = 0; i < count; ++i) {
        CImageFile* image = m_pFiles->FileAt(i);
        const int item = ListViewFiles.AddItem(image->FileName.GetText(), image);
        if (item < 0) continue;
        ListViewFiles.SetItemText(item, 1, image->FolderPath.GetText());
        ListViewFiles.SetStateIndex(item, StateOf(*image));
        if (selected >= 0 && image->FileName.CompareNoCase(name.c_str()) == 0 &&
            image->FolderPath.CompareNoCase(folder.c_str()) == 0)
            ListViewFiles.SetSelected(item, true);
    }
    ListViewFiles.EndUpdate();
    --m_iUpdating;
    UpdateExcludeCheckBox();
}

void TFormFileList::ShowSelectedImage()
{
    CImageFile* image = SelectedImage();
    if (!image || image == m_pLastShown) return;
    m_pLastShown = image;
    const std::string path = ImagePath(*image);
    SetText(path);
    m_Loader.Request(path.c_str());
}

void TFormFileList::UpdateExcludeCheckBox()
{
    ++m_iUpdating;
    const CImageFile* image = SelectedImage();
    CheckBoxExclude.SetEnabled(image != nullptr);
    if (image) CheckBoxExclude.SetChecked((image->FileFlags & FLAG_EXCLUDE_IMAGE) != 0);
    --m_iUpdating;
}

void TFormFileList::PreviewReady()
{
    ++m_iPreviewsShown;
    ShapeBackground.brushColor = ui::Color::Rgb(m_Loader.AverageColor());
    ShapeBackground.Invalidate();
    PaintBox.RepaintNow();
}

void TFormFileList::PaintBoxPaint(HDC dc, int W, int H)
{
    m_Loader.Paint(dc, W, H);
}

void TFormFileList::ButtonSetAsWallpaperClick()
{
    CImageFile* image = SelectedImage();
    if (!image) return;
    char date[100] = {};
    ConvertDateToString(image->LastWriteTime, date, sizeof date);
    {
        // The click waits while the loader decodes.
        const DWORD held = ::WaitForSingleObject(m_Loader.EngineMutex(), INFINITE);
        ManagerEngine& engine = TheEngine();
        engine.showProgressWindow();
        engine.setWallpaper(&m_Record, image->FolderPath.GetText(), image->FileName.GetText(), date,
                            image->AverageColor);
        engine.hideProgressWindow();
        if (held == WAIT_OBJECT_0 || held == WAIT_ABANDONED) ::ReleaseMutex(m_Loader.EngineMutex());
    }
    ++image->ShownCount;
    if (m_pFiles) m_pFiles->Modified = 1;
    UpdateExcludeCheckBox();
}

void TFormFileList::CheckBoxExcludeClick()
{
    if (m_iUpdating > 0 || !SelectedImage()) return;
    const bool exclude = CheckBoxExclude.Checked();
    for (int item = 0; item < ListViewFiles.ItemCount(); ++item) {
        if (!ListViewFiles.IsSelected(item)) continue;
        auto* image = static_cast<CImageFile*>(ListViewFiles.ItemData(item));
        if (!image) continue;
        if (exclude)
            image->FileFlags |= FLAG_EXCLUDE_IMAGE;
        else
            image->FileFlags &= ~FLAG_EXCLUDE_IMAGE;
        ListViewFiles.SetStateIndex(item, StateOf(*image));
    }
    if (m_pFiles) m_pFiles->Modified = 1;
    UpdateExcludeCheckBox();
}

void TFormFileList::ReadPosition(HKEY managerKey)
{
    ReadFormBounds(managerKey, "FFileList", *this);
    DWORD width = 0;
    if (ReadDwordValue(managerKey, "FFileListPanelWidth", width) && width < 100000) {
        m_iPanelWidth = static_cast<int>(width);
        Layout();
    }
}

void TFormFileList::WritePosition(HKEY managerKey) const
{
    WriteFormBounds(managerKey, "FFileList", *this);
    WriteDwordValue(managerKey, "FFileListPanelWidth", static_cast<DWORD>(m_iPanelWidth));
}

}  // namespace manager
