// The settings record shared by every program, its defaults, the registry readers and writers of its
// sections, and the small utilities the programs share.
//
// The record crosses into the engine DLL, which the Agent and the screen saver load at run time, so
// no linker checks that both sides agree on it: the static_asserts below pin every size and offset.
#pragma once

#include <windows.h>

#include <cstddef>

#include "Uregistryroot.h"

// The settings key under HKEY_CURRENT_USER and its subkeys.
constexpr const char* kRegRootPath = KV_REG_ROOT;
constexpr const char* kRegRunTimeKey = "RunTime";
constexpr const char* kRegScreenStartupWidth = "ScreenStartupWidth";
constexpr const char* kRegScreenStartupHeight = "ScreenStartupHeight";

// When the Agent changes the wallpaper (Exchange.dwType).
enum ChangeType : DWORD {
    CHANGE_OFF = 0,
    CHANGE_AFTER_MIDNIGHT = 1,
    CHANGE_AFTER_PC_START = 2,
    CHANGE_EACH_HOUR = 3,
    CHANGE_EACH_HALF_HOUR = 4,
    CHANGE_EACH_QUARTER_HOUR = 5,
    CHANGE_EACH_TEN_MINUTES = 6,
    CHANGE_EACH_N_MINUTES = 7,
};

// Field widths of the texts, terminator included.
constexpr size_t kFontNameSize = 128;
constexpr size_t kConflictingPrgsSize = 512;
constexpr size_t kPathSize = 260;

// Booleans are single bytes holding 0 or 1; numbers are registry DWORDs.
struct ExchangeSettings {
    DWORD dwType;
    DWORD dwPeriod;
    DWORD dwRandomSelection;
};

struct DisplaySettings {
    BYTE bAdaptTextBackColor;
    BYTE bAdaptTextBackColorSys;
    BYTE bTransparentText;
    BYTE bInterpolation;
    DWORD dwMinSize;
    DWORD dwMaxSize;
    DWORD dwMinRatio;
    DWORD dwFitType;
    DWORD dwMaxAspectRatioDiff;
    BYTE bShrinkOnly;
    BYTE bShowFileName;
    BYTE bShowFilePath;
    char szFileFontName[kFontNameSize];
    DWORD dwFileFontSize;
    DWORD dwFileFontCharSet;
    BYTE bFileFontBold;
    BYTE bFileFontItalic;
    BYTE bFileFontUnderline;
    DWORD dwFileNameVerMargin;  // from the left or right edge
    DWORD dwFileNameHorMargin;  // from the top or bottom edge
    DWORD dwFileNamePosition;   // 0 top right, 1 bottom right, 2 top left, 3 bottom left
    BYTE bFileNameAddDate;
    BYTE bUseMargins;
    DWORD dwMarginLeft;
    DWORD dwMarginRight;
    DWORD dwMarginTop;
    DWORD dwMarginBottom;
    BYTE bFrame;
    DWORD dwTextures;  // 0 none, 1 soft, 2 normal, 3 strong
    BYTE bRotateByExif;
};

struct CalendarSettings {
    BYTE bShow;
    char szCalendarFontName[kFontNameSize];
    DWORD dwCalendarFontSize;
    DWORD dwCalendarFontCharSet;
    BYTE bCalendarFontBold;
    BYTE bCalendarFontItalic;
    BYTE bCalendarFontUnderline;
    DWORD dwPosition;
    DWORD dwVerMargin;
    DWORD dwHorMargin;
    DWORD dwHighlightToday;
    DWORD dwMonthsBefore;
    DWORD dwMonthsAfter;
    DWORD dwOrganization;
    DWORD dwMaxMonths;
};

struct AgentSettings {
    BYTE bAutoRun;
    BYTE bBlock;
    BYTE bShowProgress;
    BYTE bSysTrayIcon;
    char szConflictingPrgs[kConflictingPrgsSize];  // program names separated by ";"
};

struct FilesSettings {
    char szWorkBmpFile[kPathSize];
    char szFolderListFile[kPathSize];
    char szFileListDatFile[kPathSize];
    char szFileListStrFile[kPathSize];
};

struct CurrentImageSettings {
    BYTE bActive;
    BYTE bAlreadySet;
    DWORD dwTextColor;  // COLORREF
    DWORD dwBackColor;  // COLORREF
    char szImagePath[kPathSize];
    char szImageName[kPathSize];
    // A local FILETIME; kept on an 8-byte boundary so that every program lays the record out alike.
    alignas(8) FILETIME ftLastChangeTime;
};

struct ScreenSaverSettings {
    DWORD dwExchangePeriod;  // seconds
    BYTE bRandomSelection;
    BYTE bInterpolation;
    BYTE bShrinkOnly;
    BYTE bShowFileName;
    BYTE bShowFilePath;
    char szFileFontName[kFontNameSize];
    DWORD dwFileFontSize;
    DWORD dwFileFontCharSet;
    BYTE bFileFontBold;
    BYTE bFileFontItalic;
    BYTE bFileFontUnderline;
    DWORD dwFileNameVerMargin;
    DWORD dwFileNameHorMargin;
    DWORD dwFileNamePosition;
    BYTE bFileNameAddDate;
    BYTE bBlackBackground;
};

// The whole settings record: a plain block that is zeroed, copied and handed over whole.
struct RegistryRecord {
    ExchangeSettings Exchange;
    DisplaySettings Display;
    CalendarSettings Calendar;
    AgentSettings Agent;
    FilesSettings Files;
    CurrentImageSettings CurrentImage;
    ScreenSaverSettings ScreenSaver;
};

static_assert(sizeof(ExchangeSettings) == 12, "Exchange layout changed");
static_assert(sizeof(DisplaySettings) == 212, "Display layout changed");
static_assert(sizeof(CalendarSettings) == 176, "Calendar layout changed");
static_assert(sizeof(AgentSettings) == 516, "Agent layout changed");
static_assert(sizeof(FilesSettings) == 1040, "Files layout changed");
static_assert(sizeof(CurrentImageSettings) == 544, "CurrentImage layout changed");
static_assert(sizeof(ScreenSaverSettings) == 168, "ScreenSaver layout changed");
static_assert(offsetof(DisplaySettings, szFileFontName) == 27, "Display layout changed");
static_assert(offsetof(DisplaySettings, dwFileFontSize) == 156, "Display layout changed");
static_assert(offsetof(DisplaySettings, dwMarginLeft) == 184, "Display layout changed");
static_assert(offsetof(DisplaySettings, bRotateByExif) == 208, "Display layout changed");
static_assert(offsetof(CalendarSettings, dwCalendarFontSize) == 132, "Calendar layout changed");
static_assert(offsetof(CalendarSettings, dwMaxMonths) == 172, "Calendar layout changed");
static_assert(offsetof(AgentSettings, szConflictingPrgs) == 4, "Agent layout changed");
static_assert(offsetof(CurrentImageSettings, szImagePath) == 12, "CurrentImage layout changed");
static_assert(offsetof(CurrentImageSettings, ftLastChangeTime) == 536, "CurrentImage layout changed");
static_assert(offsetof(ScreenSaverSettings, szFileFontName) == 9, "ScreenSaver layout changed");
static_assert(offsetof(ScreenSaverSettings, bBlackBackground) == 165, "ScreenSaver layout changed");
static_assert(offsetof(RegistryRecord, Exchange) == 0, "RegistryRecord layout changed");
static_assert(offsetof(RegistryRecord, Display) == 12, "RegistryRecord layout changed");
static_assert(offsetof(RegistryRecord, Calendar) == 224, "RegistryRecord layout changed");
static_assert(offsetof(RegistryRecord, Agent) == 400, "RegistryRecord layout changed");
static_assert(offsetof(RegistryRecord, Files) == 916, "RegistryRecord layout changed");
static_assert(offsetof(RegistryRecord, CurrentImage) == 1960, "RegistryRecord layout changed");
static_assert(offsetof(RegistryRecord, ScreenSaver) == 2504, "RegistryRecord layout changed");
static_assert(sizeof(RegistryRecord) == 2672, "RegistryRecord layout changed");

// ---- Defaults ----------------------------------------------------------------------------------

// The margins that keep the desktop icons' grid free: the first icon column and row, and whatever
// lies beyond the last whole column and row. Works in unsigned 32-bit arithmetic, so a work area
// that starts beyond one icon spacing gives a wrapped left or top margin, which is kept as it is.
struct IconMargins {
    DWORD dwLeft;
    DWORD dwRight;
    DWORD dwTop;
    DWORD dwBottom;
};
IconMargins ComputeIconMargins(int iconSpacingX, int iconSpacingY, int screenWidth, int screenHeight,
                               const RECT& workArea);

// Fills every field with its default; the font names come from FindDefaultFont for a window, or are
// "Arial" without one. With computeMargins the margins follow the icon grid and the frame is on,
// otherwise both are off. A null record does nothing.
void SetRegistryDefaults(HWND window, RegistryRecord* record, bool computeMargins, bool calendarShow);

// ---- Registry readers and writers --------------------------------------------------------------
// Each opens and closes its own key. Readers never create a key; a value that is absent, of another
// type or of another size leaves its field as it was and adds 1 to *missing when a counter is given.
// Writers create their key when it is missing and fail when the key or any value cannot be written.

void ReadRegistryRoot(bool& configured, DWORD& allFilesCount);
bool WriteRegistryRoot(bool configured, DWORD allFilesCount);

bool ReadExchangeFromRegistry(ExchangeSettings& part, int* missing = nullptr);
bool ReadDisplayFromRegistry(DisplaySettings& part, int* missing = nullptr);
bool ReadCalendarFromRegistry(CalendarSettings& part, int* missing = nullptr);
bool ReadAgentFromRegistry(AgentSettings& part, int* missing = nullptr);
bool ReadFilesFromRegistry(FilesSettings& part, int* missing = nullptr);
bool ReadCurrentImageFromRegistry(CurrentImageSettings& part, int* missing = nullptr);
bool ReadScreenSaverFromRegistry(ScreenSaverSettings& part, int* missing = nullptr);

bool WriteExchangeToRegistry(const ExchangeSettings& part);
bool WriteDisplayToRegistry(const DisplaySettings& part);
bool WriteCalendarToRegistry(const CalendarSettings& part);
// "ConflictingPrgs" is written only with writeConflictingPrgs, so other writers keep the user's list.
bool WriteAgentToRegistry(const AgentSettings& part, bool writeConflictingPrgs);
bool WriteFilesToRegistry(const FilesSettings& part);
bool WriteCurrentImageToRegistry(const CurrentImageSettings& part);
bool WriteScreenSaverToRegistry(const ScreenSaverSettings& part);

// All seven sections, every one of them even after an earlier failure; true when all succeeded.
bool ReadFromRegistry(RegistryRecord* record, int* missing = nullptr);
bool WriteToRegistry(const RegistryRecord* record);

// The screen size at start-up, for the Agent's screen-size guard.
bool WriteRunTimeScreenSize();

// ---- Small shared utilities --------------------------------------------------------------------

// The date as the user's short date; an empty text when the time is invalid or does not fit.
void ConvertDateToString(FILETIME date, char* text, int textSize);

// The work area, or the whole screen when the system cannot tell.
void GetWorkScreenSize(RECT& rect);

// "Tahoma" when a regular face of it is installed, else "Arial". The text stays valid until the
// next call; all callers run on the program's main thread.
const char* FindDefaultFont(HWND window);

// Enumeration callback of FindDefaultFont; lParam points to a char[LF_FACESIZE] that receives the
// first face of normal weight (400), which ends the enumeration.
int CALLBACK FindFontProc(const LOGFONTA* logFont, const TEXTMETRICA* textMetric, DWORD fontType,
                          LPARAM lParam);

// Opens a document or program with the shell's "open" verb.
void RunProgram(HWND owner, const char* path);
