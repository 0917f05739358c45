// The wallpaper operations in this process, on a settings key, an image folder and a database
// written by the settings and database code: the refresh and its refusals, the error display,
// what SetWallpaper records, and the fall-backs of UpdateCurrentWallpaper.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Fprogress.h"
#include "KvTestSupport.h"
#include "UDatabase.h"
#include "UTxUtils.h"
#include "Uoperations.h"
#include "Usync.h"
#include "Uwallapi.h"
#include "selection_support.h"

using namespace selection_test;

namespace {

const char* const kFixtureImages[] = {"good_a.jpg",   "good_b.jpg",        "good_c.jpg",
                                      "excluded.jpg", "small_400x400.jpg", "broken.jpg"};
constexpr DWORD kImageCount = 6;

// Progress texts reach the sink only from the thread that holds the engine lock, so the tests take
// it around the operations as the exports do.
std::vector<std::string> g_Progress;
void __stdcall CaptureProgress(const char* text)
{
    g_Progress.push_back(text ? text : "(null)");
}

class Operations : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteSettingsKey();
        for (const char* name : kFixtureImages)
            ASSERT_TRUE(CopyFixture(name, images.Path()));
        paths = DatabaseIn(data.Path());
        ASSERT_TRUE(BuildDatabase(images.Path(), paths, {"excluded.jpg"}));
        record = TestRecord(paths);
        ASSERT_TRUE(WriteSettings(record, true, kImageCount));
        g_Progress.clear();
        SetProgressProc(&CaptureProgress);
        previousHold = SetOperationErrorHoldTime(0);
    }
    void TearDown() override
    {
        SetProgressProc(nullptr);
        SetOperationErrorHoldTime(previousHold);
        DeleteSettingsKey();
    }

    // The three database files as they are now.
    std::vector<std::string> Files() const
    {
        return {testsupport::ReadFileBytes(paths.folderList), testsupport::ReadFileBytes(paths.recordFile),
                testsupport::ReadFileBytes(paths.stringFile)};
    }
    std::vector<StoredImage> Stored() const { return ReadStoredImages(paths.recordFile, paths.stringFile); }
    std::map<std::string, DWORD> Counts() const
    {
        std::map<std::string, DWORD> counts;
        for (const StoredImage& image : Stored())
            counts[image.name] = image.shownCount;
        return counts;
    }
    void PatchFile(const std::string& path, size_t offset, DWORD value)
    {
        std::string bytes = testsupport::ReadFileBytes(path);
        Put32(bytes, offset, value);
        ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes));
    }
    void WithProgress()
    {
        record.Agent.bShowProgress = 1;
        ASSERT_TRUE(WriteSettings(record, true, kImageCount));
    }

    testsupport::TempFolder images{"opimg"};
    testsupport::TempFolder data{"opdb"};
    DatabasePaths paths;
    RegistryRecord record{};
    DWORD previousHold = 0;
};

// Holds a file open without sharing, as another program's read-write TxFile does.
Handle HoldExclusively(const std::string& path)
{
    return Handle(
        ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}

TEST_F(Operations, TheRefreshNeverSavesOverAFileListItCannotLoad)
{
    struct RefusedCase {
        const char* name;
        std::string holdOpen;  // held without sharing during the refresh
        std::string patchFile;
        size_t patchOffset;
        DWORD patchValue;
    };
    const RefusedCase cases[] = {
        {"record file held open", paths.recordFile, "", 0, 0},
        {"string file held open", paths.stringFile, "", 0, 0},
        {"folder list held open", paths.folderList, "", 0, 0},
        {"record file of a newer version", "", paths.recordFile, 8, 101},
        {"record file with a damaged header", "", paths.recordFile, 0, 0x12345678},
        {"folder list of a newer version", "", paths.folderList, 8, 101},
    };
    for (const RefusedCase& c : cases) {
        ASSERT_TRUE(BuildDatabase(images.Path(), paths, {"excluded.jpg"}));
        if (!c.patchFile.empty()) PatchFile(c.patchFile, c.patchOffset, c.patchValue);
        // A changed folder, so that the refresh wants to rescan and save.
        ASSERT_TRUE(CopyFixture("good_a.jpg", images.Path(), "arrived_later.jpg"));
        const std::vector<std::string> before = Files();
        {
            Handle held;
            if (!c.holdOpen.empty()) {
                held = HoldExclusively(c.holdOpen);
                ASSERT_TRUE(held) << c.name;
            }
            CheckForAndWriteChangesOnDisk();
        }
        EXPECT_TRUE(Files() == before) << c.name;
        ASSERT_TRUE(::DeleteFileA((images / "arrived_later.jpg").c_str()));
    }
}

TEST_F(Operations, TheRefreshRebuildsAMissingFileList)
{
    struct MissingCase {
        const char* name;
        bool recordFile;
        bool stringFile;
    };
    const MissingCase cases[] = {
        {"record file missing", true, false},
        {"string file missing", false, true},
        {"both missing", true, true},
    };
    for (const MissingCase& c : cases) {
        ASSERT_TRUE(BuildDatabase(images.Path(), paths, {"excluded.jpg"}));
        if (c.recordFile) {
            ASSERT_TRUE(::DeleteFileA(paths.recordFile.c_str()));
        }
        if (c.stringFile) {
            ASSERT_TRUE(::DeleteFileA(paths.stringFile.c_str()));
        }
        CheckForAndWriteChangesOnDisk();
        const std::vector<StoredImage> stored = Stored();
        EXPECT_EQ(stored.size(), kImageCount) << c.name;
        for (const StoredImage& image : stored) {
            EXPECT_EQ(image.folder, images.Path()) << c.name;
            EXPECT_EQ(image.fileFlags, FLAG_USE_FOR_WALLPAPER | FLAG_USE_FOR_SCREENSAVER)
                << c.name << image.name;
        }
    }
}

TEST_F(Operations, TheRefreshKeepsCountersAndExclusionsOfAChangedFolder)
{
    std::string bytes = testsupport::ReadFileBytes(paths.recordFile);
    for (const StoredImage& image : Stored())
        Put32(bytes, image.position + 20, 7);
    ASSERT_TRUE(testsupport::WriteFileBytes(paths.recordFile, bytes));
    ASSERT_TRUE(CopyFixture("good_b.jpg", images.Path(), "arrived_later.jpg"));

    CheckForAndWriteChangesOnDisk();
    const std::vector<StoredImage> stored = Stored();
    ASSERT_EQ(stored.size(), kImageCount + 1);
    for (const StoredImage& image : stored) {
        const bool added = image.name == "arrived_later.jpg";
        EXPECT_EQ(image.shownCount, added ? 0u : 7u) << image.name;
        EXPECT_EQ((image.fileFlags & FLAG_EXCLUDE_IMAGE) != 0, image.name == "excluded.jpg") << image.name;
    }
    // The folder list holds the new count, so the next refresh sees no change and writes nothing.
    EXPECT_EQ(Get32(testsupport::ReadFileBytes(paths.folderList), 144 + 16), kImageCount + 1);
    const std::vector<std::string> after = Files();
    CheckForAndWriteChangesOnDisk();
    EXPECT_TRUE(Files() == after);
}

TEST_F(Operations, AFolderWithoutAutoScanIsNeverRescanned)
{
    const std::string folderList = testsupport::ReadFileBytes(paths.folderList);
    PatchFile(paths.folderList, 144 + 8, Get32(folderList, 144 + 8) & ~0x2u);
    ASSERT_TRUE(CopyFixture("good_b.jpg", images.Path(), "arrived_later.jpg"));
    const std::vector<std::string> before = Files();
    CheckForAndWriteChangesOnDisk();
    EXPECT_TRUE(Files() == before);
}

TEST_F(Operations, APendingCancelStartsNoRescan)
{
    ASSERT_TRUE(CopyFixture("good_b.jpg", images.Path(), "arrived_later.jpg"));
    const std::vector<std::string> before = Files();
    g_Synchronization.Cancel();
    CheckForAndWriteChangesOnDisk();
    EXPECT_FALSE(SetRandomWallpaper());
    g_Synchronization.Enter();
    g_Synchronization.Leave();
    EXPECT_TRUE(Files() == before);
    EXPECT_EQ(ReadSettingsValue("CurrentImage", "ImageName").Text(), "");
}

TEST_F(Operations, WithoutConfigurationNothingIsShownOrChanged)
{
    struct ConfigCase {
        const char* name;
        bool configured;
        DWORD allFilesCount;
    };
    const ConfigCase cases[] = {{"not configured", false, kImageCount}, {"no files", true, 0}};
    record.Agent.bShowProgress = 1;
    record.CurrentImage.bActive = 1;
    lstrcpynA(record.CurrentImage.szImagePath, images.Path().c_str(), kPathSize);
    lstrcpynA(record.CurrentImage.szImageName, "good_a.jpg", kPathSize);
    for (const ConfigCase& c : cases) {
        ASSERT_TRUE(WriteSettings(record, c.configured, c.allFilesCount));
        const std::vector<std::string> before = Files();
        g_Progress.clear();
        CSynchronizationGuard lock;
        EXPECT_FALSE(SetRandomWallpaper()) << c.name;
        EXPECT_FALSE(UpdateCurrentWallpaper()) << c.name;
        ExcludeCurrentFromList();
        EXPECT_TRUE(g_Progress.empty()) << c.name;
        EXPECT_TRUE(Files() == before) << c.name;
        EXPECT_FALSE(testsupport::PathExists(paths.workBmp)) << c.name;
    }
}

TEST_F(Operations, SetWallpaperShowsWhyItFailed)
{
    struct ErrorCase {
        const char* name;
        bool emptyWorkBmp;
        std::string fileName;
        std::vector<std::string> lastTexts;  // the end of what the progress sink received
        DWORD leftMargin = 0;
    };
    const ErrorCase cases[] = {
        {"no work bitmap named", true, "missing.jpg", {"ERROR: Missing configuration."}},
        {"image file missing",
         false,
         "missing.jpg",
         {"ERROR: File does not exist: " + images.Path() + "\\missing.jpg"}},
        {"image cannot be read", false, "broken.jpg", {"ERROR: Image cannot be read or saved."}},
        {"name longer than its field", false, std::string(kPathSize, 'n'), {}},
        // The margins, not the image, leave no room: no text blames the image.
        {"margins as wide as the screen",
         false,
         "good_a.jpg",
         {},
         static_cast<DWORD>(::GetSystemMetrics(SM_CXSCREEN))},
    };
    for (const ErrorCase& c : cases) {
        RegistryRecord caller = record;
        caller.Agent.bShowProgress = 1;
        if (c.emptyWorkBmp) caller.Files.szWorkBmpFile[0] = '\0';
        caller.Display.bUseMargins = 1;
        caller.Display.dwMarginLeft = c.leftMargin;
        g_Progress.clear();
        CSynchronizationGuard lock;
        EXPECT_FALSE(SetWallpaper(&caller, images.Path().c_str(), c.fileName.c_str(), "", 0xFFFFFFFF))
            << c.name;
        ASSERT_GE(g_Progress.size(), c.lastTexts.size()) << c.name;
        const std::vector<std::string> last(g_Progress.end() - static_cast<long>(c.lastTexts.size()),
                                            g_Progress.end());
        EXPECT_EQ(last, c.lastTexts) << c.name;
        if (c.lastTexts.empty()) {
            EXPECT_TRUE(g_Progress.empty()) << c.name;
        }
        EXPECT_EQ(caller.CurrentImage.bActive, 0) << c.name;
        EXPECT_EQ(ReadSettingsValue("CurrentImage", "ImageName").Text(), "") << c.name;
        EXPECT_FALSE(testsupport::PathExists(paths.workBmp)) << c.name;
    }
}

TEST_F(Operations, SetWallpaperRecordsTheImageAndHandsTheBitmapToTheDesktop)
{
    struct SetCase {
        const char* name;
        std::string folder;  // as the caller passes it; a trailing backslash doubles before the name
    };
    const SetCase cases[] = {{"plain folder", images.Path()},
                             {"folder with a backslash", images.Path() + "\\"}};
    for (const SetCase& c : cases) {
        ::DeleteFileA(paths.workBmp.c_str());
        RegistryRecord caller = record;
        const ULONGLONG before = LocalNow();
        ASSERT_TRUE(SetWallpaper(&caller, c.folder.c_str(), "good_c.jpg", "24.12.2011", 0xFFFFFFFF))
            << c.name;
        const ULONGLONG after = LocalNow();

        const CurrentImageSettings& current = caller.CurrentImage;
        EXPECT_EQ(current.bActive, 1) << c.name;
        EXPECT_EQ(current.bAlreadySet, 1) << c.name;
        EXPECT_STREQ(current.szImagePath, c.folder.c_str()) << c.name;
        EXPECT_STREQ(current.szImageName, "good_c.jpg") << c.name;
        EXPECT_NE(current.dwBackColor, 0xFFFFFFFFu) << c.name;  // computed by the composition

        EXPECT_EQ(ReadSettingsValue("CurrentImage", "ImagePath").Text(), c.folder) << c.name;
        EXPECT_EQ(ReadSettingsValue("CurrentImage", "ImageName").Text(), "good_c.jpg") << c.name;
        EXPECT_EQ(ReadSettingsValue("CurrentImage", "Active").Dword(), 1u) << c.name;
        EXPECT_EQ(ReadSettingsValue("CurrentImage", "AlreadySet").Dword(), 1u) << c.name;
        EXPECT_EQ(ReadSettingsValue("CurrentImage", "BackColor").Dword(), current.dwBackColor) << c.name;
        EXPECT_EQ(ReadSettingsValue("CurrentImage", "TextColor").Dword(), current.dwTextColor) << c.name;
        const RegValue changed = ReadSettingsValue("CurrentImage", "LastChangeTime");
        EXPECT_EQ(changed.type, static_cast<DWORD>(REG_BINARY)) << c.name;
        ASSERT_EQ(changed.bytes.size(), 8u) << c.name;
        // Local time, truncated to the millisecond the clock reads.
        EXPECT_GE(FileTimeValue(changed.bytes) + 10000, before) << c.name;
        EXPECT_LE(FileTimeValue(changed.bytes), after) << c.name;

        LONG width = 0, height = 0;
        WORD bits = 0;
        ASSERT_TRUE(ReadBmpSize(paths.workBmp, width, height, bits)) << c.name;
        EXPECT_EQ(width, ::GetSystemMetrics(SM_CXSCREEN)) << c.name;
        EXPECT_EQ(height < 0 ? -height : height, ::GetSystemMetrics(SM_CYSCREEN)) << c.name;
        EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper").Text(),
                  paths.workBmp)
            << c.name;
    }
}

TEST_F(Operations, NoImageMatchingIsShownUnlessCancelled)
{
    WithProgress();
    std::string bytes = testsupport::ReadFileBytes(paths.recordFile);
    for (const StoredImage& image : Stored())
        Put32(bytes, image.position + 28, image.fileFlags | FLAG_EXCLUDE_IMAGE);
    ASSERT_TRUE(testsupport::WriteFileBytes(paths.recordFile, bytes));
    {
        CSynchronizationGuard lock;
        EXPECT_FALSE(SetRandomWallpaper());
    }
    EXPECT_EQ(g_Progress,
              (std::vector<std::string>{"Checking folders for changes...", "Making random selection...",
                                        "ERROR: No image matching criteria found."}));
}

TEST_F(Operations, UpdateCurrentWallpaperSetsTheCurrentImageOrFallsBackToANewOne)
{
    struct UpdateCase {
        const char* name;
        BYTE active;
        const char* current;
        bool newSelection;
    };
    const UpdateCase cases[] = {
        {"no current image", 0, "excluded.jpg", true},  // a name that the selection never gives
        {"current image deleted", 1, "gone.jpg", true},
        {"current image present", 1, "good_b.jpg", false},
    };
    for (const UpdateCase& c : cases) {
        ASSERT_TRUE(BuildDatabase(images.Path(), paths, {"excluded.jpg"}));
        RegistryRecord stored = record;
        stored.CurrentImage.bActive = c.active;
        lstrcpynA(stored.CurrentImage.szImagePath, images.Path().c_str(), kPathSize);
        lstrcpynA(stored.CurrentImage.szImageName, c.current, kPathSize);
        stored.CurrentImage.dwBackColor = 0;  // black stands for the average colour as it is
        ASSERT_TRUE(WriteSettings(stored, true, kImageCount));

        ASSERT_TRUE(UpdateCurrentWallpaper()) << c.name;
        const std::string shown = ReadSettingsValue("CurrentImage", "ImageName").Text();
        int counted = 0;
        for (const auto& [image, count] : Counts())
            counted += static_cast<int>(count);
        if (c.newSelection) {
            EXPECT_NE(shown, c.current) << c.name;
            EXPECT_EQ(Counts()[shown], 1u) << c.name;
            EXPECT_GE(counted, 1) << c.name;
        } else {
            EXPECT_EQ(shown, c.current) << c.name;
            EXPECT_EQ(counted, 0) << c.name;
            EXPECT_EQ(ReadSettingsValue("CurrentImage", "BackColor").Dword(), 0u) << c.name;
        }
    }
}

TEST_F(Operations, ExcludeCurrentFromListMarksOnlyTheCurrentRecord)
{
    RegistryRecord stored = record;
    stored.CurrentImage.bActive = 0;  // not looked at
    lstrcpynA(stored.CurrentImage.szImagePath, images.Path().c_str(), kPathSize);
    CharUpperA(stored.CurrentImage.szImagePath);  // compared without regard to case
    lstrcpynA(stored.CurrentImage.szImageName, "GOOD_B.JPG", kPathSize);
    ASSERT_TRUE(WriteSettings(stored, true, kImageCount));
    const std::string before = testsupport::ReadFileBytes(paths.recordFile);
    const StoredImage target = *FindStored(Stored(), "good_b.jpg");

    std::string expected = before;
    Put32(expected, target.position + 28, target.fileFlags | FLAG_EXCLUDE_IMAGE);
    for (int round = 0; round < 2; ++round) {
        ExcludeCurrentFromList();
        EXPECT_EQ(testsupport::ReadFileBytes(paths.recordFile), expected) << "round " << round;
    }

    lstrcpynA(stored.CurrentImage.szImageName, "not_in_the_list.jpg", kPathSize);
    ASSERT_TRUE(WriteSettings(stored, true, kImageCount));
    ExcludeCurrentFromList();
    EXPECT_EQ(testsupport::ReadFileBytes(paths.recordFile), expected);
}

}  // namespace
