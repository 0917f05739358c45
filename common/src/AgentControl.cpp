#include "AgentControl.h"

#include "UTxUtils.h"

namespace {

// How often the running event is looked for while the Agent winds down.
constexpr DWORD kLookIntervalMs = 50;

}  // namespace

bool AgentIsRunning()
{
    // The look closes its handle at once, or the look itself would keep the event alive.
    const Handle running(::OpenEventA(SYNCHRONIZE, FALSE, kAgentIsRunningEvent));
    return static_cast<bool>(running);
}

bool AskAgentToClose()
{
    const Handle close(::OpenEventA(EVENT_MODIFY_STATE, FALSE, kAgentCloseEvent));
    if (!close) return false;
    ::SetEvent(close.get());
    return true;
}

AgentStopResult StopRunningAgent(const AgentStopWaits& waits, const std::function<void()>& found)
{
    {
        // The handle goes before the wait: held, it would keep the close event alive after the
        // Agent ended, and the next look would take that for a running Agent.
        const Handle close(::OpenEventA(EVENT_MODIFY_STATE, FALSE, kAgentCloseEvent));
        if (!close) return AgentStopResult::NoneRunning;
        if (found) found();
        ::SetEvent(close.get());
    }
    ::Sleep(waits.pauseMs);
    const DWORD start = ::GetTickCount();
    while (AgentIsRunning()) {
        if (::GetTickCount() - start >= waits.limitMs) return AgentStopResult::StillRunning;
        ::Sleep(kLookIntervalMs);
    }
    return AgentStopResult::Stopped;
}
