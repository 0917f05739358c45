// Reading, writing and logging the values of one settings section through its descriptor table.
#include "Uregutils.h"
#include "Usettingsvalues.h"

#include "UTxLog.h"

#include <algorithm>
#include <cstring>

namespace {

BYTE* MemberOf(void* part, const SettingValue& value)
{
    return static_cast<BYTE*>(part) + value.offset;
}

const BYTE* MemberOf(const void* part, const SettingValue& value)
{
    return static_cast<const BYTE*>(part) + value.offset;
}

DWORD DefaultNumber(const SettingValue& value, const SettingDefaultInputs& inputs)
{
    switch (value.source) {
    case SettingDefault::Fixed:
        return value.recordDefault;
    case SettingDefault::CalendarShow:
        return inputs.calendarShow ? 1 : 0;
    case SettingDefault::MarginLeft:
    case SettingDefault::MarginRight:
    case SettingDefault::MarginTop:
    case SettingDefault::MarginBottom: {
        const size_t side =
            static_cast<size_t>(value.source) - static_cast<size_t>(SettingDefault::MarginLeft);
        return inputs.computeMargins ? inputs.margins[side] : 0;
    }
    case SettingDefault::FrameWithMargins:
        return inputs.computeMargins ? 1 : 0;
    case SettingDefault::FontName:
        break;
    }
    return 0;
}

bool Skipped(const SettingValue& value, const char* skipValue)
{
    return skipValue && std::strcmp(value.valueName, skipValue) == 0;
}

bool ReadValue(HKEY key, const SettingValue& value, BYTE* member)
{
    switch (value.kind) {
    case SettingKind::Number: {
        DWORD number = 0;
        if (!ReadRegDword(key, value.valueName, number)) return false;
        std::memcpy(member, &number, sizeof(number));
        return true;
    }
    case SettingKind::Boolean: {
        DWORD number = 0;
        if (!ReadRegDword(key, value.valueName, number)) return false;
        *member = number != 0 ? 1 : 0;
        return true;
    }
    case SettingKind::Text:
        return ReadRegText(key, value.valueName, reinterpret_cast<char*>(member), value.size);
    case SettingKind::FileTime: {
        FILETIME time{};
        if (!ReadRegFileTime(key, value.valueName, time)) return false;
        std::memcpy(member, &time, sizeof(time));
        return true;
    }
    }
    return false;
}

bool WriteValue(HKEY key, const SettingValue& value, const BYTE* member)
{
    switch (value.kind) {
    case SettingKind::Number: {
        DWORD number = 0;
        std::memcpy(&number, member, sizeof(number));
        return WriteRegDword(key, value.valueName, number);
    }
    case SettingKind::Boolean:
        return WriteRegDword(key, value.valueName, *member != 0 ? 1 : 0);
    case SettingKind::Text: {
        // A field that lost its zero is written only up to its own end.
        char text[kRegTextBufferSize] = {};
        const size_t length = ::strnlen(reinterpret_cast<const char*>(member), value.size);
        std::memcpy(text, member, length < sizeof(text) ? length : sizeof(text) - 1);
        return WriteRegText(key, value.valueName, text);
    }
    case SettingKind::FileTime: {
        FILETIME time{};
        std::memcpy(&time, member, sizeof(time));
        return WriteRegFileTime(key, value.valueName, time);
    }
    }
    return false;
}

void LogValue(const SettingValue& value, const BYTE* member, const char* prefix, int column)
{
    switch (value.kind) {
    case SettingKind::Number: {
        DWORD number = 0;
        std::memcpy(&number, member, sizeof(number));
        LogF("%s%-*s= %d", prefix, column, value.memberName, static_cast<int>(number));
        break;
    }
    case SettingKind::Boolean:
        LogF("%s%-*s= %d", prefix, column, value.memberName, *member);
        break;
    case SettingKind::Text: {
        const int length = static_cast<int>(::strnlen(reinterpret_cast<const char*>(member), value.size));
        LogF("%s%-*s= %.*s", prefix, column, value.memberName, length, reinterpret_cast<const char*>(member));
        break;
    }
    case SettingKind::FileTime: {
        FILETIME time{};
        std::memcpy(&time, member, sizeof(time));
        LogF("%s%-*s= 0x%08lX%08lX", prefix, column, value.memberName, time.dwHighDateTime,
             time.dwLowDateTime);
        break;
    }
    }
}

}  // namespace

int ReadSectionValues(HKEY key, const SettingSection& section, void* part)
{
    int missing = 0;
    for (size_t i = 0; i < section.count; ++i) {
        const SettingValue& value = section.values[i];
        if (!ReadValue(key, value, MemberOf(part, value))) ++missing;
    }
    return missing;
}

bool WriteSectionValues(HKEY key, const SettingSection& section, const void* part, const char* skipValue)
{
    bool allWritten = true;
    for (size_t i = 0; i < section.count; ++i) {
        const SettingValue& value = section.values[i];
        if (Skipped(value, skipValue)) continue;
        if (!WriteValue(key, value, MemberOf(part, value))) allWritten = false;
    }
    return allWritten;
}

void LogSectionValues(const char* verb, const SettingSection& section, const void* part,
                      const char* skipValue)
{
    if (!g_bLogEnabled) return;

    // The Exchange section reads as three self-contained lines; every other section as a head line
    // with its members aligned below it.
    if (std::strcmp(verb, "Read") == 0 && std::strcmp(section.subkey, "Exchange") == 0) {
        // "Exchange." plus the member name fill a column of 32.
        for (size_t i = 0; i < section.count; ++i) {
            LogValue(section.values[i], MemberOf(part, section.values[i]), "CFG Read: Exchange.", 23);
        }
        return;
    }

    // One layout for every section, so a log reads alike whichever section it shows: "= " in the
    // column after the longest usual member name; a longer name keeps one blank before it.
    constexpr size_t kMemberColumn = 21;
    LogF("CFG %s: %s", verb, section.subkey);
    for (size_t i = 0; i < section.count; ++i) {
        const SettingValue& value = section.values[i];
        if (Skipped(value, skipValue)) continue;
        const size_t column = std::max(section.logColumn ? section.logColumn : kMemberColumn,
                                       std::strlen(value.memberName) + 1);
        LogValue(value, MemberOf(part, value), "  ", static_cast<int>(column));
    }
}

void SetSectionDefaults(const SettingSection& section, void* part, const SettingDefaultInputs& inputs)
{
    for (size_t i = 0; i < section.count; ++i) {
        const SettingValue& value = section.values[i];
        BYTE* member = MemberOf(part, value);
        switch (value.kind) {
        case SettingKind::Number: {
            const DWORD number = DefaultNumber(value, inputs);
            std::memcpy(member, &number, sizeof(number));
            break;
        }
        case SettingKind::Boolean:
            *member = DefaultNumber(value, inputs) != 0 ? 1 : 0;
            break;
        case SettingKind::Text: {
            // The unused tail is zero too, so records compare and copy cleanly.
            std::memset(member, 0, value.size);
            const char* text =
                value.source == SettingDefault::FontName && inputs.fontName ? inputs.fontName : "";
            std::memcpy(member, text, ::strnlen(text, value.size - 1));
            break;
        }
        case SettingKind::FileTime:
            std::memset(member, 0, value.size);
            break;
        }
    }
}
