// The uninstaller removes its own program file, so it never works from the install folder: the
// first start copies the program to the temporary folder and starts the copy with the install folder.
#pragma once

#include <string>

// What follows the program's own name on a command line, without the blanks around it and without
// one pair of surrounding quotes. Inner blanks stay as given: a folder named "Kv  Test" arrives
// whole, not re-joined from separate arguments.
std::string CommandLineParameters(const char* commandLine);

// The copy's command line: the quoted copy, a blank, then the program folder as it is (its trailing
// '\' would escape a closing quote in the usual argument parsing, so it stays unquoted).
std::string CopyCommandLine(const std::string& copyPath, const std::string& programFolder);

// The folder part of the program's own path, with its trailing '\'; empty when the path does not fit.
std::string ProgramFolder();

// Started without parameters: copies the program to a new "DKV" file in the temporary folder,
// schedules that file for deletion at the next start of Windows and starts it with the program
// folder. True when the copy runs; on any failure the temporary file is removed again and the
// uninstaller goes on where it was started.
bool RestartFromTempCopy();
