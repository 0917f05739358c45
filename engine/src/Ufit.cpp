#include "Ufit.h"

#include <cmath>
#include <cstdint>

#include "UTxLog.h"

namespace {

constexpr int kFrameWidth = 5;
// A target starting further off the work area than this lies outside any DIB.
constexpr int64_t kMaxOffset = 32767;

bool InImageRange(int64_t value)
{
    return value >= 1 && value <= kMaxImageDimension;
}

// Truncation toward zero that stays defined for any double.
int TruncToInt(double value)
{
    if (!(value == value)) return 0;
    if (value >= 2147483647.0) return 2147483647;
    if (value <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(value);
}

int PercentOf(double fraction)
{
    return TruncToInt(fraction * 100);
}

int Saturate(int64_t value)
{
    return value > INT32_MAX ? INT32_MAX : (value < INT32_MIN ? INT32_MIN : static_cast<int>(value));
}

}  // namespace

bool CalculateTargetArea(const DisplaySettings& display, const RECT& workArea, CTargetArea& area)
{
    area = CTargetArea();
    const bool useMargins = display.bUseMargins != 0;
    const int64_t left = useMargins ? static_cast<int32_t>(display.dwMarginLeft) : 0;
    const int64_t right = useMargins ? static_cast<int32_t>(display.dwMarginRight) : 0;
    const int64_t top = useMargins ? static_cast<int32_t>(display.dwMarginTop) : 0;
    const int64_t bottom = useMargins ? static_cast<int32_t>(display.dwMarginBottom) : 0;

    area.bFrame = display.bFrame && (left > 0 || right > 0 || top > 0 || bottom > 0);
    area.iFrameWidth = area.bFrame ? kFrameWidth : 0;
    const int64_t frame = area.iFrameWidth;
    const int64_t dstWidth = (int64_t{workArea.right} - workArea.left) - left - right - 2 * frame;
    const int64_t dstHeight = (int64_t{workArea.bottom} - workArea.top) - top - bottom - 2 * frame;
    if (!InImageRange(dstWidth) || !InImageRange(dstHeight)) {
        LogF("! iDstWidth=%d, iDstHeight=%d", Saturate(dstWidth), Saturate(dstHeight));
        if (dstWidth < 1 || dstHeight < 1) {
            LogF("! The margins leave no room for the image: left=%d, right=%d, top=%d, bottom=%d, "
                 "frame=%d, work area %ld x %ld",
                 Saturate(left), Saturate(right), Saturate(top), Saturate(bottom), area.iFrameWidth,
                 static_cast<long>(workArea.right - workArea.left),
                 static_cast<long>(workArea.bottom - workArea.top));
        }
        return false;
    }
    const int64_t offsetLeft = left + frame;
    const int64_t offsetTop = top + frame;
    if (offsetLeft < -kMaxOffset || offsetLeft > kMaxOffset || offsetTop < -kMaxOffset ||
        offsetTop > kMaxOffset) {
        LogF("! Margins out of range: left=%d, top=%d", Saturate(left), Saturate(top));
        return false;
    }
    area.iDstWidth = static_cast<int>(dstWidth);
    area.iDstHeight = static_cast<int>(dstHeight);
    area.iOffsetLeft = static_cast<int>(offsetLeft);
    area.iOffsetTop = static_cast<int>(offsetTop);
    area.iLeft = workArea.left + area.iOffsetLeft;
    area.iTop = workArea.top + area.iOffsetTop;
    return true;
}

bool FitImage(const DisplaySettings& display, int iWidth, int iHeight, int iDstWidth, int iDstHeight,
              CImageFit& fit)
{
    fit = CImageFit();
    if (!InImageRange(iWidth) || !InImageRange(iHeight)) {
        LogF("! iWidth=%d, iHeight=%d", iWidth, iHeight);
        return false;
    }
    if (!InImageRange(iDstWidth) || !InImageRange(iDstHeight)) {
        LogF("! iDstWidth=%d, iDstHeight=%d", iDstWidth, iDstHeight);
        return false;
    }

    const bool fitsWhole = iWidth <= iDstWidth && iHeight <= iDstHeight;
    if ((iWidth == iDstWidth && iHeight == iDstHeight) || (display.bShrinkOnly && fitsWhole)) {
        LogF("No resampling: iWidth=%d, iHeight=%d, iDstWidth=%d, iDstHeight=%d, bShrinkOnly=%d", iWidth,
             iHeight, iDstWidth, iDstHeight, display.bShrinkOnly);
        fit.iNewWidth = iWidth;
        fit.iNewHeight = iHeight;
        return true;
    }

    LogF("Display width=%d, height=%d", iDstWidth, iDstHeight);
    fit.bResample = true;
    int newWidth = iDstWidth;
    int newHeight = iDstHeight;
    const double aspect = static_cast<double>(iWidth) / iHeight;
    const double target = static_cast<double>(iDstWidth) / iDstHeight;
    const double ratio = aspect / target;
    const double tolerance = display.dwMaxAspectRatioDiff * 0.01;
    const int percent = static_cast<int>(display.dwMaxAspectRatioDiff);

    if (display.dwFitType == 2) {
        LogF("Image stretching up to %d%% enabled", percent);
        LogF("The aspect ratio difference: %d%%", std::abs(PercentOf(ratio - 1)));
        if (ratio > 1 + tolerance) {
            newHeight = TruncToInt(iDstWidth / aspect);
            LogF("Adapted Height to %d", newHeight);
        } else if (ratio < 1 - tolerance) {
            newWidth = TruncToInt(iDstHeight * aspect);
            LogF("Adapted Width to %d", newWidth);
        }
    } else if (display.dwFitType == 1) {
        LogF("Image clipping up to %d%% enabled", percent);
        LogF("The aspect ratio difference: %d%%", std::abs(PercentOf(ratio - 1)));
        if (ratio > 1) {
            const int clipped = TruncToInt(iWidth * (static_cast<double>(iDstHeight) / iHeight));
            const double excess = (static_cast<double>(clipped) - iDstWidth) / iDstWidth;
            LogF("to clip, the image width will have to be %d", clipped);
            LogF("(iNewWidth-iDstWidth)/iDstWidth=%d%%", PercentOf(excess));
            if (excess < tolerance) {
                newWidth = clipped;
                fit.bClipped = true;
                LogText("That's O.K.");
            } else {
                newHeight = TruncToInt(iDstWidth / aspect);
                LogText("That's too much.");
            }
        } else if (ratio < 1) {
            const int clipped = TruncToInt(iHeight * (static_cast<double>(iDstWidth) / iWidth));
            const double excess = (static_cast<double>(clipped) - iDstHeight) / iDstHeight;
            LogF("to clip, the image height will have to be %d", clipped);
            LogF("(iNewHeight-iDstHeight)/iDstHeight=%d%%", PercentOf(excess));
            if (excess < tolerance) {
                newHeight = clipped;
                fit.bClipped = true;
                LogText("That's O.K.");
            } else {
                LogText("That's too much.");
                newWidth = TruncToInt(iDstHeight * aspect);
            }
        }
    } else {
        LogText("No clipping or stretching");
        if (ratio > 1) {
            newHeight = TruncToInt(iDstWidth / aspect);
            LogF("Adapted Height to %d", newHeight);
        } else if (ratio < 1) {
            newWidth = TruncToInt(iDstHeight * aspect);
            LogF("Adapted Width to %d", newWidth);
        }
    }

    // An extreme aspect ratio can truncate a side to nothing; a one-pixel line is still an image.
    if (newWidth < 1) newWidth = 1;
    if (newHeight < 1) newHeight = 1;
    if (newWidth > kMaxImageDimension || newHeight > kMaxImageDimension) {
        LogF("! iNewWidth=%d, iNewHeight=%d", newWidth, newHeight);
        return false;
    }
    fit.iNewWidth = newWidth;
    fit.iNewHeight = newHeight;
    return true;
}
