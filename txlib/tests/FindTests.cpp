// Existence tests, directory creation and the folder search on the real file system.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "KvTestSupport.h"
#include "UTxDiskApi.h"

TEST(TxDisk, ExistenceTests)
{
    testsupport::TempFolder folder("find");
    const std::string file = folder / "a.jpg";
    ASSERT_TRUE(testsupport::WriteFileBytes(file, "x"));
    char windows[MAX_PATH + 1] = "";
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string root = std::string(windows, 3);  // "C:\"
    struct Case {
        std::string path;
        bool directory, file;
    };
    const Case cases[] = {
        {folder.Path(), true, false},
        {folder.Path() + "\\", true, false},
        {root, true, false},  // a drive root counts as a folder
        {file, false, true},
        {file + "\\", false, false},
        {folder / "missing", false, false},
        {folder / "*.jpg", false, false},  // no wildcard matching
        {folder / "?.jpg", false, false},
        {"", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TxDirectoryExists(c.path.c_str()), c.directory) << c.path;
        EXPECT_EQ(TxFileExists(c.path.c_str()), c.file) << c.path;
    }
}

TEST(TxDisk, CreateDirectoryTree)
{
    testsupport::TempFolder folder("find");
    struct Case {
        std::string path;
        std::string check;
        bool result;
    };
    const std::string slashed = folder.Path() + "/s1/s2/s3";
    const Case cases[] = {
        {folder / "a\\b\\c", folder / "a\\b\\c", true},
        {slashed, folder / "s1\\s2\\s3", true},
        {folder / "t1\\t2\\", folder / "t1\\t2", true},
        {folder / "a\\b\\c", folder / "a\\b\\c", true},  // exists already
        {folder / "file.txt\\sub", "", false},           // a file in the way
    };
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / "file.txt", "x"));
    for (const auto& c : cases) {
        EXPECT_EQ(TxCreateDirectoryTree(c.path.c_str()), c.result) << c.path;
        if (!c.check.empty()) {
            EXPECT_TRUE(TxDirectoryExists(c.check.c_str())) << c.check;
        }
    }
}

TEST(TxFindFile, ListsAFolder)
{
    testsupport::TempFolder folder("find");
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / "a.jpg", "12345"));
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / "b.txt", ""));
    ASSERT_TRUE(::CreateDirectoryA((folder / "sub").c_str(), nullptr));

    TxFindFile find;
    EXPECT_FALSE(find.FindNext());
    std::set<std::string> names, directories, dots;
    for (bool more = find.FindFirst(folder.Path().c_str(), "*"); more; more = find.FindNext()) {
        TxString name;
        find.GetName(name);
        names.insert(name.GetText());
        if (find.IsDirectory()) directories.insert(name.GetText());
        if (find.IsDotDirectory()) dots.insert(name.GetText());
        TxFileInfo info;
        find.GetFileInfo(info);
        EXPECT_STREQ(info.m_sName.GetText(), name.GetText());
        EXPECT_EQ(info.IsDirectory(), find.IsDirectory());
        EXPECT_EQ(info.IsDotDirectory(), find.IsDotDirectory());
        if (name.Equals("a.jpg")) {
            EXPECT_EQ(info.m_dwSizeLow, 5u);
            EXPECT_EQ(info.m_dwSizeHigh, 0u);
            EXPECT_FALSE(info.IsHidden());
        }
    }
    EXPECT_EQ(names, (std::set<std::string>{".", "..", "a.jpg", "b.txt", "sub"}));
    EXPECT_EQ(directories, (std::set<std::string>{".", "..", "sub"}));
    EXPECT_EQ(dots, (std::set<std::string>{".", ".."}));
    EXPECT_STREQ(find.Directory().GetText(), (folder.Path() + "\\").c_str());

    ASSERT_TRUE(find.FindFirst((folder.Path() + "\\").c_str(), "*.jpg"));
    EXPECT_STREQ(find.Directory().GetText(), (folder.Path() + "\\").c_str());
    EXPECT_STREQ(find.FindData().cFileName, "a.jpg");
    EXPECT_FALSE(find.FindNext());

    EXPECT_FALSE(find.FindFirst(folder.Path().c_str(), "*.none"));
    EXPECT_FALSE(find.FindNext());
    find.FindFirst("", "*");
    EXPECT_STREQ(find.Directory().GetText(), "\\");
}

TEST(TxFindFile, AnotherSearchClosesThePreviousOne)
{
    // An open search holds its folder: it cannot be removed until the search is closed.
    testsupport::TempFolder folder("find");
    const std::string first = folder / "first";
    const std::string second = folder / "second";
    ASSERT_TRUE(::CreateDirectoryA(first.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA(second.c_str(), nullptr));
    TxFindFile find;
    ASSERT_TRUE(find.FindFirst(first.c_str(), "*"));
    ASSERT_FALSE(::RemoveDirectoryA(first.c_str())) << "the platform does not show an open search";
    ASSERT_TRUE(find.FindFirst(second.c_str(), "*"));
    EXPECT_TRUE(::RemoveDirectoryA(first.c_str())) << ::GetLastError();
}

TEST(TxFileInfo, OwnsItsAttachedObject)
{
    struct Probe : TxObject {
        explicit Probe(bool& gone) : m_bGone(gone) {}
        ~Probe() override { m_bGone = true; }
        bool& m_bGone;
    };
    bool gone = false;
    {
        TxFileInfo info;
        info.m_pAttached = new Probe(gone);
    }
    EXPECT_TRUE(gone);
}
