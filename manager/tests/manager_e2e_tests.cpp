// KvManag.exe started as a user starts it, in the test prefix: a log receiver, a recording stand-in
// Agent beside the Manager, the installer's sample folder of three small JPEGs; what it wrote is read
// back from the registry and the database files.
#include <gtest/gtest.h>

#include "manager_e2e_support.h"

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
    void RunOnce()
    {
        ManagerRun run;
        ASSERT_TRUE(run.Start());
        ASSERT_TRUE(run.WaitReady(log)) << "the caption after the check for changes";
        ASSERT_TRUE(run.Close()) << "the Manager ended";
    }

    ImageFolders folders;
    LogReceiver log;
};

TEST_F(ManagerProgram, FirstRunConfiguresThenSecondRunWithoutAutoRunTouchesNothing)
{
    RunOnce();
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kSettingsKey, "Configured"), 1u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kSettingsKey, "AllFilesCount"), 3u);
    const std::string files = std::string(kSettingsKey) + "\\Files";
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, files, "FolderListFile"), File("FolderList.dat"));
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, files, "FileListDatFile"), File("FileListDat.dat"));
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, files, "FileListStrFile"), File("FileListStr.dat"));
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, files, "WorkBmpFile"), File("Kestrova_wallpaper.bmp"));

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
        EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, positions, name)) << name;
    for (const char* section :
         {"Exchange", "Display", "Calendar", "Agent", "Files", "CurrentImage", "ScreenSaver"}) {
        HKEY key = nullptr;
        EXPECT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kSettingsKey) + "\\" + section).c_str(), 0,
                                  KEY_READ, &key),
                  ERROR_SUCCESS)
            << section;
        if (key) ::RegCloseKey(key);
    }
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, std::string(kSettingsKey) + "\\Calendar", "Show"), 1u);
    EXPECT_TRUE(Logged(log, "Path for files: " + DataFolder()));

    testsupport::PumpUntil([] { return ReadDword(HKEY_CURRENT_USER, kStandInKey, "Starts", 0) == 1; }, 10000);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kStandInKey, "Starts", 0), 1u) << "the Agent started at close";
    bool found = false;
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kStandInKey, "Arguments", &found), "");
    EXPECT_TRUE(found);

    // A second run with AutoRun off and nothing changed.
    WriteDword(HKEY_CURRENT_USER, std::string(kSettingsKey) + "\\Agent", "AutoRun", 0);
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
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kStandInKey, "Starts", 0), 1u) << "no start with AutoRun off";
}

TEST_F(ManagerProgram, DamagedFileListIsKeptAsBadAndTheUserTold)
{
    RunOnce();
    const std::string junk = "this is not an image list";
    ASSERT_TRUE(testsupport::WriteFileBytes(File("FileListDat.dat"), junk));

    ManagerRun run;
    ASSERT_TRUE(run.Start());
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
