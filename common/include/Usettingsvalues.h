// One descriptor per registry value of the settings: its name, the record member it fills, its
// kind, its defaults, its range and where the member lies in the record. The rows themselves are the
// one table of Usettingstable.h; the section readers and writers, the record's defaults, the
// Manager's settings schema, the screen saver's dialog and the engine's guards all run over it, so
// each value is described exactly once.
#pragma once

#include <windows.h>

#include <cstddef>
#include <initializer_list>
#include <vector>

enum class SettingKind {
    Number,    // REG_DWORD
    Boolean,   // REG_DWORD written as 0 or 1; any nonzero value reads as 1
    Text,      // REG_SZ written with its zero; REG_SZ or REG_EXPAND_SZ read, not expanded
    FileTime,  // REG_BINARY of 8 bytes
};

// The registry type a value of this kind is stored as.
DWORD RegistryTypeOf(SettingKind kind);

// Where a member's default comes from when the record is filled.
enum class SettingDefault {
    Fixed,         // the descriptor's fixed value; texts and times are empty
    FontName,      // the font found for the window, or "Arial" without one
    CalendarShow,  // the caller's choice whether the calendar is shown
    MarginLeft,    // the icon-grid margins when they are computed, else 0
    MarginRight,
    MarginTop,
    MarginBottom,
    FrameWithMargins,  // 1 with computed margins, else 0
};

// The bounds of a number: what the Manager's editor offers, what the screen saver's dialog stores and
// what the engine's guards keep a registry value to. A value without bounds spans the whole DWORD.
struct SettingRange {
    DWORD min;
    DWORD max;

    constexpr DWORD Clamp(DWORD value) const { return value < min ? min : value > max ? max : value; }
    constexpr bool operator==(const SettingRange& other) const
    {
        return min == other.min && max == other.max;
    }
};

constexpr SettingRange kUnboundedSetting{0, 0xFFFFFFFF};
constexpr SettingRange kSwitchSetting{0, 1};

struct SettingValue {
    const char* valueName;   // in the registry
    const char* memberName;  // in the record, as the log lines show it
    SettingKind kind;
    size_t offset;  // of the member within its part
    size_t size;    // of the member in bytes (a text's whole array, terminator included)
    SettingDefault source;
    // Numbers and booleans have two defaults, equal unless a row names the Manager's own:
    DWORD recordDefault;   // every program's record starts with it (source Fixed); the first run writes it
    DWORD managerDefault;  // the Manager's item starts with it; shown only where the registry lacks the value
    SettingRange range;

    // For the rows of the table: the same row with its bounds, or with a default of the Manager's own.
    constexpr SettingValue Within(DWORD min, DWORD max) const
    {
        SettingValue value = *this;
        value.range = SettingRange{min, max};
        return value;
    }
    constexpr SettingValue WithManagerDefault(DWORD managerValue) const
    {
        SettingValue value = *this;
        value.managerDefault = managerValue;
        return value;
    }
};

struct SettingSection {
    const char* subkey;  // below the settings root; also the section's name in log lines
    size_t partOffset;   // of the section's part within RegistryRecord
    const SettingValue* values;
    size_t count;
    bool logReads;  // whether the first read in a process logs the values
    // Where the "= " of the member lines stands after the two leading blanks; 0: the column all
    // sections share.
    size_t logColumn;
};

// The seven parts of the record, in the registry's order of their values.
extern const SettingSection kExchangeSection;
extern const SettingSection kDisplaySection;
extern const SettingSection kCalendarSection;
extern const SettingSection kAgentSection;
extern const SettingSection kFilesSection;
extern const SettingSection kCurrentImageSection;
extern const SettingSection kScreenSaverSection;

// All seven, in the record's order.
constexpr size_t kSettingSectionCount = 7;
extern const SettingSection* const kSettingSections[kSettingSectionCount];

// Registry names compare without regard to ASCII case, as the registry compares them. Null when
// there is no such section or value.
const SettingSection* FindSettingSection(const char* subkey);
const SettingValue* FindSettingValue(const SettingSection& section, const char* valueName);

// The value that fills the record member starting at `recordOffset` (offsetof within RegistryRecord,
// e.g. offsetof(RegistryRecord, Display.dwMinSize)), and its section. Null when no value starts there.
const SettingValue* FindSettingAt(size_t recordOffset, const SettingSection** section = nullptr);

// A few values of one section, for a program that edits only those (the screen saver's dialog):
// they keep the whole section's descriptors, and writing them leaves the section's other values
// as they are. Its section does not log its reads, and its log lines align the "= " one blank
// after its own longest member name.
class SettingSubset {
public:
    // The named values, in the order given; a name the section lacks is left out.
    SettingSubset(const SettingSection& whole, std::initializer_list<const char*> valueNames);
    SettingSubset(const SettingSubset&) = delete;
    SettingSubset& operator=(const SettingSubset&) = delete;

    const SettingSection& Section() const { return m_Section; }
    // Every name was found.
    bool Complete() const { return m_bComplete; }

private:
    std::vector<SettingValue> m_Values;
    SettingSection m_Section;
    bool m_bComplete = true;
};

// Any section, or a subset's, below the settings root, as the readers and writers of the record
// read and write theirs; the reader logs only a key that is not found.
bool ReadSectionFromRegistry(const SettingSection& section, void* part, int* missing = nullptr);
bool WriteSectionToRegistry(const SettingSection& section, const void* part);

// Reads every value of `section` from an open key into `part`; returns how many were absent or
// unusable (their members are left as they were).
int ReadSectionValues(HKEY key, const SettingSection& section, void* part);

// Writes every value of `section` from `part` to an open key, except the one named `skipValue`
// (may be null). Every value is attempted; false when any of them could not be written.
bool WriteSectionValues(HKEY key, const SettingSection& section, const void* part,
                        const char* skipValue = nullptr);

// Logs the values as "CFG Read: <section>" or "CFG Write: <section>" and one line per member.
void LogSectionValues(const char* verb, const SettingSection& section, const void* part,
                      const char* skipValue = nullptr);

// The inputs of the defaults that are not fixed.
struct SettingDefaultInputs {
    const char* fontName;
    bool calendarShow;
    bool computeMargins;
    DWORD margins[4];  // left, right, top, bottom; used with computeMargins
};

// Writes the default of every value of `section` into `part`. Text members are filled with their
// default and zeroed behind it; the bytes between members are left as they are.
void SetSectionDefaults(const SettingSection& section, void* part, const SettingDefaultInputs& inputs);
