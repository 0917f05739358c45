#include "SaverPaintThread.h"

#include "SaverBlockedDisplay.h"
#include "SaverState.h"
#include "SaverTexts.h"
#include "UTxLog.h"
#include "UiFormat.h"
#include "Uprocessenum.h"

#include <string>

namespace {

constexpr DWORD kStartWaitMs = 1000;
// An engine call notices a cancel within moments, but decoding a huge image may take seconds; the
// engine must not be freed under the thread, so the wait is generous.
constexpr DWORD kEndWaitMs = 10000;
constexpr DWORD kPauseBetweenImagesMs = 500;

bool IsSet(const Handle& event)
{
    return event && ::WaitForSingleObject(event.get(), 0) == WAIT_OBJECT_0;
}

// One paint request.
class PaintRound {
public:
    void Run()
    {
        CheckConflictingWindows();
        const bool blockedByAgent = g_Saver.record.Agent.bBlock != 0;
        if (blockedByAgent || g_ConflictCheck.bConflictFound)
            ShowBlocked(blockedByAgent ? "Kestrova Agent" : g_ConflictCheck.szConflictText);
        else
            PaintImage();
    }

private:
    void ShowBlocked(const char* blocker)
    {
        if (!m_bTextsLoaded) {
            LoadSaverTextDefaults();
            ReadSaverTextsFromRegistry();
            m_bTextsLoaded = true;
        }
        const std::string notice = ui::Format(SaverText(glo_CaptionConflictS), blocker);
        m_iBandTop = PaintBlockedDisplay(g_Saver.hWnd.load(), m_iBandTop, notice.c_str());
    }

    static void PaintImage()
    {
        LogText("calling WpApi_ScreenSaverReplaceImage()");
        if (g_Saver.engine.pReplaceImage) g_Saver.engine.pReplaceImage(g_Saver.hWnd.load(), &g_Saver.record);
    }

    int m_iBandTop = 0;
    bool m_bTextsLoaded = false;
};

void PaintLoop()
{
    PaintRound round;
    const HANDLE waits[2] = {g_Saver.hStop.get(), g_Saver.hPaint.get()};
    for (;;) {
        if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return;
        // This round paints over any erase made so far.
        g_Saver.bErased = false;
        round.Run();
        const bool cancelled = g_Saver.engine.pCancelled && g_Saver.engine.pCancelled();
        if (!cancelled && ::WaitForSingleObject(g_Saver.hStop.get(), kPauseBetweenImagesMs) == WAIT_OBJECT_0)
            return;
        // Requests made while this image was painted or during the pause merge into it, so each
        // image stays its whole period; an erase meanwhile left the window black and is served.
        ::ResetEvent(g_Saver.hPaint.get());
        if (g_Saver.bErased.exchange(false)) ::SetEvent(g_Saver.hPaint.get());
    }
}

}  // namespace

DWORD WINAPI PaintThreadProc(LPVOID)
{
    if (IsSet(g_Saver.hRunning)) {
        LogText("PaintThreadProc: Attempt to start paint thread while it is already running!");
        return 1;
    }
    ::SetEvent(g_Saver.hRunning.get());
    ::ResetEvent(g_Saver.hStopped.get());
    try {
        PaintLoop();
    } catch (...) {
        LogText("!PaintThreadProc: unexpected exception, painting ends");
    }
    ::ResetEvent(g_Saver.hRunning.get());
    ::SetEvent(g_Saver.hStopped.get());
    return 0;
}

void StartPaintThread()
{
    const CLogScope scope("StartPaintThread");
    if (IsSet(g_Saver.hRunning) || g_Saver.hThread) return;
    // The stop request is cleared here, not by the thread, so a stop made right after the start
    // cannot be lost.
    ::ResetEvent(g_Saver.hStop.get());
    DWORD threadId = 0;
    g_Saver.hThread.reset(::CreateThread(nullptr, 0, &PaintThreadProc, nullptr, 0, &threadId));
    if (!g_Saver.hThread) {
        LogLastErrorF("!Paint thread not started");
        return;
    }
    ::WaitForSingleObject(g_Saver.hRunning.get(), kStartWaitMs);
    ::SetThreadPriority(g_Saver.hThread.get(), THREAD_PRIORITY_BELOW_NORMAL);
    LogText("Paint thread started.");
}

bool StopPaintThread()
{
    if (!g_Saver.hThread) return true;
    const CLogScope scope("StopPaintThread");
    ::SetEvent(g_Saver.hStop.get());
    if (::WaitForSingleObject(g_Saver.hThread.get(), kEndWaitMs) != WAIT_OBJECT_0) {
        LogText("!Paint thread did not end; the engine stays loaded");
        g_Saver.hThread.release();
        return false;
    }
    g_Saver.hThread.reset();
    return true;
}
