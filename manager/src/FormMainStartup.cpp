// The main window's start-up and shutdown: the Agent stopped and started again, the settings and
// the image database loaded and saved, the data folder chosen.
#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "AgentControl.h"
#include "FormMain.h"
#include "MainWindowActions.h"
#include "ManagerMessages.h"
#include "UTxDiskApi.h"
#include "UTxLog.h"
#include "UTxUtils.h"
#include "Uinstallvalues.h"
#include "Umanaglang.h"
#include "Uregutils.h"
#include "WpApi.h"

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

std::unique_ptr<CSettings> g_pSettings;

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

}  // namespace

CSettings& ManagerSettings()
{
    if (!g_pSettings) g_pSettings = std::make_unique<CSettings>();
    return *g_pSettings;
}

void TFormMain::FormShow()
{
    if (!m_bFirstShow) {
        FillFolderList();
        UpdateFolderControls();
        return;
    }
    LogText("------------- Kestrova Manager -------------");
    LogF("version %d.%.2d", kManagerVersionMajor, kManagerVersionMinor);
    m_bFirstShow = false;
    WriteRunTimeScreenSize();
    StopAgent();
    ApplyLanguage();
    ApplySecondaryTexts();

    std::memset(&m_RegistryRecord, 0, sizeof m_RegistryRecord);
    SetRegistryDefaults(Handle(), &m_RegistryRecord, false, false);
    ReadRegistryRoot(m_bConfigured, m_dwAllFilesCount);
    if (!m_bConfigured) {
        SetRegistryDefaults(Handle(), &m_RegistryRecord, true, true);
        WpApi_RecalcRightMarginForCalendar(&m_RegistryRecord);
        SetDataFilePaths();
        WriteToRegistry(&m_RegistryRecord);
        m_bConfigured = true;
        WriteRegistryRoot(true, m_dwAllFilesCount);
    }
    PlaceWindows();

    int missing = 0;
    ReadFromRegistry(&m_RegistryRecord, &missing);
    if (missing > 0) WriteToRegistry(&m_RegistryRecord);

    CSettings& settings = ManagerSettings();
    settings.Clear();
    BuildSettingsSchema(settings, FindDefaultFont(Handle()));
    settings.LoadFromRegistry(HKEY_CURRENT_USER, kRegRootPath);
    UseProgramPicker(settings);

    EnsureDataFolder();
    ReadWindowPositions();
    LoadDatabase();
    FillFolderList();
    UpdateFolderControls();
    ::PostMessageA(Handle(), WM_MANAGER_CHECK_CHANGES, 0, 0);
}

void TFormMain::StopAgent()
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

void TFormMain::PlaceWindows()
{
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    const RECT outer = GetWindowRect();
    const int mainWidth = outer.right - outer.left;
    const int mainHeight = outer.bottom - outer.top;
    TakeSecondarySizes(m_Positions);
    WindowBounds& browser = m_Positions.fileList;
    browser.top = (screenHeight - browser.height - mainHeight) / 2;
    browser.left = (screenWidth - mainWidth) / 2;
    browser.width = mainWidth;
    m_Positions.main = {browser.left, browser.top + browser.height};
    WindowBounds& settings = m_Positions.settings;
    settings.left = (screenWidth - settings.width) / 2;
    settings.top = (screenHeight - settings.height) / 2;
    SetPos(nullptr, m_Positions.main.x, m_Positions.main.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PlaceSecondaryForms(m_Positions);
}

void TFormMain::ReadWindowPositions()
{
    m_Positions.lastDirAddFolders = m_sLastDirAddFolders;
    if (!ReadManagerPositions(m_Positions)) return;
    m_sLastDirAddFolders = m_Positions.lastDirAddFolders;
    SetPos(nullptr, m_Positions.main.x, m_Positions.main.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RegKey key;
    if (OpenManagerPositionsKey(key)) ReadSecondaryPositions(key.get());
}

void TFormMain::WriteWindowPositions()
{
    const RECT outer = GetWindowRect();
    m_Positions.main = {outer.left, outer.top};
    m_Positions.lastDirAddFolders = m_sLastDirAddFolders;
    WriteManagerPositions(m_Positions);
    // The forms write their own places over the ones the main window only computed.
    RegKey key;
    if (OpenManagerPositionsKey(key)) WriteSecondaryPositions(key.get());
}

void TFormMain::KeepDamagedFile(const char* path)
{
    const std::string bad = std::string(path) + ".bad";
    if (!::CopyFileA(path, bad.c_str(), FALSE)) LogLastErrorF("!Could not keep %s as %s", path, bad.c_str());
    LogF("!%s could not be loaded; kept as %s", path, bad.c_str());
    if (m_bToldDamaged) return;
    m_bToldDamaged = true;
    char text[3 * MAX_PATH];
    std::snprintf(text, sizeof text, kMsgDatabaseDamaged, path, bad.c_str());
    ui::TheDialogs().messageBox(Handle(), text, Text(glm_Error), MB_OK | MB_ICONEXCLAMATION);
}

void TFormMain::LoadDatabase()
{
    const FilesSettings& files = m_RegistryRecord.Files;
    LogF("Loading the image database from %s", files.szFolderListFile);
    const bool folderListExists = TxFileExists(files.szFolderListFile);
    if (!m_pFolderCollection->LoadFromFile(files.szFolderListFile)) {
        // A file that is there but does not load is kept aside before the sample folder replaces it.
        if (folderListExists) KeepDamagedFile(files.szFolderListFile);
        m_pFolderCollection->FreeAll();
        TxString sample;
        if (ReadRegistryString(HKEY_LOCAL_MACHINE, kSetupKey, kInstalledImgDir, sample) &&
            !sample.IsEmpty() && TxDirectoryExists(sample)) {
            auto folder = std::make_unique<CImageFolder>();
            folder->Path.Assign(sample);
            folder->IncludeSubfolders = 0;
            m_sLastDirAddFolders = sample.GetText();
            if (m_pFolderCollection->Insert(folder.get())) folder.release();
            m_pFolderCollection->Modified = 1;
        }
    }
    const bool recordsExist = TxFileExists(files.szFileListDatFile);
    const bool stringsExist = TxFileExists(files.szFileListStrFile);
    if (!m_pFileCollection->LoadFromFile(files.szFileListDatFile, files.szFileListStrFile)) {
        if (recordsExist) KeepDamagedFile(files.szFileListDatFile);
        if (stringsExist) KeepDamagedFile(files.szFileListStrFile);
        m_pFileCollection->FreeAll();
    }
    if (m_pFolderCollection->GetCount() == 0) {
        m_pFileCollection->FreeAll();
        m_pFileCollection->Modified = 1;
    }
}

void TFormMain::CheckChanges()
{
    // A click that waited in the queue must not run (or close the window) in the middle of a rescan:
    // the caption is only repainted, no message is handled.
    if (m_bCheckingChanges || !m_pFolderCollection || !m_pFileCollection) return;
    m_bCheckingChanges = true;
    const std::string caption = GetText();
    SetText(Text(glm_CheckingChanges));
    RepaintNow();
    {
        ui::WaitCursor wait;
        try {
            if (m_pFolderCollection->GetCount() > 0 && m_pFileCollection->GetCount() == 0)
                m_pFolderCollection->RecalculateAllFolders(*m_pFileCollection);
            else if (m_pFolderCollection->CheckForChangesOnDisk(false))
                m_pFolderCollection->RecalculateAllFolders(*m_pFileCollection);
        } catch (const TxException& e) {
            LogF("!Checking the folders failed: %s", e.Message());
        }
        FillFolderList();
    }
    SetText(caption);
    m_bCheckingChanges = false;
    LogText("Check for changes done");
}

bool TFormMain::SaveModifiedLists()
{
    const FilesSettings& files = m_RegistryRecord.Files;
    bool saved = true;
    if (m_pFolderCollection && m_pFolderCollection->Modified) {
        if (!m_pFolderCollection->SaveToFile(files.szFolderListFile)) {
            LogF("!Could not save %s", files.szFolderListFile);
            m_pFolderCollection->Modified = 1;
            saved = false;
        }
    }
    if (m_pFileCollection && m_pFileCollection->Modified) {
        if (!m_pFileCollection->SaveToFile(files.szFileListDatFile, files.szFileListStrFile)) {
            LogF("!Could not save %s", files.szFileListDatFile);
            m_pFileCollection->Modified = 1;
            saved = false;
        }
    }
    if (!saved) {
        char text[2 * MAX_PATH];
        std::snprintf(text, sizeof text, kMsgSaveFailed, files.szFolderListFile);
        ui::TheDialogs().messageBox(Handle(), text, Text(glm_Error), MB_OK | MB_ICONEXCLAMATION);
    }
    return saved;
}

void TFormMain::FormCloseQuery(bool& canClose)
{
    canClose = true;
    if (m_bClosed) return;
    m_bClosed = true;
    ui::WaitCursor wait;
    ManagerSettings().SaveToRegistry(HKEY_CURRENT_USER, kRegRootPath);
    WriteRegistryRoot(m_bConfigured, m_dwAllFilesCount);
    WriteFilesToRegistry(m_RegistryRecord.Files);
    WriteWindowPositions();
    // A failed save is told; the close still goes ahead, the files keep their previous contents.
    SaveModifiedLists();
    m_pFolderCollection.reset();
    m_pFileCollection.reset();
    if (ManagerSettings().GetValue("AutoRun", "Agent") != 0) StartAgent();
}

bool TFormMain::StartAgent()
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

bool TFormMain::SetDataFilePaths()
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
        char text[2 * MAX_PATH + 200];
        std::snprintf(text, sizeof text, kMsgDataFolderTooLong, folder.c_str());
        LogF("!No data folder fits: %s", folder.c_str());
        ui::TheDialogs().messageBox(Handle(), text, Text(glm_Error), MB_OK | MB_ICONEXCLAMATION);
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

void TFormMain::EnsureDataFolder()
{
    std::string folder = m_RegistryRecord.Files.szFolderListFile;
    size_t cut = folder.find_last_of('\\');
    if (cut == std::string::npos) cut = folder.find_last_of('/');
    folder = cut == std::string::npos ? std::string() : folder.substr(0, cut);
    if (TxDirectoryExists(folder.c_str())) return;
    LogF("Folder %s does not exist, creating new.", folder.c_str());
    if (SetDataFilePaths()) WriteFilesToRegistry(m_RegistryRecord.Files);
}

}  // namespace manager
