// Scans a small fixed tree and saves it into C:\kvtest_golden, where database_reader.py (a test of
// its own, run after this program) checks the bytes from outside.
#include <gtest/gtest.h>

#include <string>

#include "UDatabase.h"
#include "database_support.h"

using namespace dbtest;

namespace {

constexpr ULONGLONG kJan2020 = 132224078450000000ull;  // 2020-01-02 03:04:05 UTC
const std::string kRoot = "C:\\kvtest_golden";

}  // namespace

TEST(DatabaseGolden, ScanAndSaveTheFixtureTree)
{
    testsupport::RemoveTree(kRoot);
    const std::string a = kRoot + "\\tree\\A";
    const std::string b = kRoot + "\\tree\\B";
    MakeDirectory(a + "\\Sub");
    MakeDirectory(b + "\\q.jpg");
    MakeFile(a + "\\x.jpg", 3, kJan2020);
    MakeFile(a + "\\Sub\\y.JPEG", 5, kJan2020 + 10000000);
    MakeFile(b + "\\w.jpeg", 0, kJan2020 + 20000000);
    MakeFile(b + "\\z.txt");
    MakeFile(b + "\\d.jpg.txt");
    MakeFile(b + "\\q.jpg\\inner.jpg");

    CFolderCollection folders;
    auto folderA = std::make_unique<CImageFolder>();
    folderA->Path.Assign(a.c_str());
    folderA->IncludeSubfolders = 1;
    folderA->UseForScreenSaver = 0;
    auto folderB = std::make_unique<CImageFolder>();
    folderB->Path.Assign(b.c_str());
    folderB->AutoScan = 0;
    folderB->UseForWallpaper = 0;
    ASSERT_TRUE(folders.Insert(folderA.release()));
    ASSERT_TRUE(folders.Insert(folderB.release()));

    CFileCollection files;
    folders.RecalculateAllFolders(files);
    ASSERT_EQ(files.GetCount(), 3);
    CImageFile* x = files.FileAt(0);
    ASSERT_STREQ(x->FileName.GetText(), "x.jpg");
    x->ShownCount = 7;
    x->ScreenSaverFlags = FLAG_SHOWN_RANDOM | FLAG_SHOWN_BY_TIME;
    x->FileFlags |= FLAG_EXCLUDE_IMAGE;
    x->Reserved = 0x12345678;
    x->AverageColor = 0x00112233;
    files.FileAt(2)->ShownCount = 1;

    ASSERT_TRUE(folders.SaveToFile((kRoot + "\\FolderList.dat").c_str()));
    ASSERT_TRUE(
        files.SaveToFile((kRoot + "\\FileListDat.dat").c_str(), (kRoot + "\\FileListStr.dat").c_str()));
    EXPECT_FALSE(folders.CheckForChangesOnDisk(true));
}
