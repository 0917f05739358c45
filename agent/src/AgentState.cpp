#include "AgentState.h"

#include <cstring>

RegistryRecord g_RegistryRecord;
BYTE g_bStartedAfterPcReboot = 0;
BYTE g_iExchangeCount = 0;
int g_iStartupWidth = 0;
int g_iStartupHeight = 0;
CRetryPause g_RetryPause;
bool g_bChangingWallpaper = false;
std::atomic<HWND> g_hAgentWindow{nullptr};

void ReloadSettings()
{
    std::memset(&g_RegistryRecord, 0, sizeof(g_RegistryRecord));
    ReadFromRegistry(&g_RegistryRecord);
}

void ResetAgentState()
{
    std::memset(&g_RegistryRecord, 0, sizeof(g_RegistryRecord));
    g_bStartedAfterPcReboot = 0;
    g_iExchangeCount = 0;
    g_iStartupWidth = 0;
    g_iStartupHeight = 0;
    g_RetryPause = CRetryPause();
    g_bChangingWallpaper = false;
    g_hAgentWindow = nullptr;
}
