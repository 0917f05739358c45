// Whether a screen saver runs: each saver process holds this named mutex from before it pauses the
// Agent until after it lifts the pause. The system closes a process's handles however the process
// ends, so the mutex is gone once no saver runs, also after a saver was killed or crashed and never
// lifted its pause.
#pragma once

#include <windows.h>

constexpr const char* kScreenSaverRunningName = "KvScreenSaverRunning";

// True while some process holds the mutex (one that exists but may not be opened counts too).
inline bool IsScreenSaverRunning()
{
    const HANDLE mutex = ::OpenMutexA(SYNCHRONIZE, FALSE, kScreenSaverRunningName);
    if (mutex) {
        ::CloseHandle(mutex);
        return true;
    }
    return ::GetLastError() == ERROR_ACCESS_DENIED;
}
