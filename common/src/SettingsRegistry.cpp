// Readers and writers of the settings sections, the root values and \RunTime.
#include "Uregutils.h"
#include "Usettingsvalues.h"
#include "Wcommon.h"

#include "UTxLog.h"
#include "UTxUtils.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kConfiguredValue = "Configured";
constexpr const char* kAllFilesCountValue = "AllFilesCount";
constexpr const char* kConflictingPrgsValue = "ConflictingPrgs";

struct KeyPath {
    char text[128];
};

KeyPath FullKeyPath(const char* subkey)
{
    KeyPath path;
    std::snprintf(path.text, sizeof(path.text), "%s\\%s", kRegRootPath, subkey);
    return path;
}

RegKey OpenForReading(const char* path)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return RegKey();
    return RegKey(key);
}

RegKey OpenForWriting(const char* path)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                          &key, nullptr) != ERROR_SUCCESS) {
        return RegKey();
    }
    return RegKey(key);
}

// The first read of a section in this process logs its values; later reads log nothing. The flag
// is atomic: the engine reads settings on the calling program's threads. Without a flag nothing is
// logged.
bool ReadSection(const SettingSection& section, void* part, int* missing, std::atomic<bool>* logged)
{
    const KeyPath path = FullKeyPath(section.subkey);
    const RegKey key = OpenForReading(path.text);
    if (!key) {
        LogF("ReadFromRegistry: %s not found", path.text);
        return false;
    }
    const int absent = ReadSectionValues(key.get(), section, part);
    if (missing) *missing += absent;
    if (logged && !logged->exchange(true)) {
        if (section.logReads) LogSectionValues("Read", section, part);
    }
    return true;
}

bool WriteSection(const SettingSection& section, const void* part, const char* skipValue = nullptr)
{
    const KeyPath path = FullKeyPath(section.subkey);
    const RegKey key = OpenForWriting(path.text);
    if (!key) {
        LogF("WriteToRegistry: Error creating/opening %s", path.text);
        return false;
    }
    const bool written = WriteSectionValues(key.get(), section, part, skipValue);
    LogSectionValues("Write", section, part, skipValue);
    return written;
}

}  // namespace

void ReadRegistryRoot(bool& configured, DWORD& allFilesCount)
{
    static std::atomic<bool> s_bLogged{false};
    configured = false;
    allFilesCount = 0;
    const RegKey key = OpenForReading(kRegRootPath);
    if (key) {
        DWORD value = 0;
        if (ReadRegDword(key.get(), kConfiguredValue, value)) configured = value != 0;
        ReadRegDword(key.get(), kAllFilesCountValue, allFilesCount);
    }
    if (!s_bLogged.exchange(true)) {
        LogF("CFG Read: Configured     = %d", configured ? 1 : 0);
        LogF("CFG Read: AllFilesCount  = %d", static_cast<int>(allFilesCount));
    }
}

bool WriteRegistryRoot(bool configured, DWORD allFilesCount)
{
    const RegKey key = OpenForWriting(kRegRootPath);
    if (!key) {
        LogF("WriteToRegistry: Error creating/opening %s", kRegRootPath);
        return false;
    }
    // Both values are attempted even when the first fails.
    const bool configuredWritten = WriteRegDword(key.get(), kConfiguredValue, configured ? 1 : 0);
    const bool countWritten = WriteRegDword(key.get(), kAllFilesCountValue, allFilesCount);
    LogF("CFG Write: Configured    = %d", configured ? 1 : 0);
    LogF("CFG Write: AllFilesCount = %d", static_cast<int>(allFilesCount));
    return configuredWritten && countWritten;
}

bool ReadExchangeFromRegistry(ExchangeSettings& part, int* missing)
{
    static std::atomic<bool> s_bLogged{false};
    return ReadSection(kExchangeSection, &part, missing, &s_bLogged);
}

bool ReadDisplayFromRegistry(DisplaySettings& part, int* missing)
{
    static std::atomic<bool> s_bLogged{false};
    return ReadSection(kDisplaySection, &part, missing, &s_bLogged);
}

bool ReadCalendarFromRegistry(CalendarSettings& part, int* missing)
{
    static std::atomic<bool> s_bLogged{false};
    return ReadSection(kCalendarSection, &part, missing, &s_bLogged);
}

bool ReadAgentFromRegistry(AgentSettings& part, int* missing)
{
    static std::atomic<bool> s_bLogged{false};
    return ReadSection(kAgentSection, &part, missing, &s_bLogged);
}

bool ReadFilesFromRegistry(FilesSettings& part, int* missing)
{
    static std::atomic<bool> s_bLogged{false};
    return ReadSection(kFilesSection, &part, missing, &s_bLogged);
}

bool ReadCurrentImageFromRegistry(CurrentImageSettings& part, int* missing)
{
    static std::atomic<bool> s_bLogged{false};
    return ReadSection(kCurrentImageSection, &part, missing, &s_bLogged);
}

bool ReadScreenSaverFromRegistry(ScreenSaverSettings& part, int* missing)
{
    static std::atomic<bool> s_bLogged{false};
    return ReadSection(kScreenSaverSection, &part, missing, &s_bLogged);
}

bool WriteExchangeToRegistry(const ExchangeSettings& part)
{
    return WriteSection(kExchangeSection, &part);
}
bool WriteDisplayToRegistry(const DisplaySettings& part)
{
    return WriteSection(kDisplaySection, &part);
}
bool WriteCalendarToRegistry(const CalendarSettings& part)
{
    return WriteSection(kCalendarSection, &part);
}

bool WriteAgentToRegistry(const AgentSettings& part, bool writeConflictingPrgs)
{
    return WriteSection(kAgentSection, &part, writeConflictingPrgs ? nullptr : kConflictingPrgsValue);
}

bool WriteFilesToRegistry(const FilesSettings& part)
{
    return WriteSection(kFilesSection, &part);
}

bool WriteCurrentImageToRegistry(const CurrentImageSettings& part)
{
    return WriteSection(kCurrentImageSection, &part);
}

bool WriteScreenSaverToRegistry(const ScreenSaverSettings& part)
{
    return WriteSection(kScreenSaverSection, &part);
}

bool ReadSectionFromRegistry(const SettingSection& section, void* part, int* missing)
{
    return ReadSection(section, part, missing, nullptr);
}

bool WriteSectionToRegistry(const SettingSection& section, const void* part)
{
    return WriteSection(section, part);
}

bool ReadFromRegistry(RegistryRecord* record, int* missing)
{
    if (!record) return false;
    // Every section is read even when an earlier one is absent, so that the rest still count.
    int absent = 0;
    bool ok = ReadExchangeFromRegistry(record->Exchange, &absent);
    ok = ReadDisplayFromRegistry(record->Display, &absent) && ok;
    ok = ReadCalendarFromRegistry(record->Calendar, &absent) && ok;
    ok = ReadAgentFromRegistry(record->Agent, &absent) && ok;
    ok = ReadFilesFromRegistry(record->Files, &absent) && ok;
    ok = ReadCurrentImageFromRegistry(record->CurrentImage, &absent) && ok;
    ok = ReadScreenSaverFromRegistry(record->ScreenSaver, &absent) && ok;
    if (missing) *missing = absent;
    return ok;
}

bool WriteToRegistry(const RegistryRecord* record)
{
    if (!record) return false;
    bool ok = WriteExchangeToRegistry(record->Exchange);
    ok = WriteDisplayToRegistry(record->Display) && ok;
    ok = WriteCalendarToRegistry(record->Calendar) && ok;
    ok = WriteAgentToRegistry(record->Agent, true) && ok;
    ok = WriteFilesToRegistry(record->Files) && ok;
    ok = WriteCurrentImageToRegistry(record->CurrentImage) && ok;
    ok = WriteScreenSaverToRegistry(record->ScreenSaver) && ok;
    return ok;
}

bool WriteRunTimeScreenSize()
{
    const KeyPath path = FullKeyPath(kRegRunTimeKey);
    const RegKey key = OpenForWriting(path.text);
    if (!key) {
        LogF("WriteToRegistry: Error creating/opening %s", path.text);
        return false;
    }
    const bool widthWritten =
        WriteRegDword(key.get(), kRegScreenStartupWidth, static_cast<DWORD>(::GetSystemMetrics(SM_CXSCREEN)));
    const bool heightWritten = WriteRegDword(key.get(), kRegScreenStartupHeight,
                                             static_cast<DWORD>(::GetSystemMetrics(SM_CYSCREEN)));
    return widthWritten && heightWritten;
}
