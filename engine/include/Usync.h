// The engine's one process-wide lock and its cancel flag.
#pragma once

#include <windows.h>

class CSynchronization {
public:
    CSynchronization();
    ~CSynchronization();
    CSynchronization(const CSynchronization&) = delete;
    CSynchronization& operator=(const CSynchronization&) = delete;

    // Taking the lock clears any pending cancel.
    void Enter();
    void Leave();
    void Cancel();
    bool IsCancelled() const;

private:
    CRITICAL_SECTION m_Lock;
    HANDLE m_hCancelEvent;
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
