// Defaults of the settings record and the icon-grid margins.
#include "Wcommon.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct MarginCase {
    const char* name;
    int iconX, iconY, screenX, screenY;
    RECT work;
    DWORD left, right, top, bottom;
};

// right = work.right - (screen - icon rounded down to whole icons) - 3;
// bottom = work.bottom - (screen - icon rounded down to whole icons).
const MarginCase kMarginCases[] = {
    {"1024x768, whole screen", 75, 75, 1024, 768, {0, 0, 1024, 768}, 72, 121, 70, 93},
    {"taskbar at the bottom", 75, 75, 1024, 768, {0, 0, 1024, 738}, 72, 121, 70, 63},
    {"taskbar at the top", 75, 75, 1024, 768, {0, 40, 1024, 768}, 72, 121, 30, 93},
    {"taskbar at the right", 75, 75, 1024, 768, {0, 0, 964, 768}, 72, 61, 70, 93},
    {"1920x1080, 90 spacing", 90, 90, 1920, 1080, {0, 0, 1920, 1080}, 87, 117, 85, 90},
    {"screen a whole number of icons", 64, 64, 1024, 768, {0, 0, 1024, 768}, 61, 61, 59, 64},
    // A work area that starts beyond one icon spacing wraps the left margin as a 32-bit value.
    {"left taskbar wider than an icon", 75, 75, 1024, 768, {100, 0, 1024, 768}, 0xFFFFFFE4u, 121, 70, 93},
    {"top taskbar wider than an icon", 75, 75, 1024, 768, {0, 100, 1024, 768}, 72, 121, 0xFFFFFFE2u, 93},
    // Without an icon spacing nothing is rounded.
    {"no icon spacing", 0, 0, 1024, 768, {0, 0, 1024, 768}, 0xFFFFFFFDu, 0xFFFFFFFDu, 0xFFFFFFFBu, 0},
};

}  // namespace

TEST(SettingsDefaults, IconMarginsTable)
{
    for (const MarginCase& c : kMarginCases) {
        const IconMargins m = ComputeIconMargins(c.iconX, c.iconY, c.screenX, c.screenY, c.work);
        EXPECT_EQ(m.dwLeft, c.left) << c.name;
        EXPECT_EQ(m.dwRight, c.right) << c.name;
        EXPECT_EQ(m.dwTop, c.top) << c.name;
        EXPECT_EQ(m.dwBottom, c.bottom) << c.name;
    }
}

TEST(SettingsDefaults, NullRecordIsIgnored)
{
    SetRegistryDefaults(nullptr, nullptr, true, true);
}

TEST(SettingsDefaults, WithoutWindowFontsAreArialAndMarginsOff)
{
    RegistryRecord record;
    std::memset(&record, 0xA5, sizeof(record));
    SetRegistryDefaults(nullptr, &record, false, false);
    EXPECT_STREQ(record.Display.szFileFontName, "Arial");
    EXPECT_STREQ(record.Calendar.szCalendarFontName, "Arial");
    EXPECT_STREQ(record.ScreenSaver.szFileFontName, "Arial");
    EXPECT_EQ(record.Display.dwMarginLeft, 0u);
    EXPECT_EQ(record.Display.dwMarginRight, 0u);
    EXPECT_EQ(record.Display.dwMarginTop, 0u);
    EXPECT_EQ(record.Display.dwMarginBottom, 0u);
    EXPECT_EQ(record.Display.bFrame, 0);
    EXPECT_EQ(record.Display.bUseMargins, 1);
    EXPECT_EQ(record.Calendar.bShow, 0);
    EXPECT_EQ(record.ScreenSaver.bShowFilePath, 0);
    EXPECT_EQ(record.Display.bShowFilePath, 0);
    // Every text beyond its end is zero, left from nothing that was in the record before.
    EXPECT_EQ(record.Files.szWorkBmpFile[0], '\0');
    EXPECT_EQ(record.Agent.szConflictingPrgs[0], '\0');
    EXPECT_EQ(record.Display.szFileFontName[sizeof(record.Display.szFileFontName) - 1], '\0');
    EXPECT_EQ(record.CurrentImage.ftLastChangeTime.dwLowDateTime, 0u);
    EXPECT_EQ(record.CurrentImage.ftLastChangeTime.dwHighDateTime, 0u);
    EXPECT_EQ(record.CurrentImage.dwTextColor, 0xFFFFFFu);
}

TEST(SettingsDefaults, ComputedMarginsFollowTheScreenAndTurnTheFrameOn)
{
    RegistryRecord record;
    SetRegistryDefaults(nullptr, &record, true, true);

    RECT work;
    ASSERT_TRUE(::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    const IconMargins expected =
        ComputeIconMargins(::GetSystemMetrics(SM_CXICONSPACING), ::GetSystemMetrics(SM_CYICONSPACING),
                           ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), work);
    EXPECT_EQ(record.Display.dwMarginLeft, expected.dwLeft);
    EXPECT_EQ(record.Display.dwMarginRight, expected.dwRight);
    EXPECT_EQ(record.Display.dwMarginTop, expected.dwTop);
    EXPECT_EQ(record.Display.dwMarginBottom, expected.dwBottom);
    EXPECT_EQ(record.Display.bFrame, 1);
    EXPECT_EQ(record.Calendar.bShow, 1);
}

TEST(SettingsDefaults, WithWindowFontsAreTheFoundFont)
{
    const HWND window = ::CreateWindowExA(0, "STATIC", "fonts", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                          ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    RegistryRecord record;
    SetRegistryDefaults(window, &record, false, false);
    const std::string found = FindDefaultFont(window);
    ::DestroyWindow(window);

    EXPECT_TRUE(found == "Tahoma" || found == "Arial") << found;
    EXPECT_EQ(found, record.Display.szFileFontName);
    EXPECT_EQ(found, record.Calendar.szCalendarFontName);
    EXPECT_EQ(found, record.ScreenSaver.szFileFontName);
}
