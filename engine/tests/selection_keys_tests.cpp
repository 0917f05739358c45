// The candidate keys, the random source and the size limits of the wallpaper selection.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "KvTestSupport.h"
#include "Uselection.h"
#include "Wcommon.h"

namespace {

FILETIME Utc(WORD year, WORD month, WORD day, WORD hour = 12)
{
    return testsupport::CalendarFileTime(year, month, day, hour);
}

SYSTEMTIME Date(WORD year, WORD month, WORD day)
{
    SYSTEMTIME time{};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    return time;
}

// The draws a fresh generator of this seed gives.
std::vector<unsigned> Draws(unsigned seed, int count)
{
    CSelectionRandom random(seed);
    std::vector<unsigned> draws;
    for (int i = 0; i < count; ++i)
        draws.push_back(random.Next());
    return draws;
}

std::string Digits(const char* format, unsigned long value)
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

struct SeasonCase {
    const char* name;
    SYSTEMTIME today;
    FILETIME image;
    DWORD distance;
};

TEST(SelectionKeys, SeasonDistanceOnTwelveMonthsOfThirtyDays)
{
    const SeasonCase cases[] = {
        {"same day", Date(2024, 6, 15), Utc(2024, 6, 15), 0},
        {"31 January is 1 February", Date(2024, 2, 1), Utc(2023, 1, 31), 0},
        {"29 days away counts as 0", Date(2024, 3, 1), Utc(2024, 3, 30), 0},
        {"30 days away counts as 30", Date(2024, 3, 1), Utc(2024, 1, 31) /* day 31 */, 30},
        {"30 days ahead", Date(2024, 3, 1), Utc(2024, 4, 1), 30},
        {"the year plays no part", Date(2024, 7, 10), Utc(1999, 9, 10), 60},
        {"across the year end", Date(2024, 12, 20), Utc(2020, 1, 5), 0},
        {"half a year at most", Date(2024, 1, 1), Utc(2024, 7, 1), 180},
        {"the other side of the year", Date(2024, 1, 1), Utc(2024, 9, 1), 120},
        {"a time the system cannot convert is neutral", Date(2024, 6, 15),
         testsupport::FileTimeFromUnits(0x8000000000000000ull), 0},
        {"the largest time is neutral too", Date(2024, 6, 15),
         testsupport::FileTimeFromUnits(0xFFFFFFFFFFFFFFFFull), 0},
    };
    for (const SeasonCase& c : cases)
        EXPECT_EQ(SeasonDistance(c.today, c.image), c.distance) << c.name;
}

TEST(SelectionKeys, SelectionDayIsClampedToSixDigits)
{
    EXPECT_EQ(SelectionDay(testsupport::FileTimeFromUnits(0)), 0u);
    EXPECT_EQ(SelectionDay(testsupport::FileTimeFromUnits(864000000000ull * 3 + 5)), 3u);
    EXPECT_EQ(SelectionDay(testsupport::FileTimeFromUnits(0x7FFFFFFFFFFFFFFFull)), 999999u);
    EXPECT_EQ(SelectionDay(testsupport::FileTimeFromUnits(0x8000000000000000ull)), 0u);
}

TEST(SelectionKeys, KeysOfEveryPreference)
{
    const unsigned seed = 12345;
    const std::vector<unsigned> draws = Draws(seed, 4);
    const FILETIME written = Utc(2024, 3, 1);
    const DWORD day = SelectionDay(written);

    struct KeyCase {
        const char* name;
        SelectionKeyContext context;
        DWORD count;
        FILETIME time;
        std::string key;
    };
    SelectionKeyContext none;
    SelectionKeyContext newest;
    newest.dwPreference = SELECT_PREFER_NEW_IMAGES;
    newest.dwMaxDays = day + 30;  // 30 days older than the newest: blur below 30 / 3 + 3 = 13
    SelectionKeyContext sameDay = newest;
    sameDay.dwMaxDays = day;  // the newest image itself: blur below 3
    SelectionKeyContext onlyOld = newest;
    onlyOld.dwMaxDays = 0;  // no image has a day: no blur and no draw for it
    SelectionKeyContext season;
    season.dwPreference = SELECT_PREFER_SEASON;
    season.today = Date(2024, 5, 1);  // 60 days after 1 March
    SelectionKeyContext other;
    other.dwPreference = 7;

    const KeyCase cases[] = {
        {"without preferences", none, 3, written, "0003" + Digits("%04lu", draws[0] % 10000)},
        {"counter above 9999 widens", none, 12345, written, "12345" + Digits("%04lu", draws[0] % 10000)},
        {"prefer new images", newest, 2, written,
         "0002" + Digits("%06lu", 999999 - day - draws[0] % 13) + Digits("%04lu", draws[1] % 10000)},
        {"prefer new images, newest day", sameDay, 0, written,
         "0000" + Digits("%06lu", 999999 - day - draws[0] % 3) + Digits("%04lu", draws[1] % 10000)},
        {"prefer new images, no days", onlyOld, 1, testsupport::FileTimeFromUnits(0),
         "0001999999" + Digits("%04lu", draws[0] % 10000)},
        {"prefer season adds the counter to the distance", season, 4, written,
         "00064" + Digits("%04lu", draws[0] % 10000)},
        {"any other preference", other, 9, written, Digits("%04lu", draws[0] % 10000)},
    };
    for (const KeyCase& c : cases) {
        CSelectionRandom random(seed);
        EXPECT_EQ(BuildSelectionKey(c.context, c.count, c.time, random), c.key) << c.name;
    }
}

TEST(SelectionKeys, SameSeedSameDraws)
{
    EXPECT_EQ(Draws(1700000000u, 50), Draws(1700000000u, 50));
    EXPECT_NE(Draws(1700000000u, 50), Draws(1700000001u, 50));
    for (unsigned value : Draws(99, 1000))
        EXPECT_LE(value, 0x7FFFu);
}

unsigned FixedSeed()
{
    return 424242;
}

TEST(SelectionKeys, TheSeedSourceCanBeReplacedAndRestored)
{
    const SelectionSeedSource clock = SetSelectionSeedSource(&FixedSeed);
    EXPECT_EQ(NextSelectionSeed(), 424242u);
    SetSelectionSeedSource(nullptr);
    // The clock again: two selections within one second, as two quick changes make, draw
    // different keys.
    std::set<unsigned> seeds;
    std::set<std::vector<unsigned>> firstDraws;
    for (int i = 0; i < 8; ++i) {
        const unsigned seed = NextSelectionSeed();
        seeds.insert(seed);
        firstDraws.insert(Draws(seed, 4));
    }
    EXPECT_EQ(seeds.size(), 8u);
    EXPECT_EQ(firstDraws.size(), 8u);
    SetSelectionSeedSource(clock);
}

TEST(SelectionKeys, SizeAndRatioLimitsAreStrict)
{
    DisplaySettings display{};
    display.dwMinSize = 400;
    display.dwMaxSize = 4000;
    display.dwMinRatio = 50;
    struct LimitCase {
        DWORD width, height;
        bool fits;
    };
    const LimitCase cases[] = {
        {401, 401, true},    {400, 400, false},   {401, 400, false}, {3999, 3000, true},
        {4000, 3000, false}, {3000, 4000, false}, {0, 600, false},   {600, 0, false},
        {1000, 500, false},  // ratio 50 is not above 50
        {1000, 501, false},  {1000, 510, true},   {510, 1000, true}, {4294967295u, 500, false},
    };
    for (const LimitCase& c : cases)
        EXPECT_EQ(MeetsSelectionLimits(display, c.width, c.height), c.fits) << c.width << " x " << c.height;

    display.dwMaxSize = 0xFFFFFFFF;  // large sides must not overflow the ratio
    EXPECT_FALSE(MeetsSelectionLimits(display, 3000000000u, 500));
    EXPECT_TRUE(MeetsSelectionLimits(display, 3000000000u, 2000000000u));
}

}  // namespace
