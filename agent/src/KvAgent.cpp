// The Agent: a resident program in the notification area that changes the wallpaper on the
// schedule of the \Exchange settings. Started with "/r" at log-on, without arguments otherwise.
#include "AgentStartup.h"
#include "UTxLog.h"

const CLogSettings g_LogSettings = {"KvAgent   ", "", false, 80, false, false, true};

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showState)
{
    return AgentMain(instance, commandLine, showState);
}
