#include "settings_support.h"

#include "KvTestRegistry.h"
#include "Wcommon.h"

namespace {

std::string PathOf(const char* subkey)
{
    std::string path = kRegRootPath;
    if (subkey && subkey[0]) path = path + "\\" + subkey;
    return path;
}

}  // namespace

void DeleteSettingsKey()
{
    ASSERT_TRUE(testsupport::DeleteRegTree(HKEY_CURRENT_USER, kRegRootPath)) << "the settings key stays";
}

void SetRawValue(const char* subkey, const char* valueName, DWORD type, const std::string& data)
{
    ASSERT_TRUE(testsupport::WriteRegValue(HKEY_CURRENT_USER, PathOf(subkey), valueName, type, data))
        << valueName;
}

bool QueryRawValue(const char* subkey, const char* valueName, DWORD& type, std::string& data)
{
    const testsupport::RegValue value =
        testsupport::ReadRegValue(HKEY_CURRENT_USER, PathOf(subkey), valueName);
    if (!value.exists) return false;
    type = value.type;
    data = value.bytes;
    return true;
}
