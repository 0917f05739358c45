// Pictures of windows of the test's own process, read back as colours.
#pragma once

#include <windows.h>

#include <vector>

namespace testsupport {

// Pixels as COLORREF values (0x00BBGGRR), rows from the top.
struct WindowPicture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;

    bool Empty() const { return pixels.empty(); }
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

enum class PictureArea { Client, WholeWindow };

// What the window shows now: its client area, or the whole window with frame, caption and
// children. Copied from its window DC into a DIB section; WM_PRINT and PrintWindow would give only
// the background under Wine. Empty when the window has no area or a GDI object could not be made.
WindowPicture CaptureWindow(HWND window, PictureArea area);

}  // namespace testsupport
