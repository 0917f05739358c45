#include "AgentTimer.h"

#include "AgentControl.h"
#include "AgentEnvironment.h"
#include "AgentMessages.h"
#include "AgentState.h"
#include "UScreenSaverRunning.h"
#include "UTxLog.h"

AgentEvents g_AgentEvents;

namespace {

// The thread only waits on events and posts, so it ends at once when asked; this bound only keeps
// a wedged system from holding the Agent's exit for ever.
constexpr DWORD kThreadEndWaitMs = 10000;

}  // namespace

bool TakeAgentIsRunning()
{
    g_AgentEvents.hIsRunning.reset(::CreateEventA(nullptr, FALSE, FALSE, kAgentIsRunningEvent));
    if (g_AgentEvents.hIsRunning && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        g_AgentEvents.hIsRunning.reset();
        return false;
    }
    // The close event exists from here on, so a close request made while this Agent is still
    // starting is kept until the timer thread sees it.
    g_AgentEvents.hClose.reset(::CreateEventA(nullptr, FALSE, FALSE, kAgentCloseEvent));
    return true;
}

bool SignalRunningAgentToClose()
{
    return AskAgentToClose();
}

void StartTimerThread()
{
    g_AgentEvents.hStop.reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    g_AgentEvents.hDisable.reset(::CreateEventA(nullptr, TRUE, FALSE, kAgentDisableEvent));
    if (!g_AgentEvents.hClose)
        g_AgentEvents.hClose.reset(::CreateEventA(nullptr, FALSE, FALSE, kAgentCloseEvent));
    g_AgentEvents.hThreadExited.reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    DWORD threadId = 0;
    g_AgentEvents.hThread.reset(::CreateThread(nullptr, 0, &TimerThreadProc, nullptr, 0, &threadId));
    if (!g_AgentEvents.hIsRunning)
        g_AgentEvents.hIsRunning.reset(::CreateEventA(nullptr, FALSE, FALSE, kAgentIsRunningEvent));
}

void StopTimerThread()
{
    if (g_AgentEvents.hThread) {
        ::SetEvent(g_AgentEvents.hStop.get());
        if (::WaitForSingleObject(g_AgentEvents.hThread.get(), kThreadEndWaitMs) != WAIT_OBJECT_0) {
            // Closing what a running thread waits on would pull the handles from under it.
            LogText("!TimerThreadProc did not end; its handles stay open");
            g_AgentEvents.hThread.release();
            g_AgentEvents.hStop.release();
            g_AgentEvents.hClose.release();
            g_AgentEvents.hThreadExited.release();
        }
    }
    g_AgentEvents.hThread.reset();
    g_AgentEvents.hIsRunning.reset();
    g_AgentEvents.hStop.reset();
    g_AgentEvents.hDisable.reset();
    g_AgentEvents.hClose.reset();
    g_AgentEvents.hThreadExited.reset();
}

bool IsExternallyDisabled()
{
    // A running saver pauses the Agent whatever the event says: a saver that ended beside another
    // one, or one started before this Agent, may have left the event clear.
    if (IsScreenSaverRunning()) return true;
    if (!g_AgentEvents.hDisable || ::WaitForSingleObject(g_AgentEvents.hDisable.get(), 0) != WAIT_OBJECT_0)
        return false;
    // The saver that set the pause was killed or crashed before it could lift it: without this
    // the Agent would stay paused until it is restarted.
    LogText("The screen saver ended without lifting its pause; changes go on");
    ::ResetEvent(g_AgentEvents.hDisable.get());
    return false;
}

DWORD WINAPI TimerThreadProc(LPVOID)
{
    LogText("Starting TimerThreadProc");
    // The stop and thread-exited events are made unset just before the thread; clearing them here
    // would lose a stop set before this thread first ran, and the Agent's exit would hang on it.
    // An event that could not be created counts as never signalled.
    const HANDLE waitFor[2] = {g_AgentEvents.hStop.get(), g_AgentEvents.hClose.get()};
    const DWORD count = waitFor[1] ? 2 : 1;
    DWORD wait = g_bStartedAfterPcReboot ? g_AgentEnvironment.dwFirstWaitAfterRebootMs
                                         : g_AgentEnvironment.dwFirstWaitMs;
    for (;;) {
        const DWORD result = ::WaitForMultipleObjects(count, waitFor, FALSE, wait);
        wait = g_AgentEnvironment.dwWaitMs;
        if (result == WAIT_OBJECT_0) break;
        if (result == WAIT_OBJECT_0 + 1) {
            ::ResetEvent(g_AgentEvents.hClose.get());
            if (const HWND window = g_hAgentWindow) ::PostMessageA(window, WM_WPAGENT_EXTERNAL_CLOSE, 0, 0);
            break;
        }
        if (result == WAIT_TIMEOUT) {
            if (const HWND window = g_hAgentWindow) ::PostMessageA(window, WM_WPAGENT_TIMER, 0, 0);
        } else {
            ::Sleep(wait);  // a failed wait must not spin
        }
    }
    ::SetEvent(g_AgentEvents.hThreadExited.get());
    LogText("Exiting TimerThreadProc");
    return 0;
}
