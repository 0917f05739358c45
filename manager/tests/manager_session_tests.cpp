// The Manager's start-up and shutdown without any window: the Agent asked to stop, the first run's
// settings, the data folder, the database loaded, kept when damaged and saved, all read back from the
// registry and the files with the tests' own readers.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "AgentControl.h"
#include "FolderListRecovery.h"
#include "ManagerEngine.h"
#include "ManagerSession.h"
#include "UTxUtils.h"
#include "UiDialogs.h"
#include "manager_e2e_support.h"
#include "Uregistryroot.h"

using namespace manager;
using testsupport::ReadRegValue;

namespace {

constexpr const char* kFilesKey = KV_REG_ROOT "\\Files";
constexpr const char* kAgentKey = KV_REG_ROOT "\\Agent";

// What the database files hold before the start.
enum class Before { Nothing, SavedByALastRun, DamagedFolderList };

struct SessionCase {
    const char* name;
    Before before;
    // The engine's margin for the calendar is set only on a first run.
    int marginCalls;
    // Messages the start-up shows.
    size_t told;
    // A ".bad" copy of the folder list is kept.
    bool keptDamaged;
    // Folders after the start-up: the sample, or the sample and the one the last run added.
    size_t folders;
    // The folder list file after the shutdown: the folders saved, or (the stand-in for a damaged
    // list, while the image list read whole stays) the damaged bytes untouched.
    bool listSaved;
};

const SessionCase kSessionCases[] = {
    {"a fresh user", Before::Nothing, 1, 0, false, 1, true},
    {"a start after a run that added a folder", Before::SavedByALastRun, 0, 0, false, 2, true},
    {"a damaged folder list", Before::DamagedFolderList, 0, 1, true, 1, false},
};

class Session : public ::testing::Test {
protected:
    void SetUp() override
    {
        managertest::MakeSampleFolder(Sample());
        ::CreateDirectoryA(Added().c_str(), nullptr);
        managertest::ResetUser(Sample());
        // A shutdown in the test's own process must not start an Agent.
        ASSERT_TRUE(testsupport::WriteRegDword(HKEY_CURRENT_USER, kAgentKey, "AutoRun", 0));
        dialogs->messageBox = [this](HWND, const std::string& text, const std::string&, UINT) {
            told.push_back(text);
            return IDOK;
        };
        engine->recalcRightMarginForCalendar = [this](RegistryRecord*) { ++marginCalls; };
    }
    void TearDown() override { managertest::ResetUser(""); }

    std::string Sample() const { return root / "img"; }
    std::string Added() const { return root / "pictures"; }
    std::string FolderListPath() const { return managertest::DataFolder() + "\\FolderList.dat"; }

    // A whole run without a window that adds one folder before it ends.
    void RunAndAddAFolder()
    {
        ManagerSession last;
        last.StartUp();
        auto* folder = new CImageFolder;
        folder->Path.Assign(Added().c_str());
        ASSERT_TRUE(last.m_pFolderCollection->Insert(folder));
        last.m_pFolderCollection->Modified = 1;
        last.CheckChanges();
        last.ShutDown();
    }

    testsupport::TempFolder root{"kvmgrsession"};
    ui::DialogsOverride dialogs;
    ManagerEngineOverride engine;
    std::vector<std::string> told;
    int marginCalls = 0;
};

TEST_F(Session, StartUpAndShutDownWithoutAWindow)
{
    for (const SessionCase& c : kSessionCases) {
        SCOPED_TRACE(c.name);
        managertest::ResetUser(Sample());
        ASSERT_TRUE(testsupport::WriteRegDword(HKEY_CURRENT_USER, kAgentKey, "AutoRun", 0));
        std::string junk;
        if (c.before != Before::Nothing) {
            ASSERT_NO_FATAL_FAILURE(RunAndAddAFolder());
            if (c.before == Before::DamagedFolderList) {
                junk = "not a folder list";
                ASSERT_TRUE(testsupport::WriteFileBytes(FolderListPath(), junk));
            }
        }
        told.clear();
        marginCalls = 0;

        ManagerSession session;
        session.StartUp();
        EXPECT_EQ(marginCalls, c.marginCalls);
        EXPECT_EQ(told.size(), c.told);
        EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, managertest::kSettingsKey, "Configured").Dword(), 1u);
        EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kFilesKey, "FolderListFile").Text(), FolderListPath());
        EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kAgentKey, "AutoRun").Dword(), 0u)
            << "the first run's defaults keep what the registry holds";
        ASSERT_TRUE(session.m_pFolderCollection);
        EXPECT_EQ(static_cast<size_t>(session.m_pFolderCollection->GetCount()), c.folders);
        bool badKept = false;
        const std::string bad = testsupport::ReadFileBytes(FolderListPath() + ".bad", &badKept);
        EXPECT_EQ(badKept, c.keptDamaged);
        if (c.keptDamaged) {
            EXPECT_EQ(bad, junk) << "the copy holds the damaged file as it was";
        }

        session.CheckChanges();
        session.ShutDown();
        EXPECT_FALSE(session.m_pFolderCollection) << "the lists are let go at the end";
        if (!c.listSaved) {
            EXPECT_EQ(testsupport::ReadFileBytes(FolderListPath()), junk);
            continue;
        }
        std::vector<managertest::StoredFolder> stored;
        ASSERT_TRUE(managertest::ReadFolderList(FolderListPath(), stored));
        ASSERT_EQ(stored.size(), c.folders);
        EXPECT_EQ(stored[0].path, Sample());
        EXPECT_EQ(stored[0].imageCount, 3u) << "the start-up's rescan counted the sample's images";
        if (c.folders > 1) {
            EXPECT_EQ(stored[1].path, Added());
        }
    }
}

TEST_F(Session, StartUpAsksARunningAgentToStop)
{
    // The Agent's close event, as a running Agent holds it; nobody holds its running event, so the
    // start-up goes on after the fixed pause.
    ::Handle close(::CreateEventA(nullptr, FALSE, FALSE, kAgentCloseEvent));
    ASSERT_TRUE(close);
    ManagerSession session;
    session.StartUp();
    EXPECT_EQ(::WaitForSingleObject(close.get(), 0), WAIT_OBJECT_0) << "the close event was set";
    EXPECT_TRUE(told.empty());
}

// A folder list recovered in part, completed from the image list that was read whole: each folder
// the file lost comes back once, with its use from its images, and every count is that of the images
// the browser lists for it (an image counts for the first folder that holds it, as a scan adds it).
TEST(FolderListRecovery, TheLostFoldersComeBackWithTheCountsOfTheirImages)
{
    struct Image {
        const char* folder;
        DWORD flags;
    };
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, bool>> kept;  // path, include subfolders
        std::vector<Image> images;
        int added;
        // Every folder afterwards, in list order: path, count, use for wallpaper, for the saver.
        std::vector<std::tuple<const char*, DWORD, int, int>> folders;
    };
    const DWORD both = FLAG_USE_FOR_WALLPAPER | FLAG_USE_FOR_SCREENSAVER;
    const Case cases[] = {
        {"nothing recovered",
         {},
         {{"C:\\a", both}, {"C:\\a", both}, {"C:\\b", FLAG_USE_FOR_WALLPAPER}},
         2,
         {{"C:\\a", 2, 1, 1}, {"C:\\b", 1, 1, 0}}},
        {"the first entry recovered",
         {{"C:\\a", false}},
         {{"C:\\a", both}, {"C:\\c", FLAG_USE_FOR_SCREENSAVER}},
         1,
         {{"C:\\a", 1, 1, 1}, {"C:\\c", 1, 0, 1}}},
        {"subfolders held by a recovered folder",
         {{"C:\\a", true}},
         {{"C:\\a", both}, {"C:\\a\\x", both}, {"C:\\A\\Y", both}, {"C:\\ab", both}},
         1,
         {{"C:\\a", 3, 1, 1}, {"C:\\ab", 1, 1, 1}}},
        {"a recovered folder inside another",
         {{"C:\\a", true}, {"C:\\a\\x", false}},
         {{"C:\\a\\x", both}, {"C:\\a\\x", both}},
         0,
         {{"C:\\a", 2, 1, 1}, {"C:\\a\\x", 0, 1, 1}}},
        {"every folder recovered, counts of the file replaced",
         {{"C:\\a", false}},
         {},
         0,
         {{"C:\\a", 0, 1, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CFolderCollection folders;
        for (const auto& kept : c.kept) {
            auto* folder = new CImageFolder;
            folder->Path.Assign(kept.first);
            folder->IncludeSubfolders = kept.second ? 1 : 0;
            folder->ImageCount = 99;
            ASSERT_TRUE(folders.Insert(folder));
        }
        CFileCollection images;
        int n = 0;
        for (const Image& i : c.images) {
            auto* image = new CImageFile;
            image->FolderPath.Assign(i.folder);
            image->FileName.Assign(("p" + std::to_string(n++) + ".jpg").c_str());
            image->FileFlags = i.flags;
            ASSERT_TRUE(images.Insert(image));
        }
        EXPECT_EQ(RecoverFoldersFromImages(folders, images), c.added);
        ASSERT_EQ(static_cast<size_t>(folders.GetCount()), c.folders.size());
        for (size_t i = 0; i < c.folders.size(); ++i) {
            const CImageFolder& folder = *folders.FolderAt(static_cast<int>(i));
            EXPECT_STREQ(folder.Path.GetText(), std::get<0>(c.folders[i]));
            EXPECT_EQ(folder.ImageCount, std::get<1>(c.folders[i])) << folder.Path.GetText();
            EXPECT_EQ(folder.UseForWallpaper, std::get<2>(c.folders[i])) << folder.Path.GetText();
            EXPECT_EQ(folder.UseForScreenSaver, std::get<3>(c.folders[i])) << folder.Path.GetText();
        }
    }
}

}  // namespace
