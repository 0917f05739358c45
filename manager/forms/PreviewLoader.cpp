#include "PreviewLoader.h"

#include <atomic>
#include <cstring>
#include <exception>
#include <utility>

#include "ManagerEngine.h"
#include "UTxLog.h"

namespace manager {

namespace {

// Holds a mutex for the lifetime of the guard; a wait that fails leaves it not held.
class MutexHold {
public:
    explicit MutexHold(HANDLE mutex) : m_hMutex(mutex)
    {
        const DWORD result = ::WaitForSingleObject(mutex, INFINITE);
        m_bHeld = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    }
    ~MutexHold()
    {
        if (m_bHeld) ::ReleaseMutex(m_hMutex);
    }
    MutexHold(const MutexHold&) = delete;
    MutexHold& operator=(const MutexHold&) = delete;

private:
    HANDLE m_hMutex;
    bool m_bHeld = false;
};

std::atomic<int> g_LiveThreads{0};

// Bytes of the pixel rows the header describes, or 0 for a header that describes no usable image.
unsigned long long PixelBytes(const BITMAPINFOHEADER& header)
{
    if (header.biWidth <= 0 || header.biHeight == 0 || header.biBitCount == 0 || header.biBitCount > 32)
        return 0;
    const unsigned long long width = static_cast<unsigned long long>(header.biWidth);
    const unsigned long long height = static_cast<unsigned long long>(
        header.biHeight < 0 ? -static_cast<long long>(header.biHeight) : header.biHeight);
    const unsigned long long stride = (width * header.biBitCount + 31) / 32 * 4;
    return stride * height;
}

}  // namespace

bool PreviewRect(int w, int h, int W, int H, RECT& out)
{
    if (w <= 0 || h <= 0 || W <= 2 || H <= 2) return false;
    const double r = static_cast<double>(w) / h;
    int x, y, dw, dh;
    if (static_cast<double>(W) / H > r) {
        dh = H - 2;
        dw = static_cast<int>(H * r) - 2;
        y = 1;
        x = (W - dw) / 2;
    } else {
        dw = W - 2;
        dh = static_cast<int>(W / r) - 2;
        x = 1;
        y = (H - dh) / 2;
    }
    if (dw <= 0 || dh <= 0) return false;
    out = {x, y, x + dw, y + dh};
    return true;
}

struct CPreviewLoader::State {
    State()
        : bitmapMutex(::CreateMutexA(nullptr, FALSE, nullptr)),
          pathMutex(::CreateMutexA(nullptr, FALSE, nullptr)),
          engineMutex(::CreateMutexA(nullptr, FALSE, nullptr)),
          stopEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          runningEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          requestEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
    }

    DWORD Run();
    void Decode(const char* path);
    // Under the bitmap mutex: the shown header says no image.
    void ClearImage();
    bool Stopping() const { return ::WaitForSingleObject(stopEvent.get(), 0) == WAIT_OBJECT_0; }

    // What the window paints, under the bitmap mutex.
    GlobalBlock header;
    GlobalBlock pixels;
    COLORREF averageColor = 0;
    // The loader's own blocks, which it decodes into without holding the bitmap mutex.
    GlobalBlock workHeader;
    GlobalBlock workPixels;
    HWND window = nullptr;
    BOOL rotate = TRUE;
    char requestPath[kPathRoom] = {};
    Handle bitmapMutex;
    Handle pathMutex;
    Handle engineMutex;
    Handle stopEvent;
    Handle runningEvent;
    Handle requestEvent;
};

namespace {

// The loader thread's own reference to its state, handed over at its start.
DWORD WINAPI PreviewThreadProc(LPVOID parameter) noexcept
{
    DWORD result = 0;
    {
        std::unique_ptr<std::shared_ptr<CPreviewLoader::State>> owned(
            static_cast<std::shared_ptr<CPreviewLoader::State>*>(parameter));
        CPreviewLoader::State& state = **owned;
        try {
            result = state.Run();
        } catch (const std::exception& e) {
            LogF("!Preview loader: %s", e.what());
        } catch (...) {
            LogF("!Preview loader: unknown exception");
        }
        ::ResetEvent(state.runningEvent.get());
    }
    --g_LiveThreads;
    return result;
}

}  // namespace

CPreviewLoader::CPreviewLoader() : m_State(std::make_shared<State>()) {}

CPreviewLoader::~CPreviewLoader()
{
    if (!Stop()) LogF("!Preview loader still running at the end: its objects are left to it");
}

int CPreviewLoader::LiveThreads()
{
    return g_LiveThreads.load();
}

bool CPreviewLoader::Prepare(HWND window, bool rotateByExif)
{
    if (!m_State->header) m_State->header = GlobalBlock(::GlobalAlloc(GPTR, kHeaderSize));
    m_State->window = window;
    m_State->rotate = rotateByExif ? TRUE : FALSE;
    return static_cast<bool>(m_State->header);
}

bool CPreviewLoader::IsRunning() const
{
    return m_Thread && ::WaitForSingleObject(m_Thread.get(), 0) == WAIT_TIMEOUT;
}

void CPreviewLoader::Start()
{
    State& state = *m_State;
    if (::WaitForSingleObject(state.runningEvent.get(), 0) == WAIT_OBJECT_0) return;
    // The stop is cleared here, before the loader exists, so a stop asked for while it starts holds.
    ::ResetEvent(state.stopEvent.get());
    auto reference = std::make_unique<std::shared_ptr<State>>(m_State);
    ++g_LiveThreads;
    m_Thread = Handle(::CreateThread(nullptr, 0, &PreviewThreadProc, reference.get(), 0, nullptr));
    if (!m_Thread) {
        --g_LiveThreads;
        LogLastErrorF("!Preview loader could not be started");
        return;
    }
    reference.release();  // the thread owns it now
    ::WaitForSingleObject(state.runningEvent.get(), 1000);
}

bool CPreviewLoader::Stop()
{
    if (!m_Thread) return true;
    ::SetEvent(m_State->stopEvent.get());
    DWORD result = ::WaitForSingleObject(m_Thread.get(), kCancelAfterMs);
    if (result == WAIT_TIMEOUT) {
        // A decode that takes this long is asked to give up; the loader ends after it.
        LogF("Preview loader busy after %lu ms: cancelling its decode",
             static_cast<unsigned long>(kCancelAfterMs));
        if (TheEngine().cancelCurrentOperation) TheEngine().cancelCurrentOperation();
        result = ::WaitForSingleObject(m_Thread.get(), kStopLimitMs - kCancelAfterMs);
    }
    m_Thread.reset();
    if (result == WAIT_OBJECT_0) return true;
    // The loader keeps its state alive through its own reference and ends whenever its decode
    // returns; the window goes on with a state of its own, so the next showing has a working loader.
    LogF("!Preview loader did not end within %lu ms: left to end on its own",
         static_cast<unsigned long>(kStopLimitMs));
    m_State = std::make_shared<State>();
    return false;
}

void CPreviewLoader::FreeBlocks()
{
    if (IsRunning()) return;
    State& state = *m_State;
    MutexHold bitmap(state.bitmapMutex.get());
    state.header.reset();
    state.pixels.reset();
    state.workHeader.reset();
    state.workPixels.reset();
}

bool CPreviewLoader::Request(const char* path)
{
    State& state = *m_State;
    if (std::strlen(path) >= sizeof state.requestPath) {
        LogF("Path too long for a preview: %s", path);
        return false;
    }
    {
        MutexHold hold(state.pathMutex.get());
        std::strcpy(state.requestPath, path);
    }
    ::SetEvent(state.requestEvent.get());
    return true;
}

COLORREF CPreviewLoader::AverageColor() const
{
    MutexHold bitmapHold(m_State->bitmapMutex.get());
    return m_State->averageColor;
}

HANDLE CPreviewLoader::EngineMutex() const
{
    return m_State->engineMutex.get();
}

DWORD CPreviewLoader::State::Run()
{
    if (::WaitForSingleObject(runningEvent.get(), 0) == WAIT_OBJECT_0) return 1;
    ::SetEvent(runningEvent.get());
    const HANDLE waits[2] = {stopEvent.get(), requestEvent.get()};
    for (;;) {
        // The stop comes first when both are set; a failed wait (a closed handle) stops too.
        const DWORD result = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (result != WAIT_OBJECT_0 + 1) break;
        char path[kPathRoom];
        {
            MutexHold hold(pathMutex.get());
            std::memcpy(path, requestPath, sizeof path);
            ::ResetEvent(requestEvent.get());
        }
        Decode(path);
        // A loader told to stop during its decode tells the window nothing more: it may already
        // belong to a newer loader. A newer request that arrived meanwhile has its preview follow.
        if (Stopping()) break;
        if (::WaitForSingleObject(requestEvent.get(), 0) != WAIT_OBJECT_0)
            ::PostMessageA(window, WM_FILELIST_PREVIEW_READY, 0, 0);
    }
    ::ResetEvent(runningEvent.get());
    return 0;
}

void CPreviewLoader::State::Decode(const char* path)
{
    ManagerEngine& engine = TheEngine();
    MutexHold engineHold(engineMutex.get());
    DWORD size = 0;
    const BOOL known = engine.loadBmpFromJpgFile(nullptr, nullptr, path, &size, rotate, nullptr);
    if (Stopping()) return;
    if (!known || size == 0) {
        MutexHold bitmapHold(bitmapMutex.get());
        ClearImage();
        return;
    }
    if (!workHeader) workHeader = GlobalBlock(::GlobalAlloc(GPTR, kHeaderSize));
    if (!workPixels || ::GlobalSize(workPixels.get()) < size) {
        workPixels.reset();
        workPixels = GlobalBlock(::GlobalAlloc(GPTR, size));
    }
    if (!workHeader || !workPixels) {
        LogF("No memory for the preview of %s (%lu bytes)", path, static_cast<unsigned long>(size));
        MutexHold bitmapHold(bitmapMutex.get());
        ClearImage();
        return;
    }
    auto* info = static_cast<BITMAPINFO*>(static_cast<void*>(workHeader.get()));
    void* bits = workPixels.get();
    // The decode is told the block's room: a file that grew since its size was asked for cannot
    // write past it, and whatever the header then says is checked against the block.
    DWORD room = static_cast<DWORD>(::GlobalSize(workPixels.get()));
    const BOOL decoded = engine.loadBmpFromJpgFile(info, bits, path, &room, rotate, nullptr);
    if (Stopping()) return;
    const bool usable = decoded && PixelBytes(info->bmiHeader) != 0 &&
                        PixelBytes(info->bmiHeader) <= ::GlobalSize(workPixels.get());
    const COLORREF color = usable ? engine.getAverageRgbValue(info, bits) : 0;
    MutexHold bitmapHold(bitmapMutex.get());
    // The window closed and freed its blocks: nothing is shown any more.
    if (!header) return;
    if (!usable) {
        ClearImage();
        return;
    }
    // The finished preview becomes the shown one; the one it replaces is the next decode's room.
    std::swap(header, workHeader);
    std::swap(pixels, workPixels);
    averageColor = color;
}

void CPreviewLoader::State::ClearImage()
{
    auto* shown = static_cast<BITMAPINFOHEADER*>(static_cast<void*>(header.get()));
    if (shown) {
        shown->biWidth = 0;
        shown->biHeight = 0;
    }
    averageColor = ::GetSysColor(COLOR_BTNFACE);
}

void CPreviewLoader::Paint(HDC dc, int W, int H)
{
    State& state = *m_State;
    MutexHold bitmapHold(state.bitmapMutex.get());
    if (!state.header || !state.pixels) return;
    auto* info = static_cast<BITMAPINFO*>(static_cast<void*>(state.header.get()));
    const BITMAPINFOHEADER& shown = info->bmiHeader;
    if (PixelBytes(shown) == 0 || PixelBytes(shown) > ::GlobalSize(state.pixels.get())) return;
    const int w = shown.biWidth;
    const int h = shown.biHeight < 0 ? -shown.biHeight : shown.biHeight;
    RECT r;
    if (!PreviewRect(w, h, W, H, r)) return;
    ::SetStretchBltMode(dc, COLORONCOLOR);
    ::StretchDIBits(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, w, h, state.pixels.get(),
                    info, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace manager
