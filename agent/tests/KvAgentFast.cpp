// The Agent for the end-to-end tests: the shipped program's code with ticks every 200 ms, so a
// test sees the schedule act within a second. Never shipped.
#include "AgentEnvironment.h"
#include "AgentStartup.h"
#include "UTxLog.h"

const CLogSettings g_LogSettings = {"KvAgent   ", "", false, 80, false, false, true};

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showState)
{
    g_AgentEnvironment.dwFirstWaitMs = 200;
    g_AgentEnvironment.dwFirstWaitAfterRebootMs = 400;
    g_AgentEnvironment.dwWaitMs = 200;
    return AgentMain(instance, commandLine, showState);
}
