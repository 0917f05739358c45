// The Manager's main window: the list of image folders with their flags and image counts, the
// commands on them, the forms it opens, and its part of the program's start-up and shutdown (the
// rest, apart from any window, is the session's).
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "MainWindowActions.h"
#include "ManagerSession.h"
#include "ManagerWindowPositions.h"
#include "UDatabase.h"
#include "UiApp.h"
#include "UiControls.h"
#include "UiDialogs.h"
#include "Wcommon.h"

// Posted by the first show, so that the rescan runs once the window is up.
constexpr UINT WM_MANAGER_CHECK_CHANGES = WM_APP + 10;

namespace manager {

class TFormTree;

// Where the main window is in its life: the one value its handlers read to decide what a show, a
// close or a session end may do.
enum class MainWindowState {
    Created,       // not shown yet: the first show runs the start-up
    StartingUp,    // the first show runs; its message boxes run message loops of their own
    CloseHeld,     // the first show runs and a close asked for meanwhile waits for its end
    SessionEnded,  // the session ended during the first show: it stops and the program ends
    Running,
    CheckingChanges,  // the posted check for changes runs
    SessionEnding,    // the session ends: the close saves without a message and starts no Agent
    Closed,           // saved and let go; a further close does nothing
};

class TFormMain : public ui::Form {
public:
    TFormMain();
    ~TFormMain() override;

    // FormCreate: the window with its controls.
    bool Create(const ui::WindowClass& windowClass);
    // The image browser, the folder picker, the settings dialog with its program picker and help
    // pictures, the screen-saver test window: owned by this form until DestroySecondaryForms or its
    // end. The folder picker made becomes the one the add button opens.
    bool CreateSecondaryForms();
    void DestroySecondaryForms();
    // Another folder picker for the add button (none: the button does nothing).
    void SetFolderPicker(TFormTree* picker) { m_pFormTree = picker; }

    // The published handlers.
    void FormShow();
    void FormCloseQuery(bool& canClose);
    // A start-up that ended with an exception: nothing half loaded is ever saved, and the Agent that
    // start-up stopped runs again when the registry's settings start it.
    void StartupFailed();
    void CheckChanges();
    void ButtonAddFolderClick();
    void ButtonDeleteFolderClick();
    void ListViewFoldersClick();
    void ButtonRecalculateClick();
    void ButtonBrowserClick();
    void ButtonChangeWallpaperClick();
    void ButtonSettingsClick();
    void ButtonHelpClick();
    void ButtonExitClick();
    void ButtonScreenSaverTestClick();
    void CheckBoxIncludeSubfoldersClick();
    void CheckBoxAutoScanClick();
    void CheckBoxUseForWallpaperClick();
    void CheckBoxUseForScreenSaverClick();

    void FillFolderList();
    void UpdateFolderControls();
    void ReadWindowPositions();
    void WriteWindowPositions();

    // The settings, the database and the Agent control of the start-up and the handlers.
    ManagerSession m_Session;
    MainWindowState State() const { return m_State; }
    int m_iUpdating = 0;
    // Where the image browser and the settings dialog stand (the forms that show them read it).
    ManagerWindowPositions m_Positions;

    // The components.
    ui::GroupBox GroupBoxFolders;
    ui::ListView ListViewFolders;
    ui::Button ButtonAddFolder;
    ui::Button ButtonDeleteFolder;
    ui::Button ButtonRecalculate;
    ui::CheckBox CheckBoxIncludeSubfolders;
    ui::CheckBox CheckBoxAutoScan;
    ui::CheckBox CheckBoxUseForWallpaper;
    ui::CheckBox CheckBoxUseForScreenSaver;
    ui::Button ButtonFolderSettings;
    ui::Button ButtonScreenSaverTest;
    ui::Button ButtonChangeWallpaper;
    ui::Button ButtonBrowser;
    ui::Button ButtonSettings;
    ui::Button ButtonHelp;
    ui::Button ButtonExit;
    ui::ImageList ImageListFolderIcons;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // The Manager texts on this form, the picker and the secondary forms.
    void ApplyLanguage();
    void PlaceWindows();
    // Everything a close saves: the session's settings and lists, and \Manager.
    void SaveEverything(bool tell);
    // The session ends (log-off, shutdown): everything is saved before the system is answered.
    bool QueryEndSession();
    void EndSession(bool ending);
    CImageFolder* SelectedFolder() const;
    void SetItemIcon(int item, const CImageFolder& folder);
    void SetItemUse(int item, const CImageFolder& folder);
    // The selected folder with the box's state copied into its flag; null while the window sets its
    // own boxes or when no folder is selected.
    CImageFolder* FolderToChange(BYTE CImageFolder::*flag, const ui::CheckBox& box);
    void UseFlagChanged(BYTE CImageFolder::*flag, const ui::CheckBox& box);
    // Rebuilds the image list from the folders under the hourglass; a failure keeps the old list.
    void RecalculateAllFolders();

    SecondaryForms m_Forms;
    TFormTree* m_pFormTree = nullptr;
    MainWindowState m_State = MainWindowState::Created;
    bool StartingUp() const
    {
        return m_State == MainWindowState::StartingUp || m_State == MainWindowState::CloseHeld;
    }
};

// The icon index of a folder (1 to 4) and the text of its second column.
int FolderIconIndex(const CImageFolder& folder);
std::string FolderUseText(const CImageFolder& folder);
// Whether a folder the picker gave can hold images the engine can open: no character the code page
// lacked, and room for an image's name within the system's path limit.
bool IsUsableFolderPath(const std::string& path);

}  // namespace manager
