// The defaults of the settings record.
#include "Wcommon.h"

#include <cstring>

namespace {

void CopyFontName(char (&field)[kFontNameSize], const char* name)
{
    const size_t length = ::strnlen(name, kFontNameSize - 1);
    std::memcpy(field, name, length);
    field[length] = '\0';
}

// Rounds down to a multiple of `step` in unsigned arithmetic, as the icon grid does.
DWORD RoundDown(DWORD value, DWORD step) { return step != 0 ? value / step * step : value; }

}  // namespace

IconMargins ComputeIconMargins(int iconSpacingX, int iconSpacingY, int screenWidth, int screenHeight,
                               const RECT& workArea)
{
    const DWORD w = static_cast<DWORD>(iconSpacingX);
    const DWORD h = static_cast<DWORD>(iconSpacingY);
    const DWORD lastColumn = RoundDown(static_cast<DWORD>(screenWidth) - w, w);
    const DWORD lastRow = RoundDown(static_cast<DWORD>(screenHeight) - h, h);

    IconMargins margins;
    margins.dwLeft = w - static_cast<DWORD>(workArea.left) - 3;
    margins.dwTop = h - static_cast<DWORD>(workArea.top) - 5;
    margins.dwRight = static_cast<DWORD>(workArea.right) - lastColumn - 3;
    margins.dwBottom = static_cast<DWORD>(workArea.bottom) - lastRow;
    return margins;
}

void SetRegistryDefaults(HWND window, RegistryRecord* record, bool computeMargins, bool calendarShow)
{
    if (!record) return;
    // Padding and the unused tails of the texts are zero too, so records compare and copy cleanly.
    std::memset(record, 0, sizeof(*record));
    const char* fontName = window ? FindDefaultFont(window) : "Arial";

    ExchangeSettings& exchange = record->Exchange;
    exchange.dwType = CHANGE_AFTER_PC_START;
    exchange.dwPeriod = 60;
    exchange.dwRandomSelection = 1;

    DisplaySettings& display = record->Display;
    display.bAdaptTextBackColor = 1;
    display.bAdaptTextBackColorSys = 0;
    display.bTransparentText = 1;
    display.bInterpolation = 1;
    display.dwMinSize = 400;
    display.dwMaxSize = 4000;
    display.dwMinRatio = 50;
    display.dwFitType = 0;
    display.dwMaxAspectRatioDiff = 15;
    display.bShrinkOnly = 0;
    display.bShowFileName = 1;
    display.bShowFilePath = 0;
    CopyFontName(display.szFileFontName, fontName);
    display.dwFileFontSize = 8;
    display.dwFileFontCharSet = DEFAULT_CHARSET;
    display.bFileFontBold = 0;
    display.bFileFontItalic = 0;
    display.bFileFontUnderline = 0;
    display.dwFileNameVerMargin = 10;
    display.dwFileNameHorMargin = 10;
    display.dwFileNamePosition = 1;
    display.bFileNameAddDate = 1;
    display.bUseMargins = 1;
    if (computeMargins) {
        RECT work;
        GetWorkScreenSize(work);
        const IconMargins margins =
            ComputeIconMargins(::GetSystemMetrics(SM_CXICONSPACING), ::GetSystemMetrics(SM_CYICONSPACING),
                               ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), work);
        display.dwMarginLeft = margins.dwLeft;
        display.dwMarginRight = margins.dwRight;
        display.dwMarginTop = margins.dwTop;
        display.dwMarginBottom = margins.dwBottom;
        display.bFrame = 1;
    } else {
        display.dwMarginLeft = 0;
        display.dwMarginRight = 0;
        display.dwMarginTop = 0;
        display.dwMarginBottom = 0;
        display.bFrame = 0;
    }
    display.dwTextures = 2;
    display.bRotateByExif = 1;

    CalendarSettings& calendar = record->Calendar;
    calendar.bShow = calendarShow ? 1 : 0;
    CopyFontName(calendar.szCalendarFontName, fontName);
    calendar.dwCalendarFontSize = 8;
    calendar.dwCalendarFontCharSet = DEFAULT_CHARSET;
    calendar.bCalendarFontBold = 0;
    calendar.bCalendarFontItalic = 0;
    calendar.bCalendarFontUnderline = 0;
    calendar.dwPosition = 0;
    calendar.dwVerMargin = 10;
    calendar.dwHorMargin = 10;
    calendar.dwHighlightToday = 1;
    calendar.dwMonthsBefore = 1;
    calendar.dwMonthsAfter = 2;
    calendar.dwOrganization = 1;
    calendar.dwMaxMonths = 5;

    AgentSettings& agent = record->Agent;
    agent.bAutoRun = 1;
    agent.bBlock = 0;
    agent.bShowProgress = 0;
    agent.bSysTrayIcon = 1;
    agent.szConflictingPrgs[0] = '\0';

    // The Files paths stay empty: the Manager chooses them on its first run.

    CurrentImageSettings& current = record->CurrentImage;
    current.bActive = 0;
    current.bAlreadySet = 0;
    current.dwTextColor = RGB(255, 255, 255);
    current.dwBackColor = RGB(0, 0, 0);
    current.ftLastChangeTime = FILETIME{0, 0};

    ScreenSaverSettings& saver = record->ScreenSaver;
    saver.dwExchangePeriod = 10;
    saver.bRandomSelection = 0;
    saver.bInterpolation = 0;
    saver.bShrinkOnly = 1;
    saver.bShowFileName = 1;
    saver.bShowFilePath = 0;
    CopyFontName(saver.szFileFontName, fontName);
    saver.dwFileFontSize = 10;
    saver.dwFileFontCharSet = DEFAULT_CHARSET;
    saver.bFileFontBold = 0;
    saver.bFileFontItalic = 0;
    saver.bFileFontUnderline = 0;
    saver.dwFileNameVerMargin = 10;
    saver.dwFileNameHorMargin = 10;
    saver.dwFileNamePosition = 1;
    saver.bFileNameAddDate = 1;
    saver.bBlackBackground = 1;
}
