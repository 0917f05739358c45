// Shared set-up of the uninstaller's tests: registry values written and read from outside the code
// under test, and the log sent to a file for a while.
#pragma once

#include <windows.h>

#include <string>

#include "KvLogCapture.h"

namespace uninstalltest {

// A value under HKEY_LOCAL_MACHINE with exactly these bytes; creates the key.
void SetMachineValue(const char* subkey, const char* valueName, DWORD type, const std::string& data);
bool MachineKeyExists(const char* subkey);
bool MachineValueExists(const char* subkey, const char* valueName);
void DeleteMachineKey(const char* subkey);

// The log sent to a file for the lifetime of the object.
using LogToFile = testsupport::LogCapture;

// The local time `minutes` from now as an install log writes it ("dd.mm.yyyy hh:mm").
std::string LocalTimeText(int minutes);
// Sets a file's last write time to `minutes` from now.
bool TouchFile(const std::string& path, int minutes);

}  // namespace uninstalltest
