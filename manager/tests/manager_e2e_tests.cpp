// KvManag.exe started as a user starts it, in the test prefix: a log receiver, a recording stand-in
// Agent beside the Manager, the installer's sample folder of three small JPEGs; what it wrote is read
// back from the registry and the database files.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <cstring>

#include "AgentControl.h"
#include "UTxLog.h"
#include "manager_e2e_support.h"

extern const CLogSettings g_LogSettings = {"MngE2E    ", "", false, 0, true, true, false};

using namespace managertest;
using testsupport::LogReceiver;
using testsupport::TempFolder;

namespace {

const char* const kFixtureImages[] = {"one.jpg", "two.jpg", "three.jpg"};

// A folder "img" of three images and a folder "more" of two beside it.
class ImageFolders {
public:
    ImageFolders() : m_Root("kvmgr")
    {
        ::CreateDirectoryA(Sample().c_str(), nullptr);
        ::CreateDirectoryA(More().c_str(), nullptr);
        for (const char* name : kFixtureImages)
            ::CopyFileA((testsupport::ExeFolder() + "fixtures\\jpeg\\" + name).c_str(),
                        (Sample() + "\\" + name).c_str(), FALSE);
        for (const char* name : {"four.jpg", "five.jpg"})
            ::CopyFileA((testsupport::ExeFolder() + "fixtures\\jpeg\\one.jpg").c_str(),
                        (More() + "\\" + name).c_str(), FALSE);
    }
    std::string Sample() const { return m_Root / "img"; }
    std::string More() const { return m_Root / "more"; }

private:
    TempFolder m_Root;
};

class ManagerProgram : public ::testing::Test {
protected:
    void SetUp() override { ResetUser(folders.Sample()); }
    void TearDown() override { ResetUser(""); }

    std::string File(const char* name) const { return DataFolder() + "\\" + name; }

    // Starts the Manager, waits for the end of its check for changes, then closes it.
    void RunOnce(const std::string& folder = InstalledFolder())
    {
        ManagerRun run;
        ASSERT_TRUE(run.Start(log, folder));
        ASSERT_TRUE(run.WaitReady(log)) << "the caption after the check for changes";
        ASSERT_TRUE(run.Close()) << "the Manager ended";
    }

    ImageFolders folders;
    LogReceiver log;
};

TEST_F(ManagerProgram, FirstRunConfiguresThenSecondRunWithoutAutoRunTouchesNothing)
{
    RunOnce();
    EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, kSettingsKey, "Configured").Dword(), 1u);
    EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, kSettingsKey, "AllFilesCount").Dword(), 3u);
    const std::string files = std::string(kSettingsKey) + "\\Files";
    EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, files, "FolderListFile").Text(),
              File("FolderList.dat"));
    EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, files, "FileListDatFile").Text(),
              File("FileListDat.dat"));
    EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, files, "FileListStrFile").Text(),
              File("FileListStr.dat"));
    EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, files, "WorkBmpFile").Text(),
              File("Kestrova_wallpaper.bmp"));

    std::vector<StoredFolder> stored;
    ASSERT_TRUE(ReadFolderList(File("FolderList.dat"), stored));
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(::lstrcmpiA(stored[0].path.c_str(), folders.Sample().c_str()), 0) << stored[0].path;
    EXPECT_EQ(stored[0].flags, 0x0Eu) << "auto-scan, wallpaper, screen saver; no subfolders";
    EXPECT_EQ(stored[0].imageCount, 3u);
    DWORD records = 0;
    std::vector<DWORD> shown;
    ASSERT_TRUE(ReadRecordFile(File("FileListDat.dat"), records, shown));
    EXPECT_EQ(records, 3u);
    EXPECT_EQ(testsupport::ReadFileBytes(File("FileListDat.dat")).size(), 144u + 3 * 80);

    const std::string positions = std::string(kSettingsKey) + "\\Manager";
    for (const char* name : {"FMainLeft", "FMainTop", "FFileListLeft", "FFileListTop", "FFileListWidth",
                             "FFileListHeight", "FFileListPanelWidth", "FSettingsLeft", "FSettingsTop",
                             "FSettingsWidth", "FSettingsHeight", "LastDirAddFolders"})
        EXPECT_TRUE(testsupport::ReadRegValue(HKEY_CURRENT_USER, positions, name).exists) << name;
    for (const char* section :
         {"Exchange", "Display", "Calendar", "Agent", "Files", "CurrentImage", "ScreenSaver"}) {
        HKEY key = nullptr;
        EXPECT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kSettingsKey) + "\\" + section).c_str(), 0,
                                  KEY_READ, &key),
                  ERROR_SUCCESS)
            << section;
        if (key) ::RegCloseKey(key);
    }
    EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, std::string(kSettingsKey) + "\\Calendar", "Show")
                  .Dword(),
              1u);
    EXPECT_TRUE(Logged(log, "Path for files: " + DataFolder()));

    testsupport::PumpUntil(
        [] { return testsupport::ReadRegValue(HKEY_CURRENT_USER, kStandInKey, "Starts").Dword() == 1; },
        10000);
    EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, kStandInKey, "Starts").Dword(), 1u)
        << "the Agent started at close";
    const testsupport::RegValue arguments =
        testsupport::ReadRegValue(HKEY_CURRENT_USER, kStandInKey, "Arguments");
    EXPECT_TRUE(arguments.exists);
    EXPECT_EQ(arguments.Text(), "");

    // A second run with AutoRun off and nothing changed.
    testsupport::WriteRegDword(HKEY_CURRENT_USER, std::string(kSettingsKey) + "\\Agent", "AutoRun", 0);
    const std::string listBefore = testsupport::ReadFileBytes(File("FolderList.dat"));
    const std::string recordsBefore = testsupport::ReadFileBytes(File("FileListDat.dat"));
    WIN32_FILE_ATTRIBUTE_DATA before = {};
    ::GetFileAttributesExA(File("FileListDat.dat").c_str(), GetFileExInfoStandard, &before);
    RunOnce();
    WIN32_FILE_ATTRIBUTE_DATA after = {};
    ::GetFileAttributesExA(File("FileListDat.dat").c_str(), GetFileExInfoStandard, &after);
    EXPECT_EQ(::CompareFileTime(&before.ftLastWriteTime, &after.ftLastWriteTime), 0) << "not rewritten";
    EXPECT_EQ(testsupport::ReadFileBytes(File("FolderList.dat")), listBefore);
    EXPECT_EQ(testsupport::ReadFileBytes(File("FileListDat.dat")), recordsBefore);
    EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, kStandInKey, "Starts").Dword(), 1u)
        << "no start with AutoRun off";
}

TEST_F(ManagerProgram, DamagedFileListIsKeptAsBadAndTheUserTold)
{
    RunOnce();
    const std::string junk = "this is not an image list";
    ASSERT_TRUE(testsupport::WriteFileBytes(File("FileListDat.dat"), junk));

    ManagerRun run;
    ASSERT_TRUE(run.Start(log));
    HWND box = nullptr;
    ASSERT_TRUE(testsupport::PumpUntil(
        [&] { return (box = FindProcessWindow(run.ProcessId(), "Error")) != nullptr; }, 30000))
        << "the message about the damaged file";
    EXPECT_NE(FindChild(box, "", "Static"), nullptr);
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(run.WaitReady(log));
    ASSERT_TRUE(run.Close());

    EXPECT_EQ(testsupport::ReadFileBytes(File("FileListDat.dat.bad")), junk);
    DWORD records = 0;
    std::vector<DWORD> shown;
    ASSERT_TRUE(ReadRecordFile(File("FileListDat.dat"), records, shown)) << "rebuilt from the folders";
    EXPECT_EQ(records, 3u);
}

}  // namespace

TEST_F(ManagerProgram, AddingAFolderFromAnotherProcess)
{
    RunOnce();
    ManagerRun run;
    ASSERT_TRUE(run.Start(log));
    ASSERT_TRUE(run.WaitReady(log));
    const HWND add = FindChild(run.MainWindow(), "Add folder...", "Button");
    ASSERT_NE(add, nullptr);

    // The picker opens at the sample folder; "more" lies after it.
    ::PostMessageA(add, BM_CLICK, 0, 0);
    ASSERT_TRUE(PickNeighbour(run.ProcessId(), true));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return Logged(log, "Added folder"); }, 15000));

    // Now it opens at "more"; the sample folder before it is listed already.
    ::PostMessageA(add, BM_CLICK, 0, 0);
    ASSERT_TRUE(PickNeighbour(run.ProcessId(), false));
    HWND box = nullptr;
    ASSERT_TRUE(testsupport::PumpUntil(
        [&] { return (box = FindProcessWindow(run.ProcessId(), "Cannot add.")) != nullptr; }, 15000));
    EXPECT_NE(FindChild(box, "This folder is already in the list.", "Static"), nullptr);
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(run.Close());

    std::vector<StoredFolder> stored;
    ASSERT_TRUE(ReadFolderList(File("FolderList.dat"), stored));
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(::lstrcmpiA(stored[0].path.c_str(), folders.Sample().c_str()), 0) << stored[0].path;
    EXPECT_EQ(::lstrcmpiA(stored[1].path.c_str(), folders.More().c_str()), 0) << stored[1].path;
    EXPECT_EQ(stored[1].flags, 0x0Fu) << "the picker's Include subfolders was on";
    EXPECT_EQ(stored[1].imageCount, 2u);
    DWORD records = 0;
    std::vector<DWORD> shown;
    ASSERT_TRUE(ReadRecordFile(File("FileListDat.dat"), records, shown));
    EXPECT_EQ(records, 5u);
    EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, kSettingsKey, "AllFilesCount").Dword(), 5u);
}

TEST_F(ManagerProgram, ARunningAgentIsEndedBeforeTheDatabaseIsRead)
{
    RunOnce();
    testsupport::ChildProcess agent;
    ASSERT_TRUE(agent.Start("\"" + InstalledFolder() + "agent\\KvAgent.exe\""));
    ASSERT_TRUE(testsupport::PumpUntil(
        [] {
            const HANDLE running = ::OpenEventA(SYNCHRONIZE, FALSE, kAgentIsRunningEvent);
            if (running) ::CloseHandle(running);
            return running != nullptr;
        },
        15000))
        << "the Agent runs";
    const HANDLE agentProcess = ::OpenProcess(SYNCHRONIZE, FALSE, agent.ProcessId());
    ASSERT_NE(agentProcess, nullptr);

    ManagerRun run;
    ASSERT_TRUE(run.Start(log));
    // The state of the Agent when the Manager announced that it reads the database: the line is sent
    // synchronously, so the Manager has not read anything yet while it is handled here.
    bool agentEndedFirst = false;
    bool seen = false;
    ASSERT_TRUE(testsupport::PumpUntil(
        [&] {
            if (!seen && Logged(log, "Loading the image database")) {
                seen = true;
                agentEndedFirst = ::WaitForSingleObject(agentProcess, 0) == WAIT_OBJECT_0;
            }
            return seen;
        },
        30000));
    ::CloseHandle(agentProcess);
    EXPECT_TRUE(agentEndedFirst) << "the Agent had ended before the database was read";
    ASSERT_TRUE(run.WaitReady(log));
    ASSERT_TRUE(run.Close());
}

TEST_F(ManagerProgram, ChangeWallpaperWithTheRealEngine)
{
    RunOnce();
    testsupport::WriteRegDword(HKEY_CURRENT_USER, std::string(kSettingsKey) + "\\Agent", "AutoRun", 0);
    testsupport::WriteRegDword(HKEY_CURRENT_USER, std::string(kSettingsKey) + "\\Display", "MinSize", 400);
    ManagerRun run;
    ASSERT_TRUE(run.Start(log));
    ASSERT_TRUE(run.WaitReady(log));
    const HWND change = FindChild(run.MainWindow(), "Change wallpaper", "Button");
    ASSERT_NE(change, nullptr);
    ::PostMessageA(change, BM_CLICK, 0, 0);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return Logged(log, "Wallpaper change done"); }, 60000));

    // A folder added after the change saves the image list again: the engine's marks survive only
    // when the Manager reloaded the list after the change.
    ::PostMessageA(FindChild(run.MainWindow(), "Add folder...", "Button"), BM_CLICK, 0, 0);
    ASSERT_TRUE(PickNeighbour(run.ProcessId(), true));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return Logged(log, "Added folder"); }, 15000));
    ASSERT_TRUE(run.Close());

    const std::string workBmp = File("Kestrova_wallpaper.bmp");
    EXPECT_EQ(::lstrcmpiA(testsupport::ReadRegValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper")
                              .Text()
                              .c_str(),
                          workBmp.c_str()),
              0);
    const std::string bitmap = testsupport::ReadFileBytes(workBmp);
    ASSERT_GE(bitmap.size(), 54u);
    LONG width = 0;
    LONG height = 0;
    std::memcpy(&width, bitmap.data() + 18, 4);
    std::memcpy(&height, bitmap.data() + 22, 4);
    EXPECT_EQ(width, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(std::abs(height), ::GetSystemMetrics(SM_CYSCREEN));
    const std::string current = std::string(kSettingsKey) + "\\CurrentImage";
    EXPECT_EQ(::lstrcmpiA(testsupport::ReadRegValue(HKEY_CURRENT_USER, current, "ImagePath").Text().c_str(),
                          folders.Sample().c_str()),
              0);
    const std::string name = testsupport::ReadRegValue(HKEY_CURRENT_USER, current, "ImageName").Text();
    EXPECT_TRUE(name == "one.jpg" || name == "two.jpg" || name == "three.jpg") << name;

    DWORD records = 0;
    std::vector<DWORD> shown;
    ASSERT_TRUE(ReadRecordFile(File("FileListDat.dat"), records, shown));
    ASSERT_EQ(records, 5u);
    DWORD shownImages = 0;
    for (DWORD count : shown)
        shownImages += count;
    EXPECT_EQ(shownImages, 1u) << "the engine's mark on the image it showed";
}

TEST_F(ManagerProgram, AnInstallFolderWithBlanksStartsTheAgentWithoutArguments)
{
    TempFolder install("kv manager install");
    for (const char* name : {"KvManag.exe", "KvApi.dll", "KvImage.dll", "KvAgent.exe", "KvLang.dat"})
        ASSERT_TRUE(::CopyFileA((InstalledFolder() + name).c_str(), (install / name).c_str(), FALSE)) << name;
    RunOnce(install.Path() + "\\");
    ASSERT_TRUE(testsupport::PumpUntil(
        [] { return testsupport::ReadRegValue(HKEY_CURRENT_USER, kStandInKey, "Starts").Dword() == 1; },
        10000));
    EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, kStandInKey, "Arguments").Text(), "")
        << "the quoted path is not split";
}

TEST_F(ManagerProgram, ARemovedDataFolderIsMadeAgain)
{
    RunOnce();
    ASSERT_TRUE(testsupport::RemoveTree(DataFolder()));
    RunOnce();
    EXPECT_TRUE(Logged(log, "Folder " + DataFolder() + " does not exist, creating new."));
    std::vector<StoredFolder> stored;
    ASSERT_TRUE(ReadFolderList(File("FolderList.dat"), stored)) << "written into the new folder";
    EXPECT_EQ(stored.size(), 1u);
    DWORD records = 0;
    std::vector<DWORD> shown;
    ASSERT_TRUE(ReadRecordFile(File("FileListDat.dat"), records, shown));
    EXPECT_EQ(records, 3u);
}

TEST_F(ManagerProgram, TheSettingsDialogSavesAndTheBrowserOpensAndCloses)
{
    RunOnce();
    testsupport::WriteRegDword(HKEY_CURRENT_USER, std::string(kSettingsKey) + "\\Agent", "AutoRun", 0);
    ManagerRun run;
    ASSERT_TRUE(run.Start(log));
    ASSERT_TRUE(run.WaitReady(log));

    ::PostMessageA(FindChild(run.MainWindow(), "Settings...", "Button"), BM_CLICK, 0, 0);
    HWND settings = nullptr;
    ASSERT_TRUE(testsupport::PumpUntil(
        [&] { return (settings = FindProcessWindow(run.ProcessId(), "Settings")) != nullptr; }, 15000));
    ASSERT_TRUE(SelectSetting(settings, "Image minimum width/height:"));
    const HWND edit = VisibleEdit(settings);
    ASSERT_NE(edit, nullptr);
    ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("500"));
    ::PostMessageA(FindChild(settings, "OK", "Button"), BM_CLICK, 0, 0);
    const std::string display = std::string(kSettingsKey) + "\\Display";
    EXPECT_TRUE(testsupport::PumpUntil(
        [&] { return testsupport::ReadRegValue(HKEY_CURRENT_USER, display, "MinSize").Dword() == 500; },
        30000))
        << "OK saved the setting";
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !::IsWindowVisible(settings); }, 30000));

    ::PostMessageA(FindChild(run.MainWindow(), "Image Browser...", "Button"), BM_CLICK, 0, 0);
    HWND browser = nullptr;
    ASSERT_TRUE(testsupport::PumpUntil(
        [&] { return (browser = FindProcessWindow(run.ProcessId(), "Image Browser")) != nullptr; }, 15000));
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !::IsWindowVisible(run.MainWindow()); }, 5000))
        << "the browser hides the main window";
    const HWND list = FindChild(browser, "", "SysListView32");
    ASSERT_NE(list, nullptr);
    // The browser fills its list from a message it posts itself once it shows.
    EXPECT_TRUE(
        testsupport::PumpUntil([&] { return ::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 3; }, 5000))
        << ::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) << " rows";
    ::PostMessageA(FindChild(browser, "Close", "Button"), BM_CLICK, 0, 0);
    EXPECT_TRUE(testsupport::PumpUntil(
        [&] { return ::IsWindowVisible(run.MainWindow()) && !::IsWindowVisible(browser); }, 15000))
        << "the main window back, the browser gone";
    ASSERT_TRUE(run.Close());
    EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, display, "MinSize").Dword(), 500u)
        << "the close saves the schema as the dialog left it";
}
