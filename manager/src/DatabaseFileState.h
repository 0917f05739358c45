// Whether a database file can be read before the Manager loads it: one another program holds open
// without sharing is waited for a while, so that a file that is only busy is never taken for a
// damaged one.
#pragma once

#include <windows.h>

namespace manager {

enum class DatabaseFileState {
    Missing,     // not there: the Manager may make it afresh
    Readable,    // opens for reading
    Unreadable,  // there, but it does not open (in use by another program, no access)
};

// Long enough for another program to finish a save, short enough for a start-up.
constexpr DWORD kDatabaseFileWaitMs = 3000;

DatabaseFileState ProbeDatabaseFile(const char* path, DWORD waitMs = kDatabaseFileWaitMs);

}  // namespace manager
