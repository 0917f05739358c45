// The colour and time helpers that the engine and the Agent share: both builds must agree bit for
// bit, so each rule is pinned by a table.
#include <gtest/gtest.h>

#include <cstring>

#include "KvTestSupport.h"
#include "Udesktop.h"

namespace {

TEST(DesktopHelpers, ContrastColours)
{
    const struct {
        COLORREF color;
        COLORREF text;
        COLORREF highlight;
        // clang-format off
    } cases[] = {
        {RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 229, 138)},
        {RGB(150, 150, 150), RGB(255, 255, 255), RGB(255, 229, 138)},  // sum 450: still dark
        {RGB(151, 150, 150), RGB(0, 0, 0), RGB(127, 0, 0)},            // sum 451: light
        {RGB(255, 255, 255), RGB(0, 0, 0), RGB(127, 0, 0)},
        {RGB(255, 195, 0), RGB(255, 255, 255), RGB(255, 229, 138)},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(ContrastTextColor(c.color), c.text) << std::hex << c.color;
        EXPECT_EQ(ContrastHighlightColor(c.color), c.highlight) << std::hex << c.color;
    }
    EXPECT_EQ(ContrastHighlightColor(0), 0x008AE5FFu);
    EXPECT_EQ(ContrastHighlightColor(RGB(255, 255, 255)), 0x0000007Fu);
}

TEST(DesktopHelpers, ScaleColor)
{
    const struct {
        COLORREF color;
        int percent;
        COLORREF result;
        // clang-format off
    } cases[] = {
        {RGB(100, 50, 200), 0, RGB(100, 50, 200)},
        {RGB(100, 50, 200), -100, RGB(0, 0, 0)},
        {RGB(100, 50, 200), 100, RGB(200, 100, 255)},  // doubled, capped
        {RGB(100, 50, 200), -150, RGB(255, 255, 255)},  // below zero becomes 255
        {RGB(0, 50, 200), -150, RGB(0, 255, 255)},      // but zero stays zero
        // The frame's steps in exact double arithmetic: 100 x 0.8 is 80, not 79.
        {RGB(100, 150, 200), -20, RGB(80, 120, 160)},
        {RGB(100, 150, 200), -10, RGB(90, 135, 180)},
        {RGB(100, 150, 200), 10, RGB(110, 165, 220)},
        {RGB(100, 150, 200), 20, RGB(120, 180, 240)},
        {RGB(1, 2, 3), 2147483647, RGB(255, 255, 255)},
        {RGB(1, 2, 3), -2147483647 - 1, RGB(255, 255, 255)},
        {RGB(3, 5, 7), -50, RGB(1, 2, 3)},  // truncated toward zero
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(ScaleColor(c.color, c.percent), c.result)
            << std::hex << c.color << " " << std::dec << c.percent;
}

using testsupport::CalendarFileTime;
using testsupport::FileTimeFromUnits;
using testsupport::FileTimeUnits;

TEST(DesktopHelpers, FileTimeToDays)
{
    const uint64_t day = 864000000000ULL;
    EXPECT_EQ(FileTimeToDays(FileTimeFromUnits(0)), 0);
    EXPECT_EQ(FileTimeToDays(FileTimeFromUnits(day - 1)), 0);
    EXPECT_EQ(FileTimeToDays(FileTimeFromUnits(day)), 1);
    EXPECT_EQ(FileTimeToDays(CalendarFileTime(2000, 1, 1)), 145731);  // days from 1601-01-01
    EXPECT_EQ(FileTimeToDays(CalendarFileTime(2000, 1, 1, 23, 59, 59)), 145731);
    // A value with the top bit set reads as negative and truncates toward zero.
    EXPECT_EQ(FileTimeToDays(FileTimeFromUnits(0xFFFFFFFFFFFFFFFFULL)), 0);
    EXPECT_EQ(FileTimeToDays(FileTimeFromUnits(static_cast<uint64_t>(-static_cast<int64_t>(day)))), -1);
}

TEST(DesktopHelpers, FormatTimeStamp)
{
    const FILETIME time = CalendarFileTime(2024, 3, 5, 6, 7, 8);
    const struct {
        int maxLength;
        const char* text;
    } cases[] = {{50, "20240305060708"},
                 {15, "20240305060708"},
                 {14, "20240305060708"},
                 {8, "20240305"},
                 {1, "2"},
                 {0, ""}};
    for (const auto& c : cases) {
        char out[64];
        std::memset(out, 'x', sizeof out);
        EXPECT_EQ(FormatTimeStamp(time, out, c.maxLength), out);
        EXPECT_STREQ(out, c.text) << c.maxLength;
        // Nothing beyond the text and its zero is touched.
        EXPECT_EQ(out[std::strlen(c.text) + 1], 'x');
    }

    // A time the system cannot convert gives zeros, never a longer text.
    char out[20];
    std::memset(out, 'x', sizeof out);
    FormatTimeStamp(FileTimeFromUnits(0x8000000000000000ULL), out, 50);
    EXPECT_STREQ(out, "00000000000000");
    EXPECT_EQ(out[15], 'x');
}

TEST(DesktopHelpers, LocalFileTimeIsTheWallClock)
{
    SYSTEMTIME before;
    ::GetLocalTime(&before);
    FILETIME now;
    GetLocalFileTime(&now);
    FILETIME reference;
    ASSERT_TRUE(::SystemTimeToFileTime(&before, &reference));
    EXPECT_GE(FileTimeUnits(now), FileTimeUnits(reference));
    EXPECT_LT(FileTimeUnits(now) - FileTimeUnits(reference), 50000000ULL);  // within five seconds
}

TEST(DesktopHelpers, WineCountsAsXPOrLater)
{
    EXPECT_TRUE(IsWindowsXPOrLater());
}

}  // namespace
