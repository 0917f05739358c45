// Where the image goes on the wallpaper: the target area inside the work area (margins and frame)
// and the size the image is given in it (keep the aspect ratio, clip or stretch within a tolerance).
#pragma once

#include <windows.h>

#include "Wcommon.h"

// Nothing larger fits a DIB the engine makes.
constexpr int kMaxImageDimension = 32767;

struct CTargetArea {
    bool bFrame = false;
    int iFrameWidth = 0;  // 5 with a frame, else 0
    int iOffsetLeft = 0;  // effective left margin plus frame width, from the work area's left
    int iOffsetTop = 0;   // effective top margin plus frame width, from the work area's top
    int iLeft = 0;        // the target's top-left corner on the screen
    int iTop = 0;
    int iDstWidth = 0;
    int iDstHeight = 0;
};

// Margins are registry DWORDs read as signed 32-bit numbers, so a small wrapped "negative" margin
// widens the target as it always did; the arithmetic itself runs in 64 bits. False, with the log
// line "! iDstWidth=%d, iDstHeight=%d", when a target dimension is below 1 or above 32767.
bool CalculateTargetArea(const DisplaySettings& display, const RECT& workArea, CTargetArea& area);

struct CImageFit {
    bool bResample = false;
    bool bClipped = false;  // one side is wider than the target and is cut equally on both ends
    int iNewWidth = 0;
    int iNewHeight = 0;
};

// The new size of an iWidth x iHeight image on the target by \Display "FitType", "ShrinkOnly" and
// "MaxAspectRatioDiff", logging each decision. False when the image or the new size has a
// dimension below 1 or above 32767; a computed dimension is never below 1.
bool FitImage(const DisplaySettings& display, int iWidth, int iHeight, int iDstWidth, int iDstHeight,
              CImageFit& fit);
