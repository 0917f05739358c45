// CDatabaseLock: the per-user mutex around the image database files.
#include "UDatabaseLock.h"

#include "UTxLog.h"

CDatabaseLock::CDatabaseLock(const char* operation, DWORD timeoutMs)
    : m_hMutex(::CreateMutexA(nullptr, FALSE, kMutexName))
{
    const char* caller = operation ? operation : "";
    if (!m_hMutex) {
        LogLastErrorF("!%s: the image database lock %s cannot be created", caller, kMutexName);
        return;
    }
    const DWORD result = ::WaitForSingleObject(m_hMutex.get(), timeoutMs);
    // An abandoned mutex was left by a program that ended while holding it. The files are still each
    // whole (every replace is one move), so the lock is simply ours now.
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
        if (result == WAIT_ABANDONED)
            LogF("%s: the image database lock was abandoned by another program; taken over", caller);
        m_bHeld = true;
        return;
    }
    if (result == WAIT_TIMEOUT)
        LogF("!%s: another program has held the image database lock for %lu ms", caller,
             static_cast<unsigned long>(timeoutMs));
    else
        LogLastErrorF("!%s: waiting for the image database lock failed", caller);
}

CDatabaseLock::~CDatabaseLock()
{
    if (m_bHeld) ::ReleaseMutex(m_hMutex.get());
}
