// Whether a database file can be read before the Manager loads it: one another program holds open
// without sharing is waited for a while, so that a file that is only busy is never taken for a
// damaged one.
#pragma once

#include <windows.h>

#include <string>

namespace manager {

enum class DatabaseFileState {
    Missing,     // not there: the Manager may make it afresh
    Readable,    // opens for reading
    Unreadable,  // there, but it does not open (in use by another program, no access)
};

// Long enough for another program to finish a save, short enough for a start-up.
constexpr DWORD kDatabaseFileWaitMs = 3000;

DatabaseFileState ProbeDatabaseFile(const char* path, DWORD waitMs = kDatabaseFileWaitMs);

// The names a damaged database file is kept under before it may be replaced, one for each damage
// met: "<file>.bad", then "<file>.2.bad", "<file>.3.bad" and on, up to the limit.
constexpr int kKeptCopyLimit = 100;
inline std::string KeptCopyName(const std::string& path, int n)
{
    return n <= 1 ? path + ".bad" : path + "." + std::to_string(n) + ".bad";
}

}  // namespace manager
