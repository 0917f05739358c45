// The Manager's main window: the list of image folders with their flags and image counts, the
// commands on them, and the program's start-up and shutdown (stopping the Agent, loading the texts,
// settings and image database, saving everything and starting the Agent again).
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "ManagerWindowPositions.h"
#include "UDatabase.h"
#include "UiApp.h"
#include "UiControls.h"
#include "UiDialogs.h"
#include "Settings.h"
#include "Wcommon.h"

// Posted by the first show, so that the rescan runs once the window is up.
constexpr UINT WM_MANAGER_CHECK_CHANGES = WM_APP + 10;

namespace manager {

class TFormTree;

// The one settings schema of the program, made by the first show of the main window.
CSettings& ManagerSettings();

class TFormMain : public ui::Form {
public:
    TFormMain();
    ~TFormMain() override;

    // FormCreate: the window with its controls, the empty collections.
    bool Create(const ui::WindowClass& windowClass);
    // The picker the add button opens (created by the program entry after this form).
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
    // Chooses the data folder and sets the four file paths of the record; false (paths unchanged)
    // when no folder gives paths that fit the record's fields.
    bool SetDataFilePaths();
    void EnsureDataFolder();
    void ReadWindowPositions();
    void WriteWindowPositions();
    bool StartAgent();

    // The state the start-up and the handlers share.
    bool m_bFirstShow = true;
    std::unique_ptr<CFolderCollection> m_pFolderCollection;
    std::unique_ptr<CFileCollection> m_pFileCollection;
    std::string m_sLastDirAddFolders;
    bool m_bConfigured = false;
    DWORD m_dwAllFilesCount = 0;
    int m_iUpdating = 0;
    RegistryRecord m_RegistryRecord{};
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
    void ApplyLanguage();
    void StopAgent();
    void LoadSettings();
    void PlaceWindows();
    void LoadDatabase();
    void LoadFolderList();
    void LoadFileList();
    // Saves the lists that changed; false, the failing list still modified, when a save failed or a
    // list was not saved because its file could not be read at start-up. `tell`: a failed save is
    // shown in a message box.
    bool SaveModifiedLists(bool tell = true);
    // Everything a close saves: the settings, the root values, \Files, \Manager and the lists.
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
    // Before a database file that failed to load can be written over, it is kept as "<file>.bad";
    // false when the copy could not be made.
    bool KeepDamagedFile(const char* path);
    void TellDatabaseProblem(const std::string& text);

    TFormTree* m_pFormTree = nullptr;
    bool m_bCheckingChanges = false;
    bool m_bClosed = false;
    // The first show runs, with message boxes whose loops would run a close in its middle: a close
    // asked for meanwhile is held and done once it has ended.
    bool m_bStartingUp = false;
    bool m_bCloseHeld = false;
    bool m_bSessionEnding = false;
    // When a file of the database was there but could not be read, or was damaged and could not be
    // copied, neither list is saved while the Manager runs.
    bool m_bFolderListProtected = false;
    bool m_bFileListProtected = false;
    // The folder list in use stands in for one that could not be read, while the image list was read
    // whole: the check for changes at start-up would rebuild that image list from the stand-in.
    bool m_bKeepLoadedImages = false;
    // No data folder had paths short enough for the record's fields.
    bool m_bNoDataFolder = false;
};

// The icon index of a folder (1 to 4) and the text of its second column.
int FolderIconIndex(const CImageFolder& folder);
std::string FolderUseText(const CImageFolder& folder);
// Whether a folder the picker gave can hold images the engine can open: no character the code page
// lacked, and room for an image's name within the system's path limit.
bool IsUsableFolderPath(const std::string& path);

}  // namespace manager
