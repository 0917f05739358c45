// The saver window's procedure: at creation it pauses the Agent, reads the settings, loads the
// engine and starts the paint thread; a window timer then asks for an image every ExchangePeriod
// seconds, and destruction undoes it all in reverse.
#include "SaverAgentEvent.h"
#include "SaverEngine.h"
#include "SaverPaintThread.h"
#include "SaverSettings.h"
#include "SaverState.h"
#include "UTxLog.h"
#include "UTxUtils.h"
#include "Uprocessenum.h"

#include <windows.h>

#include <scrnsave.h>

#include <string>

SaverState g_Saver;

namespace {

constexpr UINT_PTR kExchangeTimerId = 1;
// Lets an engine call that was just cancelled let go of the window before it is painted black.
constexpr DWORD kCancelSettleMs = 20;

void CreatePaintEvents()
{
    for (Handle* event : {&g_Saver.hRunning, &g_Saver.hStopped, &g_Saver.hStop, &g_Saver.hPaint})
        event->reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
}

void ClosePaintEvents(bool threadEnded)
{
    for (Handle* event : {&g_Saver.hRunning, &g_Saver.hStopped, &g_Saver.hStop, &g_Saver.hPaint}) {
        // A thread that is still running keeps waiting on them.
        if (!threadEnded) event->release();
        event->reset();
    }
}

void OnCreate(HWND window)
{
    LogText("--- ScreenSaverProc - WM_CREATE ---");
    SetAgentExternalDisable();
    SetRegistryDefaults(nullptr, &g_Saver.record, true, true);
    ReadFromRegistry(&g_Saver.record);
    ResetConflictCheck();
    SetConflictingPrgs(g_Saver.record.Agent.szConflictingPrgs);
    CreatePaintEvents();

    std::string folder;
    if (!ReadInstalledPrgDir(folder)) return;
    if (!LoadSaverEngine(folder, g_Saver.engine)) return;

    g_Saver.timerId = ::SetTimer(window, kExchangeTimerId,
                                 ExchangeTimerMs(g_Saver.record.ScreenSaver.dwExchangePeriod), nullptr);
    StartPaintThread();
    ::PostMessageA(window, WM_TIMER, g_Saver.timerId, 0);
}

void OnTimer()
{
    LogText("ScreenSaverProc - WM_TIMER");
    if (g_Saver.hPaint) ::SetEvent(g_Saver.hPaint.get());
}

void OnEraseBackground(HWND window)
{
    LogText("ScreenSaverProc - WM_ERASEBKGND");
    if (g_Saver.engine.pCancelCurrentOperation) g_Saver.engine.pCancelCurrentOperation();
    ::Sleep(kCancelSettleMs);
    const WindowDC dc(window);
    if (dc) {
        RECT client = {};
        ::GetClientRect(window, &client);
        ::FillRect(dc.get(), &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
    g_Saver.bErased = true;
    if (g_Saver.hPaint) ::SetEvent(g_Saver.hPaint.get());
}

void OnDestroy(HWND window)
{
    LogText("ScreenSaverProc - WM_DESTROY");
    if (g_Saver.engine.pCancelCurrentOperation) g_Saver.engine.pCancelCurrentOperation();
    if (g_Saver.timerId) {
        ::KillTimer(window, g_Saver.timerId);
        g_Saver.timerId = 0;
    }
    const bool threadEnded = StopPaintThread();
    if (threadEnded)
        FreeSaverEngine(g_Saver.engine);
    else
        AbandonSaverEngine(g_Saver.engine);
    ClosePaintEvents(threadEnded);
    ResetAgentExternalDisable();
    LogText("--- ScreenSaverProc - WM_DESTROY processed ---");
}

}  // namespace

extern "C" LRESULT WINAPI ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    g_Saver.hWnd = window;
    try {
        switch (message) {
        case WM_CREATE:
            OnCreate(window);
            break;
        case WM_TIMER:
            OnTimer();
            break;
        case WM_ERASEBKGND:
            OnEraseBackground(window);
            // Erased here, and the paint thread is already asked for the picture: the default
            // erase would fill the class brush over whatever that thread painted meanwhile, and
            // nothing would repaint it before the next tick.
            return TRUE;
        case WM_DESTROY:
            OnDestroy(window);
            break;
        default:
            break;
        }
    } catch (...) {
        LogF("!ScreenSaverProc: unexpected exception in message 0x%04X", message);
    }
    return DefScreenSaverProc(window, message, wParam, lParam);
}

extern "C" WINBOOL WINAPI RegisterDialogClasses(HANDLE)
{
    return TRUE;
}
