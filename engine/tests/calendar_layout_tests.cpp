// The month calendar's layout, recorded through its text sink with fixed metrics (the width of
// "0" is 8, its height 12) and a fixed "today": where each month, title, weekday name and day
// number goes, for every corner and organisation, across year ends and for both first weekdays.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Ucalendar.h"
#include "Upaintabledib.h"
#include "Usettingstable.h"
#include "Wcommon.h"
#include "composition_support.h"

namespace {

constexpr int kCw = 8;
constexpr int kCh = 12;
constexpr int kBlockWidth = 20 * kCw;
constexpr int kBlockHeight = 8 * kCh;
constexpr COLORREF kText = RGB(1, 1, 1);
constexpr COLORREF kHighlight = RGB(2, 2, 2);
constexpr COLORREF kOutline = RGB(3, 3, 3);

struct Drawn {
    int x, y;
    std::string text;
    UINT align;
    bool bold;
    COLORREF color;
};

class Recorder : public CCalendarTextSink {
public:
    SIZE Measure(const char* text, bool bold) override
    {
        return SIZE{(bold ? 10 : kCw) * static_cast<LONG>(std::strlen(text)), kCh};
    }
    void Draw(int x, int y, const char* text, UINT align, bool bold, COLORREF color) override
    {
        items.push_back(Drawn{x, y, text, align, bold, color});
    }
    // What the main pass drew (not the outline copies), with the given alignment.
    std::vector<Drawn> Main(UINT align) const
    {
        std::vector<Drawn> out;
        for (const Drawn& d : items)
            if (d.color != kOutline && d.align == align) out.push_back(d);
        return out;
    }
    std::vector<Drawn> Titles() const { return Main(TA_LEFT | TA_TOP); }
    std::vector<Drawn> Days() const { return Main(TA_RIGHT | TA_TOP); }

    std::vector<Drawn> items;
};

std::string LocaleMonthName(int month)
{
    SYSTEMTIME date = {2000, static_cast<WORD>(month), 0, 1, 12, 0, 0, 0};
    char name[100] = {};
    ::GetDateFormatA(LOCALE_USER_DEFAULT, 0, &date, "MMMM", name, sizeof name);
    return name;
}

// Monday 0 ... Sunday 6 of the 1st of a month, by Sakamoto's rule rather than the system's clock.
int MondayIndexOfFirst(int year, int month)
{
    static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3) --year;
    const int sunday0 = (year + year / 4 - year / 100 + year / 400 + offsets[month - 1] + 1) % 7;
    return (sunday0 + 6) % 7;
}

// Sets the user's first day of the week for the test and puts the old one back afterwards.
class FirstDayOfWeek {
public:
    explicit FirstDayOfWeek(const char* day)
    {
        m_iOldLength = ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, m_szOld, sizeof m_szOld);
        m_bSet = ::SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, day) != FALSE;
    }
    ~FirstDayOfWeek()
    {
        if (m_bSet && m_iOldLength > 0)
            ::SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, m_szOld);
    }
    bool IsSet() const { return m_bSet; }

private:
    char m_szOld[10] = {};
    int m_iOldLength = 0;
    bool m_bSet = false;
};

class CalendarLayout : public ::testing::Test {
protected:
    kvtest::FixedEnvironment m_Environment{1024, 768, RECT{0, 0, 1024, 768}};
    CDesktopEnvironmentOverride m_Use{m_Environment};
    CCalendar m_Calendar;
    Recorder m_Sink;

    void Prepare(bool highlight = true)
    {
        m_Calendar.Init(true, highlight);
        const HDC dc = ::CreateCompatibleDC(nullptr);
        m_Calendar.SetFont(dc, "Arial", 8, DEFAULT_CHARSET, kText, kHighlight, kOutline, true);
        ::DeleteDC(dc);
    }
    void Paint(RECT area, bool inRows, int dx, int dy, DWORD maxPer, DWORD before, DWORD after,
               DWORD position)
    {
        m_Calendar.Paint(m_Sink, area.left, area.top, area.right, area.bottom, inRows, dx, dy, maxPer, before,
                         after, position);
    }
    // Where a month's title goes for a block at (x, y): left of x by half the first weekday name
    // beyond one digit's width, never right of it.
    int TitleX(int x) const
    {
        const int first =
            static_cast<int>(std::strlen(m_Calendar.GetDayName(m_Calendar.GetFirstDayOfWeek())));
        const int head = x + kCw - first * kCw / 2;
        return head < x ? head : x;
    }
    void ExpectBlocks(const std::vector<POINT>& blocks)
    {
        const std::vector<Drawn> titles = m_Sink.Titles();
        ASSERT_EQ(titles.size(), blocks.size());
        for (size_t k = 0; k < blocks.size(); ++k) {
            EXPECT_EQ(titles[k].x, TitleX(blocks[k].x)) << "month " << k;
            EXPECT_EQ(titles[k].y, blocks[k].y) << "month " << k;
        }
    }
};

const RECT kScreen = {0, 0, 1024, 768};

TEST_F(CalendarLayout, DefaultsGiveOneColumnAtTheTopRight)
{
    Prepare();
    Paint(kScreen, false, 10, 10, 5, 1, 2, 0);
    const int x = 1024 - kBlockWidth - 10;
    ExpectBlocks({{x, 10}, {x, 10 + 108}, {x, 10 + 216}, {x, 10 + 324}});
    const std::vector<Drawn> titles = m_Sink.Titles();
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(titles[k].text, LocaleMonthName(5 + k));  // May to August
}

TEST_F(CalendarLayout, RowsOfAtMostFive)
{
    Prepare();
    // Top left: columns start at the left edge, each 20 + 3 character widths apart.
    Paint(kScreen, true, 10, 10, 5, 3, 3, 2);
    ExpectBlocks({{10, 10}, {194, 10}, {378, 10}, {562, 10}, {746, 10}, {10, 118}, {194, 118}});
    m_Sink.items.clear();
    // Top right: the grid is five columns wide, so the second row stands under the first two.
    Paint(kScreen, true, 10, 10, 5, 3, 3, 0);
    ExpectBlocks({{118, 10}, {302, 10}, {486, 10}, {670, 10}, {854, 10}, {118, 118}, {302, 118}});
}

TEST_F(CalendarLayout, Corners)
{
    Prepare();
    const struct {
        DWORD position;
        int x;
        bool top;
    } cases[] = {{0, 854, true}, {1, 854, false}, {2, 10, true}, {3, 10, false}, {7, 10, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.position);
        m_Sink.items.clear();
        Paint(kScreen, false, 10, 20, 5, 0, 1, c.position);
        // Bottom: 768 - 2 blocks - 1 row gap - 20 for the first, one block and gap lower the next.
        const int first = c.top ? 20 : 768 - 2 * kBlockHeight - kCh - 20;
        ExpectBlocks({{c.x, first}, {c.x, first + kBlockHeight + kCh}});
    }
}

TEST_F(CalendarLayout, FollowsTheWorkArea)
{
    Prepare();
    Paint(RECT{60, 30, 1000, 700}, false, 10, 10, 5, 0, 0, 2);
    ExpectBlocks({{70, 40}});
    m_Sink.items.clear();
    Paint(RECT{60, 30, 1000, 700}, false, 10, 10, 5, 0, 0, 1);
    ExpectBlocks({{1000 - kBlockWidth - 10, 700 - kBlockHeight - 10}});
}

// Where day 1 of the block at (x, y) goes, given the weekday of that 1st.
POINT DayOne(int x, int y, int mondayIndex, int firstDay)
{
    const int column = (mondayIndex - firstDay + 7) % 7;
    return POINT{x + 2 * kCw + 3 * kCw * column, y + 2 * kCh};
}

TEST_F(CalendarLayout, YearWrapsBothWays)
{
    // Today in December with one month after, and in January with one month before: both show a
    // December above a January, and day 1 of each falls on its own year's weekday.
    const struct {
        int todayYear, todayMonth;
        DWORD before, after;
        int decemberYear, januaryYear;
    } cases[] = {{2025, 12, 0, 1, 2025, 2026}, {2025, 1, 1, 0, 2024, 2025}};
    Prepare();
    const int fdw = m_Calendar.GetFirstDayOfWeek();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.todayMonth);
        m_Environment.SetDate(c.todayYear, c.todayMonth, 10);
        m_Sink.items.clear();
        Paint(kScreen, false, 10, 10, 5, c.before, c.after, 2);
        const std::vector<Drawn> titles = m_Sink.Titles();
        ASSERT_EQ(titles.size(), 2u);
        EXPECT_EQ(titles[0].text, LocaleMonthName(12));
        EXPECT_EQ(titles[1].text, LocaleMonthName(1));
        std::vector<Drawn> ones;
        for (const Drawn& d : m_Sink.Days())
            if (d.text == "1") ones.push_back(d);
        ASSERT_EQ(ones.size(), 2u);
        const POINT december = DayOne(10, 10, MondayIndexOfFirst(c.decemberYear, 12), fdw);
        const POINT january = DayOne(10, 10 + 108, MondayIndexOfFirst(c.januaryYear, 1), fdw);
        EXPECT_EQ(ones[0].x, december.x);
        EXPECT_EQ(ones[0].y, december.y);
        EXPECT_EQ(ones[1].x, january.x);
        EXPECT_EQ(ones[1].y, january.y);
    }
}

TEST_F(CalendarLayout, SundayAsFirstDay)
{
    const FirstDayOfWeek sunday("6");
    if (!sunday.IsSet()) GTEST_SKIP() << "the locale's first day cannot be set here";
    Prepare();
    ASSERT_EQ(m_Calendar.GetFirstDayOfWeek(), 6);
    m_Environment.SetDate(2025, 6, 15);  // June 2025 begins on a Sunday
    Paint(kScreen, false, 10, 10, 5, 0, 0, 2);

    const std::vector<Drawn> names = m_Sink.Main(TA_CENTER | TA_TOP);
    ASSERT_EQ(names.size(), 7u);
    EXPECT_EQ(names[0].text, m_Calendar.GetDayName(6));
    EXPECT_EQ(names[1].text, m_Calendar.GetDayName(0));
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(names[i].x, 10 + kCw + 3 * kCw * i);
        EXPECT_EQ(names[i].y, 10 + kCh);
    }
    const std::vector<Drawn> days = m_Sink.Days();
    ASSERT_EQ(days.size(), 30u);
    EXPECT_EQ(days[0].x, 10 + 2 * kCw);  // the 1st in the first column
    EXPECT_EQ(days[0].y, 10 + 2 * kCh);
    EXPECT_EQ(days[29].text, "30");  // Monday the 30th: second column, fifth week
    EXPECT_EQ(days[29].x, 10 + 2 * kCw + 3 * kCw);
    EXPECT_EQ(days[29].y, 10 + 6 * kCh);
}

TEST_F(CalendarLayout, ALongMonthStartingOnTheLastColumnUsesSixRows)
{
    const FirstDayOfWeek monday("0");
    if (!monday.IsSet()) GTEST_SKIP() << "the locale's first day cannot be set here";
    Prepare();
    ASSERT_EQ(m_Calendar.GetFirstDayOfWeek(), 0);
    m_Environment.SetDate(2024, 12, 5);  // December 2024 begins on a Sunday
    Paint(kScreen, false, 10, 10, 5, 0, 0, 2);
    const std::vector<Drawn> days = m_Sink.Days();
    ASSERT_EQ(days.size(), 31u);
    EXPECT_EQ(days[0].x, 10 + 2 * kCw + 3 * kCw * 6);
    EXPECT_EQ(days[0].y, 10 + 2 * kCh);
    EXPECT_EQ(days[30].x, 10 + 2 * kCw + 3 * kCw * 1);  // Tuesday the 31st
    EXPECT_EQ(days[30].y, 10 + 7 * kCh);
}

TEST_F(CalendarLayout, MaxMonthsZeroCountsAsOne)
{
    Prepare();
    Paint(kScreen, false, 10, 10, 0, 1, 2, 2);
    ExpectBlocks({{10, 10}, {194, 10}, {378, 10}, {562, 10}});
    m_Sink.items.clear();
    Paint(kScreen, true, 10, 10, 0, 0, 2, 2);
    ExpectBlocks({{10, 10}, {10, 118}, {10, 226}});
}

TEST_F(CalendarLayout, CountsAreKeptToTheDialogsRange)
{
    constexpr int kBefore = static_cast<int>(SettingNamed(kCalendarValues, "MonthsBefore").range.max);
    constexpr int kAfter = static_cast<int>(SettingNamed(kCalendarValues, "MonthsAfter").range.max);
    constexpr int kPerLine = static_cast<int>(SettingNamed(kCalendarValues, "MaxMonths").range.max);
    static_assert(kPerLine < kBefore + 1 + kAfter, "the months fill more than one row");
    Prepare();
    Paint(kScreen, true, 10, 10, 1000, 1000, 0xFFFFFFFF, 2);
    const std::vector<Drawn> titles = m_Sink.Titles();
    ASSERT_EQ(titles.size(), static_cast<size_t>(kBefore + 1 + kAfter));
    // A full row: the month after it starts the second row.
    EXPECT_EQ(titles[kPerLine].x, TitleX(10));
    EXPECT_EQ(titles[kPerLine].y, 118);
    // The months run on from before June 2025; only the current one is highlighted.
    for (int k = 0; k < kBefore + 1 + kAfter; ++k) {
        EXPECT_EQ(titles[k].text, LocaleMonthName(((5 - kBefore + k) % 12 + 12) % 12 + 1)) << k;
        EXPECT_EQ(titles[k].color, k == kBefore ? kHighlight : kText) << k;
    }
}

TEST_F(CalendarLayout, TodayIsBoldInEveryPassAndHighlightedInTheMainOne)
{
    Prepare(true);
    Paint(kScreen, false, 10, 10, 5, 0, 0, 2);
    std::vector<Drawn> fifteenth;
    for (const Drawn& d : m_Sink.items)
        if (d.text == "15" && d.align == (TA_RIGHT | TA_TOP)) fifteenth.push_back(d);
    ASSERT_EQ(fifteenth.size(), 9u);
    for (size_t i = 0; i < 9; ++i) {
        EXPECT_TRUE(fifteenth[i].bold);
        EXPECT_EQ(fifteenth[i].color, i == 8 ? kHighlight : kOutline);
    }
    for (const Drawn& d : m_Sink.Days())
        if (d.text != "15") {
            EXPECT_FALSE(d.bold) << d.text;
        }

    // The eight outline copies lie around the main text, in this order.
    std::vector<Drawn> titles;
    for (const Drawn& d : m_Sink.items)
        if (d.align == (TA_LEFT | TA_TOP)) titles.push_back(d);
    ASSERT_EQ(titles.size(), 9u);
    const int steps[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(titles[i].x - titles[8].x, steps[i][0]);
        EXPECT_EQ(titles[i].y - titles[8].y, steps[i][1]);
        EXPECT_EQ(titles[i].color, kOutline);
        EXPECT_TRUE(titles[i].bold);
    }
    EXPECT_EQ(titles[8].color, kHighlight);
}

TEST_F(CalendarLayout, WithoutHighlightNothingUsesTheHighlightColour)
{
    Prepare(false);
    Paint(kScreen, false, 10, 10, 5, 1, 1, 2);
    for (const Drawn& d : m_Sink.items) {
        EXPECT_NE(d.color, kHighlight) << d.text;
        if (d.align == (TA_RIGHT | TA_TOP)) {
            EXPECT_FALSE(d.bold) << d.text;
        }
        if (d.align == (TA_LEFT | TA_TOP)) {
            EXPECT_TRUE(d.bold) << d.text;
        }
    }
}

TEST(CalendarLocale, NamesComeFromTheLocale)
{
    CCalendar calendar;
    calendar.Init(false, false);
    for (int month = 1; month <= 12; ++month)
        EXPECT_EQ(calendar.GetMonthName(month), LocaleMonthName(month));
    for (int day = 0; day < 7; ++day) {
        SYSTEMTIME date = {2000, 1, 0, static_cast<WORD>(3 + day), 12, 0, 0, 0};
        char name[10] = {};
        ::GetDateFormatA(LOCALE_USER_DEFAULT, 0, &date, "ddd", name, sizeof name);
        name[2] = '\0';
        EXPECT_STREQ(calendar.GetDayName(day), name);
    }
    EXPECT_STREQ(calendar.GetMonthName(0), "");
    EXPECT_STREQ(calendar.GetDayName(7), "");
}

TEST(CalendarLocale, FirstDayOfWeekOnlyFromADigitZeroToSix)
{
    const struct {
        const char* text;
        int length;
        int day;
    } cases[] = {{"0", 2, 0}, {"3", 2, 3}, {"6", 2, 6}, {"7", 2, 0},    {"9", 2, 0},
                 {"-", 2, 0}, {"", 1, 0},  {"5", 0, 0}, {nullptr, 2, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(ParseFirstDayOfWeek(c.text, c.length), c.day) << (c.text ? c.text : "null");
}

// The width of "0" in the calendar's font, measured here without the calendar.
int DigitWidth(const char* face, int points)
{
    const HDC dc = ::CreateCompatibleDC(nullptr);
    const HFONT font =
        ::CreateFontA(-::MulDiv(points, ::GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, 0, FALSE, FALSE, FALSE,
                      DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                      DEFAULT_PITCH | FF_SWISS, face);
    const HGDIOBJ old = ::SelectObject(dc, font);
    SIZE size = {};
    ::GetTextExtentPoint32A(dc, "0", 1, &size);
    ::SelectObject(dc, old);
    ::DeleteObject(font);
    ::DeleteDC(dc);
    return size.cx;
}

TEST(CalendarMargin, ReservesOneColumnOfMonths)
{
    kvtest::FixedEnvironment environment(64, 48, RECT{0, 0, 64, 48});
    const CDesktopEnvironmentOverride use(environment);
    RegistryRecord record = {};
    SetRegistryDefaults(nullptr, &record, false, true);
    lstrcpyA(record.Calendar.szCalendarFontName, "Arial");
    record.Calendar.dwCalendarFontSize = 8;
    record.Calendar.dwHorMargin = 10;
    record.Display.dwMarginRight = 50;
    const int width = DigitWidth("Arial", 8);
    ASSERT_GT(width, 0);
    RecalcRightMarginForCalendar(record);
    EXPECT_EQ(record.Display.dwMarginRight, static_cast<DWORD>(20 * width + 2 * 10 - 3));

    // No calendar, or no right margin at all: nothing changes.
    record.Display.dwMarginRight = 50;
    record.Calendar.bShow = 0;
    RecalcRightMarginForCalendar(record);
    EXPECT_EQ(record.Display.dwMarginRight, 50u);
    record.Calendar.bShow = 1;
    record.Display.dwMarginRight = 0;
    RecalcRightMarginForCalendar(record);
    EXPECT_EQ(record.Display.dwMarginRight, 0u);
}

TEST(CalendarMargin, ThroughTheEngineExport)
{
    const HMODULE engine = ::LoadLibraryA("KvApi.dll");
    ASSERT_NE(engine, nullptr);
    using Recalc = void(__stdcall*)(RegistryRecord*);
    const auto recalc = reinterpret_cast<Recalc>(
        reinterpret_cast<void*>(::GetProcAddress(engine, "WpApi_RecalcRightMarginForCalendar")));
    ASSERT_NE(recalc, nullptr);
    RegistryRecord record = {};
    SetRegistryDefaults(nullptr, &record, false, true);
    lstrcpyA(record.Calendar.szCalendarFontName, "Arial");
    record.Calendar.dwCalendarFontSize = 10;
    record.Calendar.dwHorMargin = 7;
    record.Display.dwMarginRight = 1;
    recalc(&record);
    EXPECT_EQ(record.Display.dwMarginRight, static_cast<DWORD>(20 * DigitWidth("Arial", 10) + 2 * 7 - 3));
    recalc(nullptr);  // refused by the export, no crash
    ::FreeLibrary(engine);
}

TEST(CalendarOnCanvas, InkStaysInsideTheMonthBlocks)
{
    kvtest::FixedEnvironment environment(400, 300, RECT{0, 0, 400, 300});
    const CDesktopEnvironmentOverride use(environment);
    CPaintableDib canvas(400, 300);
    ASSERT_TRUE(canvas.CreateCanvas());
    canvas.Clear(RGB(0, 0, 0));
    const HDC dc = canvas.GetDC();
    ASSERT_NE(dc, nullptr);
    CCalendar calendar;
    calendar.Init(true, true);
    calendar.SetFont(dc, "Arial", 8, DEFAULT_CHARSET, RGB(255, 255, 255), RGB(255, 229, 138), RGB(0, 0, 0),
                     true);
    const int width = calendar.GetMonthWidth(dc);
    const int height = calendar.GetMonthHeight(dc);
    const int ch = calendar.GetCharHeight(dc);
    const int cw = calendar.GetCharWidth(dc);
    calendar.Paint(dc, 0, 0, 400, 300, false, 10, 10, 5, 0, 1, 0);
    canvas.ReleaseDC(dc);

    // Two blocks at the top right; the title may start half a weekday name left of its block and
    // every text has a one-pixel outline.
    const RECT box = {400 - width - 10 - cw - 2, 10 - 1, 400 - 10 + 2, 10 + 2 * height + ch + 1};
    const BYTE* bits = static_cast<const BYTE*>(canvas.GetBits());
    const size_t row = (3 * 400 + 3) / 4 * 4;
    int ink = 0, outside = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) {
            const BYTE* p = bits + row * y + 3 * x;
            if (p[0] == 0 && p[1] == 0 && p[2] == 0) continue;
            ++ink;
            if (x < box.left || x >= box.right || y < box.top || y >= box.bottom) ++outside;
        }
    EXPECT_GT(ink, 100);
    EXPECT_EQ(outside, 0);
}

}  // namespace
