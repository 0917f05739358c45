// The engine's one process-wide lock and its cancel flag.
#pragma once

#include <windows.h>

#include <atomic>

class CSynchronization {
public:
    CSynchronization();
    ~CSynchronization();
    CSynchronization(const CSynchronization&) = delete;
    CSynchronization& operator=(const CSynchronization&) = delete;

    // Taking the lock clears any pending cancel. The lock may be taken again by the thread that
    // holds it (a progress callback that calls back into the engine); only the outermost Enter
    // clears the cancel, so such a call does not swallow a cancel meant for the running operation.
    void Enter();
    void Leave();
    void Cancel();
    bool IsCancelled() const;
    // The calling thread holds the lock: the progress window and callback are driven only then.
    bool IsHeldByCurrentThread() const { return m_dwOwnerThread.load() == ::GetCurrentThreadId(); }

private:
    CRITICAL_SECTION m_Lock;
    HANDLE m_hCancelEvent;
    std::atomic<DWORD> m_dwOwnerThread{0};
    int m_iDepth = 0;  // nested Enter calls of the owner
};

extern CSynchronization g_Synchronization;

// Holds the engine lock for the lifetime of the guard.
class CSynchronizationGuard {
public:
    CSynchronizationGuard() { g_Synchronization.Enter(); }
    CSynchronizationGuard(const CSynchronizationGuard&) = delete;
    CSynchronizationGuard& operator=(const CSynchronizationGuard&) = delete;
    ~CSynchronizationGuard() { g_Synchronization.Leave(); }
};
