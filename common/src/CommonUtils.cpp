// Small routines the programs share: date text, work area, default font, opening a document.
#include "Wcommon.h"

#include "UTxLog.h"
#include "UTxUtils.h"

#include <shellapi.h>

#include <cstring>

void ConvertDateToString(FILETIME date, char* text, int textSize)
{
    if (!text || textSize <= 0) return;
    text[0] = '\0';
    // No time-zone conversion: the caller passes the time it wants shown.
    SYSTEMTIME time;
    if (!::FileTimeToSystemTime(&date, &time)) {
        LogLastErrorF("ConvertDateToString: FileTimeToSystemTime failed");
        return;
    }
    if (::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, text, textSize) == 0) {
        LogLastErrorF("ConvertDateToString: GetDateFormat failed");
        text[0] = '\0';
    }
}

void GetWorkScreenSize(RECT& rect)
{
    if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rect, 0)) {
        LogLastErrorF("SystemParametersInfo(SPI_GETWORKAREA) failed");
        rect.left = 0;
        rect.top = 0;
        rect.right = ::GetSystemMetrics(SM_CXSCREEN);
        rect.bottom = ::GetSystemMetrics(SM_CYSCREEN);
    }
    LogF("GetWorkScreenSize: left=%d, top=%d, right=%d, bottom=%d", static_cast<int>(rect.left),
         static_cast<int>(rect.top), static_cast<int>(rect.right), static_cast<int>(rect.bottom));
}

int CALLBACK FindFontProc(const LOGFONTA* logFont, const TEXTMETRICA* /*textMetric*/, DWORD /*fontType*/,
                          LPARAM lParam)
{
    // Bold or light faces alone do not count: the captions need the regular face.
    if (!logFont || logFont->lfWeight != FW_NORMAL) return 1;
    char* result = reinterpret_cast<char*>(lParam);
    const size_t length = ::strnlen(logFont->lfFaceName, LF_FACESIZE - 1);
    std::memcpy(result, logFont->lfFaceName, length);
    result[length] = '\0';
    LogF("Found font: %s", result);
    return 0;
}

const char* FindDefaultFont(HWND window)
{
    static char s_szFontName[LF_FACESIZE];
    s_szFontName[0] = '\0';
    LogText("Searching for Tahoma font...");
    const WindowDC dc(window);
    if (dc) {
        LOGFONTA wanted = {};
        wanted.lfCharSet = DEFAULT_CHARSET;
        std::strcpy(wanted.lfFaceName, "Tahoma");
        ::EnumFontFamiliesExA(dc.get(), &wanted, &FindFontProc, reinterpret_cast<LPARAM>(s_szFontName), 0);
    }
    if (s_szFontName[0] == '\0') {
        LogText("Tahoma font not found, using Arial");
        std::strcpy(s_szFontName, "Arial");
    }
    return s_szFontName;
}

void RunProgram(HWND owner, const char* path)
{
    ::ShellExecuteA(owner, "open", path ? path : "", "", "", SW_SHOWNORMAL);
}
