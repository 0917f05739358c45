// The main window's components, their texts and the window's own messages.
#include "FormMain.h"

#include "FormTree.h"
#include "UTxUtils.h"
#include "CaptionTable.h"
#include "LanguageFile.h"
#include "ManagerTexts.h"

namespace manager {

namespace {

// The component names the caption table knows the controls by.
constexpr const char* kFormName = "TFormMain";

// A 16 x 16 folder picture: a yellow folder, with a second folder behind it when the subfolders are
// included and a green corner when changes are detected automatically.
GdiObject FolderPicture(bool subfolders, bool autoScan)
{
    constexpr COLORREF kMask = RGB(255, 0, 255);
    WindowDC screen(nullptr);
    GdiObject bitmap(::CreateCompatibleBitmap(screen.get(), 16, 16));
    MemDC memory(::CreateCompatibleDC(screen.get()));
    if (!bitmap || !memory) return GdiObject();
    SelectGuard selected(memory.get(), bitmap.get());
    const auto fill = [&memory](int l, int t, int r, int b, COLORREF color) {
        GdiObject brush(::CreateSolidBrush(color));
        RECT rect = {l, t, r, b};
        ::FillRect(memory.get(), &rect, static_cast<HBRUSH>(brush.get()));
    };
    fill(0, 0, 16, 16, kMask);
    if (subfolders) fill(4, 1, 16, 11, RGB(176, 128, 0));
    fill(0, 4, 12, 15, RGB(232, 184, 40));
    fill(0, 3, 5, 5, RGB(232, 184, 40));
    if (autoScan) fill(9, 10, 16, 16, RGB(0, 160, 0));
    return bitmap;
}

}  // namespace

TFormMain::TFormMain()
{
    borderStyle = ui::BorderStyle::Single;
    maximizeBox = false;
    clientWidth = 690;
    clientHeight = 234;
    mainForm = true;

    GroupBoxFolders.SetBounds(3, 2, 684, 200);
    ListViewFolders.columns = {{"", 560, false}, {"", 75, true}};
    ListViewFolders.rowSelect = true;
    ListViewFolders.smallImages = &ImageListFolderIcons;
    ListViewFolders.SetBounds(8, 16, 668, 112);
    ButtonAddFolder.SetBounds(8, 135, 110, 25);
    ButtonDeleteFolder.SetBounds(123, 135, 110, 25);
    ButtonRecalculate.SetBounds(238, 135, 120, 25);
    CheckBoxIncludeSubfolders.SetBounds(372, 136, 150, 17);
    CheckBoxAutoScan.SetBounds(372, 158, 170, 17);
    CheckBoxUseForWallpaper.SetBounds(546, 136, 130, 17);
    CheckBoxUseForScreenSaver.SetBounds(546, 158, 130, 17);
    ButtonFolderSettings.SetBounds(8, 166, 200, 25);
    ButtonFolderSettings.visible = false;
    ButtonScreenSaverTest.caption = "Screen Saver Test";
    ButtonScreenSaverTest.SetBounds(238, 166, 120, 25);
    ButtonScreenSaverTest.visible = false;

    ButtonChangeWallpaper.SetBounds(3, 206, 130, 25);
    ButtonBrowser.SetBounds(138, 206, 120, 25);
    ButtonSettings.SetBounds(263, 206, 100, 25);
    ButtonHelp.caption = "?";
    ButtonHelp.SetBounds(368, 206, 25, 25);
    ButtonExit.SetBounds(612, 206, 75, 25);

    ButtonAddFolder.onClick = [this](ui::Button&) { ButtonAddFolderClick(); };
    ButtonDeleteFolder.onClick = [this](ui::Button&) { ButtonDeleteFolderClick(); };
    ButtonRecalculate.onClick = [this](ui::Button&) { ButtonRecalculateClick(); };
    ButtonBrowser.onClick = [this](ui::Button&) { ButtonBrowserClick(); };
    ButtonChangeWallpaper.onClick = [this](ui::Button&) { ButtonChangeWallpaperClick(); };
    ButtonSettings.onClick = [this](ui::Button&) { ButtonSettingsClick(); };
    ButtonHelp.onClick = [this](ui::Button&) { ButtonHelpClick(); };
    ButtonExit.onClick = [this](ui::Button&) { ButtonExitClick(); };
    ButtonScreenSaverTest.onClick = [this](ui::Button&) { ButtonScreenSaverTestClick(); };
    CheckBoxIncludeSubfolders.onClick = [this](ui::CheckBox&) { CheckBoxIncludeSubfoldersClick(); };
    CheckBoxAutoScan.onClick = [this](ui::CheckBox&) { CheckBoxAutoScanClick(); };
    CheckBoxUseForWallpaper.onClick = [this](ui::CheckBox&) { CheckBoxUseForWallpaperClick(); };
    CheckBoxUseForScreenSaver.onClick = [this](ui::CheckBox&) { CheckBoxUseForScreenSaverClick(); };
    ListViewFolders.onClick = [this](ui::ListView&) { ListViewFoldersClick(); };
    // The arrow keys move the selection without a click: the boxes follow every selection change.
    ListViewFolders.onSelectItem = [this](ui::ListView&, int, bool) {
        if (m_iUpdating == 0) UpdateFolderControls();
    };

    onShow = [this](ui::Form&) { FormShow(); };
    onCloseQuery = [this](ui::Form&, bool& canClose) { FormCloseQuery(canClose); };
}

TFormMain::~TFormMain() = default;

bool TFormMain::Create(const ui::WindowClass& windowClass)
{
    TxLibInitialize();
    m_bFirstShow = true;
    m_dwAllFilesCount = 0;
    m_pFolderCollection = std::make_unique<CFolderCollection>();
    m_pFileCollection = std::make_unique<CFileCollection>();
    m_iUpdating = 0;

    if (!Form::Create(windowClass)) return false;
    // Index 0 stays empty: the folder icons are numbered from 1.
    ImageListFolderIcons.Create(16, 16, 5);
    ImageListFolderIcons.AddMasked(static_cast<HBITMAP>(FolderPicture(false, false).get()), RGB(255, 0, 255));
    const bool kinds[4][2] = {{false, false}, {true, false}, {false, true}, {true, true}};
    for (const auto& kind : kinds)
        ImageListFolderIcons.AddMasked(static_cast<HBITMAP>(FolderPicture(kind[0], kind[1]).get()),
                                       RGB(255, 0, 255));
    // Exit first: it is the first stop of the tab order.
    return ButtonExit.Create(*this) && GroupBoxFolders.Create(*this) &&
           ListViewFolders.Create(GroupBoxFolders) && ButtonAddFolder.Create(GroupBoxFolders) &&
           ButtonDeleteFolder.Create(GroupBoxFolders) && ButtonRecalculate.Create(GroupBoxFolders) &&
           CheckBoxIncludeSubfolders.Create(GroupBoxFolders) && CheckBoxAutoScan.Create(GroupBoxFolders) &&
           CheckBoxUseForWallpaper.Create(GroupBoxFolders) &&
           CheckBoxUseForScreenSaver.Create(GroupBoxFolders) &&
           ButtonFolderSettings.Create(GroupBoxFolders) && ButtonScreenSaverTest.Create(GroupBoxFolders) &&
           ButtonChangeWallpaper.Create(*this) && ButtonBrowser.Create(*this) &&
           ButtonSettings.Create(*this) && ButtonHelp.Create(*this);
}

void TFormMain::ApplyLanguage()
{
    ApplyInstalledLanguage();
    const auto apply = [](const char* component, ui::Window& control) {
        ManagerTextKey key;
        if (FindCaption(kFormName, component, 0, key)) control.SetText(Text(key));
    };
    SetText(ManagerCaption());
    ui::App::SetTitle(ManagerCaption());
    apply("GroupBoxFolders", GroupBoxFolders);
    apply("ButtonAddFolder", ButtonAddFolder);
    apply("ButtonDeleteFolder", ButtonDeleteFolder);
    apply("ButtonRecalculate", ButtonRecalculate);
    apply("CheckBoxIncludeSubfolders", CheckBoxIncludeSubfolders);
    apply("CheckBoxAutoScan", CheckBoxAutoScan);
    apply("CheckBoxUseForWallpaper", CheckBoxUseForWallpaper);
    apply("CheckBoxUseForScreenSaver", CheckBoxUseForScreenSaver);
    apply("ButtonFolderSettings", ButtonFolderSettings);
    apply("ButtonChangeWallpaper", ButtonChangeWallpaper);
    apply("ButtonBrowser", ButtonBrowser);
    apply("ButtonSettings", ButtonSettings);
    apply("ButtonExit", ButtonExit);
    for (int column = 1; column <= 2; ++column) {
        ManagerTextKey key;
        if (!FindCaption(kFormName, "ListViewFolders", column, key)) continue;
        ListViewFolders.SetColumnCaption(column - 1, Text(key));
    }
    if (m_pFormTree) m_pFormTree->ApplyLanguage();
}

LRESULT TFormMain::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_MANAGER_CHECK_CHANGES:
        CheckChanges();
        return 0;
    case WM_QUERYENDSESSION:
        return QueryEndSession() ? TRUE : FALSE;
    case WM_ENDSESSION:
        EndSession(wParam != FALSE);
        return 0;
    default:
        break;
    }
    return Form::OnMessage(msg, wParam, lParam);
}

}  // namespace manager
