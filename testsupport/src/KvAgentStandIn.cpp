#include "KvAgentStandIn.h"

#include "AgentControl.h"
#include "KvTestSupport.h"

namespace testsupport {

AgentStandIn::AgentStandIn(int endDelayMs)
    : m_Running(::CreateEventA(nullptr, TRUE, FALSE, kAgentIsRunningEvent)),
      m_Close(::CreateEventA(nullptr, FALSE, FALSE, kAgentCloseEvent)),
      m_Quit(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_Gone(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    m_bHolds = m_Running && m_Close;
    if (!m_bHolds || !m_Quit || !m_Gone) return;
    m_Thread = std::thread([this, endDelayMs] {
        const HANDLE waits[] = {m_Close.get(), m_Quit.get()};
        if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) return;
        m_bSignalled = true;
        if (endDelayMs < 0) return;
        // The delay ends early only when the object goes.
        if (::WaitForSingleObject(m_Quit.get(), static_cast<DWORD>(endDelayMs)) == WAIT_OBJECT_0) return;
        m_bEnded = true;
        m_Running.reset();
        ::SetEvent(m_Gone.get());
    });
}

AgentStandIn::~AgentStandIn()
{
    if (m_Thread.joinable()) {
        ::SetEvent(m_Quit.get());
        m_Thread.join();
    }
}

bool AgentStandIn::WaitEnded(DWORD timeoutMs) const
{
    return m_Gone && ::WaitForSingleObject(m_Gone.get(), ScaledMs(timeoutMs)) == WAIT_OBJECT_0;
}

}  // namespace testsupport
