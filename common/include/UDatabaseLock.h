// The lock every program of the user takes around its use of the image database files.
#pragma once

#include <windows.h>

#include "UTxUtils.h"

// Owns the per-user named mutex that makes a database save and a database load of different programs
// (engine, screen saver, Manager) take turns: a save replaces the record and string files as one pair
// while nobody has them open, and a load reads both files of one pair. Holders keep it only around
// opening, reading or replacing the files, never while building or parsing them in memory.
// The mutex belongs to the thread that took it: take and release it in one scope of one thread.
class CDatabaseLock {
public:
    static constexpr const char* kMutexName = "Local\\KestrovaImageDatabase";
    // Long enough for another program's replace or whole-file read, short enough not to hang a
    // program behind one that is stuck.
    static constexpr DWORD kDefaultTimeout = 3000;

    // Waits up to `timeoutMs` for the lock. `operation` names the caller in the log line written when
    // the lock is not obtained.
    explicit CDatabaseLock(const char* operation, DWORD timeoutMs = kDefaultTimeout);
    ~CDatabaseLock();
    CDatabaseLock(const CDatabaseLock&) = delete;
    CDatabaseLock& operator=(const CDatabaseLock&) = delete;

    // False after a timeout or when the mutex could not be created or waited on.
    bool Held() const { return m_bHeld; }

private:
    Handle m_hMutex;
    bool m_bHeld = false;
};
