#include "KvWindowPicture.h"

#include "UTxUtils.h"

namespace testsupport {

WindowPicture CaptureWindow(HWND window, PictureArea area)
{
    const bool wholeWindow = area == PictureArea::WholeWindow;
    RECT r = {};
    if (wholeWindow ? !::GetWindowRect(window, &r) : !::GetClientRect(window, &r)) return WindowPicture{};
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return WindowPicture{};

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const WindowDC windowDc(window, wholeWindow);
    const MemDC memory(::CreateCompatibleDC(windowDc.get()));
    const GdiObject section(::CreateDIBSection(windowDc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!windowDc || !memory || !section || !bits) return WindowPicture{};
    {
        const SelectGuard selected(memory.get(), section.get());
        ::BitBlt(memory.get(), 0, 0, width, height, windowDc.get(), 0, 0, SRCCOPY);
        ::GdiFlush();
    }

    WindowPicture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<size_t>(width) * height);
    const auto* quads = static_cast<const BYTE*>(bits);  // blue, green, red, unused
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = RGB(quads[4 * i + 2], quads[4 * i + 1], quads[4 * i]);
    return picture;
}

}  // namespace testsupport
