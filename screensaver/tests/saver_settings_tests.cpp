// The period rules of the dialog and the timer, and the texts the installer may translate.
#include "KvLogCapture.h"
#include "KvTestRegistry.h"
#include "SaverSettings.h"
#include "SaverTexts.h"
#include "Usettingstable.h"
#include "saver_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

using namespace savertest;

namespace {

struct FieldCase {
    const char* text;
    DWORD shown;  // the period the field showed when the dialog opened
    DWORD stored;
};

constexpr DWORD kLowest = kDialogPeriodRange.min;
constexpr DWORD kHighest = kDialogPeriodRange.max;

const FieldCase kFieldCases[] = {
    {"3", 10, kLowest},  {"250", 10, kHighest}, {"1234", 10, kHighest},  // only "123" counts
    {"07", 10, 7},       {"  9", 10, 9},        {"-1", 10, kHighest},    // taken as unsigned
    {"-0", 10, kLowest}, {"+42", 10, 42},       {"5x", 10, 5},
    {"99", 10, 99},      {"   7", 10, 10},  // the digit lies beyond the first three characters
    {"", 10, 10},        {"", 150, kHighest},   {"", 0, kLowest},
    {"abc", 42, 42},     {"-", 42, 42},         {" + 5", 42, 42},
};

}  // namespace

TEST(SaverSettings, PeriodFromTheDialogField)
{
    for (const FieldCase& c : kFieldCases)
        EXPECT_EQ(PeriodFromFieldText(c.text, c.shown), c.stored) << '"' << c.text << "\" shown " << c.shown;
    EXPECT_EQ(PeriodFromFieldText(nullptr, 20), 20u);
}

TEST(SaverSettings, TimerPeriodIsAtLeastASecondAndNeverWraps)
{
    const struct {
        DWORD seconds;
        UINT ms;
    } cases[] = {
        {0, 1000},
        {1, 1000},
        {10, 10000},
        {99, 99000},
        {2147483, 2147483000u},
        {2147484, 0x7FFFFFFF},
        {0xFFFFFFFF, 0x7FFFFFFF},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExchangeTimerMs(c.seconds), c.ms) << c.seconds;
}

TEST(SaverSettings, ReadsDefaultsThenTheRegistryAndWritesSwitchesAsZeroOrOne)
{
    ClearAll();
    ScreenSaverSettings settings;
    std::memset(&settings, 9, sizeof(settings));
    EXPECT_FALSE(ReadSaverDialogSettings(settings));
    const auto recordDefault = [](const char* name) {
        return SettingNamed(kScreenSaverValues, name).recordDefault;
    };
    EXPECT_EQ(settings.dwExchangePeriod, recordDefault("ExchangePeriod"));
    EXPECT_EQ(settings.bRandomSelection, recordDefault("RandomSelection"));
    EXPECT_EQ(settings.bInterpolation, recordDefault("Interpolation"));
    EXPECT_EQ(settings.bShowFileName, recordDefault("ShowFileName"));
    EXPECT_EQ(settings.bFileNameAddDate, recordDefault("FileNameAddDate"));
    EXPECT_EQ(settings.bShrinkOnly, recordDefault("ShrinkOnly"))
        << "the other members keep the table's defaults";

    WriteDword(HKEY_CURRENT_USER, Key("ScreenSaver"), "ExchangePeriod", 150);
    WriteDword(HKEY_CURRENT_USER, Key("ScreenSaver"), "Interpolation", 7);
    WriteText(HKEY_CURRENT_USER, Key("ScreenSaver"), "ShowFileName", "0");  // not a DWORD: default
    EXPECT_TRUE(ReadSaverDialogSettings(settings));
    EXPECT_EQ(settings.dwExchangePeriod, 150u);
    EXPECT_EQ(settings.bRandomSelection, 0);
    EXPECT_EQ(settings.bInterpolation, 1);
    EXPECT_EQ(settings.bShowFileName, 1);
    EXPECT_EQ(settings.bFileNameAddDate, 1);

    ClearAll();
    // What the Manager wrote of the other values stays; the dialog adds none of them.
    const std::string key = Key("ScreenSaver");
    WriteDword(HKEY_CURRENT_USER, key, "ShrinkOnly", 0);
    WriteText(HKEY_CURRENT_USER, key, "FileFontName", "Tahoma");
    std::memset(&settings, 0, sizeof(settings));
    settings.dwExchangePeriod = 42;
    settings.bRandomSelection = 5;
    settings.bInterpolation = 0;
    settings.bShowFileName = 1;
    settings.bFileNameAddDate = 200;
    settings.bShrinkOnly = 1;
    settings.dwFileFontSize = 77;
    ASSERT_TRUE(WriteSaverDialogSettings(settings));
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, "ExchangePeriod"), 42u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, "RandomSelection"), 1u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, "Interpolation"), 0u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, "ShowFileName"), 1u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, "FileNameAddDate"), 1u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, "ShrinkOnly"), 0u);
    EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, key, "FileFontName").Text(), "Tahoma");
    EXPECT_FALSE(testsupport::ReadRegValue(HKEY_CURRENT_USER, key, "FileFontSize").exists);
    ClearAll();
}

TEST(SaverTexts, TranslationsThatFitAndKeepTheirConversions)
{
    ClearAll();
    LoadSaverTextDefaults();
    ReadSaverTextsFromRegistry();  // no \Language key: English
    EXPECT_STREQ(SaverText(glo_Caption), "Kestrova Screen Saver Configuration");
    EXPECT_STREQ(SaverText(glo_CaptionConflictS), "Kestrova Screen Saver blocked due to: %s");

    WriteText(HKEY_LOCAL_MACHINE, kLanguageKey, "glo_Caption", std::string(100, 'x'));  // 101 bytes
    WriteText(HKEY_LOCAL_MACHINE, kLanguageKey, "glo_Seconds", std::string(99, 's'));   // 100 bytes
    WriteText(HKEY_LOCAL_MACHINE, kLanguageKey, "glo_CaptionConflictS", "blokovano: %s%s");
    WriteText(HKEY_LOCAL_MACHINE, kLanguageKey, "glx_Ok", "Budiz");
    WriteDword(HKEY_LOCAL_MACHINE, kLanguageKey, "glx_Cancel", 1);
    LoadSaverTextDefaults();
    ReadSaverTextsFromRegistry();
    EXPECT_STREQ(SaverText(glo_Caption), "Kestrova Screen Saver Configuration");
    EXPECT_EQ(std::string(SaverText(glo_Seconds)), std::string(99, 's'));
    EXPECT_STREQ(SaverText(glo_CaptionConflictS), "Kestrova Screen Saver blocked due to: %s");
    EXPECT_STREQ(SaverText(glx_Ok), "Budiz");
    EXPECT_STREQ(SaverText(glx_Cancel), "Cancel");

    WriteText(HKEY_LOCAL_MACHINE, kLanguageKey, "glo_CaptionConflictS", "Blokovano kvuli %s");
    ReadSaverTextsFromRegistry();
    EXPECT_STREQ(SaverText(glo_CaptionConflictS), "Blokovano kvuli %s");
    ClearAll();
}

// The dialog's write logs its five values aligned on its own longest member name.
TEST(SaverSettings, WriteLogsTheFiveValuesInTheirOwnLayout)
{
    ClearAll();
    ScreenSaverSettings settings;
    std::memset(&settings, 0, sizeof(settings));
    settings.dwExchangePeriod = 42;
    settings.bRandomSelection = 1;
    settings.bShowFileName = 1;
    std::string text;
    {
        testsupport::LogCapture log;
        ASSERT_TRUE(WriteSaverDialogSettings(settings));
        text = log.Text();
    }
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    const std::vector<std::string> expected = {
        "CFG Write: ScreenSaver", "  dwExchangePeriod = 42", "  bRandomSelection = 1",
        "  bInterpolation   = 0", "  bShowFileName    = 1",  "  bFileNameAddDate = 0",
    };
    size_t head = 0;
    while (head < lines.size() && lines[head].find(expected[0]) == std::string::npos)
        ++head;
    ASSERT_LE(head + expected.size(), lines.size()) << text;
    // The log's own columns (module, thread, indent) stand before each text.
    const size_t textColumn = lines[head].size() - expected[0].size();
    for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_GE(lines[head + i].size(), textColumn) << text;
        EXPECT_EQ(lines[head + i].substr(textColumn), expected[i]) << text;
    }
    ClearAll();
}
