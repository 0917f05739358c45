// Pictures of windows of the test's own process, read back as colours and kept as files.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

// Pixels as COLORREF values (0x00BBGGRR), rows from the top.
struct WindowPicture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;

    bool Empty() const { return pixels.empty(); }
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    COLORREF Pixel(int x, int y) const;  // CLR_INVALID outside
    // A 32-bit top-down .bmp file, or an RGB .png file; false when empty or not written.
    bool SaveBmp(const std::string& path) const;
    bool SavePng(const std::string& path) const;
};

enum class PictureArea { Client, WholeWindow };

// What the window shows now: its client area, or the whole window with frame, caption and
// children. Copied from its window DC into a DIB section; WM_PRINT and PrintWindow would give only
// the background under Wine. Empty when the window has no area or a GDI object could not be made.
WindowPicture CaptureWindow(HWND window, PictureArea area);

// Where pictures to look at go (build/shots/), made on first use.
std::string ShotPath(const std::string& name);

}  // namespace testsupport
