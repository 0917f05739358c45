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
        // Beside the target, so the final move stays within one volume.
        EXPECT_EQ(std::string(pending.TempPath().GetText()).rfind(target + ".", 0), 0u);
        pending.File().Write("new", 3);
        EXPECT_EQ(testsupport::ReadFileBytes(target), "old contents");  // untouched until Commit
        EXPECT_TRUE(pending.Commit());
        EXPECT_EQ(testsupport::ReadFileBytes(target), "new");
        EXPECT_FALSE(testsupport::PathExists(pending.TempPath().GetText()));
    }
    EXPECT_EQ(testsupport::ReadFileBytes(target), "new");
}

// Two writers of one target (the Agent and the screen saver saving the same database) each write
// a file of their own: neither is refused, truncated or moved half-written by the other, and the
// target ends up as the last complete save.
TEST(TxPendingFile, TwoWritersOfOneTargetDoNotShareTheirTemporaryFile)
{
    testsupport::TempFolder folder("pending");
    const std::string target = folder / "list.dat";
    ASSERT_TRUE(testsupport::WriteFileBytes(target, "old contents"));
    TxPendingFile first(target.c_str());
    TxPendingFile second(target.c_str());
    EXPECT_STRNE(first.TempPath().GetText(), second.TempPath().GetText());
    first.File().Write("first", 5);
    second.File().Write("second", 6);
    EXPECT_TRUE(first.Commit());
    EXPECT_EQ(testsupport::ReadFileBytes(target), "first");
    EXPECT_TRUE(second.Commit());
    EXPECT_EQ(testsupport::ReadFileBytes(target), "second");
    EXPECT_FALSE(testsupport::PathExists(first.TempPath().GetText()));
    EXPECT_FALSE(testsupport::PathExists(second.TempPath().GetText()));
}

// One writer giving up must not delete the file another writer is about to move into place.
TEST(TxPendingFile, AnAbandonedWriterLeavesAnotherWritersFile)
{
    testsupport::TempFolder folder("pending");
    const std::string target = folder / "list.dat";
    TxPendingFile kept(target.c_str());
    kept.File().Write("kept", 4);
    {
        TxPendingFile abandoned(target.c_str());
    }
    EXPECT_TRUE(kept.Commit());
    EXPECT_EQ(testsupport::ReadFileBytes(target), "kept");
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
    std::string temporary;
    try {
        TxPendingFile pending(target.c_str());
        temporary = pending.TempPath().GetText();
        pending.File().Write("half", 4);
        throw ExNormal("failure in the middle of a save");
    } catch (const ExNormal&) {
    }
    EXPECT_EQ(testsupport::ReadFileBytes(target), "old contents");
    EXPECT_FALSE(testsupport::PathExists(temporary));
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
    std::string temporary;
    {
        TxPendingFile pending(target.c_str());
        temporary = pending.TempPath().GetText();
        pending.File().Write("new", 3);
        EXPECT_FALSE(pending.Commit());
    }
    ::CloseHandle(other);
    EXPECT_EQ(testsupport::ReadFileBytes(target), "old contents");
    EXPECT_FALSE(testsupport::PathExists(temporary));
}

TEST(TxPendingFile, UnwritableFolderThrows)
{
    testsupport::TempFolder folder("pending");
    EXPECT_THROW(TxPendingFile pending((folder / "no\\such\\dir.dat").c_str()), ExNormal);
}
