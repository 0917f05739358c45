// The settings sections over the rows of the one table, and finding a section or a value.
#include "Usettingstable.h"
#include "Usettingsvalues.h"
#include "Wcommon.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#define KV_SECTION(name, part, values, logReads)                                                             \
    {                                                                                                        \
        name, offsetof(RegistryRecord, part), values, std::size(values), logReads, 0                         \
    }

const SettingSection kExchangeSection = KV_SECTION("Exchange", Exchange, kExchangeValues, true);
const SettingSection kDisplaySection = KV_SECTION("Display", Display, kDisplayValues, true);
const SettingSection kCalendarSection = KV_SECTION("Calendar", Calendar, kCalendarValues, true);
const SettingSection kAgentSection = KV_SECTION("Agent", Agent, kAgentValues, true);
const SettingSection kFilesSection = KV_SECTION("Files", Files, kFilesValues, true);
// Read after every wallpaper change; its values would only repeat in the log.
const SettingSection kCurrentImageSection =
    KV_SECTION("CurrentImage", CurrentImage, kCurrentImageValues, false);
const SettingSection kScreenSaverSection = KV_SECTION("ScreenSaver", ScreenSaver, kScreenSaverValues, true);

const SettingSection* const kSettingSections[kSettingSectionCount] = {
    &kExchangeSection, &kDisplaySection,      &kCalendarSection,    &kAgentSection,
    &kFilesSection,    &kCurrentImageSection, &kScreenSaverSection,
};

DWORD RegistryTypeOf(SettingKind kind)
{
    switch (kind) {
    case SettingKind::Number:
    case SettingKind::Boolean:
        return REG_DWORD;
    case SettingKind::Text:
        return REG_SZ;
    case SettingKind::FileTime:
        return REG_BINARY;
    }
    return REG_NONE;
}

const SettingSection* FindSettingSection(const char* subkey)
{
    if (!subkey) return nullptr;
    for (const SettingSection* section : kSettingSections) {
        if (::_stricmp(section->subkey, subkey) == 0) return section;
    }
    return nullptr;
}

const SettingValue* FindSettingValue(const SettingSection& section, const char* valueName)
{
    if (!valueName) return nullptr;
    for (size_t i = 0; i < section.count; ++i) {
        if (::_stricmp(section.values[i].valueName, valueName) == 0) return &section.values[i];
    }
    return nullptr;
}

SettingSubset::SettingSubset(const SettingSection& whole, std::initializer_list<const char*> valueNames)
    : m_Section{whole.subkey, whole.partOffset, nullptr, 0, false, 0}
{
    for (const char* name : valueNames) {
        const SettingValue* value = FindSettingValue(whole, name);
        if (value)
            m_Values.push_back(*value);
        else
            m_bComplete = false;
    }
    m_Section.values = m_Values.data();
    m_Section.count = m_Values.size();
    for (const SettingValue& value : m_Values)
        m_Section.logColumn = std::max(m_Section.logColumn, std::strlen(value.memberName) + 1);
}

const SettingValue* FindSettingAt(size_t recordOffset, const SettingSection** found)
{
    for (const SettingSection* section : kSettingSections) {
        for (size_t i = 0; i < section->count; ++i) {
            if (section->partOffset + section->values[i].offset != recordOffset) continue;
            if (found) *found = section;
            return &section->values[i];
        }
    }
    return nullptr;
}
