// The Agent's named events and its timer thread, which only waits and posts ticks to the window.
#pragma once

#include "UTxUtils.h"

#include <windows.h>

// Handles of the events the Agent creates; the named ones exist while some process holds them.
struct AgentEvents {
    Handle hIsRunning;  // "KvAgentIsRunning": taken first, so a second Agent cannot slip in
    Handle hStop;
    Handle hDisable;  // "KvAgentExternalDisable", manual reset: set while the screen saver runs
    Handle hClose;    // "KvAgentExternalClose", auto reset: ends the running Agent
    Handle hThreadExited;
    Handle hThread;
};
extern AgentEvents g_AgentEvents;

// Creates "KvAgentIsRunning" unless it exists; false when another Agent holds it already.
bool TakeAgentIsRunning();
// Signals a running Agent's close event; false when none runs.
bool SignalRunningAgentToClose();
// Creates the other events and starts the timer thread.
void StartTimerThread();
// Stops the thread, waits for it to end, then closes every event.
void StopTimerThread();
// True while a screen saver runs (it holds its mutex), however the disable event stands. A pause
// whose saver no longer runs is lifted here.
bool IsExternallyDisabled();

DWORD WINAPI TimerThreadProc(LPVOID);
