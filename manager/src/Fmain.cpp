// The main window's components, their texts, the window's own messages and its part of the start-up
// and shutdown.
#include "Fmain.h"

#include "FTree.h"
#include "ManagerForms.h"
#include "UTxLog.h"
#include "UTxUtils.h"
#include "Umanaglang.h"

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
    m_State = MainWindowState::Created;
    m_iUpdating = 0;

    if (!Form::Create(windowClass)) return false;
    m_Session.SetOwner(Handle());
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

bool TFormMain::CreateSecondaryForms()
{
    if (!m_Forms.Create(Handle(), m_Session.Settings())) return false;
    m_pFormTree = m_Forms.FolderPicker();
    return true;
}

void TFormMain::DestroySecondaryForms()
{
    if (m_pFormTree == m_Forms.FolderPicker()) m_pFormTree = nullptr;
    m_Forms.Destroy();
}

void TFormMain::ApplyLanguage()
{
    SetText(ManagerCaption());
    ui::App::SetTitle(ManagerCaption());
    ApplyCaptions(kFormName, *this,
                  {{"GroupBoxFolders", &GroupBoxFolders},
                   {"ListViewFolders", &ListViewFolders},
                   {"ButtonAddFolder", &ButtonAddFolder},
                   {"ButtonDeleteFolder", &ButtonDeleteFolder},
                   {"ButtonRecalculate", &ButtonRecalculate},
                   {"CheckBoxIncludeSubfolders", &CheckBoxIncludeSubfolders},
                   {"CheckBoxAutoScan", &CheckBoxAutoScan},
                   {"CheckBoxUseForWallpaper", &CheckBoxUseForWallpaper},
                   {"CheckBoxUseForScreenSaver", &CheckBoxUseForScreenSaver},
                   {"ButtonFolderSettings", &ButtonFolderSettings},
                   {"ButtonChangeWallpaper", &ButtonChangeWallpaper},
                   {"ButtonBrowser", &ButtonBrowser},
                   {"ButtonSettings", &ButtonSettings},
                   {"ButtonExit", &ButtonExit}});
    if (m_pFormTree) m_pFormTree->ApplyLanguage();
    m_Forms.ApplyTexts();
}

void TFormMain::FormShow()
{
    if (m_State != MainWindowState::Created) {
        FillFolderList();
        UpdateFolderControls();
        return;
    }
    m_State = MainWindowState::StartingUp;
    StartupWindowSteps window;
    window.textsLoaded = [this] { ApplyLanguage(); };
    window.settingsLoaded = [this] {
        PlaceWindows();
        m_Forms.UseProgramPicker(m_Session.Settings());
    };
    window.dataFolderReady = [this] { ReadWindowPositions(); };
    m_Session.StartUp(window);
    if (m_State == MainWindowState::SessionEnded) {
        // The session's end saved what the start-up had read; the quit it posted ends the program.
        LogText("The start-up stops: the session ended");
        return;
    }
    FillFolderList();
    UpdateFolderControls();
    ::PostMessageA(Handle(), WM_MANAGER_CHECK_CHANGES, 0, 0);
    const bool closeHeld = m_State == MainWindowState::CloseHeld;
    m_State = MainWindowState::Running;
    if (closeHeld) {
        LogText("The close asked for during the start-up follows now");
        ::PostMessageA(Handle(), WM_CLOSE, 0, 0);
    }
}

void TFormMain::StartupFailed()
{
    m_State = MainWindowState::Closed;
    m_Session.StartupFailed();
}

void TFormMain::PlaceWindows()
{
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    const RECT outer = GetWindowRect();
    const int mainWidth = outer.right - outer.left;
    const int mainHeight = outer.bottom - outer.top;
    m_Forms.TakeSizes(m_Positions);
    WindowBounds& browser = m_Positions.fileList;
    browser.top = (screenHeight - browser.height - mainHeight) / 2;
    browser.left = (screenWidth - mainWidth) / 2;
    browser.width = mainWidth;
    m_Positions.main = {browser.left, browser.top + browser.height};
    WindowBounds& settings = m_Positions.settings;
    settings.left = (screenWidth - settings.width) / 2;
    settings.top = (screenHeight - settings.height) / 2;
    SetPos(nullptr, m_Positions.main.x, m_Positions.main.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_Forms.Place(m_Positions);
}

void TFormMain::ReadWindowPositions()
{
    m_Positions.lastDirAddFolders = m_Session.m_sLastDirAddFolders;
    if (!ReadManagerPositions(m_Positions)) return;
    m_Session.m_sLastDirAddFolders = m_Positions.lastDirAddFolders;
    SetPos(nullptr, m_Positions.main.x, m_Positions.main.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RegKey key;
    if (OpenManagerPositionsKey(key)) m_Forms.ReadPositions(key.get());
}

void TFormMain::WriteWindowPositions()
{
    const RECT outer = GetWindowRect();
    m_Positions.main = {outer.left, outer.top};
    m_Positions.lastDirAddFolders = m_Session.m_sLastDirAddFolders;
    WriteManagerPositions(m_Positions);
    // The forms write their own places over the ones the main window only computed.
    RegKey key;
    if (OpenManagerPositionsKey(key)) m_Forms.WritePositions(key.get());
}

void TFormMain::CheckChanges()
{
    // A click that waited in the queue must not run (or close the window) in the middle of a rescan:
    // the caption is only repainted, no message is handled.
    if (m_State != MainWindowState::Running || !m_Session.m_pFolderCollection || !m_Session.m_pFileCollection)
        return;
    m_State = MainWindowState::CheckingChanges;
    const std::string caption = GetText();
    SetText(Text(glm_CheckingChanges));
    RepaintNow();
    {
        ui::WaitCursor wait;
        m_Session.CheckChanges();
        FillFolderList();
    }
    SetText(caption);
    if (m_State == MainWindowState::CheckingChanges) m_State = MainWindowState::Running;
    LogText("Check for changes done");
}

void TFormMain::SaveEverything(bool tell)
{
    m_Session.SaveEverything(tell, [this] { WriteWindowPositions(); });
}

void TFormMain::FormCloseQuery(bool& canClose)
{
    if (StartingUp()) {
        // A message box of the start-up runs this close in its own loop: the start-up still needs
        // everything the close would free.
        LogText("Close held: the start-up runs");
        m_State = MainWindowState::CloseHeld;
        canClose = false;
        return;
    }
    canClose = true;
    if (m_State == MainWindowState::Closed || m_State == MainWindowState::SessionEnded) return;
    const bool sessionEnding = m_State == MainWindowState::SessionEnding;
    m_State = MainWindowState::Closed;
    ui::WaitCursor wait;
    SaveEverything(!sessionEnding);
    m_Session.FinishClose(sessionEnding);
}

bool TFormMain::QueryEndSession()
{
    if (m_State == MainWindowState::Closed || m_State == MainWindowState::SessionEnded) return true;
    // During the start-up only what it has read whole is saved (the session knows how far it came).
    LogText("The session ends: saving");
    ui::WaitCursor wait;
    SaveEverything(false);
    return true;
}

void TFormMain::EndSession(bool ending)
{
    if (!ending) {
        LogText("The session goes on");
        return;
    }
    if (StartingUp()) {
        // A start-up message box waits for an answer that will not come: what the start-up has read
        // is saved now, before the system is answered, and the quit ends the box's loop and then the
        // program's; the start-up runs no further step.
        LogText("The session ends during the start-up: saving what it read");
        SaveEverything(false);
        m_State = MainWindowState::SessionEnded;
        m_Session.AbandonStartUp();
        ::PostQuitMessage(0);
        return;
    }
    if (m_State == MainWindowState::Closed || m_State == MainWindowState::SessionEnded) return;
    m_State = MainWindowState::SessionEnding;
    Close();
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
