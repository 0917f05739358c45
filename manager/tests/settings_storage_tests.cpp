// The settings schema in the registry, read back by the record's own readers and raw registry calls.
#include "Umanaglang.h"
#include "Settings.h"
#include "SettingsSchema.h"
#include "Wcommon.h"
#include "settings_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace manager;

namespace {

const BYTE* MemberOf(const RegistryRecord& record, const CSettingsItem& item, const SettingValue& value)
{
    const SettingSection* section = FindSettingSection(item.Section().GetText());
    return reinterpret_cast<const BYTE*>(&record) + section->partOffset + value.offset;
}

DWORD NumberAt(const BYTE* member)
{
    DWORD number = 0;
    std::memcpy(&number, member, sizeof(number));
    return number;
}

// What a record member holds, as the item would store it: booleans as 0 or 1.
long long StoredForm(const SettingValue& value, const BYTE* member)
{
    return value.kind == SettingKind::Boolean ? *member : static_cast<long long>(NumberAt(member));
}

// A value per item that no other item has and that differs from the record's default.
void GiveDistinctValues(CSettings& settings, const RegistryRecord& defaults)
{
    for (int i = 0; i < settings.GetCount(); ++i) {
        CSettingsItem& item = *settings.At(i);
        if (!item.IsStored()) continue;
        switch (item.Type()) {
        case stBoolean: {
            const long long current =
                StoredForm(*item.RegistryValue(), MemberOf(defaults, item, *item.RegistryValue()));
            item.SetInt(current == 0 ? 1 : 0);
            break;
        }
        case stProgramList:
            item.SetString(("p" + std::to_string(i) + ".exe;q.exe").c_str());
            break;
        case stFont: {
            // Strikeout is set too: it is not stored.
            const BYTE style = static_cast<BYTE>((i % 8) | fsStrikeout);
            item.SetFont(("Face " + std::to_string(i)).c_str(), 20 + i, &style, 0, 100 + i);
            break;
        }
        default:
            item.SetInt(1000 + i);
            break;
        }
    }
}

struct Snapshot {
    int value;
    std::string text;
    CSettingsFont font;
};

std::vector<Snapshot> Take(const CSettings& settings)
{
    std::vector<Snapshot> snapshot;
    for (int i = 0; i < settings.GetCount(); ++i) {
        const CSettingsItem& item = *settings.At(i);
        snapshot.push_back(
            {item.RawValue(), item.StringValue().GetText(), item.Font() ? *item.Font() : CSettingsFont()});
    }
    return snapshot;
}

bool Same(const Snapshot& a, const Snapshot& b)
{
    return a.value == b.value && a.text == b.text && a.font.name.Equals(b.font.name) &&
           a.font.size == b.font.size && a.font.charset == b.font.charset &&
           (a.font.style & ~fsStrikeout) == (b.font.style & ~fsStrikeout);
}

class SettingsStorage : public SettingsKeyTest {
protected:
    void SetUp() override
    {
        SettingsKeyTest::SetUp();
        LoadManagerTextDefaults();
        BuildSettingsSchema(settings, "Arial");
        SetRegistryDefaults(nullptr, &defaults, false, false);
    }
    CSettings settings;
    RegistryRecord defaults;
};

}  // namespace

// Every value the schema writes is the one the record's readers take for that member.
TEST_F(SettingsStorage, DistinctValuesReadBackByTheRecordReaders)
{
    GiveDistinctValues(settings, defaults);
    ASSERT_TRUE(settings.SaveToRegistry(HKEY_CURRENT_USER, kRegRootPath));

    RegistryRecord record = defaults;
    int missing = 0;
    ReadFromRegistry(&record, &missing);
    int compared = 0;
    for (int i = 0; i < settings.GetCount(); ++i) {
        const CSettingsItem& item = *settings.At(i);
        if (!item.IsStored()) continue;
        const std::string name = std::string(item.Section().GetText()) + "\\" + item.Key().GetText();
        if (item.Type() == stFont) {
            const CSettingsFont& font = *item.Font();
            EXPECT_STREQ(reinterpret_cast<const char*>(MemberOf(record, item, *item.FontValueOf(fvName))),
                         font.name.GetText())
                << name;
            const struct {
                FontValue value;
                long long expected;
            } parts[] = {{fvSize, font.size},
                         {fvCharset, font.charset},
                         {fvBold, (font.style & fsBold) ? 1 : 0},
                         {fvItalic, (font.style & fsItalic) ? 1 : 0},
                         {fvUnderline, (font.style & fsUnderline) ? 1 : 0}};
            for (const auto& part : parts) {
                const SettingValue& value = *item.FontValueOf(part.value);
                EXPECT_EQ(StoredForm(value, MemberOf(record, item, value)), part.expected) << value.valueName;
            }
            compared += kFontValueCount;
        } else if (item.Type() == stProgramList) {
            EXPECT_STREQ(reinterpret_cast<const char*>(MemberOf(record, item, *item.RegistryValue())),
                         item.StringValue().GetText())
                << name;
            ++compared;
        } else {
            const SettingValue& value = *item.RegistryValue();
            EXPECT_EQ(StoredForm(value, MemberOf(record, item, value)), item.RawValue()) << name;
            ++compared;
        }
    }
    EXPECT_EQ(compared, 68);
    // What the schema does not edit keeps its default.
    EXPECT_EQ(record.Display.bAdaptTextBackColorSys, defaults.Display.bAdaptTextBackColorSys);
    EXPECT_EQ(record.Agent.bShowProgress, defaults.Agent.bShowProgress);

    // A second schema loads exactly what the first saved.
    CSettings loaded;
    BuildSettingsSchema(loaded, "Arial");
    EXPECT_TRUE(loaded.LoadFromRegistry(HKEY_CURRENT_USER, kRegRootPath));
    const std::vector<Snapshot> saved = Take(settings);
    const std::vector<Snapshot> read = Take(loaded);
    for (size_t i = 0; i < saved.size(); ++i)
        EXPECT_TRUE(Same(saved[i], read[i])) << settings.At(static_cast<int>(i))->Key().GetText();
}

namespace {

// Values the record's readers cannot take, and the item each belongs to.
struct BadCase {
    const char* name;
    const char* subkey;
    const char* value;
    DWORD type;
    std::string data;
    const char* itemKey;
};
const std::vector<BadCase>& BadCases()
{
    static const std::vector<BadCase> cases = {
        {"a number stored as text", "Display", "MinSize", REG_SZ, TextData("480"), "MinSize"},
        {"a number stored as binary", "Exchange", "Period", REG_BINARY, DwordData(5), "Period"},
        {"a number of two bytes", "Display", "MaxSize", REG_DWORD, std::string("\x10\x00", 2), "MaxSize"},
        {"a list stored as a number", "Agent", "ConflictingPrgs", REG_DWORD, DwordData(1), "ConflictingPrgs"},
        {"a list too long for the record", "Agent", "ConflictingPrgs", REG_SZ,
         TextData(std::string(600, 'a')), "ConflictingPrgs"},
        {"a face name stored as a number", "Display", "FileFontName", REG_DWORD, DwordData(3), "FileFont"},
        {"a face name too long for the record", "ScreenSaver", "FileFontName", REG_SZ,
         TextData(std::string(200, 'F')), "FileFont"},
        {"a font size stored as text", "Calendar", "CalendarFontSize", REG_SZ, TextData("10"),
         "CalendarFont"},
    };
    return cases;
}

}  // namespace

// One bad value loses only itself: every item after it still loads, and the result tells.
TEST_F(SettingsStorage, AValueOfAnotherTypeOrSizeIsSkipped)
{
    GiveDistinctValues(settings, defaults);
    ASSERT_TRUE(settings.SaveToRegistry(HKEY_CURRENT_USER, kRegRootPath));
    const std::vector<Snapshot> saved = Take(settings);

    const std::vector<BadCase>& cases = BadCases();
    for (const BadCase& c : cases) {
        ASSERT_TRUE(settings.SaveToRegistry(HKEY_CURRENT_USER, kRegRootPath));
        SetRawValue(c.subkey, c.value, c.type, c.data);

        CSettings loaded;
        BuildSettingsSchema(loaded, "Arial");
        const std::vector<Snapshot> before = Take(loaded);
        LogCapture log;
        EXPECT_FALSE(loaded.LoadFromRegistry(HKEY_CURRENT_USER, kRegRootPath)) << c.name;
        const std::string line = std::string("!LoadFromRegistry: ") + kRegRootPath + "\\" + c.subkey + "\\" +
                                 c.value + " has another type or size than expected; skipped";
        EXPECT_NE(log.Text().find(line), std::string::npos) << c.name;
        const std::vector<Snapshot> read = Take(loaded);
        for (int i = 0; i < loaded.GetCount(); ++i) {
            const CSettingsItem& item = *loaded.At(i);
            const bool bad =
                item.Key().CompareNoCase(c.itemKey) == 0 && item.Section().CompareNoCase(c.subkey) == 0;
            if (!bad) {
                EXPECT_TRUE(Same(read[i], saved[i])) << c.name << ": " << item.Key().GetText();
            } else if (item.Type() == stFont) {
                EXPECT_FALSE(Same(read[i], saved[i])) << c.name;
            } else {
                EXPECT_TRUE(Same(read[i], before[i]))
                    << c.name << ": the bad value keeps the schema's default";
            }
        }
    }
}

TEST_F(SettingsStorage, AProgramListLongerThanTheRecordsFieldIsRefusedWhole)
{
    SetRawValue("Agent", "ConflictingPrgs", REG_SZ, TextData("old.exe"));
    CSettingsItem* list = settings.Find("ConflictingPrgs", "Agent");
    ASSERT_NE(list, nullptr);

    std::string tooLong;
    while (tooLong.size() < 512)
        tooLong += "program.exe;";
    tooLong.resize(512);
    list->SetString(tooLong.c_str());
    {
        LogCapture log;
        EXPECT_FALSE(settings.SaveToRegistry(HKEY_CURRENT_USER, kRegRootPath));
        EXPECT_NE(log.Text().find("!SaveToRegistry: " KV_REG_ROOT "\\Agent\\ConflictingPrgs is longer "
                                  "than 511 characters; not written"),
                  std::string::npos);
    }
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(QueryRawValue("Agent", "ConflictingPrgs", type, data));
    EXPECT_EQ(data, TextData("old.exe"));
    // The other values are written all the same.
    EXPECT_TRUE(QueryRawValue("Agent", "AutoRun", type, data));
    EXPECT_TRUE(QueryRawValue("ScreenSaver", "BlackBackground", type, data));

    const std::string longest = tooLong.substr(0, 511);
    list->SetString(longest.c_str());
    EXPECT_TRUE(settings.SaveToRegistry(HKEY_CURRENT_USER, kRegRootPath));
    AgentSettings agent{};
    ASSERT_TRUE(ReadAgentFromRegistry(agent));
    EXPECT_EQ(std::string(agent.szConflictingPrgs), longest);
}

TEST_F(SettingsStorage, FontSwitchesAndTheCharacterSetSpelling)
{
    SetRawValue("Display", "FileFontName", REG_SZ, TextData("Verdana"));
    SetRawValue("Display", "FileFontSize", REG_DWORD, DwordData(14));
    // The record's readers spell it CharSet; registry names ignore case.
    SetRawValue("Display", "FileFontCharset", REG_DWORD, DwordData(204));
    SetRawValue("Display", "FileFontBold", REG_DWORD, DwordData(2));
    SetRawValue("Display", "FileFontItalic", REG_DWORD, DwordData(1));

    CSettingsItem* font = settings.Find("FileFont", "Display");
    ASSERT_NE(font, nullptr);
    const BYTE underlined = fsUnderline | fsStrikeout;
    font->SetFont("Arial", 8, &underlined, kClWindowText, 238);
    EXPECT_TRUE(settings.LoadFromRegistry(HKEY_CURRENT_USER, kRegRootPath));
    EXPECT_STREQ(font->Font()->name.GetText(), "Verdana");
    EXPECT_EQ(font->Font()->size, 14);
    EXPECT_EQ(font->Font()->charset, 204);
    // Bold stored as 2 is off; the missing underline switch takes the underline away.
    EXPECT_EQ(font->Font()->style, fsItalic);

    DisplaySettings display{};
    ASSERT_TRUE(ReadDisplayFromRegistry(display));
    EXPECT_EQ(display.dwFileFontCharSet, 204u);
}

TEST_F(SettingsStorage, LoadingNeverCreatesKeys)
{
    EXPECT_FALSE(settings.LoadFromRegistry(HKEY_CURRENT_USER, kRegRootPath));
    HKEY key = nullptr;
    EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, kRegRootPath, 0, KEY_READ, &key), ERROR_SUCCESS);

    SetRawValue("", "Configured", REG_DWORD, DwordData(1));
    SetRawValue("Agent", "AutoRun", REG_DWORD, DwordData(0));
    const std::vector<Snapshot> before = Take(settings);
    EXPECT_TRUE(settings.LoadFromRegistry(HKEY_CURRENT_USER, kRegRootPath));
    EXPECT_EQ(settings.GetValue("AutoRun", "Agent"), 0);
    for (const char* section : {"Exchange", "Display", "Calendar", "ScreenSaver"}) {
        const std::string path = std::string(kRegRootPath) + "\\" + section;
        EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS)
            << section;
    }
    // Items of absent sections keep their values.
    const std::vector<Snapshot> after = Take(settings);
    EXPECT_TRUE(Same(after[9], before[9]));
    EXPECT_EQ(settings.GetValue("MinSize", "Display"), 480);
}

TEST_F(SettingsStorage, ItemsNotStoredAreNeitherWrittenNorRead)
{
    CSettings own;
    own.BeginSection("Agent", false);
    own.AddItem(stBoolean, "AutoRun", "a", 1)->SetBool(1);
    own.BeginSection("Agent", true);
    own.AddItem(stBoolean, "", "no key", 1)->SetBool(1);
    own.AddItem(stBoolean, "Block", "b", 1)->SetBool(1);
    ASSERT_TRUE(own.SaveToRegistry(HKEY_CURRENT_USER, kRegRootPath));
    DWORD type = 0;
    std::string data;
    EXPECT_FALSE(QueryRawValue("Agent", "AutoRun", type, data));
    ASSERT_TRUE(QueryRawValue("Agent", "Block", type, data));
    EXPECT_EQ(data, DwordData(1));

    SetRawValue("Agent", "AutoRun", REG_DWORD, DwordData(0));
    EXPECT_TRUE(own.LoadFromRegistry(HKEY_CURRENT_USER, kRegRootPath));
    EXPECT_EQ(own.At(0)->RawValue(), 1);
}

// A value the load skipped stays in the registry as it is while its item is unchanged (a blocking
// list too long for the record, a number stored as text), and is written once the item changes.
TEST_F(SettingsStorage, ASkippedValueIsLeftAsItIsUntilItsItemChanges)
{
    GiveDistinctValues(settings, defaults);
    for (const BadCase& c : BadCases()) {
        ASSERT_TRUE(settings.SaveToRegistry(HKEY_CURRENT_USER, kRegRootPath));
        SetRawValue(c.subkey, c.value, c.type, c.data);

        CSettings loaded;
        BuildSettingsSchema(loaded, "Arial");
        EXPECT_FALSE(loaded.LoadFromRegistry(HKEY_CURRENT_USER, kRegRootPath)) << c.name;
        EXPECT_TRUE(loaded.SaveToRegistry(HKEY_CURRENT_USER, kRegRootPath)) << c.name;
        DWORD type = 0;
        std::string data;
        ASSERT_TRUE(QueryRawValue(c.subkey, c.value, type, data)) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
        EXPECT_EQ(data, c.data) << c.name;

        // A copy, as the settings dialog edits one, keeps what the load found.
        CSettingsItem* item = loaded.Find(c.itemKey, c.subkey);
        ASSERT_NE(item, nullptr) << c.name;
        CSettingsItem copy(*item);
        CSettings one;
        one.Append(std::make_unique<CSettingsItem>(copy));
        EXPECT_TRUE(one.SaveToRegistry(HKEY_CURRENT_USER, kRegRootPath)) << c.name;
        ASSERT_TRUE(QueryRawValue(c.subkey, c.value, type, data)) << c.name;
        EXPECT_EQ(data, c.data) << c.name << ": the copy";

        // Changed by the user, the item is written.
        if (item->Type() == stFont) {
            const BYTE style = fsBold;
            item->SetFont("Changed", 17, &style, 0, 1);
        } else if (item->Type() == stProgramList) {
            item->SetString("changed.exe");
        } else {
            item->SetInt(item->RawValue() + 1);
        }
        EXPECT_TRUE(loaded.SaveToRegistry(HKEY_CURRENT_USER, kRegRootPath)) << c.name;
        ASSERT_TRUE(QueryRawValue(c.subkey, c.value, type, data)) << c.name;
        EXPECT_EQ(type,
                  item->Type() == stProgramList ||
                          (item->Type() == stFont && std::string(c.value).find("Name") != std::string::npos)
                      ? static_cast<DWORD>(REG_SZ)
                      : static_cast<DWORD>(REG_DWORD))
            << c.name;
        EXPECT_NE(data, c.data) << c.name << ": written after the change";
    }
}
