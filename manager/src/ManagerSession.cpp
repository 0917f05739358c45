// The Manager's start-up and shutdown apart from its window: the Agent stopped and started again, the
// settings and the image database loaded and saved, the data folder chosen.
#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "DatabaseFileState.h"
#include "FolderListRecovery.h"
#include "AgentControl.h"
#include "LanguageFile.h"
#include "ManagerEngine.h"
#include "ManagerSession.h"
#include "UTxDiskApi.h"
#include "UiDialogs.h"
#include "UTxLog.h"
#include "UTxUtils.h"
#include "Uinstallvalues.h"
#include "Umanaglang.h"
#include "SettingsSchema.h"
#include "Uregutils.h"
#include "Usettingsvalues.h"

namespace manager {

namespace {

// The Agent may be in the middle of a change that writes the database: it gets the fixed pause, then
// up to this long to let go of its running event.
constexpr DWORD kAgentStopPauseMs = 600;
constexpr DWORD kAgentStopLimitMs = 15000;

constexpr const char* kDataFolderName = "\\Kestrova";
constexpr const char* kWorkBmpName = "\\Kestrova_wallpaper.bmp";
constexpr const char* kFolderListName = "\\FolderList.dat";
constexpr const char* kFileListDatName = "\\FileListDat.dat";
constexpr const char* kFileListStrName = "\\FileListStr.dat";

// The four paths of a data folder, when every one fits its field.
bool FilePathsFit(const std::string& folder)
{
    return folder.size() + std::strlen(kWorkBmpName) < kPathSize &&
           folder.size() + std::strlen(kFileListDatName) < kPathSize &&
           folder.size() + std::strlen(kFileListStrName) < kPathSize;
}

std::string UserName(const char* failureLine)
{
    char name[200] = {};
    DWORD size = sizeof name;
    if (!::GetUserNameA(name, &size)) {
        LogText(failureLine);
        return std::string();
    }
    LogF("szUserName=%s", name);
    return name;
}

// A file's bytes; empty when it cannot be read (a folder, no access) or is empty.
std::string ReadWholeFile(const std::string& path)
{
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    ::Handle guard(file);
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

// How the root value "Configured" reads.
enum class ConfiguredValue { Absent, Zero, Set, Unusable };

ConfiguredValue ReadConfiguredValue()
{
    RegKey key;
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kRegRootPath, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return ConfiguredValue::Absent;
    key.reset(opened);
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LONG rc =
        ::RegQueryValueExA(key.get(), "Configured", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (rc == ERROR_FILE_NOT_FOUND) return ConfiguredValue::Absent;
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) return ConfiguredValue::Unusable;
    return value != 0 ? ConfiguredValue::Set : ConfiguredValue::Zero;
}

// Writes the record's values that the registry does not hold at all. A value that is there but
// could not be read (another type, longer than its field) is left as it is: writing the record's
// default over it would lose what the user had.
void WriteAbsentSettings(const RegistryRecord& record)
{
    for (const SettingSection* section : kSettingSections) {
        const std::string path = std::string(kRegRootPath) + "\\" + section->subkey;
        HKEY opened = nullptr;
        if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_READ | KEY_WRITE, nullptr, &opened, nullptr) != ERROR_SUCCESS) {
            LogF("WriteToRegistry: Error creating/opening %s", path.c_str());
            continue;
        }
        RegKey key(opened);
        const BYTE* part = reinterpret_cast<const BYTE*>(&record) + section->partOffset;
        for (size_t i = 0; i < section->count; ++i) {
            const SettingValue& value = section->values[i];
            if (::RegQueryValueExA(key.get(), value.valueName, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_FILE_NOT_FOUND)
                continue;
            const SettingSection one = {section->subkey, section->partOffset, &value, 1, false, 0};
            if (!WriteSectionValues(key.get(), one, part))
                LogF("!WriteToRegistry: %s\\%s could not be written", path.c_str(), value.valueName);
        }
    }
}

}  // namespace

ManagerSession::ManagerSession()
    : m_pFolderCollection(std::make_unique<CFolderCollection>()),
      m_pFileCollection(std::make_unique<CFileCollection>())
{
}

ManagerSession::~ManagerSession() = default;

void ManagerSession::StartUp(const StartupWindowSteps& window)
{
    LogText("------------- Kestrova Manager -------------");
    LogF("version %d.%.2d", kManagerVersionMajor, kManagerVersionMinor);
    WriteRunTimeScreenSize();
    StopAgent();
    ApplyInstalledLanguage();
    if (window.textsLoaded) window.textsLoaded();
    // A session that ended in a message box of a step ends the start-up after that step.
    LoadSettings();
    if (m_bAbandoned) return;
    m_Stage = StartupStage::SettingsLoaded;
    if (window.settingsLoaded) window.settingsLoaded();
    EnsureDataFolder();
    if (m_bAbandoned) return;
    if (window.dataFolderReady) window.dataFolderReady();
    m_Stage = StartupStage::PlacesRead;
    LoadDatabase();
    if (m_bAbandoned) return;
    m_Stage = StartupStage::Complete;
}

void ManagerSession::StartupFailed()
{
    m_pFolderCollection.reset();
    m_pFileCollection.reset();
    DWORD autoRun = 0;
    HKEY opened = nullptr;
    const std::string agent = std::string(kRegRootPath) + "\\Agent";
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, agent.c_str(), 0, KEY_READ, &opened) == ERROR_SUCCESS) {
        RegKey key(opened);
        ReadRegDword(key.get(), "AutoRun", autoRun);
    }
    if (autoRun != 0) StartAgent();
}

void ManagerSession::SaveEverything(bool tell, const std::function<void()>& savePlaces)
{
    // Only what the start-up read whole is written back: defaults or half-loaded lists would replace
    // the user's.
    if (m_Stage == StartupStage::NotStarted) {
        LogText("Nothing is saved: the settings were not read yet");
        return;
    }
    m_Settings.SaveToRegistry(HKEY_CURRENT_USER, kRegRootPath);
    WriteRegistryRoot(m_bConfigured, m_dwAllFilesCount);
    WriteFilesToRegistry(m_RegistryRecord.Files);
    if (savePlaces && m_Stage != StartupStage::SettingsLoaded) savePlaces();
    if (m_Stage != StartupStage::Complete) {
        LogText("The image database is not saved: the start-up had not loaded it");
        return;
    }
    // A failed save is told; the close still goes ahead, the files keep their previous contents.
    SaveModifiedLists(tell);
}

void ManagerSession::FinishClose(bool sessionEnding)
{
    // At the end of a session a modal form may still be open over the main window and use the lists
    // until its loop ends; the program ends right after, so they stay until then.
    if (!sessionEnding) {
        m_pFolderCollection.reset();
        m_pFileCollection.reset();
    }
    if (m_Settings.GetValue("AutoRun", "Agent") == 0) return;
    // At the end of a session the system ends every program; the Agent starts with the next one.
    if (sessionEnding)
        LogText("The session ends; the Agent is not started");
    else
        StartAgent();
}

void ManagerSession::ShutDown()
{
    SaveEverything(true);
    FinishClose(false);
}

void ManagerSession::CheckChanges()
{
    if (!m_pFolderCollection || !m_pFileCollection) return;
    try {
        if (m_bKeepLoadedImages)
            LogText("No rescan: the image list stays as it was read until the folders are changed");
        else if (m_pFolderCollection->GetCount() > 0 && m_pFileCollection->GetCount() == 0)
            m_pFolderCollection->RecalculateAllFolders(*m_pFileCollection);
        else if (m_pFolderCollection->CheckForChangesOnDisk(false))
            m_pFolderCollection->RecalculateAllFolders(*m_pFileCollection);
    } catch (const TxException& e) {
        LogF("!Checking the folders failed: %s", e.Message());
    }
}

void ManagerSession::LoadSettings()
{
    std::memset(&m_RegistryRecord, 0, sizeof m_RegistryRecord);
    SetRegistryDefaults(m_hOwner, &m_RegistryRecord, false, false);
    ReadRegistryRoot(m_bConfigured, m_dwAllFilesCount);
    // Only a missing or zero "Configured" makes a first run; one of another type is skipped like
    // any mistyped value, and the settings there are the user's.
    if (ReadConfiguredValue() == ConfiguredValue::Unusable) {
        LogF("!%s\\Configured has another type than expected; skipped", kRegRootPath);
        m_bConfigured = true;
    }
    if (!m_bConfigured) {
        SetRegistryDefaults(m_hOwner, &m_RegistryRecord, true, true);
        TheEngine().recalcRightMarginForCalendar(&m_RegistryRecord);
        // The first run's defaults only fill what the registry does not hold: a value that reads
        // correctly stays, and so does the data folder that \Files names whole.
        ReadFromRegistry(&m_RegistryRecord);
        FilesSettings stored = {};
        int filesMissing = 0;
        if (!ReadFilesFromRegistry(stored, &filesMissing) || filesMissing > 0) {
            if (SetDataFilePaths()) WriteFilesToRegistry(m_RegistryRecord.Files);
        }
        WriteAbsentSettings(m_RegistryRecord);
        m_bConfigured = true;
        WriteRegistryRoot(true, m_dwAllFilesCount);
    }
    int missing = 0;
    ReadFromRegistry(&m_RegistryRecord, &missing);
    if (missing > 0) WriteAbsentSettings(m_RegistryRecord);

    m_Settings.Clear();
    BuildSettingsSchema(m_Settings, FindDefaultFont(m_hOwner));
    m_Settings.LoadFromRegistry(HKEY_CURRENT_USER, kRegRootPath);
}

void ManagerSession::StopAgent()
{
    switch (StopRunningAgent({kAgentStopPauseMs, kAgentStopLimitMs})) {
    case AgentStopResult::NoneRunning:
        break;
    case AgentStopResult::Stopped:
        LogText("Agent stopped");
        break;
    case AgentStopResult::StillRunning:
        LogF("!The Agent still runs after %lu ms; going on", static_cast<unsigned long>(kAgentStopLimitMs));
        break;
    }
}

bool ManagerSession::KeepDamagedFiles(const std::vector<std::string>& paths, std::vector<std::string>& kept)
{
    // A name is taken when something is there that is not already a copy of the file's bytes: an
    // earlier damage's copy is never written over.
    const auto usable = [](const std::string& path, const std::string& copy) {
        if (::GetFileAttributesA(copy.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
        const std::string bytes = ReadWholeFile(path);
        return !bytes.empty() && ReadWholeFile(copy) == bytes;
    };
    for (int n = 1; n <= kKeptCopyLimit; ++n) {
        bool free = true;
        for (const std::string& path : paths)
            if (!usable(path, KeptCopyName(path, n))) free = false;
        if (!free) continue;
        kept.clear();
        bool copied = true;
        for (const std::string& path : paths) {
            const std::string copy = KeptCopyName(path, n);
            kept.push_back(copy);
            if (::GetFileAttributesA(copy.c_str()) != INVALID_FILE_ATTRIBUTES) {
                LogF("!%s could not be loaded; its copy %s is there already", path.c_str(), copy.c_str());
                continue;
            }
            if (!::CopyFileA(path.c_str(), copy.c_str(), TRUE)) {
                LogLastErrorF("!Could not keep %s as %s", path.c_str(), copy.c_str());
                copied = false;
                break;
            }
            LogF("!%s could not be loaded; kept as %s", path.c_str(), copy.c_str());
        }
        return copied;
    }
    LogF("!Could not keep %s: every name for a copy is taken", paths.empty() ? "" : paths[0].c_str());
    return false;
}

void ManagerSession::TellDatabaseProblem(const std::string& text)
{
    // After the session's end no message is shown: nobody is there to answer it.
    if (m_bAbandoned) {
        LogF("Not shown, the session ended: %s", text.c_str());
        return;
    }
    ui::TheDialogs().messageBox(m_hOwner, text, Text(glm_Error), MB_OK | MB_ICONEXCLAMATION);
}

void ManagerSession::LoadDatabase()
{
    LogF("Loading the image database from %s", m_RegistryRecord.Files.szFolderListFile);
    LoadFolderList();
    if (m_bAbandoned) return;
    LoadFileList();
    if (m_bAbandoned) return;
    // A folder list not read whole is completed from the image list that was: the folders its file
    // lost come back, and each count is that of the images listed, as the image browser shows them.
    if (m_bKeepLoadedImages) {
        RecoverFoldersFromImages(*m_pFolderCollection, *m_pFileCollection);
        // Without images there is nothing the folders could lose: the usual check for changes runs.
        if (m_pFileCollection->GetCount() == 0) m_bKeepLoadedImages = false;
    }
    if (m_bFolderListIncomplete && m_pFolderCollection->GetCount() == 0) AddSampleFolder();
    // The two lists describe one database: one saved without the other would no longer match it.
    if (m_bFolderListProtected || m_bFileListProtected) {
        m_bFolderListProtected = true;
        m_bFileListProtected = true;
    }
    // While the image list read whole stays, so does the file of the folder list it belongs to: the
    // stand-in is saved only once the user changes the folders.
    if (m_bKeepLoadedImages) m_pFolderCollection->Modified = 0;
    // An empty folder list empties the image list, unless the folder list is only a stand-in for
    // one that could not be read.
    if (m_pFolderCollection->GetCount() == 0 && !m_bKeepLoadedImages) {
        m_pFileCollection->FreeAll();
        m_pFileCollection->Modified = 1;
    }
}

void ManagerSession::LoadFolderList()
{
    const char* path = m_RegistryRecord.Files.szFolderListFile;
    const DatabaseFileState state = ProbeDatabaseFile(path);
    bool loaded = false;
    if (state == DatabaseFileState::Unreadable) {
        m_bFolderListProtected = true;
        TellDatabaseProblem(FormatText(glm_DatabaseLockedS, path));
    } else {
        loaded = m_pFolderCollection->LoadFromFile(path);
        if (!loaded && state == DatabaseFileState::Readable) {
            // Busy again since the look, or damaged: only a damaged file that is kept may be replaced.
            if (ProbeDatabaseFile(path) == DatabaseFileState::Unreadable) {
                m_bFolderListProtected = true;
                TellDatabaseProblem(FormatText(glm_DatabaseLockedS, path));
            } else if (std::vector<std::string> kept; KeepDamagedFiles({path}, kept)) {
                TellDatabaseProblem(FormatText(glm_DatabaseDamagedSS, path, kept[0].c_str()));
            } else {
                m_bFolderListProtected = true;
                TellDatabaseProblem(FormatText(glm_DatabaseNotKeptS, path));
            }
        }
    }
    if (loaded) return;
    // A folder list that was there and could not be read must not take the image list with it; its
    // complete entries stay.
    m_bFolderListIncomplete = state != DatabaseFileState::Missing;
    m_bKeepLoadedImages = m_bFolderListIncomplete;
    if (!m_bFolderListIncomplete) {
        m_pFolderCollection->FreeAll();
        AddSampleFolder();
    }
}

void ManagerSession::AddSampleFolder()
{
    TxString sample;
    if (ReadRegistryString(HKEY_LOCAL_MACHINE, kSetupKey, kInstalledImgDir, sample) && !sample.IsEmpty() &&
        TxDirectoryExists(sample)) {
        auto folder = std::make_unique<CImageFolder>();
        folder->Path.Assign(sample);
        folder->IncludeSubfolders = 0;
        // Where the user last added a folder stays theirs when only the file could not be read.
        if (!m_bFolderListIncomplete) m_sLastDirAddFolders = sample.GetText();
        if (m_pFolderCollection->Insert(folder.get())) folder.release();
        m_pFolderCollection->Modified = 1;
    }
}

void ManagerSession::LoadFileList()
{
    const FilesSettings& files = m_RegistryRecord.Files;
    const char* paths[2] = {files.szFileListDatFile, files.szFileListStrFile};
    DatabaseFileState states[2];
    for (int i = 0; i < 2; ++i)
        states[i] = ProbeDatabaseFile(paths[i]);
    const auto unreadable = [&states] {
        return states[0] == DatabaseFileState::Unreadable || states[1] == DatabaseFileState::Unreadable;
    };
    const auto tellLocked = [&] {
        m_bFileListProtected = true;
        TellDatabaseProblem(
            FormatText(glm_DatabaseLockedS, paths[states[0] == DatabaseFileState::Unreadable ? 0 : 1]));
    };
    if (unreadable()) {
        tellLocked();
    } else if (m_pFileCollection->LoadFromFile(paths[0], paths[1])) {
        if (m_bKeepLoadedImages)
            LogText("The image list is kept as it is: the folder list it belongs to could not be read");
        return;
    } else if (states[0] != DatabaseFileState::Missing || states[1] != DatabaseFileState::Missing) {
        for (int i = 0; i < 2; ++i)
            states[i] = ProbeDatabaseFile(paths[i]);
        if (unreadable()) {
            tellLocked();
        } else {
            // The two files are one list: it is replaced only when every one of them that is there is kept.
            std::vector<std::string> present;
            for (int i = 0; i < 2; ++i)
                if (states[i] != DatabaseFileState::Missing) present.push_back(paths[i]);
            std::vector<std::string> copies;
            const bool kept = KeepDamagedFiles(present, copies);
            std::string badList;
            for (const std::string& copy : copies) {
                if (!badList.empty()) badList += "\n";
                badList += copy;
            }
            if (kept) {
                TellDatabaseProblem(FormatText(glm_DatabaseDamagedSS, paths[0], badList.c_str()));
            } else {
                m_bFileListProtected = true;
                TellDatabaseProblem(FormatText(glm_DatabaseNotKeptS, paths[0]));
            }
        }
    }
    m_pFileCollection->FreeAll();
    m_bKeepLoadedImages = false;
}

bool ManagerSession::SaveModifiedLists(bool tell)
{
    const FilesSettings& files = m_RegistryRecord.Files;
    bool saved = true;
    bool failed = false;
    if (m_pFolderCollection && m_pFolderCollection->Modified) {
        if (m_bFolderListProtected) {
            LogF("%s is not saved: it could not be read at start-up", files.szFolderListFile);
            saved = false;
        } else if (!m_pFolderCollection->SaveToFile(files.szFolderListFile)) {
            LogF("!Could not save %s", files.szFolderListFile);
            m_pFolderCollection->Modified = 1;
            saved = false;
            failed = true;
        }
    }
    if (m_pFileCollection && m_pFileCollection->Modified) {
        if (m_bFileListProtected) {
            LogF("%s is not saved: it could not be read at start-up", files.szFileListDatFile);
            saved = false;
        } else if (!m_pFileCollection->SaveToFile(files.szFileListDatFile, files.szFileListStrFile)) {
            LogF("!Could not save %s", files.szFileListDatFile);
            m_pFileCollection->Modified = 1;
            saved = false;
            failed = true;
        }
    }
    if (failed && tell) TellDatabaseProblem(FormatText(glm_DatabaseSaveFailedS, files.szFolderListFile));
    return saved;
}

bool ManagerSession::StartAgent()
{
    const std::string path = TxProgramFolder() + kAgentExe;
    LogF("Starting %s", path.c_str());
    // With the quoted path as its command line the Agent sees no arguments, even in a folder with blanks.
    std::string commandLine = "\"" + path + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info)) {
        LogLastErrorF("CreateProcess failed!");
        return false;
    }
    ::Handle process(info.hProcess);
    ::Handle thread(info.hThread);
    return true;
}

bool ManagerSession::SetDataFilePaths()
{
    UserName("could not get user name!");
    LogText("SHGetFolderPath(CSIDL_APPDATA)");
    char appData[MAX_PATH + 1] = {};
    const HRESULT result = ::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
    if (result == S_OK)
        LogF("returned %s", appData);
    else if (result == S_FALSE)
        LogF("returned %s, the path does not exist", appData);
    else
        LogText("invalid in this version");

    std::string folder;
    if (result == S_OK && appData[0] != '\0') {
        folder = std::string(appData) + kDataFolderName;
        // A folder whose file paths would not fit the record's fields would name other files.
        if (FilePathsFit(folder))
            TxCreateDirectoryTree(folder.c_str());
        else {
            LogF("!%s is too long for the file paths", folder.c_str());
            folder.clear();
        }
    }
    if (folder.empty()) {
        const std::string user = UserName("Could not get user name");
        folder = TxProgramFolder() + (user.empty() ? std::string("All Users") : user);
    }
    LogF("Path for files: %s", folder.c_str());
    if (!FilePathsFit(folder)) {
        LogF("!No data folder fits: %s", folder.c_str());
        m_bNoDataFolder = true;
        // Without any paths there is nowhere to save the lists; a close then has nothing to tell.
        if (m_RegistryRecord.Files.szFolderListFile[0] == '\0') {
            m_bFolderListProtected = true;
            m_bFileListProtected = true;
        }
        TellDatabaseProblem(FormatText(glm_DataFolderTooLongS, folder.c_str()));
        return false;
    }
    if (!TxDirectoryExists(folder.c_str()) && !TxCreateDirectoryTree(folder.c_str()))
        LogF("!Could not create folder %s", folder.c_str());
    FilesSettings& files = m_RegistryRecord.Files;
    std::snprintf(files.szWorkBmpFile, kPathSize, "%s%s", folder.c_str(), kWorkBmpName);
    std::snprintf(files.szFolderListFile, kPathSize, "%s%s", folder.c_str(), kFolderListName);
    std::snprintf(files.szFileListDatFile, kPathSize, "%s%s", folder.c_str(), kFileListDatName);
    std::snprintf(files.szFileListStrFile, kPathSize, "%s%s", folder.c_str(), kFileListStrName);
    return true;
}

void ManagerSession::EnsureDataFolder()
{
    std::string folder = m_RegistryRecord.Files.szFolderListFile;
    size_t cut = folder.find_last_of('\\');
    if (cut == std::string::npos) cut = folder.find_last_of('/');
    folder = cut == std::string::npos ? std::string() : folder.substr(0, cut);
    // Once told that no folder fits, the user is not told again in the same start.
    if (TxDirectoryExists(folder.c_str()) || m_bNoDataFolder) return;
    LogF("Folder %s does not exist, creating new.", folder.c_str());
    if (SetDataFilePaths()) WriteFilesToRegistry(m_RegistryRecord.Files);
}

}  // namespace manager
