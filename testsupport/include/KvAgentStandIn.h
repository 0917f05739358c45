// A running Agent as the other programs see it, for the tests of the programs that stop it.
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

#include "UTxUtils.h"

namespace testsupport {

// Holds "KvAgentIsRunning" and "KvAgentExternalClose" from its construction. Once the close event
// is set, a thread of its own lets the running event go after `endDelayMs`, or never with
// kNeverEnds; whatever is still held goes at destruction.
class AgentStandIn {
public:
    static constexpr int kNeverEnds = -1;

    explicit AgentStandIn(int endDelayMs);
    ~AgentStandIn();
    AgentStandIn(const AgentStandIn&) = delete;
    AgentStandIn& operator=(const AgentStandIn&) = delete;

    // Both events were created.
    bool Holds() const { return m_bHolds; }
    // The close event was set.
    bool Signalled() const { return m_bSignalled; }
    // It was asked and has let go of the running event (true just before it does, so a stopper
    // that sees the event gone always finds this set).
    bool Ended() const { return m_bEnded; }
    // Waits without dispatching messages until the running event is gone; false on timeout.
    bool WaitEnded(DWORD timeoutMs) const;

private:
    Handle m_Running;
    Handle m_Close;
    Handle m_Quit;
    Handle m_Gone;
    bool m_bHolds = false;
    std::atomic<bool> m_bSignalled{false};
    std::atomic<bool> m_bEnded{false};
    std::thread m_Thread;
};

}  // namespace testsupport
