// A save killed at a random moment leaves each database file whole: the old one or the new one.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

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
        ASSERT_EQ(::WaitForSingleObject(ready.get(), 15000), WAIT_OBJECT_0);
        ::Sleep(random() % 120);
        saver.Terminate();

        const int list = WhichVariant(ReadBytes(dir + "\\FolderList.dat"), old.folderList, fresh.folderList);
        const int records = WhichVariant(ReadBytes(dir + "\\FileListDat.dat"), old.records, fresh.records);
        const int strings = WhichVariant(ReadBytes(dir + "\\FileListStr.dat"), old.strings, fresh.strings);
        EXPECT_NE(list, -1) << "trial " << trial;
        EXPECT_NE(records, -1) << "trial " << trial;
        EXPECT_NE(strings, -1) << "trial " << trial;
        if (list != 0 || records != 0 || strings != 0) ++changed;
        // A temporary file left behind shows the kill came in the middle of writing. Each writer's
        // has a name of its own, so the trial's are cleared for the next.
        const std::vector<std::string> leftovers = testsupport::FilesMatching(dir, "*.tmp");
        if (!leftovers.empty()) ++killedWhileWriting;
        for (const std::string& name : leftovers) ::DeleteFileA((dir + "\\" + name).c_str());
        if (HasFailure()) break;
        // A matching pair loads whole; a kill between the two replacements leaves a new string file
        // beside the old record file, which loads without a crash.
        CFolderCollection folders;
        EXPECT_TRUE(folders.LoadFromFile((dir + "\\FolderList.dat").c_str()));
        CFileCollection files;
        const bool loaded =
            files.LoadFromFile((dir + "\\FileListDat.dat").c_str(), (dir + "\\FileListStr.dat").c_str());
        if (records == strings) {
            EXPECT_TRUE(loaded);
            EXPECT_EQ(files.GetCount(), records == 0 ? kImages : kImages + 37);
        }
    }
    // The kills must have hit saves in progress, not only a saver that had not begun.
    EXPECT_GT(changed, 0);
    EXPECT_GT(killedWhileWriting, 0);
    std::printf("%d of %d kills came while a file was being written\n", killedWhileWriting, kTrials);
}
