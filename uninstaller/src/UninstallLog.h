// Install.log: what the installer created, one line each, a ten-character tag and its argument.
#pragma once

#include <windows.h>

#include <string>

#include "InstallLogLine.h"
#include "UTxCollections.h"

// An "S_TIME___ " argument as a UTC FILETIME, the time base of file times. The installer writes
// UTC and says so with an "S_ZONE___ UTC" line (`utc`); logs of older installers hold local time,
// which is converted. False when the numbers are not digits or form no date.
bool ParseInstallTime(const std::string& argument, bool utc, FILETIME& time);

// Blanks each line that a later line repeats (ignoring case), so only the last copy stays; logs
// "Removing duplicite item on line %d: %s" for each blanked line with its 0-based index.
void BlankDuplicateLines(TxStringCollection& lines);

// True when at least one line carries a tag the walk acts on.
bool HasRecognisedLine(const TxStringCollection& lines);

enum class InstallLogState { Loaded, Missing, Unreadable };

// The folder named on the command line when it exists, else the program's own folder, with a
// trailing '\'.
std::string UninstallFolder(const std::string& parameters);

// Reads "<folder>\Install.log" into `lines` (duplicates blanked). A log with no line the walk acts
// on (another encoding, another file) counts as unreadable; so does one larger than any log an
// installer writes. `path` receives the file's path.
InstallLogState ReadInstallLog(const std::string& folder, TxStringCollection& lines, std::string& path);
