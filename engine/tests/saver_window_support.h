// A visible window of the test process for the screen-saver painting tests (a hidden window keeps
// nothing drawn into it under Wine), the pixels it shows, and pictures of it under build\shots.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "KvWindowPicture.h"

namespace saver_test {

class PaintWindow {
public:
    // A visible popup at the top left of the screen whose client area is width x height.
    PaintWindow(int width, int height);
    ~PaintWindow();
    PaintWindow(const PaintWindow&) = delete;
    PaintWindow& operator=(const PaintWindow&) = delete;

    HWND Handle() const { return m_hWnd; }
    // Paints the whole client area in one colour, so that what a step left unpainted shows.
    void Fill(COLORREF colour) const;
    COLORREF Pixel(int x, int y) const;

    // The whole client area as it is shown, row by row from the top.
    using Picture = testsupport::WindowPicture;
    Picture Capture() const;
    // Writes the picture as build\shots\<name>.bmp; false when it could not be written.
    static bool SaveShot(const Picture& picture, const std::string& name);

private:
    HWND m_hWnd = nullptr;
};

// A decoded image as rows of colours from the top: what a window showing it 1:1 must hold.
struct DecodedImage {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // The mean of each channel over all pixels, truncated.
    COLORREF Average() const;
};
// Reads a 24-bit DIB pair (either row order) into colours.
DecodedImage FromDib(const BITMAPINFO* info, const void* bits);

}  // namespace saver_test
