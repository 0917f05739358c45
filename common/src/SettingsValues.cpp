// The registry value tables of the settings sections.
#include "Usettingsvalues.h"
#include "Wcommon.h"

#include <iterator>

#define KV_VALUE(name, part, member, kind) \
    SettingValue { name, #member, SettingKind::kind, offsetof(part, member), sizeof(part::member) }
#define KV_NUMBER(name, part, member) KV_VALUE(name, part, member, Number)
#define KV_BOOL(name, part, member) KV_VALUE(name, part, member, Boolean)
#define KV_TEXT(name, part, member) KV_VALUE(name, part, member, Text)

namespace {

const SettingValue kExchangeValues[] = {
    KV_NUMBER("Type", ExchangeSettings, dwType),
    KV_NUMBER("Period", ExchangeSettings, dwPeriod),
    KV_NUMBER("RandomSelection", ExchangeSettings, dwRandomSelection),
};

const SettingValue kDisplayValues[] = {
    KV_BOOL("ShowFileName", DisplaySettings, bShowFileName),
    KV_BOOL("ShowFilePath", DisplaySettings, bShowFilePath),
    KV_TEXT("FileFontName", DisplaySettings, szFileFontName),
    KV_NUMBER("FileFontSize", DisplaySettings, dwFileFontSize),
    KV_NUMBER("FileFontCharSet", DisplaySettings, dwFileFontCharSet),
    KV_BOOL("FileFontBold", DisplaySettings, bFileFontBold),
    KV_BOOL("FileFontItalic", DisplaySettings, bFileFontItalic),
    KV_BOOL("FileFontUnderline", DisplaySettings, bFileFontUnderline),
    KV_NUMBER("FileNameVerMargin", DisplaySettings, dwFileNameVerMargin),
    KV_NUMBER("FileNameHorMargin", DisplaySettings, dwFileNameHorMargin),
    KV_NUMBER("FileNamePosition", DisplaySettings, dwFileNamePosition),
    KV_BOOL("FileNameAddDate", DisplaySettings, bFileNameAddDate),
    KV_BOOL("AdaptTextBackColor", DisplaySettings, bAdaptTextBackColor),
    KV_BOOL("AdaptTextBackColorSys", DisplaySettings, bAdaptTextBackColorSys),
    KV_BOOL("TransparentText", DisplaySettings, bTransparentText),
    KV_BOOL("Interpolation", DisplaySettings, bInterpolation),
    KV_NUMBER("MinSize", DisplaySettings, dwMinSize),
    KV_NUMBER("MaxSize", DisplaySettings, dwMaxSize),
    KV_NUMBER("MinRatio", DisplaySettings, dwMinRatio),
    KV_NUMBER("FitType", DisplaySettings, dwFitType),
    KV_NUMBER("MaxAspectRatioDiff", DisplaySettings, dwMaxAspectRatioDiff),
    KV_BOOL("ShrinkOnly", DisplaySettings, bShrinkOnly),
    KV_BOOL("UseMargins", DisplaySettings, bUseMargins),
    KV_NUMBER("MarginLeft", DisplaySettings, dwMarginLeft),
    KV_NUMBER("MarginRight", DisplaySettings, dwMarginRight),
    KV_NUMBER("MarginTop", DisplaySettings, dwMarginTop),
    KV_NUMBER("MarginBottom", DisplaySettings, dwMarginBottom),
    KV_BOOL("Frame", DisplaySettings, bFrame),
    KV_NUMBER("Textures", DisplaySettings, dwTextures),
    KV_BOOL("RotateByExif", DisplaySettings, bRotateByExif),
};

const SettingValue kCalendarValues[] = {
    KV_BOOL("Show", CalendarSettings, bShow),
    KV_TEXT("CalendarFontName", CalendarSettings, szCalendarFontName),
    KV_NUMBER("CalendarFontSize", CalendarSettings, dwCalendarFontSize),
    KV_NUMBER("CalendarFontCharSet", CalendarSettings, dwCalendarFontCharSet),
    KV_BOOL("CalendarFontBold", CalendarSettings, bCalendarFontBold),
    KV_BOOL("CalendarFontItalic", CalendarSettings, bCalendarFontItalic),
    KV_BOOL("CalendarFontUnderline", CalendarSettings, bCalendarFontUnderline),
    KV_NUMBER("Position", CalendarSettings, dwPosition),
    KV_NUMBER("VerMargin", CalendarSettings, dwVerMargin),
    KV_NUMBER("HorMargin", CalendarSettings, dwHorMargin),
    KV_NUMBER("HighlightToday", CalendarSettings, dwHighlightToday),
    KV_NUMBER("MonthsBefore", CalendarSettings, dwMonthsBefore),
    KV_NUMBER("MonthsAfter", CalendarSettings, dwMonthsAfter),
    KV_NUMBER("Organization", CalendarSettings, dwOrganization),
    KV_NUMBER("MaxMonths", CalendarSettings, dwMaxMonths),
};

const SettingValue kAgentValues[] = {
    KV_BOOL("AutoRun", AgentSettings, bAutoRun),
    KV_BOOL("Block", AgentSettings, bBlock),
    KV_BOOL("ShowProgress", AgentSettings, bShowProgress),
    KV_BOOL("SysTrayIcon", AgentSettings, bSysTrayIcon),
    KV_TEXT("ConflictingPrgs", AgentSettings, szConflictingPrgs),
};

const SettingValue kFilesValues[] = {
    KV_TEXT("WorkBmpFile", FilesSettings, szWorkBmpFile),
    KV_TEXT("FolderListFile", FilesSettings, szFolderListFile),
    KV_TEXT("FileListDatFile", FilesSettings, szFileListDatFile),
    KV_TEXT("FileListStrFile", FilesSettings, szFileListStrFile),
};

const SettingValue kCurrentImageValues[] = {
    KV_BOOL("Active", CurrentImageSettings, bActive),
    KV_BOOL("AlreadySet", CurrentImageSettings, bAlreadySet),
    KV_NUMBER("TextColor", CurrentImageSettings, dwTextColor),
    KV_NUMBER("BackColor", CurrentImageSettings, dwBackColor),
    KV_TEXT("ImagePath", CurrentImageSettings, szImagePath),
    KV_TEXT("ImageName", CurrentImageSettings, szImageName),
    KV_VALUE("LastChangeTime", CurrentImageSettings, ftLastChangeTime, FileTime),
};

const SettingValue kScreenSaverValues[] = {
    KV_NUMBER("ExchangePeriod", ScreenSaverSettings, dwExchangePeriod),
    KV_BOOL("RandomSelection", ScreenSaverSettings, bRandomSelection),
    KV_BOOL("Interpolation", ScreenSaverSettings, bInterpolation),
    KV_BOOL("ShrinkOnly", ScreenSaverSettings, bShrinkOnly),
    KV_BOOL("BlackBackground", ScreenSaverSettings, bBlackBackground),
    KV_BOOL("ShowFileName", ScreenSaverSettings, bShowFileName),
    KV_BOOL("ShowFilePath", ScreenSaverSettings, bShowFilePath),
    KV_TEXT("FileFontName", ScreenSaverSettings, szFileFontName),
    KV_NUMBER("FileFontSize", ScreenSaverSettings, dwFileFontSize),
    KV_NUMBER("FileFontCharSet", ScreenSaverSettings, dwFileFontCharSet),
    KV_BOOL("FileFontBold", ScreenSaverSettings, bFileFontBold),
    KV_BOOL("FileFontItalic", ScreenSaverSettings, bFileFontItalic),
    KV_BOOL("FileFontUnderline", ScreenSaverSettings, bFileFontUnderline),
    KV_NUMBER("FileNameVerMargin", ScreenSaverSettings, dwFileNameVerMargin),
    KV_NUMBER("FileNameHorMargin", ScreenSaverSettings, dwFileNameHorMargin),
    KV_NUMBER("FileNamePosition", ScreenSaverSettings, dwFileNamePosition),
    KV_BOOL("FileNameAddDate", ScreenSaverSettings, bFileNameAddDate),
};

}  // namespace

const SettingSection kExchangeSection = {"Exchange", kExchangeValues, std::size(kExchangeValues), true};
const SettingSection kDisplaySection = {"Display", kDisplayValues, std::size(kDisplayValues), true};
const SettingSection kCalendarSection = {"Calendar", kCalendarValues, std::size(kCalendarValues), true};
const SettingSection kAgentSection = {"Agent", kAgentValues, std::size(kAgentValues), true};
const SettingSection kFilesSection = {"Files", kFilesValues, std::size(kFilesValues), true};
// Read after every wallpaper change; its values would only repeat in the log.
const SettingSection kCurrentImageSection = {"CurrentImage", kCurrentImageValues,
                                             std::size(kCurrentImageValues), false};
const SettingSection kScreenSaverSection = {"ScreenSaver", kScreenSaverValues, std::size(kScreenSaverValues),
                                            true};
