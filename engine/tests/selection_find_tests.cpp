// FindNextBackgroundImage on real files: a small image folder, a database written by the database
// code, and the record file read back byte by byte after each selection.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "KvTestSupport.h"
#include "UDatabase.h"
#include "UImageStore.h"
#include "UTxUtils.h"
#include "Uselection.h"
#include "Usync.h"
#include "selection_support.h"

using namespace selection_test;

namespace {

const char* const kFixtureImages[] = {"good_a.jpg",   "good_b.jpg",        "good_c.jpg",
                                      "excluded.jpg", "small_400x400.jpg", "broken.jpg"};
const char* const kGoodImages[] = {"good_a.jpg", "good_b.jpg", "good_c.jpg"};

class SelectionFind : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : kFixtureImages)
            ASSERT_TRUE(CopyFixture(name, images.Path()));
        paths = DatabaseIn(data.Path());
        ASSERT_TRUE(BuildDatabase(images.Path(), paths, {"excluded.jpg"}));
        record = TestRecord(paths);
    }

    std::vector<StoredImage> Stored() const { return ReadStoredImages(paths.recordFile, paths.stringFile); }
    std::map<std::string, DWORD> Counts() const
    {
        std::map<std::string, DWORD> counts;
        for (const StoredImage& image : Stored())
            counts[image.name] = image.shownCount;
        return counts;
    }
    // Writes the counters straight into the record file, as a previous run would have left them.
    void SetCounts(const std::map<std::string, DWORD>& counts)
    {
        std::string bytes = testsupport::ReadFileBytes(paths.recordFile);
        for (const StoredImage& image : Stored()) {
            const auto found = counts.find(image.name);
            if (found != counts.end()) Put32(bytes, image.position + 20, found->second);
        }
        ASSERT_TRUE(testsupport::WriteFileBytes(paths.recordFile, bytes));
    }
    std::string RecordBytes() const { return testsupport::ReadFileBytes(paths.recordFile); }

    bool Find()
    {
        folder.Assign("untouched");
        name.Assign("untouched");
        dateText.Assign("untouched");
        colour = 0x12345678;
        return FindNextBackgroundImage(&record, &folder, &name, &dateText, &colour);
    }

    testsupport::TempFolder images{"selimg"};
    testsupport::TempFolder data{"seldb"};
    DatabasePaths paths;
    RegistryRecord record{};
    TxString folder, name, dateText;
    COLORREF colour = 0;
};

TEST_F(SelectionFind, TriedImagesCountOnceTheUnreadableTwiceTheChosenOnce)
{
    // The two bad images are the only ones not yet shown, so both are tried before a good one.
    SetCounts({{"good_a.jpg", 1},
               {"good_b.jpg", 1},
               {"good_c.jpg", 1},
               {"excluded.jpg", 0},
               {"small_400x400.jpg", 0},
               {"broken.jpg", 0}});
    ASSERT_TRUE(Find());
    std::map<std::string, DWORD> counts = Counts();
    EXPECT_EQ(counts["broken.jpg"], 2u);
    EXPECT_EQ(counts["small_400x400.jpg"], 1u);
    EXPECT_EQ(counts["excluded.jpg"], 0u);
    EXPECT_EQ(counts[name.GetText()], 2u) << name.GetText();
    int good = 0;
    for (const char* image : kGoodImages)
        good += counts[image] == 2 ? 1 : 0;
    EXPECT_EQ(good, 1);

    EXPECT_STREQ(folder.GetText(), images.Path().c_str());
    EXPECT_EQ(colour, 0xFFFFFFFFu);  // the scan left the colour unknown
    // No EXIF date in these images: the file date, as the short date.
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    ASSERT_TRUE(
        ::GetFileAttributesExA((images / name.GetText()).c_str(), GetFileExInfoStandard, &attributes));
    char expected[100];
    ConvertDateToString(attributes.ftLastWriteTime, expected, sizeof expected);
    EXPECT_STREQ(dateText.GetText(), expected);
}

// A seed whose first draws put both bad images before a good one.
unsigned FixedSeed()
{
    return 3;
}

TEST_F(SelectionFind, AFixedSeedFixesTheOrder)
{
    // The keys the selection must build: candidates in record order, one draw each.
    SelectionKeyContext context;  // without preferences
    CSelectionRandom random(FixedSeed());
    struct Expected {
        std::string key;
        size_t index;
        std::string name;
    };
    std::vector<Expected> order;
    const std::vector<StoredImage> stored = Stored();
    for (size_t i = 0; i < stored.size(); ++i) {
        if (stored[i].fileFlags & FLAG_EXCLUDE_IMAGE) continue;
        order.push_back({BuildSelectionKey(context, 0, FILETIME{}, random), i, stored[i].name});
    }
    std::sort(order.begin(), order.end(), [](const Expected& a, const Expected& b) {
        return a.key != b.key ? a.key < b.key : a.index > b.index;
    });
    std::map<std::string, DWORD> expected = Counts();
    std::string chosen;
    for (const Expected& e : order) {
        if (e.name == "broken.jpg") {
            expected[e.name] += 2;
        } else if (e.name == "small_400x400.jpg") {
            expected[e.name] += 1;
        } else {
            expected[e.name] += 1;
            chosen = e.name;
            break;
        }
    }

    const SelectionSeedSource clock = SetSelectionSeedSource(&FixedSeed);
    const std::string before = RecordBytes();
    const bool found = Find();
    const std::string first = name.GetText();
    const std::map<std::string, DWORD> counts = Counts();
    // The same state and the same seed (two selections within one second) choose alike.
    ASSERT_TRUE(testsupport::WriteFileBytes(paths.recordFile, before));
    const bool again = Find();
    SetSelectionSeedSource(clock);
    ASSERT_TRUE(found);
    EXPECT_EQ(expected["broken.jpg"], 2u);  // the seed is one that tries both bad images first
    EXPECT_EQ(expected["small_400x400.jpg"], 1u);
    EXPECT_EQ(first, chosen);
    EXPECT_EQ(counts, expected);
    EXPECT_TRUE(again);
    EXPECT_STREQ(name.GetText(), chosen.c_str());
    EXPECT_EQ(Counts(), expected);
}

// A new round starts with equal counters, so the random part alone orders the images; with the
// keys of the change before (the same seed, as two changes within one second drew), the image
// shown last would come first again.
TEST_F(SelectionFind, TheImageOnTheDesktopComesLastWhileAnotherCanBeShown)
{
    const SelectionSeedSource clock = SetSelectionSeedSource(&FixedSeed);
    const std::string fresh = RecordBytes();
    ASSERT_TRUE(Find());
    const std::string firstOfARound = name.GetText();

    // The end of a round: every image shown, the unreadable one counted twice.
    const std::map<std::string, DWORD> roundEnd = {{"good_a.jpg", 1}, {"good_b.jpg", 1},
                                                   {"good_c.jpg", 1}, {"small_400x400.jpg", 1},
                                                   {"broken.jpg", 2}, {"excluded.jpg", 0}};
    struct CurrentCase {
        const char* name;
        std::map<std::string, DWORD> counts;
        bool active;
        std::string current;
        bool chosenAgain;
    };
    const CurrentCase cases[] = {
        {"round end, the first of the next round on the desktop", roundEnd, true, firstOfARound, false},
        {"fresh counters, the first choice on the desktop", {}, true, firstOfARound, false},
        {"no image recorded as current", roundEnd, false, firstOfARound, true},
    };
    for (const CurrentCase& c : cases) {
        ASSERT_TRUE(testsupport::WriteFileBytes(paths.recordFile, fresh));
        SetCounts(c.counts);
        record.CurrentImage.bActive = c.active ? 1 : 0;
        lstrcpynA(record.CurrentImage.szImagePath, images.Path().c_str(), kPathSize);
        lstrcpynA(record.CurrentImage.szImageName, c.current.c_str(), kPathSize);
        ASSERT_TRUE(Find()) << c.name;
        EXPECT_EQ(name.GetText() == c.current, c.chosenAgain) << c.name << ": " << name.GetText();
        EXPECT_EQ(Counts()[name.GetText()], 1u) << c.name;
        EXPECT_EQ(Counts()[c.current], c.chosenAgain ? 1u : 0u) << c.name;
    }

    // With no other candidate the image on the desktop is shown again.
    ASSERT_TRUE(
        BuildDatabase(images.Path(), paths,
                      {"good_b.jpg", "good_c.jpg", "excluded.jpg", "small_400x400.jpg", "broken.jpg"}));
    record.CurrentImage.bActive = 1;
    lstrcpynA(record.CurrentImage.szImageName, "good_a.jpg", kPathSize);
    EXPECT_TRUE(Find());
    EXPECT_STREQ(name.GetText(), "good_a.jpg");
    SetSelectionSeedSource(clock);
}

TEST_F(SelectionFind, TheExifDateNamesTheDay)
{
    testsupport::TempFolder dated("seldated");
    ASSERT_TRUE(CopyFixture("exif_dated_2011-12-24.jpg", dated.Path()));
    ASSERT_TRUE(BuildDatabase(dated.Path(), paths));
    ASSERT_TRUE(Find());
    SYSTEMTIME day{};
    day.wYear = 2011;
    day.wMonth = 12;
    day.wDay = 24;
    day.wHour = 9;
    day.wMinute = 8;
    day.wSecond = 7;
    FILETIME time{};
    ASSERT_TRUE(::SystemTimeToFileTime(&day, &time));
    char expected[100];
    ConvertDateToString(time, expected, sizeof expected);
    EXPECT_STREQ(dateText.GetText(), expected);
}

TEST_F(SelectionFind, CountersAreResetOnlyWhenEveryCandidateWasShown)
{
    struct ResetCase {
        const char* name;
        std::map<std::string, DWORD> before;
        bool reset;
    };
    const ResetCase cases[] = {
        {"every candidate shown",
         {{"good_a.jpg", 3},
          {"good_b.jpg", 5},
          {"good_c.jpg", 4},
          {"small_400x400.jpg", 2},
          {"broken.jpg", 6},
          {"excluded.jpg", 9}},
         true},
        {"one candidate not shown",
         {{"good_a.jpg", 0},
          {"good_b.jpg", 5},
          {"good_c.jpg", 4},
          {"small_400x400.jpg", 3},
          {"broken.jpg", 3},
          {"excluded.jpg", 9}},
         false},
    };
    for (const ResetCase& c : cases) {
        SetCounts(c.before);
        ASSERT_TRUE(Find()) << c.name;
        std::map<std::string, DWORD> after = Counts();
        if (c.reset) {
            // Everything starts again from 0, the excluded image too; the chosen one then has 1 and
            // a bad image tried before it its own amount.
            EXPECT_EQ(after["excluded.jpg"], 0u) << c.name;
            EXPECT_EQ(after[name.GetText()], 1u) << c.name;
            EXPECT_TRUE(after["broken.jpg"] == 0 || after["broken.jpg"] == 2) << c.name;
            EXPECT_LE(after["small_400x400.jpg"], 1u) << c.name;
            for (const char* image : kGoodImages) {
                if (name.Equals(image)) continue;
                EXPECT_EQ(after[image], 0u) << c.name << ": " << image;
            }
        } else {
            std::map<std::string, DWORD> expected = c.before;
            expected["good_a.jpg"] = 1;  // the only one not shown comes first
            EXPECT_STREQ(name.GetText(), "good_a.jpg") << c.name;
            EXPECT_EQ(after, expected) << c.name;
        }
    }
}

TEST_F(SelectionFind, NoCandidateChangesNothing)
{
    struct NoneCase {
        const char* name;
        DWORD setFlags;
        DWORD clearFlags;
    };
    const NoneCase cases[] = {
        {"all excluded", FLAG_EXCLUDE_IMAGE, 0},
        {"none for the wallpaper", 0, FLAG_USE_FOR_WALLPAPER},
    };
    for (const NoneCase& c : cases) {
        std::string bytes = RecordBytes();
        SetCounts({{"good_a.jpg", 3}, {"good_b.jpg", 5}});
        bytes = RecordBytes();
        for (const StoredImage& image : Stored()) {
            Put32(bytes, image.position + 28, (image.fileFlags | c.setFlags) & ~c.clearFlags);
        }
        ASSERT_TRUE(testsupport::WriteFileBytes(paths.recordFile, bytes));
        EXPECT_FALSE(Find()) << c.name;
        EXPECT_EQ(RecordBytes(), bytes) << c.name;
        EXPECT_STREQ(name.GetText(), "untouched") << c.name;
        EXPECT_EQ(colour, 0x12345678u) << c.name;
        ASSERT_TRUE(BuildDatabase(images.Path(), paths, {"excluded.jpg"}));
    }
}

// 150 candidates ordered by their counters; only the 120th in that order can be read. A selection
// tries them in batches of a hundred: limited to one batch it fails and counts the first hundred;
// with its usual batches it goes on to the readable one.
TEST_F(SelectionFind, CandidatesAreTriedInBatchesOfAHundred)
{
    struct Case {
        const char* name;
        int batchesPerCall;
        bool found;
        DWORD tried;  // how many candidates in key order were tried and counted
    };
    const Case cases[] = {
        {"one batch", 1, false, 100},
        {"the usual batches", SetSelectionBatchesPerCall(0), true, 120},
    };
    SetSelectionBatchesPerCall(cases[1].batchesPerCall);
    ASSERT_TRUE(CopyFixture("good_a.jpg", images.Path(), "the_readable_one.jpg"));
    for (const Case& c : cases) {
        CFileCollection files;
        std::map<std::string, DWORD> before;
        for (DWORD i = 0; i < 150; ++i) {
            char fileName[32];
            std::snprintf(fileName, sizeof fileName, "missing_%03lu.jpg", static_cast<unsigned long>(i));
            auto image = std::make_unique<CImageFile>();
            image->FolderPath.Assign(images.Path().c_str());
            image->FileName.Assign(i == 119 ? "the_readable_one.jpg" : fileName);
            image->ShownCount = i;
            image->FileFlags = FLAG_USE_FOR_WALLPAPER;
            before[image->FileName.GetText()] = i;
            ASSERT_TRUE(files.Insert(image.release()));
        }
        ASSERT_TRUE(files.SaveToFile(paths.recordFile.c_str(), paths.stringFile.c_str()));

        const int previous = SetSelectionBatchesPerCall(c.batchesPerCall);
        const bool found = Find();
        SetSelectionBatchesPerCall(previous);
        EXPECT_EQ(found, c.found) << c.name;
        if (c.found) {
            EXPECT_STREQ(name.GetText(), "the_readable_one.jpg") << c.name;
        }
        std::map<std::string, DWORD> after = Counts();
        ASSERT_EQ(after.size(), 150u) << c.name;
        for (const auto& [image, count] : before) {
            // The unreadable count twice, the chosen one once.
            const DWORD raised = count >= c.tried ? 0 : image == "the_readable_one.jpg" ? 1 : 2;
            EXPECT_EQ(after[image], count + raised) << c.name << ": " << image;
        }
    }
}

TEST_F(SelectionFind, ACancelEndsTheSelectionWithoutTryingAnything)
{
    SetCounts({{"good_a.jpg", 1}, {"broken.jpg", 0}});
    const std::string bytes = RecordBytes();
    g_Synchronization.Cancel();
    const bool found = Find();
    // Taking the lock clears the cancel for the tests that follow.
    g_Synchronization.Enter();
    g_Synchronization.Leave();
    EXPECT_FALSE(found);
    EXPECT_EQ(RecordBytes(), bytes);
    EXPECT_STREQ(name.GetText(), "untouched");
}

// Rewrites the database under the running selection the way another program's save would, after
// every load of it: one image that sorts first comes or goes, so every record moves by one place.
DatabasePaths* g_RewritePaths = nullptr;
std::string g_Rewritten;
int g_Rewrites = 0;

void RewriteInAnotherOrder()
{
    CFileCollection files;
    ASSERT_TRUE(files.LoadFromFile(g_RewritePaths->recordFile.c_str(), g_RewritePaths->stringFile.c_str()));
    if (files.FileAt(0)->FileName.Equals("aaa_added_meanwhile.jpg")) {
        CImageFile* const added = files.FileAt(0);
        files.AtDelete(0);
        files.FreeItem(added);
    } else {
        auto first = std::make_unique<CImageFile>();
        first->FolderPath.Assign(files.FileAt(0)->FolderPath);
        first->FileName.Assign("aaa_added_meanwhile.jpg");
        first->FileFlags = FLAG_USE_FOR_WALLPAPER;
        ASSERT_TRUE(files.Insert(first.release()));
    }
    ASSERT_TRUE(files.SaveToFile(g_RewritePaths->recordFile.c_str(), g_RewritePaths->stringFile.c_str()));
    g_Rewritten = testsupport::ReadFileBytes(g_RewritePaths->recordFile);
    ++g_Rewrites;
}

TEST_F(SelectionFind, ARecordFileRewrittenAtEveryLoadIsNotDamaged)
{
    // The bad images come first: without its checks the selection would store their records at
    // stale positions and fetch texts at stale positions of the new string file.
    SetCounts({{"good_a.jpg", 1},
               {"good_b.jpg", 1},
               {"good_c.jpg", 1},
               {"small_400x400.jpg", 0},
               {"broken.jpg", 0}});
    g_RewritePaths = &paths;
    g_Rewrites = 0;
    const SelectionLoadedHook previous = SetSelectionLoadedHook(&RewriteInAnotherOrder);
    const bool found = Find();
    SetSelectionLoadedHook(previous);
    // It starts again a few times, then gives up; no record of the newest file has changed.
    EXPECT_FALSE(found);
    EXPECT_EQ(g_Rewrites, 3);
    ASSERT_FALSE(g_Rewritten.empty());
    EXPECT_EQ(RecordBytes(), g_Rewritten);
}

// Another program's save under the running selection: good_a.jpg is gone and the user excluded
// good_c.jpg. Names of one length make every later text move by exactly one image, so good_b's
// stored positions now hold good_c's texts. Once only: the selection loads again.
void RemoveOneAndExcludeTheNext()
{
    DatabasePaths* const paths = std::exchange(g_RewritePaths, nullptr);
    if (!paths) return;
    CFileCollection files;
    ASSERT_TRUE(files.LoadFromFile(paths->recordFile.c_str(), paths->stringFile.c_str()));
    for (int i = files.GetCount() - 1; i >= 0; --i) {
        CImageFile* image = files.FileAt(i);
        if (image->FileName.Equals("good_a.jpg")) {
            files.AtDelete(i);
            files.FreeItem(image);
        } else if (image->FileName.Equals("good_c.jpg")) {
            image->FileFlags |= FLAG_EXCLUDE_IMAGE;
        }
    }
    ASSERT_TRUE(files.SaveToFile(paths->recordFile.c_str(), paths->stringFile.c_str()));
    g_Rewritten = testsupport::ReadFileBytes(paths->recordFile);
}

TEST_F(SelectionFind, AnotherSaveMeanwhileNeverShowsAnotherImage)
{
    SetCounts({{"good_a.jpg", 4},
               {"good_b.jpg", 0},
               {"good_c.jpg", 4},
               {"small_400x400.jpg", 4},
               {"broken.jpg", 4}});
    g_RewritePaths = &paths;
    const SelectionLoadedHook previous = SetSelectionLoadedHook(&RemoveOneAndExcludeTheNext);
    const bool found = Find();
    SetSelectionLoadedHook(previous);
    ASSERT_FALSE(g_Rewritten.empty());
    // Selected again from the new database: good_b, the least shown, never the excluded good_c.
    ASSERT_TRUE(found);
    EXPECT_EQ(std::string(name.GetText()), "good_b.jpg");
    const std::map<std::string, DWORD> counts = Counts();
    EXPECT_EQ(counts.at("good_b.jpg"), 1u);
    EXPECT_EQ(counts.at("good_c.jpg"), 4u);
    EXPECT_EQ(counts.count("good_a.jpg"), 0u);
}

// Images too small to show beside photos, under the default preference for new images.
class SmallImages : public SelectionFind {
public:
    using SelectionFind::record;

    void SetUp() override
    {
        record = TestRecord(paths = DatabaseIn(data.Path()));
        record.Exchange.dwRandomSelection = SELECT_PREFER_NEW_IMAGES;
    }
    void SetDate(const std::string& fileName, FILETIME time)
    {
        const FileHandle file(::CreateFileA((folder / fileName).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file) << fileName;
        ASSERT_TRUE(::SetFileTime(file.get(), nullptr, nullptr, &time)) << fileName;
    }
    // `count` copies of the 400 x 400 image (below the default minimum size) named s<i>.jpg, dated
    // `newer` days after the two photos, and the database of the folder.
    void MakeFolder(int count)
    {
        const std::string small = testsupport::ReadFileBytes(FixturePath("small_400x400.jpg"));
        for (int i = 0; i < count; ++i) {
            const std::string fileName = "s" + std::to_string(i) + ".jpg";
            ASSERT_TRUE(testsupport::WriteFileBytes(folder / fileName, small)) << i;
            SetDate(fileName, testsupport::CalendarFileTime(2020, 6, 1, 12));
        }
        for (const char* photo : {"good_a.jpg", "good_b.jpg"}) {
            ASSERT_TRUE(CopyFixture(photo, folder.Path()));
            SetDate(photo, testsupport::CalendarFileTime(2019, 6, 1, 12));
        }
        ASSERT_TRUE(BuildDatabase(folder.Path(), paths));
    }
    // The database's own rescan of the folders, as a refresh of the image list runs it.
    void Rescan()
    {
        CFolderCollection folders;
        CFileCollection files;
        ASSERT_TRUE(folders.LoadFromFile(paths.folderList.c_str()));
        ASSERT_TRUE(files.LoadFromFile(paths.recordFile.c_str(), paths.stringFile.c_str()));
        folders.RecalculateAllFolders(files);
        ASSERT_TRUE(files.SaveToFile(paths.recordFile.c_str(), paths.stringFile.c_str()));
        ASSERT_TRUE(folders.SaveToFile(paths.folderList.c_str()));
    }
    // The counter and the Reserved word of an image as the record file holds them.
    std::pair<DWORD, DWORD> CountAndReserved(const std::string& fileName) const
    {
        const std::string bytes = RecordBytes();
        const std::vector<StoredImage> stored = Stored();
        const StoredImage* image = FindStored(stored, fileName);
        if (!image) return {0xFFFFFFFF, 0xFFFFFFFF};
        return {image->shownCount, Get32(bytes, image->position + 32)};
    }

    testsupport::TempFolder folder{"selsmall"};
};

constexpr DWORD kSmallSize = DWORD{400} << 16 | DWORD{400};

TEST_F(SmallImages, ManySmallNewerImagesDoNotStopTheChanges)
{
    MakeFolder(400);
    std::vector<std::string> shown;
    for (int change = 0; change < 3; ++change) {
        ASSERT_TRUE(Find()) << "change " << change + 1;
        shown.push_back(name.GetText());
    }
    ASSERT_EQ(shown.size(), 3u);
    for (const std::string& image : shown)
        EXPECT_TRUE(image == "good_a.jpg" || image == "good_b.jpg") << image;
    EXPECT_NE(shown[0], shown[1]);
    // Each small image was measured once and is known by its size.
    for (const StoredImage& image : Stored())
        if (image.name[0] == 's') {
            EXPECT_EQ(CountAndReserved(image.name).second, kSmallSize) << image.name;
        }
}

// What a small image's stored size does after the first change measured it: the second change
// tries it again (its counter rises) only when its file or the limits changed.
TEST_F(SmallImages, ARejectedImageIsTriedAgainWhenItsFileOrTheLimitsChange)
{
    struct Case {
        const char* name;
        void (*change)(SmallImages& test);
        bool rescan;
        bool triedAgain;
        const char* shown;
        DWORD reservedAfter;
    };
    const Case cases[] = {
        {"nothing changed, rescanned", [](SmallImages&) {}, true, false, "good_a.jpg", kSmallSize},
        {"replaced by a photo the database has not seen",
         [](SmallImages& t) { ASSERT_TRUE(CopyFixture("good_b.jpg", t.folder.Path(), "s0.jpg")); }, false,
         false, "good_a.jpg", kSmallSize},
        {"replaced by a photo, rescanned",
         [](SmallImages& t) {
             ASSERT_TRUE(CopyFixture("good_b.jpg", t.folder.Path(), "s0.jpg"));
             t.SetDate("s0.jpg", testsupport::CalendarFileTime(2020, 6, 2, 12));
         },
         true, true, "s0.jpg", 0},
        {"the same bytes written again, rescanned",
         [](SmallImages& t) { t.SetDate("s0.jpg", testsupport::CalendarFileTime(2020, 6, 2, 12)); }, true,
         true, "good_a.jpg", kSmallSize},
        {"the minimum size lowered", [](SmallImages& t) { t.record.Display.dwMinSize = 300; }, false, true,
         "s0.jpg", 0},
    };
    for (const Case& c : cases) {
        record.Display.dwMinSize = 400;
        ::DeleteFileA((folder / "s0.jpg").c_str());
        ::DeleteFileA((folder / "good_b.jpg").c_str());
        MakeFolder(1);
        ::DeleteFileA((folder / "good_b.jpg").c_str());
        ASSERT_TRUE(BuildDatabase(folder.Path(), paths));
        ASSERT_TRUE(Find()) << c.name;
        ASSERT_STREQ(name.GetText(), "good_a.jpg") << c.name;
        ASSERT_EQ(CountAndReserved("s0.jpg"), std::make_pair(DWORD{1}, kSmallSize)) << c.name;

        c.change(*this);
        if (c.rescan) Rescan();
        ASSERT_TRUE(Find()) << c.name;
        EXPECT_STREQ(name.GetText(), c.shown) << c.name;
        // Both candidates were shown once, so the counters started again from 0.
        const std::pair<DWORD, DWORD> after = CountAndReserved("s0.jpg");
        EXPECT_EQ(after.first, c.triedAgain ? 1u : 0u) << c.name;
        EXPECT_EQ(after.second, c.reservedAfter) << c.name;
    }
}

class ImageFileStore : public SelectionFind {
protected:
    std::unique_ptr<CImageFile> Loaded(const char* fileName)
    {
        CFileCollection files;
        EXPECT_TRUE(files.LoadFromFile(paths.recordFile.c_str(), paths.stringFile.c_str()));
        for (int i = 0; i < files.GetCount(); ++i) {
            if (files.FileAt(i)->FileName.Equals(fileName))
                return std::make_unique<CImageFile>(*files.FileAt(i));
        }
        return nullptr;
    }
};

TEST_F(ImageFileStore, LoadStringsFromFileReadsTheTextsOrLeavesThem)
{
    std::unique_ptr<CImageFile> image = Loaded("good_b.jpg");
    ASSERT_TRUE(image);
    CImageFile bare(*image);
    bare.FolderPath.Assign("");
    bare.FileName.Assign("");

    CImageFile fetched(bare);
    EXPECT_TRUE(LoadStringsFromFile(fetched, paths.stringFile.c_str()));
    EXPECT_STREQ(fetched.FolderPath.GetText(), images.Path().c_str());
    EXPECT_STREQ(fetched.FileName.GetText(), "good_b.jpg");

    struct RefusedCase {
        const char* name;
        std::string path;
        DWORD nameLength;
    };
    const RefusedCase cases[] = {
        {"no string file", data / "missing.dat", bare.NameStringLength},
        {"a length above the buffer", paths.stringFile, 600},
        {"a length past the end of the file", paths.stringFile, 0x7FFFFFFF},
        {"a length without the terminator", paths.stringFile, bare.NameStringLength - 1},
    };
    for (const RefusedCase& c : cases) {
        CImageFile refused(bare);
        refused.NameStringLength = c.nameLength;
        EXPECT_FALSE(LoadStringsFromFile(refused, c.path.c_str())) << c.name;
        EXPECT_TRUE(refused.FolderPath.IsEmpty()) << c.name;
        EXPECT_TRUE(refused.FileName.IsEmpty()) << c.name;
    }
}

FILETIME LastWrite(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes);
    return attributes.ftLastWriteTime;
}

void SetLastWrite(const std::string& path, FILETIME time)
{
    Handle file(::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr));
    ASSERT_TRUE(file);
    ASSERT_TRUE(::SetFileTime(file.get(), nullptr, nullptr, &time));
}

TEST_F(ImageFileStore, StoreSelfToFileWritesOnlyWhatChanged)
{
    std::unique_ptr<CImageFile> image = Loaded("good_c.jpg");
    ASSERT_TRUE(image);
    const StoredImage before = *FindStored(Stored(), "good_c.jpg");
    const std::string bytes = RecordBytes();

    // Values the record already holds: the file is not written at all.
    const FILETIME old{0x12345678, 0x01C00000};
    SetLastWrite(paths.recordFile, old);
    EXPECT_TRUE(StoreSelfToFile(*image, paths.recordFile.c_str()));
    const FILETIME after = LastWrite(paths.recordFile);
    EXPECT_EQ(CompareFileTime(&old, &after), 0);

    // New values: the five fields of this record and nothing else.
    image->ShownCount = 7;
    image->ScreenSaverFlags = FLAG_SHOWN_RANDOM;
    image->FileFlags |= FLAG_EXCLUDE_IMAGE;
    image->Reserved = 0xA5A5A5A5;
    image->AverageColor = 0x00112233;
    EXPECT_TRUE(StoreSelfToFile(*image, paths.recordFile.c_str()));
    std::string expected = bytes;
    Put32(expected, before.position + 20, 7);
    Put32(expected, before.position + 24, FLAG_SHOWN_RANDOM);
    Put32(expected, before.position + 28, before.fileFlags | FLAG_EXCLUDE_IMAGE);
    Put32(expected, before.position + 32, 0xA5A5A5A5);
    Put32(expected, before.position + 56, 0x00112233);
    EXPECT_EQ(RecordBytes(), expected);

    // A record that is no longer this image's, and a missing file: refused, nothing written.
    CImageFile moved(*image);
    moved.ShownCount = 99;
    moved.RecordPosition += 80;
    EXPECT_FALSE(StoreSelfToFile(moved, paths.recordFile.c_str()));
    EXPECT_EQ(RecordBytes(), expected);
    EXPECT_FALSE(StoreSelfToFile(*image, (data / "missing.dat").c_str()));
    EXPECT_FALSE(testsupport::PathExists(data / "missing.dat"));
}

}  // namespace
