// What the Manager's first run leaves for a new user, done without the Manager: the default
// settings, the data folder and one image folder (with its subfolders) scanned into the database.
#pragma once

#include <windows.h>

#include <string>

// The install folder the installer recorded in HKEY_LOCAL_MACHINE \Setup, or empty.
std::string InstalledPrgDir();

// Writes the settings and the three database files; on failure `error` says what went wrong.
// `engineFolder` holds the KvApi.dll that adjusts the margins for the calendar (may be empty).
bool WriteFirstRun(const char* imageFolder, const std::string& engineFolder, DWORD& imageCount,
                   std::string& error);
