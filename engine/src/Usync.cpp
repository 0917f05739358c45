#include "Usync.h"

CSynchronization g_Synchronization;

CSynchronization::CSynchronization()
{
    ::InitializeCriticalSection(&m_Lock);
    m_hCancelEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

CSynchronization::~CSynchronization()
{
    ::DeleteCriticalSection(&m_Lock);
    if (m_hCancelEvent) ::CloseHandle(m_hCancelEvent);
}

void CSynchronization::Enter()
{
    ::EnterCriticalSection(&m_Lock);
    if (m_iDepth++ == 0) {
        m_dwOwnerThread.store(::GetCurrentThreadId());
        ::ResetEvent(m_hCancelEvent);
    }
}

void CSynchronization::Leave()
{
    if (--m_iDepth == 0) m_dwOwnerThread.store(0);
    ::LeaveCriticalSection(&m_Lock);
}

void CSynchronization::Cancel()
{
    ::SetEvent(m_hCancelEvent);
}

bool CSynchronization::IsCancelled() const
{
    return ::WaitForSingleObject(m_hCancelEvent, 0) == WAIT_OBJECT_0;
}
