// What the saver shows instead of images while the user's blocking program runs or the Agent's
// block switch is on: a dark grey screen with a notice in a band that moves down on each request.
#pragma once

#include <windows.h>

constexpr int kNoticeMinWidth = 600;  // a narrower window (the preview) gets the grey only
constexpr int kNoticeBandHeight = 200;
constexpr int kNoticeBandStep = 50;
constexpr COLORREF kNoticeTextColor = 0x00AFEF;

// Paints the window and gives the band position for the next request: `bandTop` + 50, or 0 when
// the band would leave the window. Without a notice (`notice` null) or in a narrow window only the
// grey is painted and `bandTop` comes back unchanged.
int PaintBlockedDisplay(HWND window, int bandTop, const char* notice);
