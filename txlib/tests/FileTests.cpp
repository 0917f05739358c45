// TxFile against real files, read back from outside the class.
#include <gtest/gtest.h>

#include <string>
#include <type_traits>

#include "KvTestSupport.h"
#include "TxTestHelpers.h"
#include "UTxDiskApi.h"
#include "UTxLog.h"

static_assert(!std::is_copy_constructible_v<TxFile> && !std::is_copy_assignable_v<TxFile>);
static_assert(!std::is_copy_constructible_v<TxTextFile> && !std::is_copy_assignable_v<TxTextFile>);
static_assert(!std::is_copy_constructible_v<TxFindFile> && !std::is_copy_assignable_v<TxFindFile>);
static_assert(!std::is_copy_constructible_v<TxPendingFile>);

TEST(TxFile, OpenFailuresThrowTheSystemText)
{
    testsupport::TempFolder folder("file");
    struct Case {
        std::string path;
        bool readOnly, create;
        DWORD error;
    };
    const Case cases[] = {
        {folder / "missing.dat", true, false, ERROR_FILE_NOT_FOUND},
        {folder / "missing.dat", false, false, ERROR_FILE_NOT_FOUND},
        {folder / "no\\such\\folder.dat", false, true, ERROR_PATH_NOT_FOUND},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ThrownText([&] { TxFile file(c.path.c_str(), c.readOnly, c.create); }),
                  testsupport::SystemErrorText(c.error))
            << c.path;
    }
    EXPECT_FALSE(testsupport::PathExists(folder / "missing.dat"));
}

TEST(TxFile, OpenFailureIsReportedRightWhileLogging)
{
    // Logging sits between the failing call and the exception; it must not change what is thrown.
    testsupport::TempFolder folder("file");
    // Short enough that the log line is not wrapped at this program's 80 columns.
    const std::string missing = "C:\\kvt-missing-" + std::to_string(::GetCurrentProcessId()) + ".dat";
    const std::string logPath = folder / "open.log";
    ASSERT_TRUE(g_Log.OpenFile(logPath.c_str()));
    const std::string text = ThrownText([&] { TxFile file(missing.c_str(), true, false); });
    g_Log.CloseFile();
    EXPECT_EQ(text, testsupport::SystemErrorText(ERROR_FILE_NOT_FOUND));
    const std::string log = testsupport::ReadFileBytes(logPath);
    EXPECT_NE(log.find("       TxFile::TxFile: File " + missing + " could not be open\r\n"),
              std::string::npos)
        << log;
    std::string systemLine = testsupport::SystemErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_NE(log.find("Throwing exception: " + systemLine.substr(0, systemLine.find_first_of("\r\n"))),
              std::string::npos)
        << log;
}

TEST(TxFile, WriteSeekReadRoundTrip)
{
    testsupport::TempFolder folder("file");
    const std::string path = folder / "data.bin";
    ASSERT_TRUE(testsupport::WriteFileBytes(path, "old contents that must go"));
    {
        TxFile file(path.c_str(), false, true);
        EXPECT_EQ(file.GetSize(), 0u);
        file.Write("0123456789", 10);
        EXPECT_EQ(file.GetPosition(), 10u);
        EXPECT_EQ(file.GetSize(), 10u);
        file.Seek(4);
        file.Write("ab", 2);
        EXPECT_EQ(file.GetPosition(), 6u);
        EXPECT_EQ(file.GetSize(), 10u);
        file.Seek(2);
        char buffer[16] = {};
        DWORD read = 99;
        file.Read(buffer, 16, &read);  // a short read at the end is no error
        EXPECT_EQ(read, 8u);
        EXPECT_EQ(std::string(buffer, read), "23ab6789");
        EXPECT_EQ(file.GetPosition(), 10u);
        file.Flush();
        EXPECT_STREQ(file.GetName().GetText(), path.c_str());
    }
    EXPECT_EQ(testsupport::ReadFileBytes(path), "0123ab6789");

    TxFile reopened(path.c_str(), false, false);  // without create the contents stay
    EXPECT_EQ(reopened.GetSize(), 10u);
    char four[4];
    reopened.ReadExact(four, 4);
    EXPECT_EQ(std::string(four, 4), "0123");
    char rest[16];
    EXPECT_EQ(ThrownText([&] { reopened.ReadExact(rest, 7); }), "Error reading file " + path + ".");
}

TEST(TxFile, WriteToReadOnlyFileOnlyLogs)
{
    testsupport::TempFolder folder("file");
    const std::string path = folder / "ro.bin";
    ASSERT_TRUE(testsupport::WriteFileBytes(path, "keep"));
    TxFile file(path.c_str(), true, true);  // read-only never creates
    EXPECT_NO_THROW(file.Write("xxxx", 4));
    EXPECT_EQ(file.GetPosition(), 0u);
    EXPECT_EQ(file.GetSize(), 4u);
    EXPECT_NO_THROW(file.Flush());
    EXPECT_EQ(testsupport::ReadFileBytes(path), "keep");
}

TEST(TxFile, ShareModes)
{
    testsupport::TempFolder folder("file");
    const std::string path = folder / "shared.bin";
    ASSERT_TRUE(testsupport::WriteFileBytes(path, "abc"));
    {
        TxFile reader1(path.c_str(), true, false);
        EXPECT_NO_THROW(TxFile reader2(path.c_str(), true, false));
        EXPECT_EQ(ThrownText([&] { TxFile writer(path.c_str(), false, false); }),
                  testsupport::SystemErrorText(ERROR_SHARING_VIOLATION));
    }
    TxFile writer(path.c_str(), false, false);
    EXPECT_EQ(ThrownText([&] { TxFile reader(path.c_str(), true, false); }),
              testsupport::SystemErrorText(ERROR_SHARING_VIOLATION));
}

TEST(TxFile, LastWriteTime)
{
    testsupport::TempFolder folder("file");
    const std::string path = folder / "timed.bin";
    ASSERT_TRUE(testsupport::WriteFileBytes(path, "t"));
    FILETIME set{};
    set.dwHighDateTime = 0x01C5FC00;  // December 2005
    set.dwLowDateTime = 0x12345678;
    {
        const HANDLE h =
            ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(::SetFileTime(h, nullptr, nullptr, &set));
        ::CloseHandle(h);
    }
    const FILETIME got = TxGetFileLastWriteTime(path.c_str());
    EXPECT_EQ(got.dwHighDateTime, set.dwHighDateTime);
    EXPECT_EQ(got.dwLowDateTime / 10, set.dwLowDateTime / 10);  // some file systems keep microseconds
    for (const std::string& zero : {folder.Path(), folder / "missing.bin"}) {
        const FILETIME none = TxGetFileLastWriteTime(zero.c_str());
        EXPECT_EQ(none.dwHighDateTime, 0u) << zero;
        EXPECT_EQ(none.dwLowDateTime, 0u) << zero;
    }
}

TEST(TxProgramFolder, FilesBesideTheRunningProgram)
{
    // The program's own path, read with room to spare and cut by hand.
    std::string self(32768, '\0');
    self.resize(::GetModuleFileNameA(nullptr, &self[0], static_cast<DWORD>(self.size())));
    ASSERT_FALSE(self.empty());
    const std::string folder = self.substr(0, self.find_last_of('\\') + 1);
    const std::string name = self.substr(folder.size());

    EXPECT_EQ(TxProgramFolder(), folder);
    EXPECT_EQ(TxProgramFile("Kestrova.chm"), folder + "Kestrova.chm");
    EXPECT_EQ(TxProgramFile(name.c_str()), self);
    EXPECT_TRUE(testsupport::PathExists(TxProgramFile(name.c_str())));
}
