#include "AgentStartup.h"

#include "AgentMessages.h"
#include "AgentState.h"
#include "AgentTexts.h"
#include "AgentTimer.h"
#include "AgentTray.h"
#include "AgentWindow.h"
#include "UTxLog.h"
#include "UTxUtils.h"
#include "Udesktop.h"
#include "Uprocessenum.h"
#include "Uregutils.h"
#include "Wcommon.h"

#include <cstring>
#include <memory>
#include <string>

bool IsRebootSwitch(const char* commandLine)
{
    return commandLine && lstrcmpiA(commandLine, "/r") == 0;
}

bool ReadRunTimeFromRegistry(int* width, int* height)
{
    const std::string path = std::string(kRegRootPath) + "\\" + kRegRunTimeKey;
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        LogF("ReadFromRegistry: Error opening %s", path.c_str());
        return false;
    }
    RegKey key(opened);
    *width = ::GetSystemMetrics(SM_CXSCREEN);
    *height = ::GetSystemMetrics(SM_CYSCREEN);
    auto readDword = [&key](const char* name, int* out) {
        DWORD value = 0;
        if (ReadRegDword(key.get(), name, value)) *out = static_cast<int>(value);
    };
    readDword(kRegScreenStartupWidth, width);
    readDword(kRegScreenStartupHeight, height);
    return true;
}

bool RegisterAgentClass(HINSTANCE instance, ui::WindowClass& windowClass)
{
    g_TrayIcons.hNormal = ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_TRAY_NORMAL));
    g_TrayIcons.hDisabled = ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_TRAY_DISABLED));
    g_TrayIcons.hConflict = ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_TRAY_CONFLICT));
    g_TrayIcons.hWorking = ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_TRAY_WORKING));
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.icon = ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_AGENT));
    windowClass.smallIcon = g_TrayIcons.hNormal;
    windowClass.background = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    return windowClass.Register();
}

bool InitInstance(HINSTANCE instance, const ui::WindowClass& windowClass, int showState)
{
    (void)showState;  // the Agent's window is never shown
    CLogScope scope("InitInstance");
    char title[100] = {};
    ::LoadStringA(instance, IDS_AGENT_TITLE, title, sizeof(title));
    g_FormAgent.caption = title;
    if (!g_FormAgent.Create(windowClass)) return false;
    g_hAgentWindow = g_FormAgent.Handle();
    UpdateTrayIcon();
    StartTimerThread();
    UpdateMenu();
    return true;
}

int AgentMain(HINSTANCE instance, const char* commandLine, int showState)
{
    LogText("------------- Kestrova Agent -------------");
    LogF("version %d.%.2d", 1, 7);
    LogDesktopEntryExit(false);

    // A second start ends the running Agent and does not stay itself. "KvAgentIsRunning" is taken
    // before anything else, so two Agents started together cannot both pass this test.
    if (!TakeAgentIsRunning()) {
        SignalRunningAgentToClose();
        return 0;
    }

    LoadDefaultTexts();
    LoadLanguageTexts();

    bool configured = false;
    DWORD allFilesCount = 0;
    ReadRegistryRoot(configured, allFilesCount);
    if (!configured || allFilesCount == 0) {
        LogF("Exit: AlreadyConfigured=%d, AllFilesCount=%d", configured ? 1 : 0,
             static_cast<int>(allFilesCount));
        StopTimerThread();
        return 0;
    }

    ReloadSettings();
    SetConflictingPrgs(g_RegistryRecord.Agent.szConflictingPrgs);
    if (!g_RegistryRecord.Agent.bAutoRun) {
        LogF("Exit: g_RegistryRecord.Agent.bAutoRun=%d", g_RegistryRecord.Agent.bAutoRun);
        StopTimerThread();
        return 0;
    }

    char className[100] = {};
    ::LoadStringA(instance, IDS_AGENT_CLASS, className, sizeof(className));
    ui::WindowClass windowClass(className);
    RegisterAgentClass(instance, windowClass);

    if (IsRebootSwitch(commandLine)) {
        g_bStartedAfterPcReboot = 1;
        g_iStartupWidth = ::GetSystemMetrics(SM_CXSCREEN);
        g_iStartupHeight = ::GetSystemMetrics(SM_CYSCREEN);
        WriteRunTimeScreenSize();
    } else {
        g_bStartedAfterPcReboot = 0;
        ReadRunTimeFromRegistry(&g_iStartupWidth, &g_iStartupHeight);
    }
    LogF("g_bStartedAfterPcReboot=%d, lpCmdLine=%s", g_bStartedAfterPcReboot, commandLine ? commandLine : "");

    if (!InitInstance(instance, windowClass, showState)) {
        StopTimerThread();
        return 0;
    }

    MSG msg = {};
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    StopTimerThread();
    // Through the form, and before its class goes: a loop that ended some other way left the
    // window, which would keep the class registered. Nothing when a close destroyed it already.
    g_FormAgent.Destroy();
    windowClass.Unregister();
    LogText("-------------- Normal Exit ---------------");
    LogText(" ");
    return static_cast<int>(msg.wParam);
}
