// The image browser's preview: a loader thread decodes the newest requested image through the
// engine into blocks of its own and, once the decode is complete, swaps them with the blocks the
// window paints from, then posts WM_FILELIST_PREVIEW_READY. The window thus always paints the last
// finished preview and never waits for a decode. Three mutexes guard the shown blocks, the request
// path and the engine calls; three manual-reset events carry a request, the stop and the loader's
// running state.
//
// A loader that does not end within the stop's time limit (a decode that ignores its cancel) is
// left with its own objects, and the next start makes a fresh loader with new ones.
#pragma once

#include <windows.h>

#include <memory>

#include "UTxUtils.h"

namespace manager {

constexpr UINT WM_FILELIST_INIT = WM_APP + 1;           // 0x8001: the browser was shown
constexpr UINT WM_FILELIST_PREVIEW_READY = WM_APP + 2;  // 0x8002: a preview waits in the blocks

// The rectangle of a w x h image fitted into a W x H box with one pixel free on the fitted sides;
// false when the box is too small to draw anything in.
bool PreviewRect(int w, int h, int W, int H, RECT& out);

class CPreviewLoader {
public:
    static constexpr int kHeaderSize = 1064;  // the bitmap information header and 256 palette entries
    static constexpr int kPathRoom = 500;
    // The longest a stop waits for the loader, its cancel of the engine included.
    static constexpr DWORD kStopLimitMs = 9500;
    // How long a stop lets a decode finish before it asks the engine to cancel it.
    static constexpr DWORD kCancelAfterMs = 2000;

    CPreviewLoader();
    // Stops the loader; one that would not end keeps its own objects.
    ~CPreviewLoader();
    CPreviewLoader(const CPreviewLoader&) = delete;
    CPreviewLoader& operator=(const CPreviewLoader&) = delete;

    // For each showing: the header block, the window that hears of previews, the EXIF switch.
    bool Prepare(HWND window, bool rotateByExif);
    // Starts the loader unless it runs; waits up to a second until it does.
    void Start();
    // Stops the loader, waiting at most kStopLimitMs; true when it has ended. A loader that is still
    // busy then is left to end on its own, and this object goes on with fresh objects.
    bool Stop();
    // Frees the blocks when the loader has ended.
    void FreeBlocks();
    bool IsRunning() const;

    // Hands the loader the image to decode next, replacing any request not yet taken; false for a path
    // that does not fit.
    bool Request(const char* path);

    // Draws the last finished preview fitted into the box; nothing without one.
    void Paint(HDC dc, int W, int H);
    COLORREF AverageColor() const;
    // The engine mutex, which the wallpaper change takes to keep out of the loader's decode.
    HANDLE EngineMutex() const;

    // Loader threads of every browser that have not ended yet, the abandoned ones included.
    static int LiveThreads();

    struct State;

private:
    std::shared_ptr<State> m_State;
    Handle m_Thread;
};

}  // namespace manager
