#include "Uuninstreg.h"

#include "UTxUtils.h"
#include "Uinstallvalues.h"

bool RegistryValueExists(HKEY root, TxString keyPath, TxString valueName)
{
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(root, keyPath.GetText(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return false;
    const RegKey key(opened);
    return ::RegQueryValueExA(key.get(), valueName.GetText(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

bool DeleteRegistryKey(HKEY root, TxString keyPath)
{
    return ::RegDeleteKeyA(root, keyPath.GetText()) == ERROR_SUCCESS;
}

bool DeleteRegistryValue(HKEY root, TxString keyPath, TxString valueName)
{
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(root, keyPath.GetText(), 0, KEY_WRITE, &opened) != ERROR_SUCCESS) return false;
    const RegKey key(opened);
    return ::RegDeleteValueA(key.get(), valueName.GetText()) == ERROR_SUCCESS;
}

namespace {

// An empty name would aim at the key's default value or at the whole parent key, which holds the
// entries of every other program.
bool IsUsableName(TxString name, bool keyName)
{
    name.Trim();
    return !name.IsEmpty() && !(keyName && name.Find("\\") > 0);
}

}  // namespace

bool RunValueExists(TxString valueName)
{
    if (!IsUsableName(valueName, false)) return false;
    return RegistryValueExists(HKEY_LOCAL_MACHINE, kRunKey, valueName);
}

bool DeleteRunValue(TxString valueName)
{
    if (!IsUsableName(valueName, false)) return false;
    return DeleteRegistryValue(HKEY_LOCAL_MACHINE, kRunKey, valueName);
}

bool DeleteUninstallKey(TxString keyName)
{
    if (!IsUsableName(keyName, true)) return false;
    TxString path(kUninstallKey);
    path.Append(keyName);
    return DeleteRegistryKey(HKEY_LOCAL_MACHINE, path);
}

void DeleteLanguageKey()
{
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kLanguageKey);
}
