// The settings sections in the real registry: round trips, missing and bad values, failed writes.
#include "settings_support.h"

#include "Uregutils.h"
#include "Usettingsvalues.h"
#include "Wcommon.h"

#include "UTxLog.h"
#include "UTxUtils.h"

#include <cstring>

namespace {

RegistryRecord Defaults()
{
    RegistryRecord record;
    SetRegistryDefaults(nullptr, &record, false, false);
    return record;
}

// A record in which every value differs from its default and from every other value.
RegistryRecord DistinctRecord()
{
    RegistryRecord record;
    std::memset(&record, 0, sizeof(record));
    int n = 0;
    for (const SettingSection* each : kSettingSections) {
        const SettingSection& section = *each;
        for (size_t i = 0; i < section.count; ++i, ++n) {
            BYTE* member = reinterpret_cast<BYTE*>(&record) + section.partOffset + section.values[i].offset;
            switch (section.values[i].kind) {
            case SettingKind::Number: {
                const DWORD value = 1000u + 37u * n;
                std::memcpy(member, &value, sizeof(value));
                break;
            }
            case SettingKind::Boolean:
                *member = (n % 2) ? 1 : 0;
                break;
            case SettingKind::Text:
                std::snprintf(reinterpret_cast<char*>(member), section.values[i].size, "C:\\text %s %d",
                              section.values[i].valueName, n);
                break;
            case SettingKind::FileTime: {
                const FILETIME time = {0x89ABCDEFu, 0x01D2A3B4u};
                std::memcpy(member, &time, sizeof(time));
                break;
            }
            }
        }
    }
    return record;
}

int TotalValueCount()
{
    int total = 0;
    for (const SettingSection* section : kSettingSections)
        total += static_cast<int>(section->count);
    return total;
}

bool SameRecord(const RegistryRecord& a, const RegistryRecord& b)
{
    return std::memcmp(&a, &b, sizeof(a)) == 0;
}

class SettingsRegistry : public SettingsKeyTest {};

}  // namespace

TEST_F(SettingsRegistry, EmptyRegistryKeepsTheDefaultsAndCountsNothing)
{
    RegistryRecord record = Defaults();
    int missing = -1;
    EXPECT_FALSE(ReadFromRegistry(&record, &missing));
    EXPECT_EQ(missing, 0);
    EXPECT_TRUE(SameRecord(record, Defaults()));

    bool configured = true;
    DWORD count = 99;
    ReadRegistryRoot(configured, count);
    EXPECT_FALSE(configured);
    EXPECT_EQ(count, 0u);
}

TEST_F(SettingsRegistry, NullRecordFails)
{
    int missing = 0;
    EXPECT_FALSE(ReadFromRegistry(nullptr, &missing));
    EXPECT_FALSE(WriteToRegistry(nullptr));
}

TEST_F(SettingsRegistry, EveryValueRoundTrips)
{
    const RegistryRecord written = DistinctRecord();
    ASSERT_TRUE(WriteToRegistry(&written));

    RegistryRecord read = Defaults();
    int missing = -1;
    EXPECT_TRUE(ReadFromRegistry(&read, &missing));
    EXPECT_EQ(missing, 0);
    EXPECT_TRUE(SameRecord(read, written));

    // The agent reads into a zeroed record without defaults and must see the same.
    RegistryRecord zeroed;
    std::memset(&zeroed, 0, sizeof(zeroed));
    EXPECT_TRUE(ReadFromRegistry(&zeroed));
    EXPECT_TRUE(SameRecord(zeroed, written));
}

TEST_F(SettingsRegistry, ValuesAreStoredWithTheirTypesAndSizes)
{
    RegistryRecord record = Defaults();
    record.CurrentImage.ftLastChangeTime = FILETIME{0x11223344u, 0x55667788u};
    ASSERT_TRUE(WriteToRegistry(&record));

    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(QueryRawValue("Display", "FileFontName", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data, TextData("Arial"));
    ASSERT_TRUE(QueryRawValue("Display", "MinSize", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(data, DwordData(400));
    ASSERT_TRUE(QueryRawValue("CurrentImage", "LastChangeTime", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(data, std::string("\x44\x33\x22\x11\x88\x77\x66\x55", 8));
}

TEST_F(SettingsRegistry, EmptySubkeysCountEveryValueMissing)
{
    for (const SettingSection* section : kSettingSections)
        SetRawValue(section->subkey, "Unrelated", REG_DWORD, DwordData(1));
    RegistryRecord record = Defaults();
    int missing = 0;
    EXPECT_TRUE(ReadFromRegistry(&record, &missing));
    EXPECT_EQ(missing, TotalValueCount());
    EXPECT_TRUE(SameRecord(record, Defaults()));
}

TEST_F(SettingsRegistry, AbsentSectionFailsButTheOthersAreRead)
{
    const RegistryRecord written = DistinctRecord();
    ASSERT_TRUE(WriteToRegistry(&written));
    ASSERT_TRUE(testsupport::DeleteRegTree(HKEY_CURRENT_USER, KV_REG_ROOT "\\Calendar"));

    RegistryRecord read = Defaults();
    int missing = -1;
    EXPECT_FALSE(ReadFromRegistry(&read, &missing));
    EXPECT_EQ(missing, 0);
    const RegistryRecord defaults = Defaults();
    EXPECT_EQ(std::memcmp(&read.Calendar, &defaults.Calendar, sizeof(read.Calendar)), 0);
    EXPECT_EQ(std::memcmp(&read.ScreenSaver, &written.ScreenSaver, sizeof(read.ScreenSaver)), 0);
    EXPECT_EQ(std::memcmp(&read.Exchange, &written.Exchange, sizeof(read.Exchange)), 0);
}

namespace {

struct BadValueCase {
    const char* name;
    const char* subkey;
    const char* valueName;
    DWORD type;
    std::string data;
    int missing;
    bool (*check)(const RegistryRecord&);
};

std::string Repeat(char c, size_t n)
{
    return std::string(n, c);
}

const BadValueCase kBadValues[] = {
    {"number stored as text", "Display", "MinSize", REG_SZ, TextData("123"), 1,
     [](const RegistryRecord& r) { return r.Display.dwMinSize == 400; }},
    {"number of 2 bytes", "Display", "MaxSize", REG_DWORD, std::string("\x10\x00", 2), 1,
     [](const RegistryRecord& r) { return r.Display.dwMaxSize == 4000; }},
    {"number of 8 bytes", "Display", "MaxSize", REG_DWORD, std::string(8, '\x01'), 1,
     [](const RegistryRecord& r) { return r.Display.dwMaxSize == 4000; }},
    {"number as 4 binary bytes", "Exchange", "Period", REG_BINARY, DwordData(5), 1,
     [](const RegistryRecord& r) { return r.Exchange.dwPeriod == 60; }},
    {"boolean stored as 5", "Display", "ShowFilePath", REG_DWORD, DwordData(5), 0,
     [](const RegistryRecord& r) { return r.Display.bShowFilePath == 1; }},
    {"boolean stored as 0x100", "Agent", "Block", REG_DWORD, DwordData(0x100), 0,
     [](const RegistryRecord& r) { return r.Agent.bBlock == 1; }},
    {"LastChangeTime of 4 bytes", "CurrentImage", "LastChangeTime", REG_BINARY, DwordData(7), 1,
     [](const RegistryRecord& r) { return r.CurrentImage.ftLastChangeTime.dwLowDateTime == 0; }},
    {"LastChangeTime of 12 bytes", "CurrentImage", "LastChangeTime", REG_BINARY, std::string(12, '\x07'), 1,
     [](const RegistryRecord& r) { return r.CurrentImage.ftLastChangeTime.dwLowDateTime == 0; }},
    {"LastChangeTime as a QWORD", "CurrentImage", "LastChangeTime", REG_QWORD, std::string(8, '\x07'), 1,
     [](const RegistryRecord& r) { return r.CurrentImage.ftLastChangeTime.dwLowDateTime == 0; }},
    {"LastChangeTime of 8 bytes", "CurrentImage", "LastChangeTime", REG_BINARY,
     std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8), 0,
     [](const RegistryRecord& r) {
         return r.CurrentImage.ftLastChangeTime.dwLowDateTime == 0x04030201u &&
                r.CurrentImage.ftLastChangeTime.dwHighDateTime == 0x08070605u;
     }},
    {"600-character font name", "Display", "FileFontName", REG_SZ, TextData(Repeat('f', 600)), 1,
     [](const RegistryRecord& r) { return std::strcmp(r.Display.szFileFontName, "Arial") == 0; }},
    {"200-character font name", "Display", "FileFontName", REG_SZ, TextData(Repeat('g', 200)), 0,
     [](const RegistryRecord& r) { return r.Display.szFileFontName == Repeat('g', 127); }},
    {"511-character font name", "ScreenSaver", "FileFontName", REG_SZ, TextData(Repeat('h', 511)), 0,
     [](const RegistryRecord& r) { return r.ScreenSaver.szFileFontName == Repeat('h', 127); }},
    {"300-character path", "Files", "WorkBmpFile", REG_SZ, TextData(Repeat('p', 300)), 0,
     [](const RegistryRecord& r) { return r.Files.szWorkBmpFile == Repeat('p', 259); }},
    {"511-character program list", "Agent", "ConflictingPrgs", REG_SZ, TextData(Repeat('a', 511)), 0,
     [](const RegistryRecord& r) { return r.Agent.szConflictingPrgs == Repeat('a', 511); }},
    {"512-character program list", "Agent", "ConflictingPrgs", REG_SZ, TextData(Repeat('a', 512)), 1,
     [](const RegistryRecord& r) { return r.Agent.szConflictingPrgs[0] == '\0'; }},
    {"text without its zero", "Agent", "ConflictingPrgs", REG_SZ, "x.exe;y.exe", 0,
     [](const RegistryRecord& r) { return std::strcmp(r.Agent.szConflictingPrgs, "x.exe;y.exe") == 0; }},
    {"511 characters without a zero", "Agent", "ConflictingPrgs", REG_SZ, Repeat('b', 511), 0,
     [](const RegistryRecord& r) { return r.Agent.szConflictingPrgs == Repeat('b', 511); }},
    {"512 characters without a zero", "Agent", "ConflictingPrgs", REG_SZ, Repeat('b', 512), 1,
     [](const RegistryRecord& r) { return r.Agent.szConflictingPrgs[0] == '\0'; }},
    {"expandable text taken literally", "Files", "WorkBmpFile", REG_EXPAND_SZ, TextData("%TEMP%\\w.bmp"), 0,
     [](const RegistryRecord& r) { return std::strcmp(r.Files.szWorkBmpFile, "%TEMP%\\w.bmp") == 0; }},
    {"text stored as a number", "Calendar", "CalendarFontName", REG_DWORD, DwordData(1), 1,
     [](const RegistryRecord& r) { return std::strcmp(r.Calendar.szCalendarFontName, "Arial") == 0; }},
};

}  // namespace

TEST_F(SettingsRegistry, BadStoredValuesTable)
{
    for (const BadValueCase& c : kBadValues) {
        DeleteSettingsKey();
        const RegistryRecord defaults = Defaults();
        ASSERT_TRUE(WriteToRegistry(&defaults));
        SetRawValue(c.subkey, c.valueName, c.type, c.data);

        RegistryRecord record = Defaults();
        int missing = -1;
        EXPECT_TRUE(ReadFromRegistry(&record, &missing)) << c.name;
        EXPECT_EQ(missing, c.missing) << c.name;
        EXPECT_TRUE(c.check(record)) << c.name;
    }
}

TEST_F(SettingsRegistry, BooleanStoredAsFiveIsWrittenBackAsOne)
{
    const RegistryRecord defaults = Defaults();
    ASSERT_TRUE(WriteToRegistry(&defaults));
    SetRawValue("ScreenSaver", "RandomSelection", REG_DWORD, DwordData(5));

    RegistryRecord record = Defaults();
    ASSERT_TRUE(ReadFromRegistry(&record));
    EXPECT_EQ(record.ScreenSaver.bRandomSelection, 1);
    ASSERT_TRUE(WriteToRegistry(&record));

    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(QueryRawValue("ScreenSaver", "RandomSelection", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(data, DwordData(1));
}

TEST_F(SettingsRegistry, AgentWriterKeepsTheProgramListUnlessAsked)
{
    SetRawValue("Agent", "ConflictingPrgs", REG_SZ, TextData("keep.exe"));
    AgentSettings agent = Defaults().Agent;
    agent.bBlock = 1;
    std::strcpy(agent.szConflictingPrgs, "other.exe");
    ASSERT_TRUE(WriteAgentToRegistry(agent, false));

    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(QueryRawValue("Agent", "ConflictingPrgs", type, data));
    EXPECT_EQ(data, TextData("keep.exe"));
    ASSERT_TRUE(QueryRawValue("Agent", "Block", type, data));
    EXPECT_EQ(data, DwordData(1));

    ASSERT_TRUE(WriteAgentToRegistry(agent, true));
    ASSERT_TRUE(QueryRawValue("Agent", "ConflictingPrgs", type, data));
    EXPECT_EQ(data, TextData("other.exe"));
}

// A program that edits a few values of a section writes those and leaves the others alone.
TEST_F(SettingsRegistry, SubsetWritesAndReadsOnlyItsValues)
{
    const SettingSubset subset(kDisplaySection, {"MinSize", "showfilename", "NoSuchValue"});
    EXPECT_FALSE(subset.Complete());
    ASSERT_EQ(subset.Section().count, 2u);
    EXPECT_STREQ(subset.Section().values[0].valueName, "MinSize");
    EXPECT_STREQ(subset.Section().values[1].valueName, "ShowFileName");
    EXPECT_STREQ(subset.Section().subkey, "Display");
    EXPECT_TRUE(SettingSubset(kScreenSaverSection, {"ExchangePeriod", "FileNameAddDate"}).Complete());

    SetRawValue("Display", "MaxSize", REG_DWORD, DwordData(1234));
    DisplaySettings display = Defaults().Display;
    display.dwMinSize = 321;
    display.bShowFileName = 0;
    display.dwMaxSize = 9999;
    ASSERT_TRUE(WriteSectionToRegistry(subset.Section(), &display));
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(QueryRawValue("Display", "MinSize", type, data));
    EXPECT_EQ(data, DwordData(321));
    ASSERT_TRUE(QueryRawValue("Display", "ShowFileName", type, data));
    EXPECT_EQ(data, DwordData(0));
    ASSERT_TRUE(QueryRawValue("Display", "MaxSize", type, data));
    EXPECT_EQ(data, DwordData(1234)) << "a value outside the subset was written";
    EXPECT_FALSE(QueryRawValue("Display", "FitType", type, data)) << "a value outside the subset was written";

    LogCapture log;
    DisplaySettings read = Defaults().Display;
    int missing = 0;
    EXPECT_TRUE(ReadSectionFromRegistry(subset.Section(), &read, &missing));
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(read.dwMinSize, 321u);
    EXPECT_EQ(read.bShowFileName, 0);
    EXPECT_EQ(read.dwMaxSize, Defaults().Display.dwMaxSize) << "a value outside the subset was read";
    EXPECT_EQ(log.Text().find("CFG Read"), std::string::npos) << "the subset's read logged its values";
}

TEST_F(SettingsRegistry, RootValues)
{
    ASSERT_TRUE(WriteRegistryRoot(true, 1234));
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(QueryRawValue("", "Configured", type, data));
    EXPECT_EQ(data, DwordData(1));

    bool configured = false;
    DWORD count = 0;
    ReadRegistryRoot(configured, count);
    EXPECT_TRUE(configured);
    EXPECT_EQ(count, 1234u);

    // Any nonzero number counts as configured; a mistyped count reads as 0.
    SetRawValue("", "Configured", REG_DWORD, DwordData(7));
    SetRawValue("", "AllFilesCount", REG_SZ, TextData("12"));
    ReadRegistryRoot(configured, count);
    EXPECT_TRUE(configured);
    EXPECT_EQ(count, 0u);
}

TEST_F(SettingsRegistry, RunTimeHoldsTheScreenSize)
{
    ASSERT_TRUE(WriteRunTimeScreenSize());
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(QueryRawValue("RunTime", "ScreenStartupWidth", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(data, DwordData(static_cast<DWORD>(::GetSystemMetrics(SM_CXSCREEN))));
    ASSERT_TRUE(QueryRawValue("RunTime", "ScreenStartupHeight", type, data));
    EXPECT_EQ(data, DwordData(static_cast<DWORD>(::GetSystemMetrics(SM_CYSCREEN))));
}

TEST_F(SettingsRegistry, FailedValueWriteIsLoggedAndFailsTheSection)
{
    SetRawValue("Exchange", "Unrelated", REG_DWORD, DwordData(1));
    HKEY opened = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, KV_REG_ROOT "\\Exchange", 0, KEY_READ, &opened),
              ERROR_SUCCESS);
    const RegKey readOnly(opened);

    LogCapture log;
    const ExchangeSettings exchange = Defaults().Exchange;
    EXPECT_FALSE(WriteSectionValues(readOnly.get(), kExchangeSection, &exchange));
    const std::string text = log.Text();

    DWORD type = 0;
    std::string data;
    EXPECT_FALSE(QueryRawValue("Exchange", "Type", type, data));
    // Every value was attempted, and each failure has its own line.
    EXPECT_NE(text.find("!WriteToRegistry: Error writing value Type"), std::string::npos) << text;
    EXPECT_NE(text.find("!WriteToRegistry: Error writing value RandomSelection"), std::string::npos) << text;
}

TEST_F(SettingsRegistry, SectionWriterLogsItsValues)
{
    LogCapture log;
    const RegistryRecord defaults = Defaults();
    ASSERT_TRUE(WriteScreenSaverToRegistry(defaults.ScreenSaver));
    RegistryRecord record = Defaults();
    EXPECT_FALSE(ReadDisplayFromRegistry(record.Display));
    const std::string text = log.Text();
    EXPECT_NE(text.find("CFG Write: ScreenSaver"), std::string::npos) << text;
    EXPECT_NE(text.find("  szFileFontName       = Arial"), std::string::npos) << text;
    EXPECT_NE(text.find("  bShowFileName        = 1"), std::string::npos) << text;
    EXPECT_NE(text.find("ReadFromRegistry: " KV_REG_ROOT "\\Display not found"), std::string::npos) << text;
}

// Every section dumps its members in one layout, whatever its own longest name.
TEST_F(SettingsRegistry, SectionDumpsShareOneLayout)
{
    LogCapture log;
    const RegistryRecord defaults = Defaults();
    ASSERT_TRUE(WriteAgentToRegistry(defaults.Agent, true));
    ASSERT_TRUE(WriteDisplayToRegistry(defaults.Display));
    ASSERT_TRUE(WriteFilesToRegistry(defaults.Files));
    const std::string text = log.Text();
    const struct {
        const char* section;
        const char* line;
    } cases[] = {
        {"Agent", "  bAutoRun             = 1"},
        {"Display", "  bShowFileName        = 1"},
        {"Display", "  bAdaptTextBackColorSys = 0"},
        {"Files", "  szWorkBmpFile        = "},
    };
    for (const auto& c : cases)
        EXPECT_NE(text.find(c.line), std::string::npos) << c.section << "\n" << text;
}
