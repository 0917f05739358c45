// The image browser's preview: a loader thread decodes the newest requested image through the
// engine into a header block and a pixel block, and posts WM_FILELIST_PREVIEW_READY to the window.
// Three mutexes guard the blocks, the request path and the engine calls; three manual-reset events
// carry a request, the stop and the loader's running state.
#pragma once

#include <windows.h>

#include "UTxUtils.h"

constexpr UINT WM_FILELIST_INIT = WM_APP + 1;           // 0x8001: the browser was shown
constexpr UINT WM_FILELIST_PREVIEW_READY = WM_APP + 2;  // 0x8002: a preview waits in the blocks

// The rectangle of a w x h image fitted into a W x H box with one pixel free on the fitted sides;
// false when the box is too small to draw anything in.
bool PreviewRect(int w, int h, int W, int H, RECT& out);

class CPreviewLoader {
public:
    static constexpr int kHeaderSize = 1064;  // the bitmap information header and 256 palette entries
    static constexpr int kPathRoom = 500;

    CPreviewLoader();
    // Ends a loader that still runs before its objects go.
    ~CPreviewLoader();
    CPreviewLoader(const CPreviewLoader&) = delete;
    CPreviewLoader& operator=(const CPreviewLoader&) = delete;

    // For each showing: the header block, the window that hears of previews, the EXIF switch.
    bool Prepare(HWND window, bool rotateByExif);
    // Starts the loader unless it runs; waits up to a second until it does.
    void Start();
    // Stops the loader and waits until it has ended; true when it has. Only then are the blocks freed.
    bool Stop();
    // Frees both blocks when the loader has ended.
    void FreeBlocks();
    bool IsRunning() const;

    // Hands the loader the image to decode next, replacing any request not yet taken; false for a path
    // that does not fit.
    bool Request(const char* path);

    // Draws the preview fitted into the box; nothing without a decoded image.
    void Paint(HDC dc, int W, int H);
    COLORREF AverageColor() const { return m_AverageColor; }
    // The engine mutex, which the wallpaper change takes to keep out of the loader's decode.
    HANDLE EngineMutex() const { return m_EngineMutex.get(); }

private:
    static DWORD WINAPI ThreadProc(LPVOID self) noexcept;
    DWORD Run();
    void Decode(const char* path);
    // Under the bitmap mutex: the header says no image.
    void ClearImage();

    GlobalBlock m_Header;
    GlobalBlock m_Pixels;
    COLORREF m_AverageColor = 0;
    HWND m_hWindow = nullptr;
    BOOL m_bRotate = TRUE;
    char m_szRequestPath[kPathRoom] = {};
    Handle m_Thread;
    Handle m_BitmapMutex;
    Handle m_PathMutex;
    Handle m_EngineMutex;
    Handle m_StopEvent;
    Handle m_RunningEvent;
    Handle m_RequestEvent;
};
