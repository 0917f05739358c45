// Deleting files now and at the next start of Windows, and the command lines of the temporary copy.
#include "KvTestSupport.h"
#include "Udelfile.h"
#include "UninstallStart.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct RenameCase {
    const char* name;
    const char* before;
    const char* after;
};
const RenameCase kRenameCases[] = {
    {"empty file", "", "[rename]\r\nNUL=C:\\T\\DKV1.tmp\r\n"},
    {"no section", "[other]\r\na=b\r\n", "[rename]\r\nNUL=C:\\T\\DKV1.tmp\r\n[other]\r\na=b\r\n"},
    {"section in lower case", "[rename]\r\nNUL=C:\\old.tmp\r\n",
     "[rename]\r\nNUL=C:\\T\\DKV1.tmp\r\nNUL=C:\\old.tmp\r\n"},
    {"section in capitals after another", "[x]\r\n[RENAME]\r\nNUL=C:\\old.tmp\r\n",
     "[x]\r\n[RENAME]\r\nNUL=C:\\T\\DKV1.tmp\r\nNUL=C:\\old.tmp\r\n"},
    {"mixed case, last line without its end", "[Rename]", "[Rename]\r\nNUL=C:\\T\\DKV1.tmp"},
};

TEST(WinInitIni, TheNewEntryIsTheFirstLineOfTheRenameSection)
{
    for (const RenameCase& c : kRenameCases)
        EXPECT_EQ(AddRenameEntry(c.before, "C:\\T\\DKV1.tmp"), c.after) << c.name;
}

BOOL WINAPI FailingMoveFileEx(LPCSTR, LPCSTR, DWORD)
{
    ::SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

TEST(WinInitIni, WrittenOnlyWhereMoveFileExIsMissingAndReplacedWhole)
{
    testsupport::TempFolder windows("wininit");
    const std::string ini = windows / "WinInit.Ini";
    const std::string before = "[boot]\r\nx=1\r\n[rename]\r\nNUL=C:\\other.tmp\r\n";
    ASSERT_TRUE(testsupport::WriteFileBytes(ini, before));

    // MoveFileExA present but failing: WinInit.Ini is not read there, so it is left alone.
    EXPECT_FALSE(ScheduleDeleteAtReboot("C:\\T\\DKV2.tmp", &FailingMoveFileEx, windows.Path()));
    EXPECT_EQ(testsupport::ReadFileBytes(ini), before);

    EXPECT_TRUE(ScheduleDeleteAtReboot("C:\\T\\DKV2.tmp", nullptr, windows.Path()));
    EXPECT_EQ(testsupport::ReadFileBytes(ini),
              "[boot]\r\nx=1\r\n[rename]\r\nNUL=C:\\T\\DKV2.tmp\r\nNUL=C:\\other.tmp\r\n");
    // Nothing of the replacement is left beside it.
    EXPECT_EQ(testsupport::FilesMatching(windows.Path(), "*").size(), 1u);
}

TEST(WinInitIni, WithoutTheFileNothingIsScheduled)
{
    testsupport::TempFolder windows("wininit");
    EXPECT_FALSE(ScheduleDeleteAtReboot("C:\\T\\DKV3.tmp", nullptr, windows.Path()));
    EXPECT_TRUE(testsupport::FilesMatching(windows.Path(), "*").empty());
}

TEST(ForceDeleteFile, DeletesAReadOnlyFile)
{
    testsupport::TempFolder folder("force");
    const std::string path = folder / "locked.exe";
    ASSERT_TRUE(testsupport::WriteFileBytes(path, "MZ"));
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(ForceDeleteFile(path.c_str()));
    EXPECT_FALSE(testsupport::PathExists(path));
    EXPECT_FALSE(ForceDeleteFile(path.c_str()));
}

struct CommandLineCase {
    const char* name;
    const char* commandLine;
    const char* parameters;
};
const CommandLineCase kCommandLineCases[] = {
    {"first start", "\"C:\\Program Files\\Kestrova\\Uninstall.exe\"", ""},
    {"first start, trailing blanks", "\"C:\\Program Files\\Kestrova\\Uninstall.exe\"  \t", ""},
    {"unquoted program", "Uninstall.exe", ""},
    {"the copy, double blank kept", "\"C:\\users\\u\\Temp\\dkv1a.tmp\" C:\\Kv  Test\\", "C:\\Kv  Test\\"},
    {"unquoted program with a folder", "Uninstall.exe   C:\\Kv\tTest  ", "C:\\Kv\tTest"},
    {"quoted folder", "Uninstall.exe \"C:\\Kv  Test\"", "C:\\Kv  Test"},
    {"program token glued to its quote", "\"C:\\a b\\u.exe\"x C:\\f", "C:\\f"},
};

TEST(CommandLine, TheFolderComesAsGivenWithItsBlanks)
{
    for (const CommandLineCase& c : kCommandLineCases)
        EXPECT_EQ(CommandLineParameters(c.commandLine), c.parameters) << c.name;
}

TEST(CommandLine, TheCopysLineHoldsTwoFullLengthPaths)
{
    const std::string copy = "C:\\" + std::string(250, 't') + "\\DKV1.tmp";  // 263 characters
    const std::string folder = "C:\\" + std::string(253, 'f') + "  x\\";     // 259 characters
    const std::string line = CopyCommandLine(copy, folder);
    EXPECT_EQ(line, "\"" + copy + "\" " + folder);
    EXPECT_EQ(CommandLineParameters(line.c_str()), folder);
}

}  // namespace
