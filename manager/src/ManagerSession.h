// What the Manager does at start-up and shutdown apart from its window: the Agent stopped and
// started again, the texts, the settings and the data folder, the image database loaded and saved.
// The main window runs it and does its own part between the steps; a test runs it without a window:
//
//   ManagerSession session;
//   session.StartUp();               // as the first show does
//   session.m_pFolderCollection->...
//   session.ShutDown();              // as a close does
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "Settings.h"
#include "UDatabase.h"
#include "Wcommon.h"

namespace manager {

// What the window does between the steps of the start-up; each may be empty.
struct StartupWindowSteps {
    // The texts are loaded: the captions follow.
    std::function<void()> textsLoaded;
    // The settings are read: the windows are placed, the schema may be given its editors.
    std::function<void()> settingsLoaded;
    // The data folder is there: the saved window places and the last folder added are read.
    std::function<void()> dataFolderReady;
};

class ManagerSession {
public:
    ManagerSession();
    ~ManagerSession();
    ManagerSession(const ManagerSession&) = delete;
    ManagerSession& operator=(const ManagerSession&) = delete;

    // The window the defaults, the font and the message boxes are for (none without a window).
    void SetOwner(HWND owner) { m_hOwner = owner; }

    // The whole start-up in order: the run-time screen size, the Agent stopped, the texts, the
    // settings, the data folder and the database.
    void StartUp(const StartupWindowSteps& window = {});
    // Everything a close saves: the settings, the root values, \Files, then (after `savePlaces`)
    // the lists. `tell`: a failed save is shown in a message box.
    void SaveEverything(bool tell, const std::function<void()>& savePlaces = {});
    // After the close saved: the lists are let go and the Agent starts again when AutoRun is on;
    // at the end of a session neither (a modal form may still use the lists, and the system ends
    // every program).
    void FinishClose(bool sessionEnding);
    // A close without a window: everything saved, then FinishClose.
    void ShutDown();
    // A start-up that ended with an exception: nothing half loaded is ever saved, and the Agent that
    // start-up stopped runs again when the registry's settings start it.
    void StartupFailed();

    void StopAgent();
    bool StartAgent();
    void LoadSettings();
    // Chooses the data folder and sets the four file paths of the record; false (paths unchanged)
    // when no folder gives paths that fit the record's fields.
    bool SetDataFilePaths();
    void EnsureDataFolder();
    void LoadDatabase();
    // The rescan the start-up posts: the image list rebuilt when the folders changed on disk.
    void CheckChanges();
    // Saves the lists that changed; false, the failing list still modified, when a save failed or a
    // list was not saved because its file could not be read at start-up. `tell`: a failed save is
    // shown in a message box.
    bool SaveModifiedLists(bool tell = true);

    CSettings& Settings() { return m_Settings; }

    // The state the start-up, the shutdown and the window's handlers share.
    std::unique_ptr<CFolderCollection> m_pFolderCollection;
    std::unique_ptr<CFileCollection> m_pFileCollection;
    std::string m_sLastDirAddFolders;
    bool m_bConfigured = false;
    DWORD m_dwAllFilesCount = 0;
    RegistryRecord m_RegistryRecord{};

private:
    void LoadFolderList();
    void LoadFileList();
    // Before a database file that failed to load can be written over, it is kept as "<file>.bad";
    // false when the copy could not be made.
    bool KeepDamagedFile(const char* path);
    void TellDatabaseProblem(const std::string& text);

    HWND m_hOwner = nullptr;
    CSettings m_Settings;
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

}  // namespace manager
