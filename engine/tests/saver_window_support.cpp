// The painting tests' window and pictures.
#include "saver_window_support.h"

#include "KvTestSupport.h"
#include "UTxUtils.h"

namespace saver_test {

namespace {

const char kClassName[] = "KvSaverTestWindow";

// Neither erasing nor painting: the window shows exactly what was drawn into it.
LRESULT CALLBACK WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        ::BeginPaint(wnd, &ps);
        ::EndPaint(wnd, &ps);
        return 0;
    }
    default:
        return ::DefWindowProcA(wnd, message, wParam, lParam);
    }
}

void RegisterOnce()
{
    WNDCLASSA windowClass{};
    if (::GetClassInfoA(::GetModuleHandleA(nullptr), kClassName, &windowClass)) return;
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    ::RegisterClassA(&windowClass);
}

}  // namespace

PaintWindow::PaintWindow(int width, int height)
{
    RegisterOnce();
    m_hWnd = ::CreateWindowExA(WS_EX_TOPMOST, kClassName, "saver paint test", WS_POPUP | WS_VISIBLE, 0, 0,
                               width, height, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    testsupport::PumpMessages();
}

PaintWindow::~PaintWindow()
{
    if (m_hWnd) ::DestroyWindow(m_hWnd);
}

void PaintWindow::Fill(COLORREF colour) const
{
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const WindowDC dc(m_hWnd);
    const GdiObject brush(::CreateSolidBrush(colour));
    ::FillRect(dc.get(), &client, static_cast<HBRUSH>(brush.get()));
}

COLORREF PaintWindow::Pixel(int x, int y) const
{
    const WindowDC dc(m_hWnd);
    return ::GetPixel(dc.get(), x, y);
}

PaintWindow::Picture PaintWindow::Capture() const
{
    return testsupport::CaptureWindow(m_hWnd, testsupport::PictureArea::Client);
}

bool PaintWindow::SaveShot(const Picture& picture, const std::string& name)
{
    return picture.SaveBmp(testsupport::ShotPath(name + ".bmp"));
}

COLORREF DecodedImage::Average() const
{
    unsigned long long r = 0, g = 0, b = 0;
    for (COLORREF c : pixels) {
        r += GetRValue(c);
        g += GetGValue(c);
        b += GetBValue(c);
    }
    const unsigned long long n = pixels.empty() ? 1 : pixels.size();
    return RGB(r / n, g / n, b / n);
}

DecodedImage FromDib(const BITMAPINFO* info, const void* bits)
{
    DecodedImage image;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biBitCount != 24) return image;
    image.width = h.biWidth;
    image.height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    const size_t rowBytes = (static_cast<size_t>(image.width) * 3 + 3) & ~size_t{3};
    const auto* data = static_cast<const BYTE*>(bits);
    image.pixels.resize(static_cast<size_t>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) {
        const BYTE* row = data + rowBytes * static_cast<size_t>(h.biHeight < 0 ? y : image.height - 1 - y);
        for (int x = 0; x < image.width; ++x)
            image.pixels[static_cast<size_t>(y) * image.width + x] =
                RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    }
    return image;
}

}  // namespace saver_test
