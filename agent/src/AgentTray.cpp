#include "AgentTray.h"

#include "AgentEnvironment.h"
#include "AgentMessages.h"
#include "AgentState.h"
#include "AgentTexts.h"
#include "Uprocessenum.h"
#include "UiFormat.h"

#include <cstring>
#include <string>

TrayIcons g_TrayIcons;

namespace {

bool g_bTrayIconShown = false;
std::string g_sTip;

bool Notify(DWORD message, HWND window, UINT id, HICON icon, const char* tip)
{
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = id;
    if (message != NIM_DELETE) {
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data.uCallbackMessage = WM_WPAGENT_NOTIFYICON;
        data.hIcon = icon;
        if (tip) std::strncpy(data.szTip, tip, 63);
    }
    return g_AgentEnvironment.ShellNotifyIcon(message, &data) != FALSE;
}

}  // namespace

bool TrayIconAdd(HWND window, UINT id, HICON icon, const char* tip)
{
    return Notify(NIM_ADD, window, id, icon, tip);
}

bool TrayIconModify(HWND window, UINT id, HICON icon, const char* tip)
{
    return Notify(NIM_MODIFY, window, id, icon, tip);
}

bool TrayIconDelete(HWND window, UINT id)
{
    return Notify(NIM_DELETE, window, id, nullptr, nullptr);
}

void UpdateTrayIcon()
{
    if (!g_RegistryRecord.Agent.bSysTrayIcon || !g_hAgentWindow) return;
    HICON icon = g_TrayIcons.hNormal;
    if (g_bChangingWallpaper) {
        icon = g_TrayIcons.hWorking;
        g_sTip = AgentText(gla_CaptionProgress);
    } else if (g_RegistryRecord.Agent.bBlock) {
        icon = g_TrayIcons.hDisabled;
        g_sTip = AgentText(gla_CaptionBlocked);
    } else if (g_ConflictCheck.bConflictFound) {
        icon = g_TrayIcons.hConflict;
        g_sTip = ui::Format(AgentText(gla_CaptionConflictS), g_ConflictCheck.szConflictText);
    } else {
        g_sTip = AgentText(gla_Caption);
    }
    // A modify that fails means the icon is gone; it is added again.
    if (g_bTrayIconShown)
        g_bTrayIconShown = TrayIconModify(g_hAgentWindow, AGENT_TRAY_ICON_ID, icon, g_sTip.c_str());
    if (!g_bTrayIconShown)
        g_bTrayIconShown = TrayIconAdd(g_hAgentWindow, AGENT_TRAY_ICON_ID, icon, g_sTip.c_str());
}

void RetryTrayIcon()
{
    if (!g_bTrayIconShown) UpdateTrayIcon();
}

void OnTaskbarCreated()
{
    g_bTrayIconShown = false;
    UpdateTrayIcon();
}

void RemoveTrayIcon()
{
    if (g_bTrayIconShown) TrayIconDelete(g_hAgentWindow, AGENT_TRAY_ICON_ID);
    g_bTrayIconShown = false;
}

bool IsTrayIconShown()
{
    return g_bTrayIconShown;
}

const char* CurrentTrayTip()
{
    return g_sTip.c_str();
}
