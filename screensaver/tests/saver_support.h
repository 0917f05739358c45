// Helpers of the screen saver's tests: the settings keys written and read directly, the install
// folder with the recording stand-in engine, and its record of calls.
#pragma once

#include <windows.h>

#include <string>
#include <vector>
#include "Uregistryroot.h"

namespace savertest {

constexpr const char* kSettingsKey = KV_REG_ROOT;
constexpr const char* kSetupKey = KV_REG_ROOT "\\Setup";
constexpr const char* kLanguageKey = KV_REG_ROOT "\\Language";
// While it exists, each replace call of the stand-in waits until it is set (auto reset), cancel or not.
constexpr const char* kStubGateName = "KvSaverStubGate";

std::string Key(const char* section);  // a section of the user settings

// Removes the user settings, the stand-in's settings and its record, \Setup and \Language.
void ClearAll();
void WriteDword(HKEY root, const std::string& subkey, const char* name, DWORD value);
void WriteText(HKEY root, const std::string& subkey, const char* name, const std::string& text);
// The value, or `fallback` when it is absent or no DWORD.
DWORD ReadDword(HKEY root, const std::string& subkey, const char* name, DWORD fallback = 0xDEADBEEF);

// The folder of the stand-in KvApi.dll, written to \Setup "InstalledPrgDir".
std::string StubFolder();
void UseStubEngine();

// The stand-in's record, one entry per line ("load", "replace 1234", "cancel", ...).
std::vector<std::string> StubCalls();
int CountCalls(const std::vector<std::string>& calls, const std::string& prefix);
// Position of the first line starting with `prefix` at or after `from`; -1 when none.
int FindCall(const std::vector<std::string>& calls, const std::string& prefix, int from = 0);

// "Kestrova.scr" beside the test program, with its arguments.
std::string SaverCommand(const std::string& arguments);

}  // namespace savertest
