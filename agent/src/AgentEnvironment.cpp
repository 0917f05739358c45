#include "AgentEnvironment.h"

#include "Udesktop.h"

namespace {

// The clock the engine records each change's time with.
constexpr void (*kSystemLocalTime)(FILETIME*) = &GetLocalFileTime;

DWORD SystemTickCount()
{
    return ::GetTickCount();
}

void SystemScreenSize(int* width, int* height)
{
    *width = ::GetSystemMetrics(SM_CXSCREEN);
    *height = ::GetSystemMetrics(SM_CYSCREEN);
}

// The engine imports KvImage.dll from its own folder; that folder must be searched for it.
HMODULE SystemLoadEngine(const char* path)
{
    return ::LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

FARPROC SystemGetEngineExport(HMODULE engine, const char* name)
{
    return ::GetProcAddress(engine, name);
}

void SystemFreeEngine(HMODULE engine)
{
    ::FreeLibrary(engine);
}

BOOL SystemShellNotifyIcon(DWORD message, NOTIFYICONDATAA* data)
{
    return ::Shell_NotifyIconA(message, data);
}

}  // namespace

AgentEnvironment SystemAgentEnvironment()
{
    return {kSystemLocalTime,
            &SystemTickCount,
            &SystemScreenSize,
            5000,
            30000,
            15000,
            300000,
            &SystemLoadEngine,
            &SystemGetEngineExport,
            &SystemFreeEngine,
            &SystemShellNotifyIcon};
}

AgentEnvironment g_AgentEnvironment = SystemAgentEnvironment();
