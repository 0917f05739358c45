// Deleting the uninstaller's files: at once, even when read-only, or at the next start of Windows.
#pragma once

#include <windows.h>

#include <string>

// Clears the read-only attribute, then DeleteFileA; true when the file was deleted.
bool ForceDeleteFile(const char* path);

// Schedules a file for deletion at the next start of Windows; reports nothing.
void DeleteFileAtReboot(char* path);

// The platform's MoveFileExA, or null on a system that lacks it.
using MoveFileExFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);

// DeleteFileAtReboot with its two system dependencies given: MoveFileExA with
// MOVEFILE_DELAY_UNTIL_REBOOT where `moveFileEx` exists, else an entry in "WinInit.Ini" of
// `windowsFolder`. A MoveFileExA that exists but fails schedules nothing: there, WinInit.Ini is not
// read at start-up, so an entry would only pretend. True when the deletion was scheduled.
bool ScheduleDeleteAtReboot(const char* path, MoveFileExFn moveFileEx, const std::string& windowsFolder);

// "WinInit.Ini" text with a "NUL=<path>" line first in its "[rename]" section (found in any letter
// case); a text without the section gets it, with the line, at its very start.
std::string AddRenameEntry(const std::string& text, const char* path);
