#include "Ucalendar.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "URecordText.h"
#include "UTxLog.h"
#include "UTxTime.h"
#include "Uenvironment.h"
#include "Upaintabledib.h"
#include "Usettingstable.h"
#include "Wcommon.h"

namespace {

constexpr int kBoldWeight = 700;
// Months placed further away than this cannot touch any screen; they are not drawn at all.
constexpr int64_t kFarAway = 1000000;

HFONT CreateCalendarFont(int height, int weight, int charSet, bool antialias, const char* faceName)
{
    return ::CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, static_cast<DWORD>(charSet),
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                         antialias ? ANTIALIASED_QUALITY : NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS,
                         faceName);
}

// The calendar's text on a drawing context, each call in the font, alignment and colour it asks
// for. A month takes hundreds of texts, so the context is only changed where a text differs from
// the one before; it gets its own font back at the end.
class CGdiCalendarText final : public CCalendarTextSink {
public:
    CGdiCalendarText(HDC dc, HGDIOBJ normalFont, HGDIOBJ boldFont)
        : m_hDC(dc), m_hNormal(normalFont), m_hBold(boldFont)
    {
        ::SetBkMode(m_hDC, TRANSPARENT);
    }
    CGdiCalendarText(const CGdiCalendarText&) = delete;
    CGdiCalendarText& operator=(const CGdiCalendarText&) = delete;
    ~CGdiCalendarText() override
    {
        if (m_hOriginalFont) ::SelectObject(m_hDC, m_hOriginalFont);
    }

    SIZE Measure(const char* text, bool bold) override
    {
        SIZE size = {};
        UseFont(bold);
        ::GetTextExtentPoint32A(m_hDC, text, static_cast<int>(std::strlen(text)), &size);
        return size;
    }

    void Draw(int x, int y, const char* text, UINT align, bool bold, COLORREF color) override
    {
        UseFont(bold);
        if (!m_bStateSet || align != m_uAlign) ::SetTextAlign(m_hDC, align);
        if (!m_bStateSet || color != m_crColor) ::SetTextColor(m_hDC, color);
        m_bStateSet = true;
        m_uAlign = align;
        m_crColor = color;
        ::TextOutA(m_hDC, x, y, text, static_cast<int>(std::strlen(text)));
    }

private:
    void UseFont(bool bold)
    {
        const HGDIOBJ font = bold ? m_hBold : m_hNormal;
        if (!font || font == m_hCurrentFont) return;
        const HGDIOBJ previous = ::SelectObject(m_hDC, font);
        if (!m_hOriginalFont) m_hOriginalFont = previous;
        m_hCurrentFont = font;
    }

    HDC m_hDC;
    HGDIOBJ m_hNormal;
    HGDIOBJ m_hBold;
    HGDIOBJ m_hOriginalFont = nullptr;
    HGDIOBJ m_hCurrentFont = nullptr;
    bool m_bStateSet = false;
    UINT m_uAlign = 0;
    COLORREF m_crColor = 0;
};

// The registry's counts are kept to the bounds the Manager offers, except that no month before or
// after the current one is a calendar too.
constexpr SettingRange kMonthsPerLine = SettingNamed(kCalendarValues, "MaxMonths").range;
constexpr SettingRange kMonthsBefore{0, SettingNamed(kCalendarValues, "MonthsBefore").range.max};
constexpr SettingRange kMonthsAfter{0, SettingNamed(kCalendarValues, "MonthsAfter").range.max};

bool SameDay(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay;
}

constexpr uint64_t kUnitsPerDay = 24ULL * 60 * 60 * 10000000;

}  // namespace

int ParseFirstDayOfWeek(const char* localeText, int length)
{
    if (!localeText || length <= 0) return 0;
    const char first = localeText[0];
    return first >= '0' && first <= '6' ? first - '0' : 0;
}

CCalendar::CCalendar() = default;
CCalendar::~CCalendar() = default;

void CCalendar::Init(bool antialias, bool highlightToday)
{
    char firstDay[10] = {};
    const int length =
        ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, firstDay, sizeof firstDay);
    m_iFirstDayOfWeek = ParseFirstDayOfWeek(firstDay, length);
    m_bHighlightToday = highlightToday;

    // Names the locale cannot give stay empty rather than undefined.
    SYSTEMTIME date = {};
    date.wYear = 2000;
    date.wDay = 1;
    date.wHour = 12;
    for (int month = 1; month <= 12; ++month) {
        date.wMonth = static_cast<WORD>(month);
        char* name = m_szMonthNames[month - 1];
        if (::GetDateFormatA(LOCALE_USER_DEFAULT, 0, &date, "MMMM", name, sizeof m_szMonthNames[0]) == 0)
            name[0] = '\0';
    }
    // 2000-01-03 was a Monday.
    date.wMonth = 1;
    for (int day = 0; day < 7; ++day) {
        date.wDay = static_cast<WORD>(3 + day);
        date.wDayOfWeek = static_cast<WORD>((day + 1) % 7);
        char* name = m_szDayNames[day];
        if (::GetDateFormatA(LOCALE_USER_DEFAULT, 0, &date, "ddd", name, sizeof m_szDayNames[0]) == 0)
            name[0] = '\0';
        name[2] = '\0';
    }

    m_hFont.reset(CreateCalendarFont(20, 0, DEFAULT_CHARSET, antialias, "Arial"));
    m_hBoldFont.reset(CreateCalendarFont(20, kBoldWeight, DEFAULT_CHARSET, antialias, "Arial"));
}

void CCalendar::SetFont(HDC dc, const char* faceName, int points, int charSet, COLORREF textColor,
                        COLORREF highlightColor, COLORREF outlineColor, bool antialias)
{
    m_crTextColor = textColor;
    m_crHighlightColor = highlightColor;
    m_crOutlineColor = outlineColor;

    const int height = ::MulDiv(points, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
    const char* face = faceName ? faceName : "";
    m_hFont.reset(CreateCalendarFont(-height, 0, charSet, antialias, face));
    m_hBoldFont.reset(CreateCalendarFont(-height, kBoldWeight, charSet, antialias, face));
}

int CCalendar::GetCharWidth(HDC dc) const
{
    CGdiCalendarText text(dc, m_hFont.get(), m_hBoldFont.get());
    return text.Measure("0", false).cx;
}

int CCalendar::GetCharHeight(HDC dc) const
{
    CGdiCalendarText text(dc, m_hFont.get(), m_hBoldFont.get());
    return text.Measure("0", false).cy;
}

const char* CCalendar::GetMonthName(int month) const
{
    return month >= 1 && month <= 12 ? m_szMonthNames[month - 1] : "";
}

const char* CCalendar::GetDayName(int day) const
{
    return day >= 0 && day < 7 ? m_szDayNames[day] : "";
}

void CCalendar::Paint(HDC dc, int left, int top, int right, int bottom, bool inRows, int dx, int dy,
                      DWORD maxPerLine, DWORD before, DWORD after, DWORD position)
{
    CGdiCalendarText text(dc, m_hFont.get(), m_hBoldFont.get());
    Paint(text, left, top, right, bottom, inRows, dx, dy, maxPerLine, before, after, position);
}

void CCalendar::Paint(CCalendarTextSink& sink, int left, int top, int right, int bottom, bool inRows, int dx,
                      int dy, DWORD maxPerLine, DWORD before, DWORD after, DWORD position)
{
    // A 0 from the registry would divide by zero; huge counts would draw months for minutes
    // while the engine lock is held.
    const int64_t perLine = kMonthsPerLine.Clamp(maxPerLine);
    const int64_t monthsBefore = kMonthsBefore.Clamp(before);
    const int64_t months = monthsBefore + kMonthsAfter.Clamp(after) + 1;

    const SIZE unit = sink.Measure("0", false);
    const int64_t cw = unit.cx;
    const int64_t ch = unit.cy;
    const int64_t blockWidth = 20 * cw;
    const int64_t blockHeight = 8 * ch;
    const int64_t gap = 3 * cw;

    const int64_t lines = (months + perLine - 1) / perLine;
    const int64_t across = months < perLine ? months : perLine;
    const int64_t columns = inRows ? across : lines;
    const int64_t rows = inRows ? lines : across;
    const bool atRight = position == 0 || position == 1;
    const bool atTop = position == 0 || position == 2;

    for (int64_t k = 0; k < months; ++k) {
        const int64_t column = inRows ? k % perLine : k / perLine;
        const int64_t row = inRows ? k / perLine : k % perLine;
        const int64_t x = atRight
                              ? right - (columns - column) * blockWidth - (columns - column - 1) * gap - dx
                              : left + dx + column * (blockWidth + gap);
        const int64_t y = atTop ? top + dy + row * (blockHeight + ch)
                                : bottom - (rows - row) * blockHeight - (rows - row - 1) * ch - dy;
        if (x < -kFarAway || x > kFarAway || y < -kFarAway || y > kFarAway) continue;
        PaintMonthRelative(sink, static_cast<int>(k - monthsBefore), static_cast<int>(x),
                           static_cast<int>(y));
    }
}

void CCalendar::PaintMonthRelative(CCalendarTextSink& sink, int offset, int x, int y)
{
    const SYSTEMTIME today = DesktopEnvironment().GetLocalDate();
    int month = today.wMonth + offset;
    int year = today.wYear;
    while (month < 1) {
        month += 12;
        --year;
    }
    while (month > 12) {
        month -= 12;
        ++year;
    }
    PaintMonthOutlined(sink, month, year, x, y);
}

void CCalendar::PaintMonthOutlined(CCalendarTextSink& sink, int month, int year, int x, int y)
{
    static const int kOutline[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
    for (const auto& step : kOutline)
        PaintMonth(sink, month, year, x + step[0], y + step[1], true);
    PaintMonth(sink, month, year, x, y, false);
}

void CCalendar::PaintMonth(CCalendarTextSink& sink, int month, int year, int x, int y, bool outline)
{
    if (month < 1 || month > 12) return;
    const SYSTEMTIME today = DesktopEnvironment().GetLocalDate();
    const COLORREF passColor = outline ? m_crOutlineColor : m_crTextColor;
    const SIZE unit = sink.Measure("0", false);
    const int cw = unit.cx;
    const int ch = unit.cy;

    int head = x;
    for (int i = 0; i < 7; ++i) {
        const char* name = m_szDayNames[(m_iFirstDayOfWeek + i) % 7];
        if (i == 0) head = x + cw - sink.Measure(name, false).cx / 2;
        sink.Draw(x + cw + 3 * cw * i, y + ch, name, TA_CENTER | TA_TOP, false, passColor);
    }

    const bool currentMonth = today.wMonth == month && today.wYear == year;
    const COLORREF titleColor =
        m_bHighlightToday && !outline && currentMonth ? m_crHighlightColor : passColor;
    sink.Draw(head < x ? head : x, y, m_szMonthNames[month - 1], TA_LEFT | TA_TOP, true, titleColor);

    SYSTEMTIME date = {};
    date.wYear = static_cast<WORD>(year);
    date.wMonth = static_cast<WORD>(month);
    date.wDay = 1;
    FILETIME time;
    // Finding the weekday goes through the FILETIME; a year the system cannot hold gets no days.
    if (!::SystemTimeToFileTime(&date, &time) || !::FileTimeToSystemTime(&time, &date)) return;

    int row = 2;
    for (int day = 1; day <= 31 && date.wMonth == month; ++day) {
        const int column = ((date.wDayOfWeek + 6) % 7 - m_iFirstDayOfWeek + 7) % 7;
        char number[12];
        std::snprintf(number, sizeof number, "%d", day);
        const bool isToday = m_bHighlightToday && SameDay(date, today);
        const COLORREF color = isToday && !outline ? m_crHighlightColor : passColor;
        sink.Draw(x + 2 * cw + 3 * cw * column, y + row * ch, number, TA_RIGHT | TA_TOP, isToday, color);
        if (column == 6) ++row;

        time = FileTimeFromUnits(FileTimeUnits(time) + kUnitsPerDay);
        if (!::FileTimeToSystemTime(&time, &date)) break;
    }
}

void RecalcRightMarginForCalendar(RegistryRecord& record)
{
    CalendarSettings& calendarSettings = record.Calendar;
    DisplaySettings& display = record.Display;
    if (!calendarSettings.bShow || display.dwMarginRight == 0) return;

    // Only a drawing context is needed, but it must measure as the wallpaper's canvas does.
    const CScreenGeometry geometry = DesktopEnvironment().GetScreenGeometry();
    CPaintableDib canvas(geometry.iScreenWidth, geometry.iScreenHeight);
    if (!canvas.CreateCanvas()) return;
    const CanvasDC dc(canvas);
    if (!dc.get()) return;

    const std::string face = RecordText(calendarSettings.szCalendarFontName);
    CCalendar calendar;
    calendar.Init(false, false);
    calendar.SetFont(dc.get(), face.c_str(), static_cast<int>(calendarSettings.dwCalendarFontSize),
                     static_cast<int>(calendarSettings.dwCalendarFontCharSet), 0, 0, 0, false);
    display.dwMarginRight =
        static_cast<DWORD>(calendar.GetMonthWidth(dc.get())) + 2 * calendarSettings.dwHorMargin - 3;
}
