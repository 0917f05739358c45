// What the wallpaper operations share with each other and with the screen-saver road: the database
// refresh and the error display.
#pragma once

#include <windows.h>

struct RegistryRecord;

// Rescans the folders when one of them changed on disk and rewrites the three database files. A
// database file that exists but cannot be loaded (held open by another program, damaged, of a
// newer version) is never rescanned and saved over: the scan would start from an empty list and the
// save would drop every counter and exclusion in it. A missing file list is rebuilt from the disk.
// Nothing starts while a cancel is pending.
void CheckForAndWriteChangesOnDisk();

// The root values of the settings: false, logged, while the system is not configured or knows no
// image.
bool IsConfiguredWithImages();

// With \Agent "ShowProgress" on, shows the text in the progress window, holds it there (the engine
// lock stays taken) and hides the window; always logs it.
void ShowOperationError(const RegistryRecord& record, const char* text);
// How long ShowOperationError holds its text, 5000 ms unless a test shortens it; returns the
// previous value.
DWORD SetOperationErrorHoldTime(DWORD milliseconds);
