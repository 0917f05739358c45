// The sort keys of the wallpaper selection and the source of its random numbers.
#include <cstdio>
#include <ctime>

#include "Udesktop.h"
#include "Uselection.h"

namespace {

unsigned SecondsNow() { return static_cast<unsigned>(std::time(nullptr)); }

SelectionSeedSource g_SeedSource = &SecondsNow;

// Day of a 360-day year: twelve months of 30 days, a 31st counting as the next month's first.
int CalendarDay(const SYSTEMTIME& date) { return date.wMonth * 30 + date.wDay - 30; }

void AppendNumber(std::string& key, const char* format, unsigned long value)
{
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    key += text;
}

}  // namespace

SelectionSeedSource SetSelectionSeedSource(SelectionSeedSource source)
{
    const SelectionSeedSource previous = g_SeedSource;
    g_SeedSource = source ? source : &SecondsNow;
    return previous;
}

unsigned NextSelectionSeed() { return g_SeedSource(); }

DWORD SelectionDay(FILETIME time)
{
    const int64_t days = FileTimeToDays(time);
    if (days < 0) return 0;
    return days > 999999 ? 999999 : static_cast<DWORD>(days);
}

DWORD SeasonDistance(const SYSTEMTIME& today, FILETIME imageTime)
{
    SYSTEMTIME date{};
    if (!::FileTimeToSystemTime(&imageTime, &date)) return 0;
    int diff = CalendarDay(today) - CalendarDay(date);
    if (diff < 0) diff = -diff;
    int distance = diff < 360 - diff ? diff : 360 - diff;
    // Both days lie in 1..361, so only a malformed date reaches outside 0..180.
    if (distance < 30) distance = 0;
    if (distance > 180) distance = 180;
    return static_cast<DWORD>(distance);
}

std::string BuildSelectionKey(const SelectionKeyContext& context, DWORD shownCount, FILETIME lastWriteTime,
                              CSelectionRandom& random)
{
    std::string key;
    switch (context.dwPreference) {
    case SELECT_WITHOUT_PREFERENCES:
        AppendNumber(key, "%04lu", shownCount);
        break;
    case SELECT_PREFER_NEW_IMAGES: {
        AppendNumber(key, "%04lu", shownCount);
        // Newest first, blurred by a random number of days that grows with the age: below 3 days
        // for the newest image, about a third of the age difference for older ones.
        const DWORD day = SelectionDay(lastWriteTime);
        DWORD value = 999999 - day;
        if (context.dwMaxDays > 0) {
            const DWORD spread = (context.dwMaxDays - day) / 3 + 3;
            if (spread != 0) {
                const DWORD blur = random.NextBelow(spread);
                value = blur > value ? 0 : value - blur;
            }
        }
        AppendNumber(key, "%06lu", value);
        break;
    }
    case SELECT_PREFER_SEASON:
        AppendNumber(key, "%05lu", SeasonDistance(context.today, lastWriteTime) + shownCount);
        break;
    default:
        break;
    }
    AppendNumber(key, "%04lu", random.NextBelow(10000));
    return key;
}
