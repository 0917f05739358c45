// FindNextScreenSaverImage on real files: a small image folder, a database written by the database
// code, and the shown bits read back from the record file's bytes after each selection.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "KvTestSupport.h"
#include "UDatabase.h"
#include "UTxUtils.h"
#include "Uscreensaver.h"
#include "Uselection.h"
#include "Usync.h"
#include "selection_support.h"

using namespace selection_test;

namespace {

constexpr DWORD kRandomBit = FLAG_SHOWN_RANDOM;
constexpr DWORD kTimeBit = FLAG_SHOWN_BY_TIME;
constexpr DWORD kExcluded = FLAG_EXCLUDE_IMAGE;
constexpr DWORD kNotForSaver = FLAG_USE_FOR_SCREENSAVER;  // a flag cleared, not set

class SaverSelection : public ::testing::Test {
protected:
    // Copies the images (fixture name, name in the folder) with file times one day apart in the
    // order given, oldest first, and builds the database.
    void UseImages(const std::vector<std::pair<std::string, std::string>>& images)
    {
        WORD day = 1;
        for (const auto& image : images) {
            ASSERT_TRUE(CopyFixture(image.first, folder.Path(), image.second));
            SetFileDate(image.second, testsupport::CalendarFileTime(2015, 3, day++, 12));
        }
        BuildAndSetRecord();
    }
    void SetFileDate(const std::string& name, FILETIME time)
    {
        const FileHandle file(::CreateFileA((folder / name).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file) << name;
        ASSERT_TRUE(::SetFileTime(file.get(), nullptr, nullptr, &time)) << name;
    }
    void BuildAndSetRecord()
    {
        paths = DatabaseIn(data.Path());
        ASSERT_TRUE(BuildDatabase(folder.Path(), paths));
        record = TestRecord(paths);
    }

    std::vector<StoredImage> Stored() const { return ReadStoredImages(paths.recordFile, paths.stringFile); }
    std::map<std::string, DWORD> Bits() const
    {
        std::map<std::string, DWORD> bits;
        for (const StoredImage& image : Stored())
            bits[image.name] = image.screenSaverFlags;
        return bits;
    }
    // Writes shown bits and use flags straight into the record file, as earlier runs and the
    // Manager would have left them: `clearFlags` are taken from FileFlags, `setFlags` added.
    void Preset(const std::string& name, DWORD shownBits, DWORD setFlags = 0, DWORD clearFlags = 0)
    {
        std::string bytes = testsupport::ReadFileBytes(paths.recordFile);
        const std::vector<StoredImage> stored = Stored();  // outlives the pointer into it
        const StoredImage* image = FindStored(stored, name);
        ASSERT_NE(image, nullptr) << name;
        Put32(bytes, image->position + 24, shownBits);
        Put32(bytes, image->position + 28, (image->fileFlags & ~clearFlags) | setFlags);
        ASSERT_TRUE(testsupport::WriteFileBytes(paths.recordFile, bytes));
    }

    bool Find(bool randomOrder)
    {
        record.ScreenSaver.bRandomSelection = randomOrder ? 1 : 0;
        folderOut.Assign("untouched");
        nameOut.Assign("untouched");
        dateOut.Assign("untouched");
        colourOut = 0x12345678;
        return FindNextScreenSaverImage(&record, &folderOut, &nameOut, &dateOut, &colourOut);
    }
    std::string Chosen() const { return nameOut.GetText(); }

    testsupport::TempFolder folder{"ssimg"};
    testsupport::TempFolder data{"ssdb"};
    DatabasePaths paths;
    RegistryRecord record{};
    TxString folderOut, nameOut, dateOut;
    COLORREF colourOut = 0;
};

// One selection on a prepared database. Images are named for their age: "1.jpg" is the oldest.
struct SingleCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> images;  // fixture, name; oldest first
    std::map<std::string, std::vector<DWORD>> presets;        // name: shown bits, flags set, flags cleared
    bool randomOrder;
    bool found;
    const char* chosen;
    std::map<std::string, DWORD> bitsAfter;
};

const SingleCase kSingleCases[] = {
    {"undecodable and too small images are marked shown and passed over",
     {{"broken.jpg", "1.jpg"},
      {"small_400x400.jpg", "2.jpg"},
      {"good_a.jpg", "3.jpg"},
      {"good_b.jpg", "4.jpg"}},
     {},
     false,
     true,
     "3.jpg",
     {{"1.jpg", kTimeBit}, {"2.jpg", kTimeBit}, {"3.jpg", kTimeBit}, {"4.jpg", 0}}},
    {"date order starts from its own bits; the random bits stay",
     {{"good_a.jpg", "1.jpg"}, {"good_b.jpg", "2.jpg"}, {"good_c.jpg", "3.jpg"}},
     {{"1.jpg", {kRandomBit}}, {"2.jpg", {kRandomBit}}},
     false,
     true,
     "1.jpg",
     {{"1.jpg", kRandomBit | kTimeBit}, {"2.jpg", kRandomBit}, {"3.jpg", 0}}},
    {"random order takes the one image its bit has not marked; the date bits stay",
     {{"good_a.jpg", "1.jpg"}, {"good_b.jpg", "2.jpg"}, {"good_c.jpg", "3.jpg"}},
     {{"1.jpg", {kRandomBit | kTimeBit}}, {"2.jpg", {kRandomBit}}, {"3.jpg", {kTimeBit}}},
     true,
     true,
     "3.jpg",
     {{"1.jpg", kRandomBit | kTimeBit}, {"2.jpg", kRandomBit}, {"3.jpg", kRandomBit | kTimeBit}}},
    {"all shown in date order: a new cycle from the oldest, the random bits untouched",
     {{"good_a.jpg", "1.jpg"}, {"good_b.jpg", "2.jpg"}, {"good_c.jpg", "3.jpg"}},
     {{"1.jpg", {kTimeBit}}, {"2.jpg", {kTimeBit | kRandomBit}}, {"3.jpg", {kTimeBit}}},
     false,
     true,
     "1.jpg",
     {{"1.jpg", kTimeBit}, {"2.jpg", kRandomBit}, {"3.jpg", 0}}},
    {"no eligible image in random order: false, every random bit cleared",
     {{"good_a.jpg", "1.jpg"}, {"good_b.jpg", "2.jpg"}, {"good_c.jpg", "3.jpg"}},
     {{"1.jpg", {kRandomBit | kTimeBit, kExcluded}},
      {"2.jpg", {kRandomBit | kTimeBit, 0, kNotForSaver}},
      {"3.jpg", {kRandomBit, kExcluded, kNotForSaver}}},
     true,
     false,
     nullptr,
     {{"1.jpg", kTimeBit}, {"2.jpg", kTimeBit}, {"3.jpg", 0}}},
    {"no eligible image in date order: false, every date bit cleared",
     {{"good_a.jpg", "1.jpg"}, {"good_b.jpg", "2.jpg"}},
     {{"1.jpg", {kRandomBit | kTimeBit, kExcluded}}, {"2.jpg", {kTimeBit, 0, kNotForSaver}}},
     false,
     false,
     nullptr,
     {{"1.jpg", kRandomBit}, {"2.jpg", 0}}},
};

TEST_F(SaverSelection, OneSelectionOnAPreparedDatabase)
{
    for (const SingleCase& c : kSingleCases) {
        testsupport::RemoveTree(folder.Path());
        ASSERT_TRUE(::CreateDirectoryA(folder.Path().c_str(), nullptr));
        UseImages(c.images);
        for (const auto& preset : c.presets) {
            const std::vector<DWORD>& v = preset.second;
            Preset(preset.first, v[0], v.size() > 1 ? v[1] : 0, v.size() > 2 ? v[2] : 0);
        }
        EXPECT_EQ(Find(c.randomOrder), c.found) << c.name;
        if (c.chosen) {
            EXPECT_EQ(Chosen(), c.chosen) << c.name;
            EXPECT_EQ(std::string(folderOut.GetText()), folder.Path()) << c.name;
        } else {
            EXPECT_EQ(Chosen(), "untouched") << c.name;
            EXPECT_EQ(colourOut, 0x12345678u) << c.name;
        }
        EXPECT_EQ(Bits(), c.bitsAfter) << c.name;
    }
}

TEST_F(SaverSelection, RandomOrderShowsEachEligibleImageOnceThenStartsAgain)
{
    UseImages({{"good_a.jpg", "a.jpg"},
               {"good_b.jpg", "b.jpg"},
               {"good_c.jpg", "c.jpg"},
               {"excluded.jpg", "x.jpg"}});
    // The excluded image keeps bits from before it was excluded.
    Preset("x.jpg", kRandomBit | kTimeBit, kExcluded);
    std::set<std::string> shown;
    for (int call = 1; call <= 3; ++call) {
        ASSERT_TRUE(Find(true)) << "call " << call;
        EXPECT_TRUE(shown.insert(Chosen()).second) << "call " << call << " repeated " << Chosen();
        EXPECT_NE(Chosen(), "x.jpg");
        const std::map<std::string, DWORD> bits = Bits();
        for (const char* image : {"a.jpg", "b.jpg", "c.jpg"})
            EXPECT_EQ(bits.at(image), shown.count(image) ? kRandomBit : 0u)
                << "call " << call << ", " << image;
        EXPECT_EQ(bits.at("x.jpg"), kRandomBit | kTimeBit) << "call " << call;
    }
    // Every eligible image was shown: the fourth call clears the random bit of every image, the
    // excluded one too, and shows one of the three again.
    ASSERT_TRUE(Find(true));
    EXPECT_EQ(shown.count(Chosen()), 1u) << Chosen();
    const std::map<std::string, DWORD> bits = Bits();
    for (const char* image : {"a.jpg", "b.jpg", "c.jpg"})
        EXPECT_EQ(bits.at(image), Chosen() == image ? kRandomBit : 0u) << image;
    EXPECT_EQ(bits.at("x.jpg"), kTimeBit);
}

TEST_F(SaverSelection, DateOrderRunsOldestFirstAndEqualTimesPutTheLaterRecordFirst)
{
    UseImages({{"good_a.jpg", "p.jpg"},
               {"good_b.jpg", "q.jpg"},
               {"good_c.jpg", "r.jpg"},
               {"good_a.jpg", "s.jpg"},
               {"good_b.jpg", "t.jpg"}});
    // s.jpg gets q.jpg's time to the second (a different millisecond): the later record of the two
    // comes first.
    SetFileDate("s.jpg",
                testsupport::FileTimeFromUnits(
                    testsupport::FileTimeUnits(testsupport::CalendarFileTime(2015, 3, 2, 12)) + 4000000));
    BuildAndSetRecord();
    const std::vector<StoredImage> stored = Stored();
    const StoredImage* q = FindStored(stored, "q.jpg");
    const StoredImage* s = FindStored(stored, "s.jpg");
    ASSERT_TRUE(q && s);
    const std::string laterOfTheTwo = q->position > s->position ? "q.jpg" : "s.jpg";
    const std::string earlierOfTheTwo = laterOfTheTwo == "q.jpg" ? "s.jpg" : "q.jpg";
    const std::vector<std::string> expected = {"p.jpg", laterOfTheTwo, earlierOfTheTwo,
                                               "r.jpg", "t.jpg",       "p.jpg"};
    for (size_t call = 0; call < expected.size(); ++call) {
        ASSERT_TRUE(Find(false)) << "call " << call;
        EXPECT_EQ(Chosen(), expected[call]) << "call " << call;
    }
    // The sixth call began a new cycle: only the oldest is marked.
    const std::map<std::string, DWORD> bits = Bits();
    for (const auto& entry : bits)
        EXPECT_EQ(entry.second, entry.first == "p.jpg" ? kTimeBit : 0u) << entry.first;
}

TEST_F(SaverSelection, TheDateTextAndColourAreTheImagesOwn)
{
    UseImages({{"good_a.jpg", "1.jpg"}});
    ASSERT_TRUE(Find(false));
    char expected[100];
    ConvertDateToString(testsupport::CalendarFileTime(2015, 3, 1, 12), expected, sizeof expected);
    EXPECT_STREQ(dateOut.GetText(), expected);
    EXPECT_EQ(colourOut, 0xFFFFFFFFu);  // the scan left the colour unknown
}

TEST_F(SaverSelection, ACancelRequestEndsTheSelectionWithNothingMarked)
{
    UseImages({{"good_a.jpg", "1.jpg"}, {"good_b.jpg", "2.jpg"}});
    const std::string before = testsupport::ReadFileBytes(paths.recordFile);
    g_Synchronization.Cancel();
    const bool found = Find(true);
    // Taking the lock clears the request.
    g_Synchronization.Enter();
    g_Synchronization.Leave();
    EXPECT_FALSE(found);
    EXPECT_EQ(Chosen(), "untouched");
    EXPECT_EQ(testsupport::ReadFileBytes(paths.recordFile), before);
}

// A thumbnail cache in the image folder: 15,000 images too small to show, older than the two
// photos, so the date order puts all of them first (the build makes the folder). The first step
// gets past all of them, however long each check takes; the next passes over them unopened.
TEST_F(SaverSelection, ALongRunOfImagesTooSmallToShowTakesOnlyAFewSteps)
{
    constexpr size_t kThumbnails = 15000;
    constexpr int kMostSteps = 1;
    const std::string photos = testsupport::ExeFolder() + "thumbnail_cache";
    ASSERT_TRUE(testsupport::PathExists(photos + "\\complete.stamp")) << photos;
    paths = DatabaseIn(data.Path());
    ASSERT_TRUE(BuildDatabase(photos, paths, {}, true));
    record = TestRecord(paths);
    ASSERT_EQ(Stored().size(), kThumbnails + 2);

    size_t passedOver = 0;
    int steps = 0;
    bool found = false;
    while (!found && steps < kMostSteps) {
        ++steps;
        found = Find(false);
        size_t marked = 0;
        for (const StoredImage& image : Stored())
            if (image.screenSaverFlags & kTimeBit) ++marked;
        if (!found) {
            EXPECT_GE(marked, passedOver + 100) << "step " << steps << " tried again what was passed over";
            passedOver = marked;
        }
    }
    ASSERT_TRUE(found) << "no photo after " << steps << " steps; " << passedOver << " thumbnails passed over";
    EXPECT_EQ(Chosen(), "good_a.jpg");
    EXPECT_EQ(std::string(folderOut.GetText()), photos);
    // Every thumbnail was passed over once; the newer photo is still to come.
    size_t thumbnailsMarked = 0;
    for (const StoredImage& image : Stored()) {
        if (image.name == "good_a.jpg")
            EXPECT_EQ(image.screenSaverFlags, kTimeBit);
        else if (image.name == "good_b.jpg")
            EXPECT_EQ(image.screenSaverFlags, 0u);
        else if (image.screenSaverFlags == kTimeBit)
            ++thumbnailsMarked;
    }
    EXPECT_EQ(thumbnailsMarked, kThumbnails);

    // The thumbnails are passed over by their stored size from now on: the other photo, then a new
    // cycle that starts with a photo again without trying any thumbnail.
    ASSERT_TRUE(Find(false));
    EXPECT_EQ(Chosen(), "good_b.jpg");
    ASSERT_TRUE(Find(false));
    EXPECT_EQ(Chosen(), "good_a.jpg");
    size_t thumbnailsTriedAgain = 0;
    for (const StoredImage& image : Stored())
        if (image.name != "good_a.jpg" && image.name != "good_b.jpg" && (image.screenSaverFlags & kTimeBit))
            ++thumbnailsTriedAgain;
    EXPECT_EQ(thumbnailsTriedAgain, 0u);
}

// 400 images too small to show, older than the two photos: each of three steps shows a photo, and
// once the first step measured the small ones, no later step opens them again, also not after the
// new cycle that the third step starts.
TEST_F(SaverSelection, SmallImagesAreMeasuredOnceAndEveryStepShowsAPhoto)
{
    constexpr int kSmall = 400;
    const std::string small = testsupport::ReadFileBytes(FixturePath("small_400x400.jpg"));
    const FILETIME smallTime = testsupport::CalendarFileTime(2015, 3, 1, 12);
    for (int i = 0; i < kSmall; ++i) {
        const std::string name = "s" + std::to_string(i) + ".jpg";
        ASSERT_TRUE(testsupport::WriteFileBytes(folder / name, small)) << i;
        SetFileDate(name, smallTime);
    }
    for (const char* photo : {"good_a.jpg", "good_b.jpg"}) {
        ASSERT_TRUE(CopyFixture(photo, folder.Path()));
        SetFileDate(photo, testsupport::CalendarFileTime(2016, 3, photo[5] == 'a' ? 1 : 2, 12));
    }
    BuildAndSetRecord();
    std::vector<std::string> shown;
    for (int step = 0; step < 3; ++step) {
        ASSERT_TRUE(Find(false)) << "step " << step + 1;
        shown.push_back(Chosen());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"good_a.jpg", "good_b.jpg", "good_a.jpg"}));
    int smallTriedAgain = 0;
    for (const StoredImage& image : Stored())
        if (image.name[0] == 's' && (image.screenSaverFlags & kTimeBit)) ++smallTriedAgain;
    EXPECT_EQ(smallTriedAgain, 0);
}

// Steps that stop before they found an image, as one that used up its batches does: each goes on
// after what the one before it passed over.
TEST_F(SaverSelection, AStepThatStopsEarlyIsContinuedByTheNext)
{
    struct Case {
        const char* name;
        int batchesPerCall;
        std::vector<size_t> markedAfterEachFailedStep;
    };
    const Case cases[] = {
        {"the first hundred only", 1, {100, 200}},
        {"the usual batches", SetSelectionBatchesPerCall(0), {}},
    };
    SetSelectionBatchesPerCall(cases[1].batchesPerCall);
    constexpr int kSmall = 250;
    const std::string small = testsupport::ReadFileBytes(FixturePath("small_400x400.jpg"));
    for (int i = 0; i < kSmall; ++i)
        ASSERT_TRUE(testsupport::WriteFileBytes(folder / ("s" + std::to_string(i) + ".jpg"), small)) << i;
    ASSERT_TRUE(CopyFixture("good_a.jpg", folder.Path()));
    SetFileDate("good_a.jpg", testsupport::FileTimeFromUnits(LocalNow() + 864000000000ull));
    for (const Case& c : cases) {
        BuildAndSetRecord();
        const int previous = SetSelectionBatchesPerCall(c.batchesPerCall);
        std::vector<size_t> marked;
        bool found = false;
        while (!found && marked.size() < 5) {
            found = Find(false);
            if (found) break;
            size_t count = 0;
            for (const StoredImage& image : Stored())
                if (image.screenSaverFlags & kTimeBit) ++count;
            marked.push_back(count);
        }
        SetSelectionBatchesPerCall(previous);
        EXPECT_TRUE(found) << c.name;
        EXPECT_EQ(Chosen(), "good_a.jpg") << c.name;
        EXPECT_EQ(marked, c.markedAfterEachFailedStep) << c.name;
        EXPECT_EQ(Bits().size(), static_cast<size_t>(kSmall + 1)) << c.name;
        for (const auto& entry : Bits())
            EXPECT_EQ(entry.second, kTimeBit) << c.name << ": " << entry.first;
    }
}

// Another program's save under the running selection: the oldest image is gone and the user
// excluded the next. Once only: the selection loads again.
DatabasePaths* g_SavePaths = nullptr;
std::string g_SavedBytes;

void RemoveOldestAndExcludeTheNext()
{
    DatabasePaths* const paths = std::exchange(g_SavePaths, nullptr);
    if (!paths) return;
    CFileCollection files;
    ASSERT_TRUE(files.LoadFromFile(paths->recordFile.c_str(), paths->stringFile.c_str()));
    for (int i = files.GetCount() - 1; i >= 0; --i) {
        CImageFile* image = files.FileAt(i);
        if (image->FileName.Equals("1.jpg")) {
            files.AtDelete(i);
            files.FreeItem(image);
        } else if (image->FileName.Equals("2.jpg")) {
            image->FileFlags |= FLAG_EXCLUDE_IMAGE;
        }
    }
    ASSERT_TRUE(files.SaveToFile(paths->recordFile.c_str(), paths->stringFile.c_str()));
    g_SavedBytes = testsupport::ReadFileBytes(paths->recordFile);
}

TEST_F(SaverSelection, ADatabaseSavedMeanwhileIsLoadedAgain)
{
    UseImages({{"good_a.jpg", "1.jpg"}, {"good_b.jpg", "2.jpg"}, {"good_c.jpg", "3.jpg"}});
    g_SavePaths = &paths;
    g_SavedBytes.clear();
    const SelectionLoadedHook previous = SetSelectionLoadedHook(&RemoveOldestAndExcludeTheNext);
    const bool found = Find(false);
    SetSelectionLoadedHook(previous);
    ASSERT_FALSE(g_SavedBytes.empty());
    ASSERT_TRUE(found);
    EXPECT_EQ(Chosen(), "3.jpg");
    const std::map<std::string, DWORD> bits = Bits();
    EXPECT_EQ(bits, (std::map<std::string, DWORD>{{"2.jpg", 0}, {"3.jpg", kTimeBit}}));
}

}  // namespace
