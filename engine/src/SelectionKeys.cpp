// The sort keys of the wallpaper selection and the source of its random numbers.
#include <cstdint>
#include <ctime>

#include "UFileSort.h"
#include "Udesktop.h"
#include "Uselection.h"

namespace {

// The finalizer of splitmix64: every input bit moves about half the output bits, so two clock
// readings a few counts apart give unrelated seeds.
uint64_t Scramble(uint64_t x)
{
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

SelectionSeedSource g_SeedSource = &ClockSeed;

// Day of a 360-day year: twelve months of 30 days, a 31st counting as the next month's first.
int CalendarDay(const SYSTEMTIME& date)
{
    return date.wMonth * 30 + date.wDay - 30;
}

// Writes the number in decimal with leading zeros up to `width` digits, wider when it needs more:
// what printf's "%0.4d" style gives, without its cost (a selection builds a key for every image).
char* AppendNumber(char* out, int width, unsigned long value)
{
    char digits[16];
    int length = 0;
    do {
        digits[length++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int i = length; i < width; ++i)
        *out++ = '0';
    while (length > 0)
        *out++ = digits[--length];
    return out;
}

}  // namespace

unsigned ClockSeed()
{
    LARGE_INTEGER counter{};
    ::QueryPerformanceCounter(&counter);
    const uint64_t seconds = static_cast<uint64_t>(std::time(nullptr));
    const uint64_t mixed =
        Scramble(seconds ^ Scramble(static_cast<uint64_t>(counter.QuadPart)) ^
                 (static_cast<uint64_t>(::GetTickCount()) << 32) ^ ::GetCurrentProcessId());
    return static_cast<unsigned>(mixed ^ (mixed >> 32));
}

SelectionSeedSource SetSelectionSeedSource(SelectionSeedSource source)
{
    const SelectionSeedSource previous = g_SeedSource;
    g_SeedSource = source ? source : &ClockSeed;
    return previous;
}

unsigned NextSelectionSeed()
{
    return g_SeedSource();
}

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

size_t BuildSelectionKey(const SelectionKeyContext& context, DWORD shownCount, FILETIME lastWriteTime,
                         CSelectionRandom& random, char* key)
{
    // At most ten digits of a counter, six of a date and four random ones.
    static_assert(10 + 6 + 4 < kSortKeySize, "the longest key must fit");
    char* out = key;
    switch (context.dwPreference) {
    case SELECT_WITHOUT_PREFERENCES:
        out = AppendNumber(out, 4, shownCount);
        break;
    case SELECT_PREFER_NEW_IMAGES: {
        out = AppendNumber(out, 4, shownCount);
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
        out = AppendNumber(out, 6, value);
        break;
    }
    case SELECT_PREFER_SEASON:
        out = AppendNumber(out, 5, SeasonDistance(context.today, lastWriteTime) + shownCount);
        break;
    default:
        break;
    }
    out = AppendNumber(out, 4, random.NextBelow(10000));
    *out = '\0';
    return static_cast<size_t>(out - key);
}

std::string BuildSelectionKey(const SelectionKeyContext& context, DWORD shownCount, FILETIME lastWriteTime,
                              CSelectionRandom& random)
{
    char key[kSortKeySize];
    const size_t length = BuildSelectionKey(context, shownCount, lastWriteTime, random, key);
    return std::string(key, length);
}
