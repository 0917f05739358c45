#include "uninstall_support.h"

#include "KvTestSupport.h"
#include "UTxUtils.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace uninstalltest {

void SetMachineValue(const char* subkey, const char* valueName, DWORD type, const std::string& data)
{
    HKEY opened = nullptr;
    ASSERT_EQ(
        ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr),
        ERROR_SUCCESS);
    const RegKey key(opened);
    ASSERT_EQ(::RegSetValueExA(key.get(), valueName, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                               static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
}

bool MachineKeyExists(const char* subkey)
{
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    ::RegCloseKey(opened);
    return true;
}

bool MachineValueExists(const char* subkey, const char* valueName)
{
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    const RegKey key(opened);
    return ::RegQueryValueExA(key.get(), valueName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void DeleteMachineKey(const char* subkey)
{
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, subkey);
}

namespace {

FILETIME MinutesFromNow(int minutes)
{
    FILETIME now = {};
    ::GetSystemTimeAsFileTime(&now);
    const LONGLONG units = static_cast<LONGLONG>(testsupport::FileTimeUnits(now)) + minutes * 600000000LL;
    return testsupport::FileTimeFromUnits(static_cast<ULONGLONG>(units));
}

}  // namespace

std::string LocalTimeText(int minutes)
{
    const FILETIME utc = MinutesFromNow(minutes);
    SYSTEMTIME universal = {};
    SYSTEMTIME local = {};
    ::FileTimeToSystemTime(&utc, &universal);
    ::SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local);
    char text[32];
    std::snprintf(text, sizeof(text), "%02u.%02u.%04u %02u:%02u", local.wDay, local.wMonth, local.wYear,
                  local.wHour, local.wMinute);
    return text;
}

bool TouchFile(const std::string& path, int minutes)
{
    const FileHandle file(::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                        nullptr));
    if (!file) return false;
    const FILETIME time = MinutesFromNow(minutes);
    return ::SetFileTime(file.get(), nullptr, nullptr, &time) != FALSE;
}

}  // namespace uninstalltest
