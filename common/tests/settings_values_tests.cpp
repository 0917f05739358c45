// The one table of settings values: every member of the record described once, and found by name
// or by its place in the record.
#include "Usettingsvalues.h"
#include "Wcommon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

struct PartLayout {
    const SettingSection* section;
    size_t offset;
    size_t size;
};

const PartLayout kParts[] = {
    {&kExchangeSection, offsetof(RegistryRecord, Exchange), sizeof(ExchangeSettings)},
    {&kDisplaySection, offsetof(RegistryRecord, Display), sizeof(DisplaySettings)},
    {&kCalendarSection, offsetof(RegistryRecord, Calendar), sizeof(CalendarSettings)},
    {&kAgentSection, offsetof(RegistryRecord, Agent), sizeof(AgentSettings)},
    {&kFilesSection, offsetof(RegistryRecord, Files), sizeof(FilesSettings)},
    {&kCurrentImageSection, offsetof(RegistryRecord, CurrentImage), sizeof(CurrentImageSettings)},
    {&kScreenSaverSection, offsetof(RegistryRecord, ScreenSaver), sizeof(ScreenSaverSettings)},
};

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

// Members laid side by side with nothing between them but alignment padding: no member is
// described twice, none is left out, and no size is wrong.
TEST(SettingsValues, EveryMemberOfTheRecordIsDescribedOnce)
{
    size_t total = 0;
    for (size_t p = 0; p < std::size(kParts); ++p) {
        const PartLayout& part = kParts[p];
        ASSERT_EQ(kSettingSections[p], part.section);
        EXPECT_EQ(part.section->partOffset, part.offset) << part.section->subkey;

        std::vector<const SettingValue*> values;
        for (size_t i = 0; i < part.section->count; ++i)
            values.push_back(&part.section->values[i]);
        std::sort(values.begin(), values.end(),
                  [](const SettingValue* a, const SettingValue* b) { return a->offset < b->offset; });
        size_t end = 0;
        for (const SettingValue* value : values) {
            const size_t alignment = value->kind == SettingKind::Number     ? 4
                                     : value->kind == SettingKind::FileTime ? 8
                                                                            : 1;
            EXPECT_GE(value->offset, end) << value->memberName << " overlaps the member before it";
            EXPECT_LT(value->offset - end, alignment) << "a member is missing before " << value->memberName;
            EXPECT_EQ(value->offset % alignment, 0u) << value->memberName;
            const size_t expectedSize = value->kind == SettingKind::Number     ? 4
                                        : value->kind == SettingKind::Boolean  ? 1
                                        : value->kind == SettingKind::FileTime ? 8
                                                                               : value->size;
            EXPECT_EQ(value->size, expectedSize) << value->memberName;
            end = value->offset + value->size;
        }
        EXPECT_LT(part.size - end, 4u) << "a member is missing at the end of " << part.section->subkey;
        total += part.section->count;
    }
    EXPECT_EQ(total, 81u);
}

TEST(SettingsValues, NamesAreUniqueWithinTheirSection)
{
    for (const SettingSection* section : kSettingSections) {
        std::set<std::string> names;
        for (size_t i = 0; i < section->count; ++i) {
            EXPECT_TRUE(names.insert(Lower(section->values[i].valueName)).second)
                << section->subkey << "\\" << section->values[i].valueName;
        }
    }
}

TEST(SettingsValues, FoundByNameWithoutRegardToCaseAndByPlaceInTheRecord)
{
    const SettingSection* display = FindSettingSection("dIsPlAy");
    ASSERT_EQ(display, &kDisplaySection);
    const SettingValue* charset = FindSettingValue(*display, "FILEFONTCHARSET");
    ASSERT_NE(charset, nullptr);
    EXPECT_STREQ(charset->valueName, "FileFontCharSet");
    EXPECT_EQ(FindSettingValue(*display, "NoSuchValue"), nullptr);
    EXPECT_EQ(FindSettingSection("RunTime"), nullptr);

    struct PlaceCase {
        size_t offset;
        const SettingSection* section;
        const char* name;
    };
    const PlaceCase cases[] = {
        {offsetof(RegistryRecord, Exchange.dwType), &kExchangeSection, "Type"},
        {offsetof(RegistryRecord, Display.dwMinSize), &kDisplaySection, "MinSize"},
        {offsetof(RegistryRecord, Calendar.szCalendarFontName), &kCalendarSection, "CalendarFontName"},
        {offsetof(RegistryRecord, Agent.szConflictingPrgs), &kAgentSection, "ConflictingPrgs"},
        {offsetof(RegistryRecord, CurrentImage.ftLastChangeTime), &kCurrentImageSection, "LastChangeTime"},
        {offsetof(RegistryRecord, ScreenSaver.bBlackBackground), &kScreenSaverSection, "BlackBackground"},
    };
    for (const PlaceCase& c : cases) {
        const SettingSection* section = nullptr;
        const SettingValue* value = FindSettingAt(c.offset, &section);
        ASSERT_NE(value, nullptr) << c.name;
        EXPECT_EQ(section, c.section) << c.name;
        EXPECT_STREQ(value->valueName, c.name);
    }
    // Inside a member, not at its start.
    EXPECT_EQ(FindSettingAt(offsetof(RegistryRecord, Display.dwMinSize) + 1), nullptr);
}

// A default outside its own bounds would be clamped by one program and kept by another.
TEST(SettingsValues, EveryDefaultLiesWithinItsBounds)
{
    for (const SettingSection* section : kSettingSections) {
        for (size_t i = 0; i < section->count; ++i) {
            const SettingValue& value = section->values[i];
            const std::string name = std::string(section->subkey) + "\\" + value.valueName;
            EXPECT_LE(value.range.min, value.range.max) << name;
            if (value.kind == SettingKind::Boolean) {
                EXPECT_TRUE(value.range == kSwitchSetting) << name;
            }
            if (value.kind != SettingKind::Number && value.kind != SettingKind::Boolean) continue;
            if (value.source == SettingDefault::Fixed) {
                EXPECT_EQ(value.range.Clamp(value.recordDefault), value.recordDefault) << name;
            }
            EXPECT_EQ(value.range.Clamp(value.managerDefault), value.managerDefault) << name;
        }
    }
}

TEST(SettingsValues, RegistryTypesOfTheKinds)
{
    EXPECT_EQ(RegistryTypeOf(SettingKind::Number), static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(RegistryTypeOf(SettingKind::Boolean), static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(RegistryTypeOf(SettingKind::Text), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(RegistryTypeOf(SettingKind::FileTime), static_cast<DWORD>(REG_BINARY));
}
