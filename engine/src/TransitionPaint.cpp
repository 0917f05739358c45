// PaintDibWithTransition: the image onto the window, one step of its transition after the other.
#include "UTxLog.h"
#include "UTxUtils.h"
#include "Udib.h"
#include "Upaintabledib.h"
#include "Usync.h"
#include "Utransition.h"

namespace {

constexpr DWORD kTransitionMs = 1000;

// Milliseconds on the performance counter: Sleep rounds each short wait up to the system's timer
// tick (about 15.6 ms on Windows), so the steps are paced against the clock instead, and 122 steps
// of 8 ms still last one second rather than two.
class StepClock {
public:
    StepClock()
    {
        ::QueryPerformanceFrequency(&m_Frequency);
        ::QueryPerformanceCounter(&m_Start);
    }
    // Waits until `dueMs` after the start; returns at once when that has passed.
    void WaitUntil(DWORD dueMs) const
    {
        LARGE_INTEGER now;
        ::QueryPerformanceCounter(&now);
        const LONGLONG elapsed = (now.QuadPart - m_Start.QuadPart) * 1000 / m_Frequency.QuadPart;
        if (elapsed < static_cast<LONGLONG>(dueMs)) ::Sleep(static_cast<DWORD>(dueMs - elapsed));
    }

private:
    LARGE_INTEGER m_Frequency{};
    LARGE_INTEGER m_Start{};
};

bool IsPaintableImage(const BITMAPINFO* header, const void* pixels)
{
    if (!header || !pixels) return false;
    const BITMAPINFOHEADER& h = header->bmiHeader;
    if (h.biBitCount != 8 && h.biBitCount != 24 && h.biBitCount != 32) return false;
    const ULONGLONG bytes = DibPixelBytes(h);
    return bytes != 0 && bytes <= kMaxDibPixelBytes;
}

}  // namespace

bool PaintDibWithTransition(HWND hWnd, const BITMAPINFO* pHeader, const void* pPixels)
{
    const CLogScope scope("PaintDibWithTransition");
    if (!IsPaintableImage(pHeader, pPixels)) {
        LogText("!PaintDibWithTransition: no image to paint");
        return false;
    }
    const BITMAPINFOHEADER& image = pHeader->bmiHeader;
    CRectSortCollection rects;
    BuildTransitionRects(image.biWidth, static_cast<int>(DibRowCount(image.biHeight)), kTransitionSteps,
                         rects);

    // One buffer as large as the whole image takes every step's cut-out in turn.
    const GlobalBlock stepHeader = AllocDibBlock(kDibHeaderBlockSize);
    const GlobalBlock stepPixels = AllocDibBlock(GetDibArea(pHeader));
    if (!stepHeader || !stepPixels) {
        LogF("!PaintDibWithTransition: out of memory for %lu bytes",
             static_cast<unsigned long>(GetDibArea(pHeader)));
        return false;
    }
    auto* cutHeader = static_cast<BITMAPINFO*>(stepHeader.get());
    const StepClock clock;
    DWORD dueMs = 0;
    for (int i = 0; i < rects.GetCount(); ++i) {
        if (g_Synchronization.IsCancelled()) break;
        const CTransitionRect* rect = rects.RectAt(i);
        int width = rect->m_iWidth;
        int height = rect->m_iHeight;
        if (!CopyBmpRectFromBmp(pHeader, pPixels, cutHeader, stepPixels.get(), rect->m_iLeft, rect->m_iTop,
                                &width, &height))
            continue;
        {
            const WindowDC dc(hWnd);
            if (dc)
                ::SetDIBitsToDevice(dc.get(), rect->m_iLeft, rect->m_iTop, static_cast<DWORD>(width),
                                    static_cast<DWORD>(height), 0, 0, 0, static_cast<UINT>(height),
                                    stepPixels.get(), cutHeader, DIB_RGB_COLORS);
        }
        // Each step drawn has its share of the second; a step outside the image has none.
        dueMs += kTransitionMs / static_cast<DWORD>(rects.GetCount());
        clock.WaitUntil(dueMs);
    }
    return true;
}
