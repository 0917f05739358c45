// The period rules of the dialog and the timer, and the texts the installer may translate.
#include "SaverSettings.h"
#include "SaverTexts.h"
#include "saver_support.h"

#include <gtest/gtest.h>

#include <string>

using namespace savertest;

namespace {

struct FieldCase {
    const char* text;
    DWORD shown;  // the period the field showed when the dialog opened
    DWORD stored;
};

const FieldCase
    kFieldCases[] =
        {
            {"3", 10, 5},    {"250", 10, 99},  {"1234", 10, 99},  // only "123" counts
            {"07", 10, 7},   {"  9", 10, 9},   {"-1", 10, 99},    // taken as unsigned
            {"-0", 10, 5},   {"+42", 10, 42},  {"5x", 10, 5},
            {"99", 10, 99},  {"   7", 10, 10},  // the digit lies beyond the first three characters
            {"", 10, 10},    {"", 150, 99},    {"", 0, 5},
            {"abc", 42, 42}, {"-", 42, 42},    {" + 5", 42, 42},
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
    DWORD period = 0;
    BYTE random = 9, interpolation = 9, showName = 9, addDate = 9;
    EXPECT_FALSE(ReadSaverSettingsFromRegistry(&period, &random, &interpolation, &showName, &addDate));
    EXPECT_EQ(period, 10u);
    EXPECT_EQ(random, 0);
    EXPECT_EQ(interpolation, 0);
    EXPECT_EQ(showName, 1);
    EXPECT_EQ(addDate, 1);

    WriteDword(HKEY_CURRENT_USER, Key("ScreenSaver"), "ExchangePeriod", 150);
    WriteDword(HKEY_CURRENT_USER, Key("ScreenSaver"), "Interpolation", 7);
    WriteText(HKEY_CURRENT_USER, Key("ScreenSaver"), "ShowFileName", "0");  // not a DWORD: default
    EXPECT_TRUE(ReadSaverSettingsFromRegistry(&period, &random, &interpolation, &showName, &addDate));
    EXPECT_EQ(period, 150u);
    EXPECT_EQ(random, 0);
    EXPECT_EQ(interpolation, 1);
    EXPECT_EQ(showName, 1);
    EXPECT_EQ(addDate, 1);

    ClearAll();
    ASSERT_TRUE(WriteSaverSettingsToRegistry(42, 5, 0, 1, 200));
    const std::string key = Key("ScreenSaver");
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, "ExchangePeriod"), 42u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, "RandomSelection"), 1u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, "Interpolation"), 0u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, "ShowFileName"), 1u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, "FileNameAddDate"), 1u);
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
