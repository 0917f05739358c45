// The Agent's process-wide state. The window thread owns all of it; the timer thread reads only
// g_bStartedAfterPcReboot (fixed before the thread starts) and the window handle.
#pragma once

#include "AgentSchedule.h"
#include "Wcommon.h"

#include <windows.h>

#include <atomic>

// Zeroed and filled from the registry without defaults: a value absent from the registry is 0.
extern RegistryRecord g_RegistryRecord;
extern BYTE g_bStartedAfterPcReboot;
// 0 at start, 1 once a change reached the engine.
extern BYTE g_iExchangeCount;
// The screen size the Agent accepts changes at: taken at a start with "/r", else from \RunTime.
extern int g_iStartupWidth;
extern int g_iStartupHeight;
// The pause after the last refused or failed change.
extern CRetryPause g_RetryPause;
// Set while a change runs, error box included.
extern bool g_bChangingWallpaper;
// The window of g_FormAgent while it exists; null once it went (its WM_DESTROY clears it), so that
// the timer thread never posts to a handle that may already name another window.
extern std::atomic<HWND> g_hAgentWindow;

// Zeroes the record and reads every section from the registry.
void ReloadSettings();
// Back to the state at process start (for a second run in one process).
void ResetAgentState();
