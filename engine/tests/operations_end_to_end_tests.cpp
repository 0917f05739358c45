// A wallpaper change from end to end: KvApi.dll and KvImage.dll in a program folder of their own,
// each export called from a separate process that loads the library as the Agent does, and what
// the change left behind read back here from the database files, the registry and the bitmap.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "KvTestSupport.h"
#include "UDatabase.h"
#include "UDatabaseLock.h"
#include "UTxUtils.h"
#include "selection_support.h"

using namespace selection_test;

namespace {

const char* const kGood[] = {"good_a.jpg", "good_b.jpg", "good_c.jpg"};
const char* const kBad[] = {"small_400x400.jpg", "broken.jpg"};  // candidates that are never accepted
constexpr DWORD kImageCount = 6;

// What a failed try adds to an image's counter.
DWORD FailureAmount(const std::string& name)
{
    return name == "broken.jpg" ? 2 : 1;
}

// Width and height from a JPEG's first frame header, read here without the engine.
bool JpegSize(const std::string& path, DWORD& width, DWORD& height)
{
    const std::string b = testsupport::ReadFileBytes(path);
    size_t i = 2;
    if (b.size() < 4 || static_cast<unsigned char>(b[0]) != 0xFF || static_cast<unsigned char>(b[1]) != 0xD8)
        return false;
    while (i + 9 < b.size()) {
        if (static_cast<unsigned char>(b[i]) != 0xFF) return false;
        const unsigned marker = static_cast<unsigned char>(b[i + 1]);
        if (marker == 0xFF) {
            ++i;
            continue;
        }
        const size_t length =
            static_cast<unsigned char>(b[i + 2]) << 8 | static_cast<unsigned char>(b[i + 3]);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            height = static_cast<unsigned char>(b[i + 5]) << 8 | static_cast<unsigned char>(b[i + 6]);
            width = static_cast<unsigned char>(b[i + 7]) << 8 | static_cast<unsigned char>(b[i + 8]);
            return true;
        }
        i += 2 + length;
    }
    return false;
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteSettingsKey();
        for (const char* dll : {"KvApi.dll", "KvImage.dll"}) {
            ASSERT_TRUE(::CopyFileA((testsupport::ExeFolder() + dll).c_str(), (program / dll).c_str(), FALSE))
                << dll;
        }
        paths = DatabaseIn(data.Path());
        record = TestRecord(paths);
    }
    void TearDown() override { DeleteSettingsKey(); }

    void UseFixtureFolder()
    {
        for (const char* name :
             {"good_a.jpg", "good_b.jpg", "good_c.jpg", "excluded.jpg", "small_400x400.jpg", "broken.jpg"}) {
            ASSERT_TRUE(CopyFixture(name, images.Path()));
        }
        ASSERT_TRUE(BuildDatabase(images.Path(), paths, {"excluded.jpg"}));
        ASSERT_TRUE(WriteSettings(record, true, kImageCount));
    }

    // Starts one export in a process of its own. With `starvedIn`, the library's heap runs out once
    // during the rescan of that directory.
    bool StartCall(testsupport::ChildProcess& child, const char* exportName,
                   const std::string& starvedIn = "")
    {
        std::string command = "\"" + testsupport::ExeFolder() + "operations_agent_probe.exe\" \"" +
                              program.Path() + "\" " + exportName;
        if (!starvedIn.empty()) command += " \"" + starvedIn + "\"";
        return child.Start(command);
    }
    // Runs one export in a process of its own; its exit code.
    DWORD Call(const char* exportName, const std::string& starvedIn = "")
    {
        testsupport::ChildProcess child;
        EXPECT_TRUE(StartCall(child, exportName, starvedIn));
        EXPECT_TRUE(child.WaitPumping(60000)) << exportName;
        return child.ExitCode();
    }

    std::map<std::string, DWORD> Counts() const
    {
        std::map<std::string, DWORD> counts;
        for (const StoredImage& image : ReadStoredImages(paths.recordFile, paths.stringFile))
            counts[image.name] = image.shownCount;
        return counts;
    }
    std::vector<std::string> Files() const
    {
        return {testsupport::ReadFileBytes(paths.folderList), testsupport::ReadFileBytes(paths.recordFile),
                testsupport::ReadFileBytes(paths.stringFile)};
    }

    // What a successful change must have left: \CurrentImage naming the image, a fresh local
    // "LastChangeTime", and the work bitmap of the screen's size handed to the desktop.
    void ExpectChangeRecorded(const std::string& folder, const std::string& name, ULONGLONG before,
                              ULONGLONG after, const std::string& step)
    {
        EXPECT_EQ(ReadSettingsValue("CurrentImage", "ImagePath").Text(), folder) << step;
        EXPECT_EQ(ReadSettingsValue("CurrentImage", "ImageName").Text(), name) << step;
        EXPECT_EQ(ReadSettingsValue("CurrentImage", "Active").Dword(), 1u) << step;
        const RegValue changed = ReadSettingsValue("CurrentImage", "LastChangeTime");
        EXPECT_EQ(changed.type, static_cast<DWORD>(REG_BINARY)) << step;
        ASSERT_EQ(changed.bytes.size(), 8u) << step;
        EXPECT_GE(FileTimeValue(changed.bytes) + 10000, before) << step;
        EXPECT_LE(FileTimeValue(changed.bytes), after) << step;
        LONG width = 0, height = 0;
        WORD bits = 0;
        ASSERT_TRUE(ReadBmpSize(paths.workBmp, width, height, bits)) << step;
        EXPECT_EQ(width, ::GetSystemMetrics(SM_CXSCREEN)) << step;
        EXPECT_EQ(height < 0 ? -height : height, ::GetSystemMetrics(SM_CYSCREEN)) << step;
        EXPECT_TRUE(bits == 24 || bits == 32) << step;
        EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper").Text(),
                  paths.workBmp)
            << step;
    }

    testsupport::TempFolder program{"e2eprog"};
    testsupport::TempFolder images{"e2eimg"};
    testsupport::TempFolder data{"e2edb"};
    DatabasePaths paths;
    RegistryRecord record{};
};

TEST_F(EndToEnd, EachChangeCountsExactlyAndEveryCandidateComesUpBeforeARepeat)
{
    UseFixtureFolder();
    std::map<std::string, DWORD> counts = Counts();
    int resets = 0;
    std::set<std::string> firstShown;
    // The image too small to show is measured at its first try; from then on it is passed over by
    // its stored size: it is tried no more and no longer holds back a new round.
    bool smallMeasured = false;
    const std::string small = "small_400x400.jpg";
    for (int change = 1; change <= 9; ++change) {
        const std::string step = "change " + std::to_string(change);
        // The expected state before the change: a new round once every candidate has been tried.
        std::map<std::string, DWORD> start = counts;
        DWORD minimum = 0xFFFFFFFF;
        for (const auto& [name, count] : counts) {
            if (name != "excluded.jpg" && !(smallMeasured && name == small))
                minimum = std::min(minimum, count);
        }
        const bool reset = minimum > 0;
        if (reset) {
            for (auto& entry : start)
                entry.second = 0;
            ++resets;
        }

        const ULONGLONG before = LocalNow();
        ASSERT_EQ(Call("WpApi_SetRandomWallpaper"), 1u) << step;
        const ULONGLONG after = LocalNow();
        counts = Counts();
        ASSERT_EQ(counts.size(), kImageCount) << step;

        const std::string chosen = ReadSettingsValue("CurrentImage", "ImageName").Text();
        ExpectChangeRecorded(images.Path(), chosen, before, after, step);
        ASSERT_TRUE(std::find(std::begin(kGood), std::end(kGood), chosen) != std::end(kGood))
            << step << ": " << chosen;
        EXPECT_EQ(counts[chosen], start[chosen] + 1) << step;
        if (change <= 3) {
            EXPECT_TRUE(firstShown.insert(chosen).second) << step << ": " << chosen << " repeated";
        }
        // The least shown good image is chosen (so none repeats while another is less shown), and
        // only candidates tried before it were counted.
        for (const char* good : kGood) {
            EXPECT_GE(start[good], start[chosen]) << step << ": " << good;
            if (good != chosen) {
                EXPECT_EQ(counts[good], start[good]) << step << ": " << good;
            }
        }
        for (const char* bad : kBad) {
            const DWORD delta = counts[bad] - start[bad];
            if (smallMeasured && bad == small) {
                EXPECT_EQ(delta, 0u) << step << ": " << bad << " must have been passed over";
            } else if (start[bad] < start[chosen]) {
                EXPECT_EQ(delta, FailureAmount(bad)) << step << ": " << bad << " must have been tried";
            } else if (start[bad] > start[chosen]) {
                EXPECT_EQ(delta, 0u) << step << ": " << bad << " must not have been tried";
            } else {
                EXPECT_TRUE(delta == 0 || delta == FailureAmount(bad)) << step << ": " << bad;
            }
        }
        EXPECT_EQ(counts["excluded.jpg"], 0u) << step;
        if (counts[small] != start[small]) smallMeasured = true;
    }
    EXPECT_TRUE(smallMeasured);
    EXPECT_GE(resets, 1);
}

TEST_F(EndToEnd, ExcludeCurrentFromListChangesOnlyTheFlagOfTheCurrentRecord)
{
    UseFixtureFolder();
    ASSERT_EQ(Call("WpApi_SetRandomWallpaper"), 1u);
    const std::string current = ReadSettingsValue("CurrentImage", "ImageName").Text();
    const std::vector<std::string> before = Files();
    const std::vector<StoredImage> stored = ReadStoredImages(paths.recordFile, paths.stringFile);
    const StoredImage* target = FindStored(stored, current);
    ASSERT_TRUE(target);

    ASSERT_EQ(Call("WpApi_ExcludeCurrentFromList"), 1u);
    const std::vector<std::string> after = Files();
    EXPECT_TRUE(after[0] == before[0]);
    EXPECT_TRUE(after[2] == before[2]);
    ASSERT_EQ(after[1].size(), before[1].size());
    std::vector<size_t> changed;
    for (size_t i = 0; i < before[1].size(); ++i) {
        if (after[1][i] != before[1][i]) changed.push_back(i);
    }
    ASSERT_EQ(changed, std::vector<size_t>{target->position + 28});
    EXPECT_EQ(Get32(after[1], target->position + 28), target->fileFlags | FLAG_EXCLUDE_IMAGE);

    for (int change = 0; change < 4; ++change) {
        ASSERT_EQ(Call("WpApi_SetRandomWallpaper"), 1u);
        EXPECT_NE(ReadSettingsValue("CurrentImage", "ImageName").Text(), current);
    }
}

namespace {

bool AnyLineHas(const std::vector<std::string>& lines, const std::string& text)
{
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

}  // namespace

// Another program holds the database lock. Past the wait the exclusion fails: result 0, a "!" line,
// no line that claims the mark, and the record as it was. Released while the store waits, the flag is
// written.
TEST_F(EndToEnd, ExcludeWaitsForTheDatabaseLockAndFailsWithoutIt)
{
    UseFixtureFolder();
    ASSERT_EQ(Call("WpApi_SetRandomWallpaper"), 1u);
    const std::string current = ReadSettingsValue("CurrentImage", "ImageName").Text();
    const std::vector<StoredImage> stored = ReadStoredImages(paths.recordFile, paths.stringFile);
    const StoredImage* target = FindStored(stored, current);
    ASSERT_TRUE(target);
    const std::string before = Files()[1];
    const std::string marking = "Marking " + current + " with FLAG_EXCLUDE_IMAGE flag";

    testsupport::LogReceiver receiver;
    ASSERT_TRUE(receiver.IsOpen());
    {
        const CDatabaseLock held("held by the test", 0);
        ASSERT_TRUE(held.Held());
        EXPECT_EQ(Call("WpApi_ExcludeCurrentFromList"), 0u);
    }
    EXPECT_TRUE(Files()[1] == before);
    const std::vector<std::string> refused = receiver.Texts();
    EXPECT_TRUE(AnyLineHas(refused, "!" + current + " is not marked with FLAG_EXCLUDE_IMAGE flag"));
    EXPECT_TRUE(
        AnyLineHas(refused, "!CImageFile::StoreSelfToFile: another program has held the image database"));
    EXPECT_FALSE(AnyLineHas(refused, marking));

    receiver.Clear();
    auto held = std::make_unique<CDatabaseLock>("held by the test", 0);
    ASSERT_TRUE(held->Held());
    testsupport::ChildProcess child;
    ASSERT_TRUE(StartCall(child, "WpApi_ExcludeCurrentFromList"));
    // The list is read without the lock once its wait is over; the store waits next.
    EXPECT_TRUE(testsupport::PumpUntil(
        [&] { return AnyLineHas(receiver.Texts(), "reading without the lock"); }, 30000));
    held.reset();
    ASSERT_TRUE(child.WaitPumping(60000));
    EXPECT_EQ(child.ExitCode(), 1u);
    const std::string after = Files()[1];
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(Get32(after, target->position + 28), target->fileFlags | FLAG_EXCLUDE_IMAGE);
    EXPECT_TRUE(AnyLineHas(receiver.Texts(), marking));
}

TEST_F(EndToEnd, WithTheRecordFileHeldOpenTheRefreshLeavesTheDatabaseAlone)
{
    UseFixtureFolder();
    ASSERT_TRUE(CopyFixture("good_a.jpg", images.Path(), "arrived_later.jpg"));  // the folder changed
    const std::vector<std::string> before = Files();
    {
        Handle held(::CreateFileA(paths.recordFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_EQ(Call("WpApi_SetRandomWallpaper"), 0u);
    }
    EXPECT_TRUE(Files() == before);
    EXPECT_EQ(ReadSettingsValue("CurrentImage", "ImageName").Text(), "");

    // Once the file is free again, the next change rescans and finds the new image.
    ASSERT_EQ(Call("WpApi_SetRandomWallpaper"), 1u);
    EXPECT_EQ(Counts().count("arrived_later.jpg"), 1u);
}

// The list of a rescan that runs out of memory is not saved; the change must not go on from the
// stale list as if nothing happened, but fail, so that the Agent pauses and tries again.
TEST_F(EndToEnd, ARescanThatFailsFailsTheChange)
{
    // Many images in the first folder, so that the second one makes the new list grow.
    testsupport::TempFolder many("e2eabundant");  // sorts before the image folder
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(CopyFixture("good_a.jpg", many.Path(), "many" + std::to_string(i) + ".jpg"));
    for (const char* name : kGood)
        ASSERT_TRUE(CopyFixture(name, images.Path()));
    {
        CFolderCollection folders;
        for (const std::string& path : {many.Path(), images.Path()}) {
            auto folder = std::make_unique<CImageFolder>();
            folder->Path.Assign(path.c_str());
            ASSERT_TRUE(folders.Insert(folder.get()));
            folder.release();
        }
        CFileCollection files;
        folders.RecalculateAllFolders(files);
        ASSERT_TRUE(files.SaveToFile(paths.recordFile.c_str(), paths.stringFile.c_str()));
        ASSERT_TRUE(folders.SaveToFile(paths.folderList.c_str()));
    }
    ASSERT_TRUE(WriteSettings(record, true, 303));
    ASSERT_TRUE(CopyFixture("good_b.jpg", images.Path(), "arrived_later.jpg"));  // the folder changed
    const std::vector<std::string> before = Files();

    testsupport::LogReceiver receiver;
    EXPECT_EQ(Call("WpApi_SetRandomWallpaper", images.Path()), 0u);
    testsupport::PumpMessages();
    const std::vector<std::string> log = receiver.Texts();
    const auto logged = [&log](const std::string& part) {
        return std::any_of(log.begin(), log.end(),
                           [&part](const std::string& line) { return line.find(part) != std::string::npos; });
    };
    EXPECT_TRUE(logged("!VCL Exception: ")) << "no exception line";
    EXPECT_FALSE(logged("FindNextBackgroundImage")) << "the change went on to the selection";
    EXPECT_TRUE(Files() == before);
    EXPECT_EQ(ReadSettingsValue("CurrentImage", "ImageName").Text(), "");

    // With memory again, the next change rescans and finds the new image.
    ASSERT_EQ(Call("WpApi_SetRandomWallpaper"), 1u);
    EXPECT_EQ(Counts().count("arrived_later.jpg"), 1u);
    EXPECT_EQ(Counts().size(), 304u);
}

TEST_F(EndToEnd, RealPhotographsAreEachShownOnceBeforeAnyRepeats)
{
    const std::string photos = "Z:\\usr\\share\\backgrounds\\mate";
    if (::GetFileAttributesA(photos.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no " << photos;
    ASSERT_TRUE(BuildDatabase(photos, paths, {}, true));
    const std::vector<StoredImage> stored = ReadStoredImages(paths.recordFile, paths.stringFile);
    std::set<std::string> eligible;
    for (const StoredImage& image : stored) {
        DWORD width = 0, height = 0;
        if (!JpegSize(image.folder + "\\" + image.name, width, height)) continue;
        const DWORD smaller = std::min(width * 100 / height, height * 100 / width);
        if (width > 400 && width < 4000 && height > 400 && height < 4000 && smaller > 50)
            eligible.insert(image.name);
    }
    ASSERT_GE(eligible.size(), 2u);
    ASSERT_TRUE(WriteSettings(record, true, static_cast<DWORD>(stored.size())));

    std::set<std::string> shown;
    for (size_t change = 0; change < eligible.size(); ++change) {
        const ULONGLONG before = LocalNow();
        ASSERT_EQ(Call("WpApi_SetRandomWallpaper"), 1u) << change;
        const std::string name = ReadSettingsValue("CurrentImage", "ImageName").Text();
        ExpectChangeRecorded(ReadSettingsValue("CurrentImage", "ImagePath").Text(), name, before, LocalNow(),
                             "change " + std::to_string(change));
        EXPECT_EQ(eligible.count(name), 1u) << name << " is not eligible";
        EXPECT_TRUE(shown.insert(name).second) << name << " repeated after " << change << " changes";
    }
    EXPECT_EQ(shown, eligible);
}

}  // namespace
