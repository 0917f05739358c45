// The one table of the settings values: a row per registry value with its name, the record member
// it fills, its kind, its defaults and its range. The record's defaults, the registry's readers and
// writers, the Manager's settings schema, the screen saver's dialog and the engine's guards all take
// their values from these rows; a program that needs one value's range or default names it here
// (SettingNamed) and fails to build when the name is wrong.
#pragma once

#include "Usettingsvalues.h"
#include "Wcommon.h"

#include <cstddef>

#define KV_VALUE(name, part, member, kind, source, fixed, range)                                             \
    SettingValue                                                                                             \
    {                                                                                                        \
        name, #member, SettingKind::kind, offsetof(part, member), sizeof(part::member),                      \
            SettingDefault::source, static_cast<DWORD>(fixed), static_cast<DWORD>(fixed), range              \
    }
#define KV_NUMBER(name, part, member, fixed)                                                                 \
    KV_VALUE(name, part, member, Number, Fixed, fixed, kUnboundedSetting)
#define KV_BOOL(name, part, member, fixed) KV_VALUE(name, part, member, Boolean, Fixed, fixed, kSwitchSetting)
#define KV_NUMBER_FROM(name, part, member, source)                                                           \
    KV_VALUE(name, part, member, Number, source, 0, kUnboundedSetting)
#define KV_BOOL_FROM(name, part, member, source)                                                             \
    KV_VALUE(name, part, member, Boolean, source, 0, kSwitchSetting)
#define KV_TEXT(name, part, member) KV_VALUE(name, part, member, Text, Fixed, 0, kUnboundedSetting)
#define KV_FONT_NAME(name, part, member) KV_VALUE(name, part, member, Text, FontName, 0, kUnboundedSetting)
#define KV_TIME(name, part, member) KV_VALUE(name, part, member, FileTime, Fixed, 0, kUnboundedSetting)

// Every font the Manager edits starts in the East European character set there.
constexpr DWORD kManagerFontCharSet = EASTEUROPE_CHARSET;

// Each row: the registry name, the record's part and member and the record's default; then the
// value's bounds (.Within) where it has any beside its kind's, and the Manager's own default
// (.WithManagerDefault) where the Manager's settings item starts from another value than the record.
// A choice's bounds are its first and last option; a font's size and character set in the Manager
// are those of its "Size" and "CharSet" rows.
// clang-format off
inline constexpr SettingValue kExchangeValues[] = {
    KV_NUMBER("Type", ExchangeSettings, dwType, CHANGE_AFTER_PC_START).Within(CHANGE_OFF, CHANGE_EACH_N_MINUTES).WithManagerDefault(CHANGE_EACH_HOUR),
    KV_NUMBER("Period", ExchangeSettings, dwPeriod, 60).Within(1, 1000).WithManagerDefault(10),
    KV_NUMBER("RandomSelection", ExchangeSettings, dwRandomSelection, 1).Within(0, 2),
};

inline constexpr SettingValue kDisplayValues[] = {
    KV_BOOL("ShowFileName", DisplaySettings, bShowFileName, 1),
    KV_BOOL("ShowFilePath", DisplaySettings, bShowFilePath, 0).WithManagerDefault(1),
    KV_FONT_NAME("FileFontName", DisplaySettings, szFileFontName),
    KV_NUMBER("FileFontSize", DisplaySettings, dwFileFontSize, 8),
    KV_NUMBER("FileFontCharSet", DisplaySettings, dwFileFontCharSet, DEFAULT_CHARSET).WithManagerDefault(kManagerFontCharSet),
    KV_BOOL("FileFontBold", DisplaySettings, bFileFontBold, 0),
    KV_BOOL("FileFontItalic", DisplaySettings, bFileFontItalic, 0),
    KV_BOOL("FileFontUnderline", DisplaySettings, bFileFontUnderline, 0),
    KV_NUMBER("FileNameVerMargin", DisplaySettings, dwFileNameVerMargin, 10).Within(0, 500).WithManagerDefault(5),
    KV_NUMBER("FileNameHorMargin", DisplaySettings, dwFileNameHorMargin, 10).Within(0, 500).WithManagerDefault(5),
    KV_NUMBER("FileNamePosition", DisplaySettings, dwFileNamePosition, 1).Within(0, 3),
    KV_BOOL("FileNameAddDate", DisplaySettings, bFileNameAddDate, 1),
    KV_BOOL("AdaptTextBackColor", DisplaySettings, bAdaptTextBackColor, 1),
    KV_BOOL("AdaptTextBackColorSys", DisplaySettings, bAdaptTextBackColorSys, 0),
    KV_BOOL("TransparentText", DisplaySettings, bTransparentText, 1),
    KV_BOOL("Interpolation", DisplaySettings, bInterpolation, 1),
    KV_NUMBER("MinSize", DisplaySettings, dwMinSize, 400).Within(240, 5000).WithManagerDefault(480),
    KV_NUMBER("MaxSize", DisplaySettings, dwMaxSize, 4000).Within(480, 10000).WithManagerDefault(3200),
    KV_NUMBER("MinRatio", DisplaySettings, dwMinRatio, 50).Within(10, 70).WithManagerDefault(30),
    KV_NUMBER("FitType", DisplaySettings, dwFitType, 0).Within(0, 2),
    KV_NUMBER("MaxAspectRatioDiff", DisplaySettings, dwMaxAspectRatioDiff, 15).Within(0, 50),
    KV_BOOL("ShrinkOnly", DisplaySettings, bShrinkOnly, 0),
    KV_BOOL("UseMargins", DisplaySettings, bUseMargins, 1),
    KV_NUMBER_FROM("MarginLeft", DisplaySettings, dwMarginLeft, MarginLeft).Within(0, 1000),
    KV_NUMBER_FROM("MarginRight", DisplaySettings, dwMarginRight, MarginRight).Within(0, 1000),
    KV_NUMBER_FROM("MarginTop", DisplaySettings, dwMarginTop, MarginTop).Within(0, 1000),
    KV_NUMBER_FROM("MarginBottom", DisplaySettings, dwMarginBottom, MarginBottom).Within(0, 1000),
    KV_BOOL_FROM("Frame", DisplaySettings, bFrame, FrameWithMargins),
    KV_NUMBER("Textures", DisplaySettings, dwTextures, 2).Within(0, 3),
    KV_BOOL("RotateByExif", DisplaySettings, bRotateByExif, 1),
};

inline constexpr SettingValue kCalendarValues[] = {
    KV_BOOL_FROM("Show", CalendarSettings, bShow, CalendarShow).WithManagerDefault(1),
    KV_FONT_NAME("CalendarFontName", CalendarSettings, szCalendarFontName),
    KV_NUMBER("CalendarFontSize", CalendarSettings, dwCalendarFontSize, 8).WithManagerDefault(10),
    KV_NUMBER("CalendarFontCharSet", CalendarSettings, dwCalendarFontCharSet, DEFAULT_CHARSET).WithManagerDefault(kManagerFontCharSet),
    KV_BOOL("CalendarFontBold", CalendarSettings, bCalendarFontBold, 0),
    KV_BOOL("CalendarFontItalic", CalendarSettings, bCalendarFontItalic, 0),
    KV_BOOL("CalendarFontUnderline", CalendarSettings, bCalendarFontUnderline, 0),
    KV_NUMBER("Position", CalendarSettings, dwPosition, 0).Within(0, 3),
    KV_NUMBER("VerMargin", CalendarSettings, dwVerMargin, 10).Within(0, 500).WithManagerDefault(20),
    KV_NUMBER("HorMargin", CalendarSettings, dwHorMargin, 10).Within(0, 500).WithManagerDefault(20),
    KV_NUMBER("HighlightToday", CalendarSettings, dwHighlightToday, 1).Within(0, 1),
    KV_NUMBER("MonthsBefore", CalendarSettings, dwMonthsBefore, 1).Within(1, 12),
    KV_NUMBER("MonthsAfter", CalendarSettings, dwMonthsAfter, 2).Within(1, 12),
    KV_NUMBER("Organization", CalendarSettings, dwOrganization, 1).Within(0, 1).WithManagerDefault(0),
    KV_NUMBER("MaxMonths", CalendarSettings, dwMaxMonths, 5).Within(1, 12),
};

inline constexpr SettingValue kAgentValues[] = {
    KV_BOOL("AutoRun", AgentSettings, bAutoRun, 1),
    KV_BOOL("Block", AgentSettings, bBlock, 0),
    KV_BOOL("ShowProgress", AgentSettings, bShowProgress, 0),
    KV_BOOL("SysTrayIcon", AgentSettings, bSysTrayIcon, 1),
    KV_TEXT("ConflictingPrgs", AgentSettings, szConflictingPrgs),
};

inline constexpr SettingValue kFilesValues[] = {
    KV_TEXT("WorkBmpFile", FilesSettings, szWorkBmpFile),
    KV_TEXT("FolderListFile", FilesSettings, szFolderListFile),
    KV_TEXT("FileListDatFile", FilesSettings, szFileListDatFile),
    KV_TEXT("FileListStrFile", FilesSettings, szFileListStrFile),
};

inline constexpr SettingValue kCurrentImageValues[] = {
    KV_BOOL("Active", CurrentImageSettings, bActive, 0),
    KV_BOOL("AlreadySet", CurrentImageSettings, bAlreadySet, 0),
    KV_NUMBER("TextColor", CurrentImageSettings, dwTextColor, RGB(255, 255, 255)),
    KV_NUMBER("BackColor", CurrentImageSettings, dwBackColor, RGB(0, 0, 0)),
    KV_TEXT("ImagePath", CurrentImageSettings, szImagePath),
    KV_TEXT("ImageName", CurrentImageSettings, szImageName),
    KV_TIME("LastChangeTime", CurrentImageSettings, ftLastChangeTime),
};

inline constexpr SettingValue kScreenSaverValues[] = {
    KV_NUMBER("ExchangePeriod", ScreenSaverSettings, dwExchangePeriod, 10).Within(5, 99),
    KV_BOOL("RandomSelection", ScreenSaverSettings, bRandomSelection, 0),
    KV_BOOL("Interpolation", ScreenSaverSettings, bInterpolation, 0).WithManagerDefault(1),
    KV_BOOL("ShrinkOnly", ScreenSaverSettings, bShrinkOnly, 1).WithManagerDefault(0),
    KV_BOOL("BlackBackground", ScreenSaverSettings, bBlackBackground, 1),
    KV_BOOL("ShowFileName", ScreenSaverSettings, bShowFileName, 1),
    KV_BOOL("ShowFilePath", ScreenSaverSettings, bShowFilePath, 0),
    KV_FONT_NAME("FileFontName", ScreenSaverSettings, szFileFontName),
    KV_NUMBER("FileFontSize", ScreenSaverSettings, dwFileFontSize, 10).WithManagerDefault(8),
    KV_NUMBER("FileFontCharSet", ScreenSaverSettings, dwFileFontCharSet, DEFAULT_CHARSET).WithManagerDefault(kManagerFontCharSet),
    KV_BOOL("FileFontBold", ScreenSaverSettings, bFileFontBold, 0),
    KV_BOOL("FileFontItalic", ScreenSaverSettings, bFileFontItalic, 0),
    KV_BOOL("FileFontUnderline", ScreenSaverSettings, bFileFontUnderline, 0),
    KV_NUMBER("FileNameVerMargin", ScreenSaverSettings, dwFileNameVerMargin, 10).Within(0, 500).WithManagerDefault(5),
    KV_NUMBER("FileNameHorMargin", ScreenSaverSettings, dwFileNameHorMargin, 10).Within(0, 500).WithManagerDefault(5),
    KV_NUMBER("FileNamePosition", ScreenSaverSettings, dwFileNamePosition, 1).Within(0, 3),
    KV_BOOL("FileNameAddDate", ScreenSaverSettings, bFileNameAddDate, 1),
};
// clang-format on

#undef KV_TIME
#undef KV_FONT_NAME
#undef KV_TEXT
#undef KV_BOOL_FROM
#undef KV_NUMBER_FROM
#undef KV_BOOL
#undef KV_NUMBER
#undef KV_VALUE

namespace settings_table_detail {

constexpr bool SameName(const char* a, const char* b)
{
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

}  // namespace settings_table_detail

// The row of `valueName` (spelt as in the table) among `values`; in a constant expression a name
// that is not there does not compile.
template <size_t N>
constexpr const SettingValue& SettingNamed(const SettingValue (&values)[N], const char* valueName)
{
    for (const SettingValue& value : values) {
        if (settings_table_detail::SameName(value.valueName, valueName)) return value;
    }
    throw "no such settings value";
}
