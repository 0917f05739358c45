// The settings schema in memory: its rows, its items and finding them.
#include "Umanaglang.h"
#include "Settings.h"
#include "SettingsSchema.h"
#include "Wcommon.h"
#include "settings_support.h"

#include <gtest/gtest.h>

#include <string>

using namespace manager;

namespace {

class SettingsSchema : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadManagerTextDefaults();
        BuildSettingsSchema(settings, "Arial");
    }
    CSettings settings;
};

}  // namespace

TEST_F(SettingsSchema, FiftyNineItemsStoringSixtyEightValues)
{
    ASSERT_EQ(settings.GetCount(), 59);
    int headings = 0;
    int stored = 0;
    int values = 0;
    for (int i = 0; i < settings.GetCount(); ++i) {
        const CSettingsItem& item = *settings.At(i);
        if (item.Type() == stHeading) {
            ++headings;
            EXPECT_TRUE(item.Key().IsEmpty());
            EXPECT_FALSE(item.IsStored());
            continue;
        }
        ASSERT_TRUE(item.IsStored()) << item.Key().GetText();
        ++stored;
        values += item.Type() == stFont ? kFontValueCount : 1;
        // The key is the registry value's own name, from the record's table.
        if (item.Type() != stFont) {
            EXPECT_STREQ(item.RegistryValue()->valueName, item.Key().GetText());
        }
    }
    EXPECT_EQ(headings, 6);
    EXPECT_EQ(stored, 53);
    EXPECT_EQ(values, 68);
}

TEST_F(SettingsSchema, TellingRows)
{
    struct RowCase {
        const char* key;
        const char* section;
        BYTE type;
        int level;
        int value;
        int min, max;
        int options;
        const char* units;
        int picture;
    };
    const RowCase cases[] = {
        {"Type", "Exchange", stChoice, 1, 3, 0, 100, 8, "", 0},
        {"Period", "Exchange", stInteger, 2, 10, 1, 1000, 0, "minutes", 0},
        {"MinRatio", "Display", stInteger, 2, 30, 10, 70, 0, "%", 0},
        {"FitType", "Display", stChoice, 1, 0, 0, 100, 3, "", 1},
        {"ShowFilePath", "Display", stBoolean, 2, 1, 0, 100, 0, "", 0},
        {"MarginBottom", "Display", stInteger, 2, 0, 0, 1000, 0, "pixels", 8},
        {"HighlightToday", "Calendar", stBoolean, 1, 1, 0, 100, 0, "", 0},
        {"Organization", "Calendar", stChoice, 1, 0, 0, 100, 2, "", 0},
        {"MaxMonths", "Calendar", stInteger, 1, 5, 1, 12, 0, "months", 0},
        {"ConflictingPrgs", "Agent", stProgramList, 1, 0, 0, 100, 0, "", 0},
        {"ExchangePeriod", "ScreenSaver", stInteger, 1, 10, 5, 99, 0, "seconds", 0},
        {"BlackBackground", "ScreenSaver", stBoolean, 1, 1, 0, 100, 0, "", 11},
    };
    for (const RowCase& c : cases) {
        const CSettingsItem* item = settings.Find(c.key, c.section);
        ASSERT_NE(item, nullptr) << c.key;
        EXPECT_EQ(item->Type(), c.type) << c.key;
        EXPECT_EQ(item->Level(), c.level) << c.key;
        EXPECT_EQ(item->RawValue(), c.value) << c.key;
        EXPECT_EQ(item->Min(), c.min) << c.key;
        EXPECT_EQ(item->Max(), c.max) << c.key;
        EXPECT_EQ(item->Step(), 1) << c.key;
        EXPECT_EQ(item->Options() ? item->Options()->GetCount() : 0, c.options) << c.key;
        EXPECT_STREQ(item->Units().GetText(), c.units) << c.key;
        EXPECT_EQ(item->Picture(), c.picture) << c.key;
        EXPECT_EQ(item->Columns(), 1) << c.key;
    }
    const CSettingsItem* type = settings.Find("Type", "Exchange");
    EXPECT_STREQ(type->Caption().GetText(), "Automatic exchange");
    EXPECT_STREQ(type->HelpText().GetText(), Text(glm_AutoExchangeHelp));
    EXPECT_STREQ(type->Options()->StringAt(7)->GetText(), "every N minutes");
    // The calendar's arrangement keeps its crossed texts.
    EXPECT_STREQ(settings.Find("Organization", "Calendar")->Options()->StringAt(0)->GetText(), "by columns");
}

// The record's table bounds every number the user types and names every option of a choice.
TEST_F(SettingsSchema, NumbersAreBoundedAndChoicesOfferTheirWholeRange)
{
    int numbers = 0;
    int choices = 0;
    for (int i = 0; i < settings.GetCount(); ++i) {
        const CSettingsItem& item = *settings.At(i);
        const SettingValue* value = item.RegistryValue();
        if (item.Type() == stInteger) {
            ASSERT_NE(value, nullptr);
            EXPECT_FALSE(value->range == kUnboundedSetting) << item.Key().GetText();
            ++numbers;
        }
        if (item.Type() == stChoice) {
            ASSERT_NE(value, nullptr);
            ASSERT_NE(item.Options(), nullptr) << item.Key().GetText();
            EXPECT_EQ(value->range.min, 0u) << item.Key().GetText();
            EXPECT_EQ(static_cast<DWORD>(item.Options()->GetCount()), value->range.max + 1)
                << item.Key().GetText();
            ++choices;
        }
    }
    EXPECT_EQ(numbers, 19);
    EXPECT_EQ(choices, 8);
}

TEST_F(SettingsSchema, HeadingsAndHelp)
{
    // Section headings explain nothing, except the screen saver's; the size sub-heading has no
    // help text of its own.
    EXPECT_STREQ(settings.At(0)->Caption().GetText(), "Wallpaper Exchange Settings");
    EXPECT_STREQ(settings.At(0)->HelpText().GetText(), "");
    EXPECT_STREQ(settings.At(8)->Caption().GetText(), "Image size");
    EXPECT_EQ(settings.At(8)->Level(), 1);
    EXPECT_STREQ(settings.At(8)->HelpText().GetText(), "");
    EXPECT_STREQ(settings.At(46)->Caption().GetText(), "Screen saver");
    EXPECT_STREQ(settings.At(46)->HelpText().GetText(), Text(glm_ScreenSaverHelp));
    for (int i = 0; i < settings.GetCount(); ++i) {
        const CSettingsItem& item = *settings.At(i);
        if (item.Type() != stHeading) {
            EXPECT_FALSE(item.HelpText().IsEmpty()) << item.Key().GetText();
        }
    }
}

TEST_F(SettingsSchema, FontItemsNameTheirSixValues)
{
    struct FontCase {
        const char* key;
        const char* section;
        int size;
        const char* charsetValue;
    };
    const FontCase cases[] = {
        {"FileFont", "Display", 8, "FileFontCharSet"},
        {"CalendarFont", "Calendar", 10, "CalendarFontCharSet"},
        {"FileFont", "ScreenSaver", 8, "FileFontCharSet"},
    };
    for (const FontCase& c : cases) {
        const CSettingsItem* item = settings.Find(c.key, c.section);
        ASSERT_NE(item, nullptr) << c.key;
        ASSERT_NE(item->Font(), nullptr);
        EXPECT_STREQ(item->Font()->name.GetText(), "Arial");
        EXPECT_EQ(item->Font()->size, c.size);
        EXPECT_EQ(item->Font()->charset, 238);
        EXPECT_EQ(item->Font()->colour, kClWindowText);
        EXPECT_EQ(item->Font()->style, 0);
        EXPECT_STREQ(item->FontValueOf(fvCharset)->valueName, c.charsetValue);
        EXPECT_STREQ(item->FontValueOf(fvUnderline)->valueName, (std::string(c.key) + "Underline").c_str());
    }
}

TEST_F(SettingsSchema, FindAndGetValue)
{
    EXPECT_EQ(settings.Find("autorun", "AGENT"), settings.Find("AutoRun", "Agent"));
    EXPECT_EQ(settings.Find("RandomSelection", ""), settings.Find("RandomSelection", "Exchange"));
    EXPECT_EQ(settings.Find("RandomSelection", "ScreenSaver")->Type(), stBoolean);
    {
        LogCapture log;
        EXPECT_EQ(settings.Find("NoSuchValue", "Agent"), nullptr);
        EXPECT_NE(log.Text().find("Value not found: NoSuchValue at Agent"), std::string::npos);
    }
    EXPECT_EQ(settings.Find("AutoRun", "Display"), nullptr);
    EXPECT_EQ(settings.GetValue("NoSuchValue", "Agent"), 0);

    EXPECT_EQ(settings.GetValue("AutoRun", "Agent"), 1);
    // A switch counts only when it is exactly 1.
    settings.Find("AutoRun", "Agent")->SetInt(2);
    EXPECT_EQ(settings.GetValue("AutoRun", "Agent"), 0);
    EXPECT_EQ(settings.Find("AutoRun", "Agent")->RawValue(), 2);
    EXPECT_EQ(settings.GetValue("MinSize", "Display"), 480);
    EXPECT_EQ(settings.GetValue("ConflictingPrgs", "Agent"), 0);
}

TEST(SettingsItem, ConstructionDefaultsAndSetters)
{
    CSettingsItem choice(stChoice, "c", "k", 1);
    EXPECT_EQ(choice.RawValue(), -1);
    EXPECT_EQ(choice.IntValue(), -1);
    choice.AddOption("a");
    choice.AddOption("b");
    choice.SetChoice(2, 0);  // neither names an option nor a column count
    EXPECT_EQ(choice.RawValue(), -1);
    EXPECT_EQ(choice.Columns(), 1);
    choice.SetChoice(-1, 6);
    EXPECT_EQ(choice.RawValue(), -1);
    EXPECT_EQ(choice.Columns(), 1);
    choice.SetChoice(1, 5);
    EXPECT_EQ(choice.RawValue(), 1);
    EXPECT_EQ(choice.Columns(), 5);

    CSettingsItem track(stTrackBar, "t", "k", 1);
    EXPECT_EQ(track.RawValue(), 50);
    CSettingsItem text(stText, "t", "k", 1);
    EXPECT_EQ(text.MaxLength(), 250);
    EXPECT_STREQ(text.FileFilter().GetText(), "All files (*.*)|*.*|");
    EXPECT_STREQ(text.FolderDialogFileName().GetText(), "-");
    EXPECT_EQ(text.Font(), nullptr);
    text.SetInt(9);
    EXPECT_EQ(text.IntValue(), 0);

    CSettingsItem font(stFont, "f", "k", 1);
    ASSERT_NE(font.Font(), nullptr);
    const BYTE bold = fsBold;
    font.SetFont("Tahoma", 12, &bold, 0x123456, 1);
    font.SetFont("Arial", 9, nullptr, 0x654321, 2);  // the style stays
    EXPECT_STREQ(font.Font()->name.GetText(), "Arial");
    EXPECT_EQ(font.Font()->style, fsBold);
    EXPECT_EQ(font.Font()->size, 9);
    EXPECT_EQ(font.Font()->charset, 2);
    EXPECT_EQ(font.Font()->colour, 0x654321u);

    CSettingsItem flag(stBoolean, "b", "k", 1);
    flag.SetBool(7);
    EXPECT_EQ(flag.RawValue(), 1);
    CSettingsItem heading(200, "h", "k", 0);  // an unknown type is a heading
    EXPECT_EQ(heading.IntValue(), 0);
}

TEST(SettingsItem, CopyIsDeep)
{
    CSettingsItem item(stChoice, "caption", "Position", 1);
    item.SetSection("Calendar", true);
    item.AddOption("one");
    item.AddOption("two");
    item.SetChoice(1, 2);
    item.SetPicture(4);
    item.SetFont("Arial", 8, nullptr, 0, 1);

    const CSettingsItem copy(item);
    item.AddOption("three");
    item.Font()->name.Assign("Changed");
    item.SetInt(0);

    EXPECT_EQ(copy.Options()->GetCount(), 2);
    EXPECT_NE(copy.Options(), item.Options());
    EXPECT_STREQ(copy.Font()->name.GetText(), "Arial");
    EXPECT_EQ(copy.RawValue(), 1);
    EXPECT_EQ(copy.Columns(), 2);
    EXPECT_EQ(copy.Picture(), 4);
    EXPECT_STREQ(copy.Section().GetText(), "Calendar");
    EXPECT_TRUE(copy.IsStored());
    EXPECT_EQ(copy.RegistryValue(), item.RegistryValue());
}

TEST(SettingsItem, OnlyValuesOfTheRecordWithAFittingKindAreStored)
{
    struct BindCase {
        BYTE type;
        const char* section;
        const char* key;
        bool store;
        bool stored;
    };
    const BindCase cases[] = {
        {stInteger, "Display", "MinSize", true, true},
        {stBoolean, "Display", "AdaptTextBackColorSys", true, true},
        {stText, "Files", "WorkBmpFile", true, true},
        {stInteger, "Display", "MinSize", false, false},       // store flag cleared
        {stInteger, "Display", "", true, false},               // no key
        {stInteger, "Display", "NoSuchValue", true, false},    // not a value of the record
        {stInteger, "Nowhere", "MinSize", true, false},        // not a section of the record
        {stText, "Display", "MinSize", true, false},           // a number is no text
        {stInteger, "Agent", "ConflictingPrgs", true, false},  // a text is no number
        {stFont, "Display", "FileFontName", true, false},      // a font is named by its stem
        {stInteger, "CurrentImage", "LastChangeTime", true, false},
        {stHeading, "Display", "MinSize", true, false},
    };
    for (const BindCase& c : cases) {
        CSettingsItem item(c.type, "c", c.key, 1);
        item.SetSection(c.section, c.store);
        EXPECT_EQ(item.IsStored(), c.stored) << c.section << "\\" << c.key;
    }
}
