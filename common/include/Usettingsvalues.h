// One descriptor per registry value of the settings: its name, the record member it fills, its
// kind and where the member lies in its part. The section readers and writers run over these
// tables, and the settings dialog can find a value's name and kind in them.
#pragma once

#include <windows.h>

#include <cstddef>

enum class SettingKind {
    Number,    // REG_DWORD
    Boolean,   // REG_DWORD written as 0 or 1; any nonzero value reads as 1
    Text,      // REG_SZ written with its zero; REG_SZ or REG_EXPAND_SZ read, not expanded
    FileTime,  // REG_BINARY of 8 bytes
};

struct SettingValue {
    const char* valueName;   // in the registry
    const char* memberName;  // in the record, as the log lines show it
    SettingKind kind;
    size_t offset;  // of the member within its part
    size_t size;    // of the member in bytes (a text's whole array)
};

struct SettingSection {
    const char* subkey;  // below the settings root; also the section's name in log lines
    const SettingValue* values;
    size_t count;
    bool logReads;  // whether the first read in a process logs the values
};

// The seven parts of the record, in the registry's order of their values.
extern const SettingSection kExchangeSection;
extern const SettingSection kDisplaySection;
extern const SettingSection kCalendarSection;
extern const SettingSection kAgentSection;
extern const SettingSection kFilesSection;
extern const SettingSection kCurrentImageSection;
extern const SettingSection kScreenSaverSection;

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
