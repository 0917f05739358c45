// The registry value tables of the settings sections: name, member, kind and default of every
// value, written once.
#include "Usettingsvalues.h"
#include "Wcommon.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#define KV_VALUE(name, part, member, kind, source, fixed)                                                    \
    SettingValue                                                                                             \
    {                                                                                                        \
        name, #member, SettingKind::kind, offsetof(part, member), sizeof(part::member),                      \
            SettingDefault::source, static_cast<DWORD>(fixed)                                                \
    }
#define KV_NUMBER(name, part, member, fixed) KV_VALUE(name, part, member, Number, Fixed, fixed)
#define KV_BOOL(name, part, member, fixed) KV_VALUE(name, part, member, Boolean, Fixed, fixed)
#define KV_NUMBER_FROM(name, part, member, source) KV_VALUE(name, part, member, Number, source, 0)
#define KV_BOOL_FROM(name, part, member, source) KV_VALUE(name, part, member, Boolean, source, 0)
#define KV_TEXT(name, part, member) KV_VALUE(name, part, member, Text, Fixed, 0)
#define KV_FONT_NAME(name, part, member) KV_VALUE(name, part, member, Text, FontName, 0)

namespace {

const SettingValue kExchangeValues[] = {
    KV_NUMBER("Type", ExchangeSettings, dwType, CHANGE_AFTER_PC_START),
    KV_NUMBER("Period", ExchangeSettings, dwPeriod, 60),
    KV_NUMBER("RandomSelection", ExchangeSettings, dwRandomSelection, 1),
};

const SettingValue kDisplayValues[] = {
    KV_BOOL("ShowFileName", DisplaySettings, bShowFileName, 1),
    KV_BOOL("ShowFilePath", DisplaySettings, bShowFilePath, 0),
    KV_FONT_NAME("FileFontName", DisplaySettings, szFileFontName),
    KV_NUMBER("FileFontSize", DisplaySettings, dwFileFontSize, 8),
    KV_NUMBER("FileFontCharSet", DisplaySettings, dwFileFontCharSet, DEFAULT_CHARSET),
    KV_BOOL("FileFontBold", DisplaySettings, bFileFontBold, 0),
    KV_BOOL("FileFontItalic", DisplaySettings, bFileFontItalic, 0),
    KV_BOOL("FileFontUnderline", DisplaySettings, bFileFontUnderline, 0),
    KV_NUMBER("FileNameVerMargin", DisplaySettings, dwFileNameVerMargin, 10),
    KV_NUMBER("FileNameHorMargin", DisplaySettings, dwFileNameHorMargin, 10),
    KV_NUMBER("FileNamePosition", DisplaySettings, dwFileNamePosition, 1),
    KV_BOOL("FileNameAddDate", DisplaySettings, bFileNameAddDate, 1),
    KV_BOOL("AdaptTextBackColor", DisplaySettings, bAdaptTextBackColor, 1),
    KV_BOOL("AdaptTextBackColorSys", DisplaySettings, bAdaptTextBackColorSys, 0),
    KV_BOOL("TransparentText", DisplaySettings, bTransparentText, 1),
    KV_BOOL("Interpolation", DisplaySettings, bInterpolation, 1),
    KV_NUMBER("MinSize", DisplaySettings, dwMinSize, 400),
    KV_NUMBER("MaxSize", DisplaySettings, dwMaxSize, 4000),
    KV_NUMBER("MinRatio", DisplaySettings, dwMinRatio, 50),
    KV_NUMBER("FitType", DisplaySettings, dwFitType, 0),
    KV_NUMBER("MaxAspectRatioDiff", DisplaySettings, dwMaxAspectRatioDiff, 15),
    KV_BOOL("ShrinkOnly", DisplaySettings, bShrinkOnly, 0),
    KV_BOOL("UseMargins", DisplaySettings, bUseMargins, 1),
    KV_NUMBER_FROM("MarginLeft", DisplaySettings, dwMarginLeft, MarginLeft),
    KV_NUMBER_FROM("MarginRight", DisplaySettings, dwMarginRight, MarginRight),
    KV_NUMBER_FROM("MarginTop", DisplaySettings, dwMarginTop, MarginTop),
    KV_NUMBER_FROM("MarginBottom", DisplaySettings, dwMarginBottom, MarginBottom),
    KV_BOOL_FROM("Frame", DisplaySettings, bFrame, FrameWithMargins),
    KV_NUMBER("Textures", DisplaySettings, dwTextures, 2),
    KV_BOOL("RotateByExif", DisplaySettings, bRotateByExif, 1),
};

const SettingValue kCalendarValues[] = {
    KV_BOOL_FROM("Show", CalendarSettings, bShow, CalendarShow),
    KV_FONT_NAME("CalendarFontName", CalendarSettings, szCalendarFontName),
    KV_NUMBER("CalendarFontSize", CalendarSettings, dwCalendarFontSize, 8),
    KV_NUMBER("CalendarFontCharSet", CalendarSettings, dwCalendarFontCharSet, DEFAULT_CHARSET),
    KV_BOOL("CalendarFontBold", CalendarSettings, bCalendarFontBold, 0),
    KV_BOOL("CalendarFontItalic", CalendarSettings, bCalendarFontItalic, 0),
    KV_BOOL("CalendarFontUnderline", CalendarSettings, bCalendarFontUnderline, 0),
    KV_NUMBER("Position", CalendarSettings, dwPosition, 0),
    KV_NUMBER("VerMargin", CalendarSettings, dwVerMargin, 10),
    KV_NUMBER("HorMargin", CalendarSettings, dwHorMargin, 10),
    KV_NUMBER("HighlightToday", CalendarSettings, dwHighlightToday, 1),
    KV_NUMBER("MonthsBefore", CalendarSettings, dwMonthsBefore, 1),
    KV_NUMBER("MonthsAfter", CalendarSettings, dwMonthsAfter, 2),
    KV_NUMBER("Organization", CalendarSettings, dwOrganization, 1),
    KV_NUMBER("MaxMonths", CalendarSettings, dwMaxMonths, 5),
};

const SettingValue kAgentValues[] = {
    KV_BOOL("AutoRun", AgentSettings, bAutoRun, 1),
    KV_BOOL("Block", AgentSettings, bBlock, 0),
    KV_BOOL("ShowProgress", AgentSettings, bShowProgress, 0),
    KV_BOOL("SysTrayIcon", AgentSettings, bSysTrayIcon, 1),
    KV_TEXT("ConflictingPrgs", AgentSettings, szConflictingPrgs),
};

const SettingValue kFilesValues[] = {
    KV_TEXT("WorkBmpFile", FilesSettings, szWorkBmpFile),
    KV_TEXT("FolderListFile", FilesSettings, szFolderListFile),
    KV_TEXT("FileListDatFile", FilesSettings, szFileListDatFile),
    KV_TEXT("FileListStrFile", FilesSettings, szFileListStrFile),
};

const SettingValue kCurrentImageValues[] = {
    KV_BOOL("Active", CurrentImageSettings, bActive, 0),
    KV_BOOL("AlreadySet", CurrentImageSettings, bAlreadySet, 0),
    KV_NUMBER("TextColor", CurrentImageSettings, dwTextColor, RGB(255, 255, 255)),
    KV_NUMBER("BackColor", CurrentImageSettings, dwBackColor, RGB(0, 0, 0)),
    KV_TEXT("ImagePath", CurrentImageSettings, szImagePath),
    KV_TEXT("ImageName", CurrentImageSettings, szImageName),
    KV_VALUE("LastChangeTime", CurrentImageSettings, ftLastChangeTime, FileTime, Fixed, 0),
};

const SettingValue kScreenSaverValues[] = {
    KV_NUMBER("ExchangePeriod", ScreenSaverSettings, dwExchangePeriod, 10),
    KV_BOOL("RandomSelection", ScreenSaverSettings, bRandomSelection, 0),
    KV_BOOL("Interpolation", ScreenSaverSettings, bInterpolation, 0),
    KV_BOOL("ShrinkOnly", ScreenSaverSettings, bShrinkOnly, 1),
    KV_BOOL("BlackBackground", ScreenSaverSettings, bBlackBackground, 1),
    KV_BOOL("ShowFileName", ScreenSaverSettings, bShowFileName, 1),
    KV_BOOL("ShowFilePath", ScreenSaverSettings, bShowFilePath, 0),
    KV_FONT_NAME("FileFontName", ScreenSaverSettings, szFileFontName),
    KV_NUMBER("FileFontSize", ScreenSaverSettings, dwFileFontSize, 10),
    KV_NUMBER("FileFontCharSet", ScreenSaverSettings, dwFileFontCharSet, DEFAULT_CHARSET),
    KV_BOOL("FileFontBold", ScreenSaverSettings, bFileFontBold, 0),
    KV_BOOL("FileFontItalic", ScreenSaverSettings, bFileFontItalic, 0),
    KV_BOOL("FileFontUnderline", ScreenSaverSettings, bFileFontUnderline, 0),
    KV_NUMBER("FileNameVerMargin", ScreenSaverSettings, dwFileNameVerMargin, 10),
    KV_NUMBER("FileNameHorMargin", ScreenSaverSettings, dwFileNameHorMargin, 10),
    KV_NUMBER("FileNamePosition", ScreenSaverSettings, dwFileNamePosition, 1),
    KV_BOOL("FileNameAddDate", ScreenSaverSettings, bFileNameAddDate, 1),
};

}  // namespace

#define KV_SECTION(name, part, values, logReads)                                                             \
    {                                                                                                        \
        name, offsetof(RegistryRecord, part), values, std::size(values), logReads, 0                         \
    }

const SettingSection kExchangeSection = KV_SECTION("Exchange", Exchange, kExchangeValues, true);
const SettingSection kDisplaySection = KV_SECTION("Display", Display, kDisplayValues, true);
const SettingSection kCalendarSection = KV_SECTION("Calendar", Calendar, kCalendarValues, true);
const SettingSection kAgentSection = KV_SECTION("Agent", Agent, kAgentValues, true);
const SettingSection kFilesSection = KV_SECTION("Files", Files, kFilesValues, true);
// Read after every wallpaper change; its values would only repeat in the log.
const SettingSection kCurrentImageSection =
    KV_SECTION("CurrentImage", CurrentImage, kCurrentImageValues, false);
const SettingSection kScreenSaverSection = KV_SECTION("ScreenSaver", ScreenSaver, kScreenSaverValues, true);

const SettingSection* const kSettingSections[kSettingSectionCount] = {
    &kExchangeSection, &kDisplaySection,      &kCalendarSection,    &kAgentSection,
    &kFilesSection,    &kCurrentImageSection, &kScreenSaverSection,
};

DWORD RegistryTypeOf(SettingKind kind)
{
    switch (kind) {
    case SettingKind::Number:
    case SettingKind::Boolean:
        return REG_DWORD;
    case SettingKind::Text:
        return REG_SZ;
    case SettingKind::FileTime:
        return REG_BINARY;
    }
    return REG_NONE;
}

const SettingSection* FindSettingSection(const char* subkey)
{
    if (!subkey) return nullptr;
    for (const SettingSection* section : kSettingSections) {
        if (::_stricmp(section->subkey, subkey) == 0) return section;
    }
    return nullptr;
}

const SettingValue* FindSettingValue(const SettingSection& section, const char* valueName)
{
    if (!valueName) return nullptr;
    for (size_t i = 0; i < section.count; ++i) {
        if (::_stricmp(section.values[i].valueName, valueName) == 0) return &section.values[i];
    }
    return nullptr;
}

SettingSubset::SettingSubset(const SettingSection& whole, std::initializer_list<const char*> valueNames)
    : m_Section{whole.subkey, whole.partOffset, nullptr, 0, false, 0}
{
    for (const char* name : valueNames) {
        const SettingValue* value = FindSettingValue(whole, name);
        if (value)
            m_Values.push_back(*value);
        else
            m_bComplete = false;
    }
    m_Section.values = m_Values.data();
    m_Section.count = m_Values.size();
    for (const SettingValue& value : m_Values)
        m_Section.logColumn = std::max(m_Section.logColumn, std::strlen(value.memberName) + 1);
}

const SettingValue* FindSettingAt(size_t recordOffset, const SettingSection** found)
{
    for (const SettingSection* section : kSettingSections) {
        for (size_t i = 0; i < section->count; ++i) {
            if (section->partOffset + section->values[i].offset != recordOffset) continue;
            if (found) *found = section;
            return &section->values[i];
        }
    }
    return nullptr;
}
