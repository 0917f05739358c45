// A block of month calendars drawn on the wallpaper: titles, two-letter weekday names and day
// numbers from the user's locale, today bold and highlighted, every text with a one-pixel outline.
#pragma once

#include <windows.h>

#include "UTxUtils.h"

struct RegistryRecord;

// Where the calendar's text goes: a drawing context, or a recorder in tests. The calendar asks
// for the extent of texts and draws each one with an alignment (TA_LEFT, TA_CENTER or TA_RIGHT,
// with TA_TOP), its font (normal or bold) and its colour, on a transparent background.
class CCalendarTextSink {
public:
    CCalendarTextSink() = default;
    CCalendarTextSink(const CCalendarTextSink&) = delete;
    CCalendarTextSink& operator=(const CCalendarTextSink&) = delete;
    virtual ~CCalendarTextSink() = default;

    virtual SIZE Measure(const char* text, bool bold) = 0;
    virtual void Draw(int x, int y, const char* text, UINT align, bool bold, COLORREF color) = 0;
};

class CCalendar {
public:
    CCalendar();
    ~CCalendar();
    CCalendar(const CCalendar&) = delete;
    CCalendar& operator=(const CCalendar&) = delete;

    // Reads the locale (first day of the week, month and day names) and makes placeholder fonts.
    void Init(bool antialias, bool highlightToday);
    void SetFont(HDC dc, const char* faceName, int points, int charSet, COLORREF textColor,
                 COLORREF highlightColor, COLORREF outlineColor, bool antialias);

    // Layout units measured on the context: the width and height of "0" in the normal font.
    int GetCharWidth(HDC dc) const;
    int GetCharHeight(HDC dc) const;
    int GetMonthWidth(HDC dc) const { return 20 * GetCharWidth(dc); }
    int GetMonthHeight(HDC dc) const { return 8 * GetCharHeight(dc); }

    // Draws the months from `before` months before the current one to `after` after it inside
    // the area (left, top, right, bottom), `maxPerLine` to a row (inRows) or to a column, at the
    // corner `position`: 0 top right, 1 bottom right, 2 top left, anything else bottom left.
    // `dx` is the distance from the left or right edge, `dy` from the top or bottom edge.
    void Paint(HDC dc, int left, int top, int right, int bottom, bool inRows, int dx, int dy,
               DWORD maxPerLine, DWORD before, DWORD after, DWORD position);
    void Paint(CCalendarTextSink& sink, int left, int top, int right, int bottom, bool inRows, int dx, int dy,
               DWORD maxPerLine, DWORD before, DWORD after, DWORD position);

    // One month relative to today's, with its outline, its top-left corner at (x, y).
    void PaintMonthRelative(CCalendarTextSink& sink, int offset, int x, int y);
    void PaintMonthOutlined(CCalendarTextSink& sink, int month, int year, int x, int y);
    void PaintMonth(CCalendarTextSink& sink, int month, int year, int x, int y, bool outline);

    // 0 Monday ... 6 Sunday, as the locale said (0 when it said nothing usable).
    int GetFirstDayOfWeek() const { return m_iFirstDayOfWeek; }
    const char* GetMonthName(int month) const;  // 1..12
    const char* GetDayName(int day) const;      // 0 Monday ... 6 Sunday

private:
    int m_iFirstDayOfWeek = 0;
    bool m_bHighlightToday = false;
    char m_szMonthNames[12][100] = {};
    char m_szDayNames[7][10] = {};
    GdiObject m_hFont;
    GdiObject m_hBoldFont;
    COLORREF m_crTextColor = 0;
    COLORREF m_crHighlightColor = 0;
    COLORREF m_crOutlineColor = 0;
};

// The first day of the week from the text of LOCALE_IFIRSTDAYOFWEEK: 0 unless it is "0".."6".
int ParseFirstDayOfWeek(const char* localeText, int length);

// Reserves a right margin as wide as one column of months, when the calendar is shown and a right
// margin is set at all.
void RecalcRightMarginForCalendar(RegistryRecord& record);
