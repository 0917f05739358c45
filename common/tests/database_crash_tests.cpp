// A save killed at a random moment leaves each database file whole: the old one or the new one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "DbPairReplace.h"
#include "KvTestSupport.h"
#include "UDatabase.h"
#include "database_support.h"

using namespace dbtest;

namespace {

constexpr int kImages = 10000;  // as database_helper builds them
constexpr int kTrials = 24;

struct Variant {
    std::vector<BYTE> folderList, records, strings;
};

Variant SaveVariant(const std::string& dir, int folders, int images, int variant)
{
    CFolderCollection folderList;
    CFileCollection files;
    FillSampleFolders(folderList, folders, variant);
    FillSampleImages(files, images, variant);
    EXPECT_TRUE(folderList.SaveToFile((dir + "\\FolderList.dat").c_str()));
    EXPECT_TRUE(files.SaveToFile((dir + "\\FileListDat.dat").c_str(), (dir + "\\FileListStr.dat").c_str()));
    return {ReadBytes(dir + "\\FolderList.dat"), ReadBytes(dir + "\\FileListDat.dat"),
            ReadBytes(dir + "\\FileListStr.dat")};
}

// 0 or 1 for the variant the bytes are, -1 for neither.
int WhichVariant(const std::vector<BYTE>& bytes, const std::vector<BYTE>& old, const std::vector<BYTE>& fresh)
{
    if (bytes == old) return 0;
    if (bytes == fresh) return 1;
    return -1;
}

}  // namespace

TEST(DatabaseCrash, KilledSaveLeavesEachFileOldOrNew)
{
    const std::string dir = FreshFolder("crash");
    const Variant fresh = SaveVariant(FreshFolder("crash_new"), 5, kImages + 37, 1);
    const Variant old = SaveVariant(dir, 3, kImages, 0);
    ASSERT_NE(old.records, fresh.records);

    std::mt19937 random(77);
    int changed = 0;
    int killedWhileWriting = 0;
    for (int trial = 0; trial < kTrials; ++trial) {
        const std::string readyName = UniqueEventName(("saving" + std::to_string(trial)).c_str());
        Handle ready(::CreateEventA(nullptr, TRUE, FALSE, readyName.c_str()));
        testsupport::ChildProcess saver;
        ASSERT_TRUE(StartHelper(saver, "save " + dir + " " + std::to_string(kImages) + " " + readyName));
        ASSERT_EQ(::WaitForSingleObject(ready.get(), testsupport::ScaledMs(15000)), WAIT_OBJECT_0);
        ::Sleep(random() % 120);
        saver.Terminate();

        // The first load under the lock finishes a replacement the kill interrupted; then the pair
        // is one save's, and loads whole.
        CFolderCollection folders;
        EXPECT_TRUE(folders.LoadFromFile((dir + "\\FolderList.dat").c_str()));
        CFileCollection files;
        const bool loaded =
            files.LoadFromFile((dir + "\\FileListDat.dat").c_str(), (dir + "\\FileListStr.dat").c_str());
        const int list = WhichVariant(ReadBytes(dir + "\\FolderList.dat"), old.folderList, fresh.folderList);
        const int records = WhichVariant(ReadBytes(dir + "\\FileListDat.dat"), old.records, fresh.records);
        const int strings = WhichVariant(ReadBytes(dir + "\\FileListStr.dat"), old.strings, fresh.strings);
        EXPECT_NE(list, -1) << "trial " << trial;
        EXPECT_NE(records, -1) << "trial " << trial;
        EXPECT_EQ(strings, records) << "trial " << trial;
        EXPECT_TRUE(loaded) << "trial " << trial;
        EXPECT_EQ(files.GetCount(), records == 0 ? kImages : kImages + 37);
        if (list != 0 || records != 0 || strings != 0) ++changed;
        // A temporary file left behind shows the kill came in the middle of writing. Each writer's
        // has a name of its own, and no journal names any now, so the trial's are cleared for the next.
        const std::vector<std::string> leftovers = testsupport::FilesMatching(dir, "*.tmp");
        if (!leftovers.empty()) ++killedWhileWriting;
        for (const std::string& name : leftovers)
            ::DeleteFileA((dir + "\\" + name).c_str());
        if (HasFailure()) break;
    }
    // The kills must have hit saves in progress, not only a saver that had not begun.
    EXPECT_GT(changed, 0);
    EXPECT_GT(killedWhileWriting, 0);
    std::printf("%d of %d kills came while a file was being written\n", killedWhileWriting, kTrials);
}

namespace {

// A database over a tree of photos: `folders` directories of `perFolder` photos each under
// <dir>\Photos, one image folder with its subfolders, and the file list its first change built.
DatabasePaths MakePhotoDatabase(const std::string& dir, int folders, int perFolder)
{
    const std::string photos = dir + "\\Photos";
    for (int f = 0; f < folders; ++f) {
        const std::string folder = photos + "\\Album " + std::to_string(f);
        MakeDirectory(folder);
        for (int i = 0; i < perFolder; ++i)
            MakeFile(folder + "\\IMG_" + std::to_string(i) + ".jpg");
    }
    const DatabasePaths files(dir);
    CFolderCollection list;
    auto folder = std::make_unique<CImageFolder>();
    folder->Path.Assign(photos.c_str());
    folder->IncludeSubfolders = 1;
    list.Insert(folder.release());
    EXPECT_TRUE(list.SaveToFile(files.folderList.c_str()));
    EXPECT_EQ(RunDatabaseChange(files), 0);
    return files;
}

std::vector<std::string> WithKey(std::vector<std::string> keys, const std::string& key)
{
    keys.push_back(key);
    std::sort(keys.begin(), keys.end());
    return keys;
}

// Starts a change of the database in `dir` in the helper process. With a step, its save sets the
// event there, and stops unless `goOn`.
bool StartChange(testsupport::ChildProcess& helper, const std::string& dir, int step = -1,
                 const std::string& eventName = "", bool goOn = false)
{
    std::string arguments = "change " + dir;
    if (step >= 0) arguments += " " + std::to_string(step) + " " + eventName + (goOn ? " go" : "");
    return StartHelper(helper, arguments);
}

}  // namespace

// A change whose save is ended at each of its steps: the next load gets the old pair or the new
// pair whole (the new one as soon as the journal names it), and the next change goes through and
// takes a photo that arrived meanwhile.
TEST(DatabaseCrash, SaveEndedAtEachStepLeavesAWholePair)
{
    struct StepCase {
        DbPairStep step;
        const char* name;
        bool newPair;      // what the next load reads
        bool journalLeft;  // the killed save left its journal behind
    };
    const StepCase cases[] = {
        {DbPairStep::StringsWritten, "string file written", false, false},
        {DbPairStep::RecordsWritten, "record file written", false, false},
        {DbPairStep::JournalWritten, "journal written", true, true},
        {DbPairStep::StringsReplaced, "between the two replacements", true, true},
        {DbPairStep::RecordsReplaced, "after both replacements", true, true},
        {DbPairStep::JournalRemoved, "journal removed", true, false},
    };
    for (const StepCase& c : cases) {
        const std::string dir = FreshFolder("steps");
        const DatabasePaths files = MakePhotoDatabase(dir, 3, 10);
        std::vector<std::string> oldKeys;
        ASSERT_TRUE(LoadImageKeys(files, oldKeys)) << c.name;
        ASSERT_EQ(oldKeys.size(), 30u) << c.name;
        const std::string album = dir + "\\Photos\\Album 1";
        MakeFile(album + "\\Arrived.jpg");
        const std::vector<std::string> newKeys = WithKey(oldKeys, album + "|Arrived.jpg");

        const std::string stoppedName = UniqueEventName("stopped");
        Handle stopped(::CreateEventA(nullptr, TRUE, FALSE, stoppedName.c_str()));
        testsupport::ChildProcess saver;
        ASSERT_TRUE(StartChange(saver, dir, static_cast<int>(c.step), stoppedName)) << c.name;
        ASSERT_EQ(::WaitForSingleObject(stopped.get(), testsupport::ScaledMs(15000)), WAIT_OBJECT_0)
            << c.name;
        saver.Terminate();
        ASSERT_NE(WaitForExit(saver, 15000), STILL_ACTIVE) << c.name;

        EXPECT_EQ(DbPairReplacementPending(files.records.c_str()), c.journalLeft) << c.name;
        // The selections load the record file alone; the journal names the string file for them.
        CFileCollection bare;
        EXPECT_TRUE(bare.LoadFromFile(files.records.c_str(), "")) << c.name;
        EXPECT_EQ(bare.GetCount(), c.newPair ? 31 : 30) << c.name;
        EXPECT_FALSE(DbPairReplacementPending(files.records.c_str())) << c.name;
        std::vector<std::string> keys;
        EXPECT_TRUE(LoadImageKeys(files, keys)) << c.name;
        EXPECT_TRUE(keys == (c.newPair ? newKeys : oldKeys)) << c.name << ": " << keys.size() << " images";
        EXPECT_FALSE(DbPairReplacementPending(files.records.c_str())) << c.name;

        MakeFile(album + "\\Meanwhile.jpg");
        EXPECT_EQ(RunDatabaseChange(files), 0) << c.name;
        EXPECT_TRUE(LoadImageKeys(files, keys)) << c.name;
        EXPECT_TRUE(keys == WithKey(newKeys, album + "|Meanwhile.jpg")) << c.name;
        // The next successful save removes what the ended one left, at once: its writer is gone.
        EXPECT_TRUE(testsupport::FilesMatching(dir, "*.tmp").empty()) << c.name;
        if (HasFailure()) break;
    }
}

// Changes that rescan a tree of 500 photos, ended at random moments until 100 were ended:
// every pair loads, and holds exactly the images of before or after its change.
TEST(DatabaseCrash, RandomKillsDuringChangesNeverTearThePair)
{
    constexpr int kKills = 100;
    constexpr int kMaxChanges = 250;
    const std::string dir = FreshFolder("kills");
    const DatabasePaths files = MakePhotoDatabase(dir, 20, 25);
    std::vector<std::string> without;
    ASSERT_TRUE(LoadImageKeys(files, without));
    ASSERT_EQ(without.size(), 500u);
    // Sorted first, so every record after it points to moved texts: a torn pair cannot pass for whole.
    const std::string toggled = dir + "\\Photos\\Album 0\\000 toggled.jpg";
    const std::vector<std::string> with = WithKey(without, dir + "\\Photos\\Album 0|000 toggled.jpg");

    // How long one change takes in the helper, its start included, sets the range of the kill times;
    // the scans and the save come in its later part. The quickest of three leaves out a slow start.
    DWORD changeMs = 0xFFFFFFFF;
    for (int run = 0; run < 3; ++run) {
        if (run % 2 == 0)
            MakeFile(toggled);
        else
            ::DeleteFileA(toggled.c_str());
        const DWORD start = ::GetTickCount();
        testsupport::ChildProcess helper;
        ASSERT_TRUE(StartChange(helper, dir));
        ASSERT_EQ(WaitForExit(helper, 30000), 0u);
        changeMs = std::min(changeMs, ::GetTickCount() - start);
    }
    changeMs = std::max<DWORD>(changeMs, 30);

    std::mt19937 random(2026);
    int changes = 0, ended = 0, duringSave = 0, failedLoads = 0, torn = 0, oldPairs = 0, newPairs = 0,
        finishedByLoad = 0;
    const DWORD loopStart = ::GetTickCount();
    for (; ended < kKills && changes < kMaxChanges; ++changes) {
        // The photo goes and comes back with every change (the measuring left it there).
        const bool present = changes % 2 == 1;
        if (present)
            MakeFile(toggled);
        else
            ::DeleteFileA(toggled.c_str());
        // Every other change is ended at a random moment of the whole change, the others within a
        // few milliseconds of the start of their save, where the replacement happens.
        const bool inSave = changes % 4 >= 2;
        const std::string savingName = UniqueEventName("saving");
        Handle saving(::CreateEventA(nullptr, TRUE, FALSE, savingName.c_str()));
        const DWORD started = ::GetTickCount();
        testsupport::ChildProcess helper;
        ASSERT_TRUE(
            inSave ? StartChange(helper, dir, static_cast<int>(DbPairStep::StringsWritten), savingName, true)
                   : StartChange(helper, dir));
        DWORD killAfter = changeMs / 4 + random() % (changeMs * 7 / 10 + 1);
        if (inSave) {
            // A change that finds nothing to do ends without saving: when the one before was ended
            // after saving the file list but before the folder list, that one is as the disk now is.
            ASSERT_TRUE(testsupport::PumpUntil(
                [&] {
                    return ::WaitForSingleObject(saving.get(), 0) == WAIT_OBJECT_0 ||
                           helper.ExitCode() != STILL_ACTIVE;
                },
                30000));
            killAfter = random() % 5;
        }
        // The kill moment follows the change's measured time, so it is not scaled like a deadline.
        if (!helper.WaitUnscaled(killAfter)) {
            helper.Terminate();
            ASSERT_NE(WaitForExit(helper, 15000), STILL_ACTIVE);
            ++ended;
        } else if (!inSave) {
            // A change ended before its kill: the machine runs quicker than when the change was
            // timed (other programs beside this one have ended), and the kill times follow it.
            changeMs = std::max<DWORD>(std::min<DWORD>(changeMs, ::GetTickCount() - started), 30);
        }
        if (DbPairReplacementPending(files.records.c_str())) ++finishedByLoad;
        std::vector<std::string> keys;
        if (!LoadImageKeys(files, keys))
            ++failedLoads;
        else if (keys == (present ? with : without))
            ++newPairs;
        else if (keys == (present ? without : with))
            ++oldPairs;
        else
            ++torn;
        const std::vector<BYTE> records = ReadBytes(files.records);
        if (records.size() < 144 || records.size() != 144 + 80 * static_cast<size_t>(Get32(records, 12)))
            ++torn;
        CFolderCollection folders;
        if (!folders.LoadFromFile(files.folderList.c_str())) ++failedLoads;
        // Temporary files of the ended change show that the kill came while it saved; once the load
        // has finished what it found, none of them is named by a journal.
        const std::vector<std::string> leftovers = testsupport::FilesMatching(dir, "*.tmp");
        if (!leftovers.empty()) ++duringSave;
        for (const std::string& name : leftovers)
            ::DeleteFileA((dir + "\\" + name).c_str());
    }
    std::printf(
        "%d changes of 500 photos, %d ended by a kill (%d while saving; a whole change takes %lu ms): "
        "%d loads failed, %d torn, %d old pairs, %d new pairs, %d replacements finished by the next load; "
        "%lu ms\n",
        changes, ended, duringSave, static_cast<unsigned long>(changeMs), failedLoads, torn, oldPairs,
        newPairs, finishedByLoad, static_cast<unsigned long>(::GetTickCount() - loopStart));
    EXPECT_EQ(failedLoads, 0);
    EXPECT_EQ(torn, 0);
    EXPECT_GE(ended, kKills);
    EXPECT_GT(duringSave, 0);
    EXPECT_GT(oldPairs, 0);
    EXPECT_GT(newPairs, 0);
}

// A journal that does not describe a save of this pair (another list's, one naming files that are
// not the pair's temporary files, damaged text) decides nothing: it is removed, nothing it names is
// moved, and the pair loads as it is. So is one whose files were all moved already.
TEST(DatabaseCrash, AJournalThatDoesNotFitIsRemovedAndMovesNothing)
{
    const std::string dir = FreshFolder("journal");
    const DatabasePaths files = MakePhotoDatabase(dir, 2, 5);
    std::vector<std::string> keys;
    ASSERT_TRUE(LoadImageKeys(files, keys));
    const std::string other = dir + "\\other.dat";
    const std::string otherTemp = other + ".1a-2.tmp";
    const std::string stringTemp = files.strings + ".1a-3.tmp";
    const std::string recordTemp = files.records + ".1a-4.tmp";
    struct JournalCase {
        const char* name;
        std::string text;
    };
    const JournalCase cases[] = {
        {"another list's", other + "\r\n" + otherTemp + "\r\n" + other + "\r\n" + otherTemp + "\r\n"},
        {"files that are not temporary files",
         files.strings + "\r\n" + other + "\r\n" + files.records + "\r\n" + recordTemp + "\r\n"},
        {"three lines", files.strings + "\r\n" + stringTemp + "\r\n" + files.records + "\r\n"},
        {"no line end", files.strings + "\r\n" + stringTemp + "\r\n" + files.records + "\r\n" + recordTemp},
        {"empty", ""},
        {"all moved already", files.strings + "\r\n" + files.strings + ".1a-5.tmp\r\n" + files.records +
                                  "\r\n" + files.records + ".1a-6.tmp\r\n"},
    };
    const std::vector<BYTE> records = ReadBytes(files.records);
    for (const JournalCase& c : cases) {
        for (const std::string& path : {other, otherTemp, stringTemp, recordTemp})
            WriteBytes(path, {'x'});
        WriteBytes(files.records + ".journal", std::vector<BYTE>(c.text.begin(), c.text.end()));
        std::vector<std::string> loaded;
        EXPECT_TRUE(LoadImageKeys(files, loaded)) << c.name;
        EXPECT_TRUE(loaded == keys) << c.name;
        EXPECT_FALSE(DbPairReplacementPending(files.records.c_str())) << c.name;
        EXPECT_TRUE(ReadBytes(files.records) == records) << c.name;
        for (const std::string& path : {other, otherTemp, stringTemp, recordTemp})
            EXPECT_EQ(ReadBytes(path), std::vector<BYTE>{'x'}) << c.name << ": " << path;
    }
}
