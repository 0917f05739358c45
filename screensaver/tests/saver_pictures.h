// Pictures of windows of the test process, read back as pixels and kept under build/shots.
#pragma once

#include <windows.h>

#include "KvWindowPicture.h"

namespace savertest {

// Pixels as COLORREF values (0x00BBGGRR), top row first.
struct Picture : testsupport::WindowPicture {
    bool RowHas(int y, COLORREF colour) const;
    int CountOf(COLORREF colour) const;
    // Pixels of `colour` within the rectangle (right and bottom excluded).
    int CountIn(const RECT& area, COLORREF colour) const;
};

// The client area, or with `wholeWindow` the window with its frame and caption.
Picture Capture(HWND window, bool wholeWindow = false);

// Keeps the picture as a bitmap file in build/shots, to look at.
void SaveShot(const Picture& picture, const char* name);

}  // namespace savertest
