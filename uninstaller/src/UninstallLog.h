// Install.log: what the installer created, one line each, a ten-character tag and its argument.
#pragma once

#include <windows.h>

#include <string>

#include "UTxCollections.h"

enum class LogTag {
    None,          // any other line: ignored
    Time,          // "S_TIME___ ": installation time for the image lines above it
    ProgramFile,   // "S_PRGFILE "
    ImageFile,     // "S_IMGFILE ": kept when written after the installation
    Folder,        // "S_FOLDER_ "
    AutoRun,       // "S_AUTORUN ": a value of HKEY_LOCAL_MACHINE's Run key
    ShortcutFile,  // "S_LNKFILE "
    UninstallKey,  // "S_UNINST_ ": a subkey of HKEY_LOCAL_MACHINE's Uninstall key
};

struct LogEntry {
    LogTag tag = LogTag::None;
    std::string argument;
};

// The tag is compared without regard to case. A line whose argument is empty or only blanks is
// ignored, and so is an uninstall key name with a '\': neither may aim at a whole key.
LogEntry ParseLogLine(const char* line);

// An "S_TIME___ " argument ("dd.mm.yyyy hh:mm", separators not checked), a local time, as a UTC
// FILETIME, the time base of file times. False when the numbers are not digits or form no date.
bool ParseInstallTime(const std::string& argument, FILETIME& utc);

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
// on (another encoding, another file) counts as unreadable. `path` receives the file's path.
InstallLogState ReadInstallLog(const std::string& folder, TxStringCollection& lines, std::string& path);
