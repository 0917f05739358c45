#include "UPreviewLoader.h"

#include <cstring>
#include <exception>

#include "UManagerEngine.h"
#include "UTxLog.h"

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

constexpr DWORD kStopWaitMs = 10000;

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

CPreviewLoader::CPreviewLoader()
    : m_BitmapMutex(::CreateMutexA(nullptr, FALSE, nullptr)),
      m_PathMutex(::CreateMutexA(nullptr, FALSE, nullptr)),
      m_EngineMutex(::CreateMutexA(nullptr, FALSE, nullptr)),
      m_StopEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_RunningEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_RequestEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
}

CPreviewLoader::~CPreviewLoader()
{
    if (Stop()) return;
    // A loader that would not end still uses the blocks, mutexes and events: they stay with it
    // rather than be closed under it.
    LogF("!Preview loader still running at the end: its objects are left to it");
    m_Header.release();
    m_Pixels.release();
    m_Thread.release();
    m_BitmapMutex.release();
    m_PathMutex.release();
    m_EngineMutex.release();
    m_StopEvent.release();
    m_RunningEvent.release();
    m_RequestEvent.release();
}

bool CPreviewLoader::Prepare(HWND window, bool rotateByExif)
{
    if (!m_Header) m_Header = GlobalBlock(::GlobalAlloc(GPTR, kHeaderSize));
    m_hWindow = window;
    m_bRotate = rotateByExif ? TRUE : FALSE;
    return static_cast<bool>(m_Header);
}

bool CPreviewLoader::IsRunning() const
{
    return m_Thread && ::WaitForSingleObject(m_Thread.get(), 0) == WAIT_TIMEOUT;
}

void CPreviewLoader::Start()
{
    if (::WaitForSingleObject(m_RunningEvent.get(), 0) == WAIT_OBJECT_0) return;
    // The stop is cleared here, before the loader exists, so a stop asked for while it starts holds.
    ::ResetEvent(m_StopEvent.get());
    m_Thread = Handle(::CreateThread(nullptr, 0, &CPreviewLoader::ThreadProc, this, 0, nullptr));
    if (!m_Thread) {
        LogLastErrorF("!Preview loader could not be started");
        return;
    }
    ::WaitForSingleObject(m_RunningEvent.get(), 1000);
}

bool CPreviewLoader::Stop()
{
    if (!m_Thread) return true;
    ::SetEvent(m_StopEvent.get());
    DWORD result = ::WaitForSingleObject(m_Thread.get(), kStopWaitMs);
    if (result == WAIT_TIMEOUT) {
        // A decode that takes this long is asked to give up; the loader ends after it.
        LogF("Preview loader busy after %lu ms: cancelling its decode",
             static_cast<unsigned long>(kStopWaitMs));
        if (TheEngine().cancelCurrentOperation) TheEngine().cancelCurrentOperation();
        result = ::WaitForSingleObject(m_Thread.get(), kStopWaitMs);
    }
    if (result != WAIT_OBJECT_0) return false;
    m_Thread.reset();
    return true;
}

void CPreviewLoader::FreeBlocks()
{
    if (IsRunning()) return;
    MutexHold bitmap(m_BitmapMutex.get());
    m_Header.reset();
    m_Pixels.reset();
}

bool CPreviewLoader::Request(const char* path)
{
    if (std::strlen(path) >= sizeof m_szRequestPath) {
        LogF("Path too long for a preview: %s", path);
        return false;
    }
    {
        MutexHold hold(m_PathMutex.get());
        std::strcpy(m_szRequestPath, path);
    }
    ::SetEvent(m_RequestEvent.get());
    return true;
}

DWORD WINAPI CPreviewLoader::ThreadProc(LPVOID self) noexcept
{
    try {
        return static_cast<CPreviewLoader*>(self)->Run();
    } catch (const std::exception& e) {
        LogF("!Preview loader: %s", e.what());
    } catch (...) {
        LogF("!Preview loader: unknown exception");
    }
    ::ResetEvent(static_cast<CPreviewLoader*>(self)->m_RunningEvent.get());
    return 0;
}

DWORD CPreviewLoader::Run()
{
    if (::WaitForSingleObject(m_RunningEvent.get(), 0) == WAIT_OBJECT_0) return 1;
    ::SetEvent(m_RunningEvent.get());
    const HANDLE waits[2] = {m_StopEvent.get(), m_RequestEvent.get()};
    for (;;) {
        // The stop comes first when both are set; a failed wait (a closed handle) stops too.
        const DWORD result = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (result != WAIT_OBJECT_0 + 1) break;
        char path[kPathRoom];
        {
            MutexHold hold(m_PathMutex.get());
            std::memcpy(path, m_szRequestPath, sizeof path);
            ::ResetEvent(m_RequestEvent.get());
        }
        Decode(path);
        // A newer request arrived during the decode: its preview follows, this one is not shown.
        if (::WaitForSingleObject(m_RequestEvent.get(), 0) != WAIT_OBJECT_0)
            ::PostMessageA(m_hWindow, WM_FILELIST_PREVIEW_READY, 0, 0);
    }
    ::ResetEvent(m_RunningEvent.get());
    return 0;
}

void CPreviewLoader::Decode(const char* path)
{
    ManagerEngine& engine = TheEngine();
    MutexHold engineHold(m_EngineMutex.get());
    DWORD size = 0;
    const BOOL known = engine.loadBmpFromJpgFile(nullptr, nullptr, path, &size, m_bRotate, nullptr);
    MutexHold bitmapHold(m_BitmapMutex.get());
    if (!m_Header) return;
    if (!known || size == 0) {
        ClearImage();
        return;
    }
    if (!m_Pixels || ::GlobalSize(m_Pixels.get()) < size) {
        m_Pixels.reset();
        m_Pixels = GlobalBlock(::GlobalAlloc(GPTR, size));
    }
    if (!m_Pixels) {
        LogF("No memory for the preview of %s (%lu bytes)", path, static_cast<unsigned long>(size));
        ClearImage();
        return;
    }
    auto* header = static_cast<BITMAPINFO*>(static_cast<void*>(m_Header.get()));
    void* bits = m_Pixels.get();
    // The decode is told the block's room: a file that grew since its size was asked for cannot
    // write past it, and whatever the header then says is checked against the block.
    DWORD room = static_cast<DWORD>(::GlobalSize(m_Pixels.get()));
    const BOOL decoded = engine.loadBmpFromJpgFile(header, bits, path, &room, m_bRotate, nullptr);
    if (!decoded || PixelBytes(header->bmiHeader) == 0 ||
        PixelBytes(header->bmiHeader) > ::GlobalSize(m_Pixels.get())) {
        ClearImage();
        return;
    }
    m_AverageColor = engine.getAverageRgbValue(header, bits);
}

void CPreviewLoader::ClearImage()
{
    auto* header = static_cast<BITMAPINFOHEADER*>(static_cast<void*>(m_Header.get()));
    if (header) {
        header->biWidth = 0;
        header->biHeight = 0;
    }
    m_AverageColor = ::GetSysColor(COLOR_BTNFACE);
}

void CPreviewLoader::Paint(HDC dc, int W, int H)
{
    MutexHold bitmapHold(m_BitmapMutex.get());
    if (!m_Header || !m_Pixels) return;
    auto* info = static_cast<BITMAPINFO*>(static_cast<void*>(m_Header.get()));
    const BITMAPINFOHEADER& header = info->bmiHeader;
    if (PixelBytes(header) == 0 || PixelBytes(header) > ::GlobalSize(m_Pixels.get())) return;
    const int w = header.biWidth;
    const int h = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    RECT r;
    if (!PreviewRect(w, h, W, H, r)) return;
    ::SetStretchBltMode(dc, COLORONCOLOR);
    ::StretchDIBits(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, w, h, m_Pixels.get(), info,
                    DIB_RGB_COLORS, SRCCOPY);
}
