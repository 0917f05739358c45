// The uninstaller's registry routines for the entries the installer made. None of them logs; every
// failure is the false result, which the caller turns into a progress line.
#pragma once

#include <windows.h>

#include "UTxStrings.h"

// True when the value (of any type, also empty) can be queried.
bool RegistryValueExists(HKEY root, TxString keyPath, TxString valueName);
// RegDeleteKeyA: a key that still has subkeys stays.
bool DeleteRegistryKey(HKEY root, TxString keyPath);
bool DeleteRegistryValue(HKEY root, TxString keyPath, TxString valueName);

// The same on HKEY_LOCAL_MACHINE's Run key and on a subkey of its Uninstall key.
bool RunValueExists(TxString valueName);
bool DeleteRunValue(TxString valueName);
bool DeleteUninstallKey(TxString keyName);

// HKEY_LOCAL_MACHINE "Software\Dalvex\Kestrova\Language"; the outcome is not checked.
void DeleteLanguageKey();
