// What the Agent takes from the system for its schedule: the clock, the tick count, the screen size
// and its waiting periods. The Agent reads them only through g_AgentEnvironment, so its test program,
// which compiles the Agent's sources into itself, can run every rule without waiting real minutes.
#pragma once

#include <windows.h>

#include <shellapi.h>

struct AgentEnvironment {
    void (*GetLocalTimeAsFileTime)(FILETIME* now);
    DWORD (*GetTickCount)();
    void (*GetScreenSize)(int* width, int* height);
    DWORD dwFirstWaitMs;             // the first tick after an ordinary start
    DWORD dwFirstWaitAfterRebootMs;  // the first tick after a start with "/r"
    DWORD dwWaitMs;                  // every later tick
    DWORD dwRetryPauseMs;            // no scheduled change this long after a failed one

    // The engine library, loaded for each change and freed after it.
    HMODULE (*LoadEngine)(const char* path);
    FARPROC (*GetEngineExport)(HMODULE engine, const char* name);
    void (*FreeEngine)(HMODULE engine);
    // The notification-area call; under a display without a taskbar it fails.
    BOOL (*ShellNotifyIcon)(DWORD message, NOTIFYICONDATAA* data);
};

// The system's clock, tick count and primary screen; 5 s, 30 s, 15 s and five minutes.
AgentEnvironment SystemAgentEnvironment();

extern AgentEnvironment g_AgentEnvironment;
