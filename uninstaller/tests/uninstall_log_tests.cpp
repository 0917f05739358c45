// Install.log: its lines, its installation time, its duplicates and where it is looked for.
#include "KvTestSupport.h"
#include "UTxUtils.h"
#include "UninstallLog.h"
#include "uninstall_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct LineCase {
    const char* line;
    LogTag tag;
    const char* argument;
};
const LineCase kLineCases[] = {
    {"S_TIME___ 05.03.2026 14:07", LogTag::Time, "05.03.2026 14:07"},
    {"S_PRGFILE C:\\Kv\\KvAgent.exe", LogTag::ProgramFile, "C:\\Kv\\KvAgent.exe"},
    {"S_IMGFILE C:\\Kv\\a.jpg", LogTag::ImageFile, "C:\\Kv\\a.jpg"},
    {"S_FOLDER_ C:\\Kv  Test", LogTag::Folder, "C:\\Kv  Test"},
    {"S_AUTORUN Kestrova Agent", LogTag::AutoRun, "Kestrova Agent"},
    {"S_LNKFILE C:\\Menu\\Kv.lnk", LogTag::ShortcutFile, "C:\\Menu\\Kv.lnk"},
    {"S_UNINST_ Kestrova", LogTag::UninstallKey, "Kestrova"},
    // Tags in any letter case.
    {"s_prgfile C:\\Kv\\KvApi.dll", LogTag::ProgramFile, "C:\\Kv\\KvApi.dll"},
    {"s_Folder_ C:\\Kv", LogTag::Folder, "C:\\Kv"},
    // The tenth character of a tag is a blank.
    {"S_FOLDER_XC:\\Kv", LogTag::None, ""},
    {"S_PRGFILE\tC:\\Kv\\a.exe", LogTag::None, ""},
    // An empty argument never names a whole key, nor a default value, nor anything else.
    {"S_UNINST_ ", LogTag::None, ""},
    {"S_UNINST_    ", LogTag::None, ""},
    {"S_AUTORUN ", LogTag::None, ""},
    {"S_FOLDER_", LogTag::None, ""},
    {"S_UNINST_ Kestrova\\..", LogTag::None, ""},
    {"S_UNINST_ \\", LogTag::None, ""},
    // The lines newer installers add, which older uninstallers skip.
    {"S_IMGID__ 12 01DC6A1B2C3D4E5F C:\\Kv\\a.jpg", LogTag::ImageIdentity,
     "12 01DC6A1B2C3D4E5F C:\\Kv\\a.jpg"},
    {"s_zone___ UTC", LogTag::TimeZone, "UTC"},
    {"S_ZONE___ ", LogTag::None, ""},
    // Other lines.
    {"", LogTag::None, ""},
    {"S_OTHER__ C:\\x", LogTag::None, ""},
    {"; comment line", LogTag::None, ""},
};

TEST(InstallLog, TagsAndArguments)
{
    for (const LineCase& c : kLineCases) {
        const LogEntry entry = ParseLogLine(c.line);
        EXPECT_EQ(entry.tag, c.tag) << c.line;
        EXPECT_EQ(entry.argument, c.argument) << c.line;
    }
}

// The UTC file time that a local calendar time stands for, by way of the system's zone bias.
FILETIME UtcOfLocal(WORD year, WORD month, WORD day, WORD hour, WORD minute)
{
    const FILETIME local = testsupport::CalendarFileTime(year, month, day, hour, minute);
    FILETIME utc = {};
    ::LocalFileTimeToFileTime(&local, &utc);
    return utc;
}

struct TimeCase {
    const char* name;
    const char* argument;
    bool valid;
    WORD year, month, day, hour, minute;
};
const TimeCase kTimeCases[] = {
    {"valid", "05.03.2026 14:07", true, 2026, 3, 5, 14, 7},
    {"other separators", "29/02/2024-23h59", true, 2024, 2, 29, 23, 59},
    {"letters", "ab.cd.efgh ij:kl", false, 0, 0, 0, 0, 0},
    {"one letter in the minutes", "05.03.2026 14:0x", false, 0, 0, 0, 0, 0},
    {"31 February", "31.02.2026 10:00", false, 0, 0, 0, 0, 0},
    {"month 13", "01.13.2026 10:00", false, 0, 0, 0, 0, 0},
    {"hour 24", "01.01.2026 24:00", false, 0, 0, 0, 0, 0},
    {"minute 60", "01.01.2026 23:60", false, 0, 0, 0, 0, 0},
    {"29 February of a common year", "29.02.2025 10:00", false, 0, 0, 0, 0, 0},
    {"day 0", "00.01.2026 10:00", false, 0, 0, 0, 0, 0},
    {"year before file times", "01.01.1600 10:00", false, 0, 0, 0, 0, 0},
    {"too short", "05.03.2026 14:", false, 0, 0, 0, 0, 0},
    {"empty", "", false, 0, 0, 0, 0, 0},
};

TEST(InstallLog, InstallationTimeIsTheUtcOfTheLocalTimeWritten)
{
    for (const TimeCase& c : kTimeCases) {
        FILETIME parsed = {0x1234, 0x5678};
        const bool valid = ParseInstallTime(c.argument, false, parsed);
        EXPECT_EQ(valid, c.valid) << c.name;
        FILETIME utc = {};
        EXPECT_EQ(ParseInstallTime(c.argument, true, utc), c.valid) << c.name;
        if (!c.valid) continue;
        const FILETIME expected = UtcOfLocal(c.year, c.month, c.day, c.hour, c.minute);
        EXPECT_EQ(testsupport::FileTimeUnits(parsed), testsupport::FileTimeUnits(expected)) << c.name;
        // Written in UTC (the log says so), the numbers are the instant itself.
        const FILETIME written = testsupport::CalendarFileTime(c.year, c.month, c.day, c.hour, c.minute);
        EXPECT_EQ(testsupport::FileTimeUnits(utc), testsupport::FileTimeUnits(written)) << c.name;
    }
}

struct SplitCase {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
    size_t dropped;
};

TEST(InstallLog, LinesOfTheTextWithOverlongAndBinaryLinesDroppedWhole)
{
    const std::string tail = "S_PRGFILE C:\\windows\\win.ini";
    const SplitCase cases[] = {
        {"CR LF, LF and CR alike", "a\r\nb\nc\rd", {"a", "b", "c", "d"}, 0},
        {"empty lines kept for the numbering", "a\r\n\r\nb\r\n", {"a", "", "b"}, 0},
        {"LF LF is two ends", "a\n\nb", {"a", "", "b"}, 0},
        // Cut at a maximum length, the tail of a long line would be a line of its own.
        {"a 65,000-character line",
         std::string(65000 - tail.size(), 'x') + tail + "\r\nS_PRGFILE C:\\Kv\\a",
         {"", "S_PRGFILE C:\\Kv\\a"},
         1},
        {"the longest line kept",
         std::string(kMaxLogLineLength, 'y'),
         {std::string(kMaxLogLineLength, 'y')},
         0},
        {"a wide text", std::string("S\0_\0P\0\r\0\n\0", 10), {"", "", ""}, 3},
        {"empty", "", {}, 0},
    };
    for (const SplitCase& c : cases) {
        size_t dropped = 99;
        EXPECT_EQ(SplitLogText(c.text, dropped), c.lines) << c.name;
        EXPECT_EQ(dropped, c.dropped) << c.name;
    }
}

TEST(InstallLog, ImageIdentityAndTimeZoneArguments)
{
    struct Case {
        const char* argument;
        bool valid;
        unsigned long long size, time;
        const char* path;
        bool hasChecksum = false;
        unsigned long checksum = 0;
    };
    const Case cases[] = {
        {"1234 01DC6A1B2C3D4E5F C:\\Kv  Test\\a b.jpg", true, 1234, 0x01DC6A1B2C3D4E5Full,
         "C:\\Kv  Test\\a b.jpg"},
        {"0 0000000000000000 C:\\x", true, 0, 0, "C:\\x"},
        {"1234 01dc6a1b2c3d4e5f C:\\x", true, 1234, 0x01DC6A1B2C3D4E5Full, "C:\\x"},
        {"1234 01DC6A1B2C3D4E5 C:\\x", false, 0, 0, ""},   // 15 digits
        {"12x4 01DC6A1B2C3D4E5F C:\\x", false, 0, 0, ""},  // not a number
        {"1234 01DC6A1B2C3D4E5F 0BADF00d C:\\Kv\\a.jpg", true, 1234, 0x01DC6A1B2C3D4E5Full, "C:\\Kv\\a.jpg",
         true, 0x0BADF00Dul},
        {"1234 01DC6A1B2C3D4E5F 0BADF00D", false, 0, 0, ""},  // a checksum, no path
        {"1234 01DC6A1B2C3D4E5F  0BADF00D C:\\x", true, 1234, 0x01DC6A1B2C3D4E5Full, " 0BADF00D C:\\x"},
        {"1234 01DC6A1B2C3D4E5F 0BADF00 C:\\x", true, 1234, 0x01DC6A1B2C3D4E5Full, "0BADF00 C:\\x"},
        {"1234 01DC6A1B2C3D4E5F", false, 0, 0, ""},                        // no path
        {"1234 01DC6A1B2C3D4E5F ", false, 0, 0, ""},                       // empty path
        {"99999999999999999999 01DC6A1B2C3D4E5F C:\\x", false, 0, 0, ""},  // too large
        {"", false, 0, 0, ""},
    };
    for (const Case& c : cases) {
        ImageIdentity identity;
        EXPECT_EQ(ParseImageIdentity(c.argument, identity), c.valid) << c.argument;
        if (!c.valid) continue;
        EXPECT_EQ(identity.size, c.size) << c.argument;
        EXPECT_EQ(identity.writeTime, c.time) << c.argument;
        EXPECT_EQ(identity.path, c.path) << c.argument;
        EXPECT_EQ(identity.hasChecksum, c.hasChecksum) << c.argument;
        EXPECT_EQ(identity.checksum, c.checksum) << c.argument;
    }
    for (const char* utc : {"UTC", "utc", " UTC ", "Utc\t"})
        EXPECT_TRUE(IsUtcZone(utc)) << utc;
    for (const char* other : {"", "UTC+1", "local", "UTC x", "GMT"})
        EXPECT_FALSE(IsUtcZone(other)) << other;
}

std::vector<std::string> Texts(const TxStringCollection& lines)
{
    std::vector<std::string> texts;
    for (int i = 0; i < lines.GetCount(); ++i)
        texts.push_back(lines.StringAt(i)->GetText());
    return texts;
}

TEST(InstallLog, OfEqualLinesOnlyTheLastStaysAndTheOthersAreLogged)
{
    TxStringCollection lines(32, 64);
    for (const char* text :
         {"S_FOLDER_ C:\\Kv", "S_PRGFILE C:\\Kv\\a.exe", "", "s_prgfile c:\\KV\\A.EXE",
          "S_PRGFILE C:\\Kv\\b.exe", "", "S_PRGFILE C:\\Kv\\a.exe", "S_PRGFILE C:\\Kv\\b.exe"})
        lines.Insert(new TxString(text));  // empty lines too, as a read log holds them
    uninstalltest::LogToFile log;
    BlankDuplicateLines(lines);
    EXPECT_EQ(Texts(lines), (std::vector<std::string>{"S_FOLDER_ C:\\Kv", "", "", "", "", "",
                                                      "S_PRGFILE C:\\Kv\\a.exe", "S_PRGFILE C:\\Kv\\b.exe"}));
    const std::string text = log.Text();
    EXPECT_NE(text.find("Removing duplicite item on line 1: S_PRGFILE C:\\Kv\\a.exe"), std::string::npos)
        << text;
    EXPECT_NE(text.find("Removing duplicite item on line 3: s_prgfile c:\\KV\\A.EXE"), std::string::npos)
        << text;
    EXPECT_NE(text.find("Removing duplicite item on line 4: S_PRGFILE C:\\Kv\\b.exe"), std::string::npos)
        << text;
    EXPECT_EQ(text.find("line 2:"), std::string::npos) << text;
}

TEST(InstallLog, MissingUnreadableAndForeignLogs)
{
    testsupport::TempFolder folder("Kv  Log");
    const std::string folderPath = folder.Path() + "\\";
    TxStringCollection lines(32, 64);
    std::string path;
    EXPECT_EQ(ReadInstallLog(folderPath, lines, path), InstallLogState::Missing);
    EXPECT_EQ(path, folderPath + "Install.log");

    // Written in UTF-16, as another tool might: no line carries a tag the uninstaller knows.
    const std::string wide("S\0_\0P\0R\0G\0F\0I\0L\0E\0 \0C\0:\0\\\0x\0\r\0\n\0", 32);
    ASSERT_TRUE(testsupport::WriteFileBytes(path, wide));
    EXPECT_EQ(ReadInstallLog(folderPath, lines, path), InstallLogState::Unreadable);

    TxStringCollection good(32, 64);
    ASSERT_TRUE(testsupport::WriteFileBytes(path, "junk\nS_PRGFILE C:\\x\rS_TIME___ 01.01.2026 10:00\r\n"));
    EXPECT_EQ(ReadInstallLog(folderPath, good, path), InstallLogState::Loaded);
    EXPECT_EQ(Texts(good),
              (std::vector<std::string>{"junk", "S_PRGFILE C:\\x", "S_TIME___ 01.01.2026 10:00"}));

    // Opened by another program that lets nobody read it.
    const FileHandle locked(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(locked);
    TxStringCollection none(32, 64);
    EXPECT_EQ(ReadInstallLog(folderPath, none, path), InstallLogState::Unreadable);
}

TEST(InstallLog, TheFolderAsGivenElseTheProgramsOwn)
{
    testsupport::TempFolder folder("Kv  Two  Blanks");
    EXPECT_EQ(UninstallFolder(folder.Path()), folder.Path() + "\\");
    EXPECT_EQ(UninstallFolder(folder.Path() + "\\"), folder.Path() + "\\");
    // Re-joined with single blanks the name would be another, missing folder.
    std::string collapsed = folder.Path();
    for (size_t at = collapsed.find("  "); at != std::string::npos; at = collapsed.find("  "))
        collapsed.erase(at, 1);
    EXPECT_EQ(UninstallFolder(collapsed), testsupport::ExeFolder());
    EXPECT_EQ(UninstallFolder(""), testsupport::ExeFolder());
}

}  // namespace
