// Where the image goes: the target area from the work area, margins and frame, and the new size
// from the fit rules, including the degenerate sizes that must fail cleanly.
#include <gtest/gtest.h>

#include "Ufit.h"
#include "Wcommon.h"

namespace {

DisplaySettings Display()
{
    RegistryRecord record = {};
    SetRegistryDefaults(nullptr, &record, false, false);
    return record.Display;
}

struct AreaCase {
    const char* name;
    RECT work;
    bool useMargins, frame;
    DWORD left, right, top, bottom;
    bool ok;
    bool expectFrame;
    int dstWidth, dstHeight, x, y;
};

// clang-format off
const AreaCase kAreaCases[] = {
    {"whole work area", {0, 0, 1024, 768}, true, true, 0, 0, 0, 0, true, false, 1024, 768, 0, 0},
    {"margins ignored when switched off", {0, 0, 1024, 768}, false, true, 10, 20, 30, 40, true, false, 1024, 768, 0,
     0},
    {"margins and frame", {0, 0, 1024, 768}, true, true, 10, 20, 30, 40, true, true, 1024 - 30 - 10, 768 - 70 - 10,
     15, 35},
    {"one margin is enough for the frame on every side", {0, 0, 1024, 768}, true, true, 0, 0, 0, 1, true, true, 1014,
     757, 5, 5},
    {"frame off", {0, 0, 1024, 768}, true, false, 10, 20, 30, 40, true, false, 994, 698, 10, 30},
    {"task bar on the left", {60, 0, 1024, 768}, true, false, 4, 0, 0, 0, true, false, 960, 768, 64, 0},
    {"task bar at the top", {0, 30, 1024, 768}, true, true, 0, 0, 2, 0, true, true, 1014, 726, 5, 37},
    // A wrapped DWORD is a small negative margin: the target grows and no margin is "above 0".
    {"wrapped left margin", {0, 0, 64, 48}, true, true, 0xFFFFFFFB, 0, 0, 0, true, false, 69, 48, -5, 0},
    {"margins eat the width", {0, 0, 64, 48}, true, true, 27, 27, 0, 0, false, true, 0, 0, 0, 0},
    {"exactly one column left", {0, 0, 64, 48}, true, true, 26, 27, 0, 0, true, true, 1, 38, 31, 5},
    {"negative target", {0, 0, 64, 48}, true, false, 0, 0, 40, 40, false, false, 0, 0, 0, 0},
    {"huge margins cannot overflow", {0, 0, 64, 48}, true, false, 0x7FFFFFFF, 0x7FFFFFFF, 0, 0, false, false, 0, 0,
     0, 0},
    // In 32 bits these would cancel out to a plausible width with an absurd left edge.
    {"opposite huge margins", {0, 0, 64, 48}, true, false, 0x7FFFFFFF, 0x80000000, 0, 0, false, false, 0, 0, 0, 0},
    {"work area beyond the DIB limit", {0, 0, 40000, 48}, false, false, 0, 0, 0, 0, false, false, 0, 0, 0, 0},
};
// clang-format on

TEST(CompositionFit, TargetArea)
{
    for (const AreaCase& c : kAreaCases) {
        SCOPED_TRACE(c.name);
        DisplaySettings display = Display();
        display.bUseMargins = c.useMargins;
        display.bFrame = c.frame;
        display.dwMarginLeft = c.left;
        display.dwMarginRight = c.right;
        display.dwMarginTop = c.top;
        display.dwMarginBottom = c.bottom;
        CTargetArea area;
        ASSERT_EQ(CalculateTargetArea(display, c.work, area), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(area.bFrame, c.expectFrame);
        EXPECT_EQ(area.iFrameWidth, c.expectFrame ? 5 : 0);
        EXPECT_EQ(area.iDstWidth, c.dstWidth);
        EXPECT_EQ(area.iDstHeight, c.dstHeight);
        EXPECT_EQ(area.iLeft, c.x);
        EXPECT_EQ(area.iTop, c.y);
    }
}

struct FitCase {
    const char* name;
    DWORD fitType, tolerance;
    bool shrinkOnly;
    int width, height, dstWidth, dstHeight;
    bool ok, resample, clipped;
    int newWidth, newHeight;
};

// clang-format off
const FitCase kFitCases[] = {
    {"same size is never resampled", 0, 15, false, 1024, 768, 1024, 768, true, false, false, 1024, 768},
    {"shrink only keeps a smaller image", 0, 15, true, 800, 600, 1024, 768, true, false, false, 800, 600},
    {"without shrink only it is enlarged", 0, 15, false, 800, 600, 1024, 768, true, true, false, 1024, 768},
    {"shrink only still shrinks a larger one", 0, 15, true, 2048, 1536, 1024, 768, true, true, false, 1024, 768},
    {"keep aspect: wide image", 0, 15, false, 1600, 900, 1024, 768, true, true, false, 1024, 576},
    {"keep aspect: tall image", 0, 15, false, 600, 800, 1024, 768, true, true, false, 576, 768},
    // 4:3 on 16:10 differs by 16.7 %: beyond 15 %, so the width follows the height.
    {"stretch beyond the tolerance", 2, 15, false, 1600, 1200, 1280, 800, true, true, false, 1066, 800},
    {"stretch within the tolerance", 2, 15, false, 1600, 1050, 1280, 800, true, true, false, 1280, 800},
    {"stretch: too wide", 2, 15, false, 2000, 800, 1280, 800, true, true, false, 1280, 512},
    // 16:9 on 4:3 scaled to the height is 1365 wide, 33 % more than 1024.
    {"clip too much", 1, 15, false, 1920, 1080, 1024, 768, true, true, false, 1024, 576},
    {"clip within the tolerance", 1, 40, false, 1920, 1080, 1024, 768, true, true, true, 1365, 768},
    {"clip a tall image", 1, 50, false, 900, 1000, 1024, 768, true, true, true, 1024, 1137},
    {"clip a tall image too much", 1, 10, false, 900, 1000, 1024, 768, true, true, false, 691, 768},
    {"same aspect is scaled", 1, 15, false, 512, 384, 1024, 768, true, true, false, 1024, 768},
    // A 5000:1 strip truncates to no rows at all; it is drawn one pixel high.
    {"extreme ratio keeps one row", 0, 15, false, 10000, 2, 1024, 768, true, true, false, 1024, 1},
    {"extreme ratio keeps one column", 0, 15, false, 2, 10000, 1024, 768, true, true, false, 1, 768},
    {"empty image", 0, 15, false, 0, 100, 1024, 768, false, false, false, 0, 0},
    {"image beyond the DIB limit", 0, 15, false, 40000, 100, 1024, 768, false, false, false, 0, 0},
    {"no target", 0, 15, false, 100, 100, 0, 768, false, false, false, 0, 0},
    // An absurd tolerance lets the clip grow without bound; the new size must still fit a DIB.
    {"clip beyond the DIB limit", 1, 0xFFFFFFFF, false, 32767, 1, 1024, 768, false, false, false, 0, 0},
};
// clang-format on

TEST(CompositionFit, NewSize)
{
    for (const FitCase& c : kFitCases) {
        SCOPED_TRACE(c.name);
        DisplaySettings display = Display();
        display.dwFitType = c.fitType;
        display.dwMaxAspectRatioDiff = c.tolerance;
        display.bShrinkOnly = c.shrinkOnly;
        CImageFit fit;
        ASSERT_EQ(FitImage(display, c.width, c.height, c.dstWidth, c.dstHeight, fit), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(fit.bResample, c.resample);
        EXPECT_EQ(fit.bClipped, c.clipped);
        EXPECT_EQ(fit.iNewWidth, c.newWidth);
        EXPECT_EQ(fit.iNewHeight, c.newHeight);
    }
}

}  // namespace
