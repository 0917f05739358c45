#include "AgentChange.h"

#include "AgentEnvironment.h"
#include "AgentSchedule.h"
#include "AgentState.h"
#include "AgentTexts.h"
#include "AgentTimer.h"
#include "AgentTray.h"
#include "AgentWindow.h"
#include "UTxBase.h"
#include "UTxDiskApi.h"
#include "UTxLog.h"
#include "Udesktop.h"
#include "Uinstallvalues.h"
#include "Uprocessenum.h"

#include <cstring>
#include <string>

namespace {

using EngineCall = BOOL(WINAPI*)();
using EngineProcedure = void(WINAPI*)();

bool g_bCloseRequested = false;
bool g_bErrorBoxOpen = false;

void LogTime(const char* label, const FILETIME& time)
{
    if (!g_bLogEnabled) return;
    SYSTEMTIME t = {};
    ::FileTimeToSystemTime(&time, &t);  // a time that cannot be converted shows as zeros
    LogF("%s%d.%d., %.2d:%.2d:%.2d", label, t.wDay, t.wMonth, t.wHour, t.wMinute, t.wSecond);
}

std::string EnginePath()
{
    return TxProgramFolder() + kEngineDll;
}

// The system's texts end in a line break, which a message box would show as an empty line.
std::string SystemErrorText(DWORD error)
{
    std::string text = TxSystemErrorText(error);
    text.erase(text.find_last_not_of("\r\n ") + 1);
    return text;
}

void ShowError(const std::string& text)
{
    g_bErrorBoxOpen = true;
    ::MessageBoxA(g_hAgentWindow, text.c_str(), AgentText(gla_Error), MB_OK | MB_ICONERROR);
    g_bErrorBoxOpen = false;
}

BOOL CALLBACK CloseErrorBox(HWND wnd, LPARAM)
{
    char className[16] = {};
    ::GetClassNameA(wnd, className, sizeof(className));
    if (std::strcmp(className, "#32770") == 0 && ::GetWindow(wnd, GW_OWNER) == g_hAgentWindow)
        ::PostMessageA(wnd, WM_COMMAND, IDOK, 0);
    return TRUE;
}

}  // namespace

void RequestClose()
{
    if (!g_bChangingWallpaper) {
        g_FormAgent.Destroy();
        return;
    }
    g_bCloseRequested = true;
    // The box's own loop dispatched this request; nobody may be there to answer the box, and a
    // program that asked the Agent to close waits only so long. Answered, it lets the change end.
    if (g_bErrorBoxOpen) ::EnumThreadWindows(::GetCurrentThreadId(), &CloseErrorBox, 0);
}

void ReapplyIconCaptionColors()
{
    const DisplaySettings& display = g_RegistryRecord.Display;
    const CurrentImageSettings& image = g_RegistryRecord.CurrentImage;
    // Before the engine ever set a wallpaper there are no colours to re-apply, only zeros.
    if (!image.bAlreadySet) return;
    if (display.bAdaptTextBackColor)
        SetColorUnderIcons(image.dwTextColor, image.dwBackColor, display.bTransparentText != 0,
                           display.bAdaptTextBackColorSys == 0);
    else if (display.bTransparentText)
        SetColorUnderIcons(image.dwTextColor, image.dwBackColor, true, false);
}

void CheckExchange()
{
    // A tick dispatched by the modal loop of an error box (or of the engine) waits for that
    // change to end: there is never more than one box.
    if (g_bChangingWallpaper) return;
    if (g_RegistryRecord.Agent.bBlock) return;
    if (IsExternallyDisabled()) {
        LogText("screensaver is running");
        return;
    }
    CheckConflictingWindows();
    if (g_ConflictCheck.bWindowsChanged) {
        UpdateTrayIcon();
        g_ConflictCheck.bWindowsChanged = false;
    }
    if (g_ConflictCheck.bConflictFound) return;

    ReapplyIconCaptionColors();

    if (g_RetryPause.IsActive(g_AgentEnvironment.GetTickCount(), g_AgentEnvironment.dwRetryPauseMs)) return;

    const ExchangeSettings& exchange = g_RegistryRecord.Exchange;
    ExchangeInput input = {};
    input.dwType = exchange.dwType;
    input.dwPeriod = exchange.dwPeriod;
    input.bCalendarShown = g_RegistryRecord.Calendar.bShow != 0;
    input.bStartedAfterPcReboot = g_bStartedAfterPcReboot != 0;
    input.iExchangeCount = g_iExchangeCount;
    input.ftLastChangeTime = g_RegistryRecord.CurrentImage.ftLastChangeTime;
    input.ftNow = GetLocalFileTime();
    const ExchangeAction action = DecideExchange(input);
    if (action == ExchangeAction::None) return;

    if (exchange.dwType == CHANGE_AFTER_PC_START)
        LogF(ExchangeRuleLogFormat(exchange.dwType), g_iExchangeCount);
    else
        LogText(ExchangeRuleLogFormat(exchange.dwType));
    LogTime("LastChangeTime: ", input.ftLastChangeTime);
    LogTime("CurrentTime:    ", input.ftNow);
    ChangeBackground(false, action == ExchangeAction::UpdateCurrent);
}

void ChangeBackground(bool exclude, bool update)
{
    if (g_bChangingWallpaper) return;
    CLogScope scope("ChangeBackground");
    g_bChangingWallpaper = true;
    UpdateTrayIcon();

    int width = 0;
    int height = 0;
    g_AgentEnvironment.GetScreenSize(&width, &height);
    if (width == g_iStartupWidth && height == g_iStartupHeight) {
        if (DoChangeBackground(exclude, update))
            g_RetryPause.Clear();
        else
            g_RetryPause.Start(g_AgentEnvironment.GetTickCount());
    } else {
        LogF("Different screen resolution, not exchanging. StartupWidth=%d, Width=%d, StartupHeight=%d, "
             "Height=%d",
             g_iStartupWidth, width, g_iStartupHeight, height);
        g_RetryPause.Start(g_AgentEnvironment.GetTickCount());
    }

    g_bChangingWallpaper = false;
    UpdateTrayIcon();
    if (g_bCloseRequested) {
        g_bCloseRequested = false;
        g_FormAgent.Destroy();
    }
}

int DoChangeBackground(bool exclude, bool update)
{
    CLogScope scope("DoChangeBackground");
    const std::string path = EnginePath();
    LogF("Loading library %s...", path.c_str());
    const HMODULE engine = g_AgentEnvironment.LoadEngine(path.c_str());
    if (!engine) {
        const DWORD error = ::GetLastError();
        LogF("!Cannot load %s: error %lu", path.c_str(), static_cast<unsigned long>(error));
        ShowError(SystemErrorText(error));
        return 0;
    }

    const auto setRandom = reinterpret_cast<EngineCall>(
        reinterpret_cast<void*>(g_AgentEnvironment.GetEngineExport(engine, "WpApi_SetRandomWallpaper")));
    const auto updateCurrent = reinterpret_cast<EngineCall>(
        reinterpret_cast<void*>(g_AgentEnvironment.GetEngineExport(engine, "WpApi_UpdateCurrentWallpaper")));
    const auto excludeCurrent = reinterpret_cast<EngineProcedure>(
        reinterpret_cast<void*>(g_AgentEnvironment.GetEngineExport(engine, "WpApi_ExcludeCurrentFromList")));
    if (!setRandom || !updateCurrent || !excludeCurrent) {
        g_AgentEnvironment.FreeEngine(engine);
        LogText("!KvApi.dll lacks an export");
        ShowError(AgentText(gla_CanotFindFunction));
        return 0;
    }

    if (exclude) {
        LogText("calling pWpApi_ExcludeCurrentFromList()");
        excludeCurrent();
    }
    int result = 0;
    if (update) {
        LogText("calling WpApi_UpdateCurrentWallpaper()");
        result = updateCurrent();
    } else {
        LogText("calling WpApi_SetRandomWallpaper()");
        result = setRandom();
    }

    LogText("Freeing library...");
    g_AgentEnvironment.FreeEngine(engine);
    ReloadSettings();  // brings in the engine's new \CurrentImage, above all LastChangeTime

    LogText("Incrementing g_iExchangeCount");
    g_iExchangeCount = 1;
    UpdateMenu();
    return result;
}
