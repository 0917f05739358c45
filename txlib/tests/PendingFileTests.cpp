// TxPendingFile: the target changes only on Commit, and no temporary file stays behind.
#include <gtest/gtest.h>

#include <string>

#include "KvTestSupport.h"
#include "UTxDiskApi.h"

TEST(TxPendingFile, CommitReplacesTheTarget)
{
    testsupport::TempFolder folder("pending");
    const std::string target = folder / "list.dat";
    ASSERT_TRUE(testsupport::WriteFileBytes(target, "old contents"));
    {
        TxPendingFile pending(target.c_str());
        EXPECT_EQ(pending.TempPath().GetText(), target + ".tmp");
        pending.File().Write("new", 3);
        EXPECT_EQ(testsupport::ReadFileBytes(target), "old contents");  // untouched until Commit
        EXPECT_TRUE(pending.Commit());
        EXPECT_EQ(testsupport::ReadFileBytes(target), "new");
        EXPECT_FALSE(testsupport::PathExists(target + ".tmp"));
    }
    EXPECT_EQ(testsupport::ReadFileBytes(target), "new");
}

TEST(TxPendingFile, CommitCreatesAMissingTarget)
{
    testsupport::TempFolder folder("pending");
    const std::string target = folder / "fresh.dat";
    TxPendingFile pending(target.c_str());
    pending.File().Write("abc", 3);
    EXPECT_TRUE(pending.Commit());
    EXPECT_EQ(testsupport::ReadFileBytes(target), "abc");
}

TEST(TxPendingFile, AbandonedFileLeavesTheTargetWhole)
{
    testsupport::TempFolder folder("pending");
    const std::string target = folder / "list.dat";
    ASSERT_TRUE(testsupport::WriteFileBytes(target, "old contents"));
    try {
        TxPendingFile pending(target.c_str());
        pending.File().Write("half", 4);
        throw ExNormal("failure in the middle of a save");
    } catch (const ExNormal&) {
    }
    EXPECT_EQ(testsupport::ReadFileBytes(target), "old contents");
    EXPECT_FALSE(testsupport::PathExists(target + ".tmp"));
}

TEST(TxPendingFile, LockedTargetIsNotReplaced)
{
    testsupport::TempFolder folder("pending");
    const std::string target = folder / "locked.dat";
    ASSERT_TRUE(testsupport::WriteFileBytes(target, "old contents"));
    // Another program reading the file without allowing its deletion or replacement.
    const HANDLE other =
        ::CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    {
        TxPendingFile pending(target.c_str());
        pending.File().Write("new", 3);
        EXPECT_FALSE(pending.Commit());
    }
    ::CloseHandle(other);
    EXPECT_EQ(testsupport::ReadFileBytes(target), "old contents");
    EXPECT_FALSE(testsupport::PathExists(target + ".tmp"));
}

TEST(TxPendingFile, UnwritableFolderThrows)
{
    testsupport::TempFolder folder("pending");
    EXPECT_THROW(TxPendingFile pending((folder / "no\\such\\dir.dat").c_str()), ExNormal);
}
