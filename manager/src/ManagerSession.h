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
#include <vector>

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

// How far the start-up came, and so what a session end in its middle may save: nothing before the
// settings are read, the window places only once the saved ones were read, the lists only once both
// were loaded.
enum class StartupStage { NotStarted, SettingsLoaded, PlacesRead, Complete };

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
    StartupStage Stage() const { return m_Stage; }
    // The session ended while the start-up waited in one of its message boxes: its remaining steps
    // are not run and no further message is shown.
    void AbandonStartUp() { m_bAbandoned = true; }
    bool StartUpAbandoned() const { return m_bAbandoned; }

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
    // The installer's sample folder as the one folder, when it names an existing directory.
    void AddSampleFolder();
    void LoadFileList();
    // Database files that failed to load are kept as copies before they can be written over, each
    // under a name of KeptCopyName that is free (or holds its bytes already, from an earlier start
    // that met the same damage); the files of one list share the number. False when no copy could
    // be made; `kept` gets the names.
    bool KeepDamagedFiles(const std::vector<std::string>& paths, std::vector<std::string>& kept);
    void TellDatabaseProblem(const std::string& text);

    HWND m_hOwner = nullptr;
    CSettings m_Settings;
    // When a file of the database was there but could not be read, or was damaged and could not be
    // copied, neither list is saved while the Manager runs.
    bool m_bFolderListProtected = false;
    bool m_bFileListProtected = false;
    // The folder list in use stands in for one that could not be read whole (its complete entries
    // and the folders taken back from the images), while the image list was read whole: the check
    // for changes at start-up would rebuild that image list from the stand-in.
    bool m_bKeepLoadedImages = false;
    // The folder list file was there but not read whole (locked, damaged).
    bool m_bFolderListIncomplete = false;
    StartupStage m_Stage = StartupStage::NotStarted;
    bool m_bAbandoned = false;
    // No data folder had paths short enough for the record's fields.
    bool m_bNoDataFolder = false;
};

}  // namespace manager
