// The Manager's settings schema: which record values the user edits, with which editor and texts.
// Each row names its record member; the registry name, the section, the item's default and its
// limits come from the record's table of values.
#include "Umanaglang.h"
#include "Settings.h"
#include "SettingsSchema.h"
#include "Wcommon.h"

#include <cstring>
#include <string>

namespace manager {

namespace {

constexpr size_t kHeading = static_cast<size_t>(-1);

#define KV_MEMBER(member) offsetof(RegistryRecord, member)

const ManagerTextKey kExchangeTypes[] = {glm_DoNotMake,      glm_AfterMidnight, glm_AfterReboot,
                                         glm_EveryHour,      glm_EveryHalfHour, glm_EveryQuarterHour,
                                         glm_Every10Minutes, glm_EveryNMinutes};
const ManagerTextKey kPreferences[] = {glm_NoPreferences, glm_PreferNew, glm_PreferSeason};
const ManagerTextKey kFitTypes[] = {glm_Shrink, glm_Clip, glm_Stretch};
const ManagerTextKey kTextures[] = {glm_DoNotUse, glm_Soft, glm_Normal, glm_Strong};
const ManagerTextKey kCorners[] = {glm_RightTop, glm_RightBottom, glm_LeftTop, glm_LeftBottom};
const ManagerTextKey kOrganizations[] = {glm_ByRows, glm_ByColumns};

struct Options {
    const ManagerTextKey* keys = nullptr;
    int count = 0;
    template <size_t N> Options(const ManagerTextKey (&list)[N]) : keys(list), count(static_cast<int>(N)) {}
    Options() = default;
};

// Units are Manager texts, or a literal sign.
struct Units {
    const char* literal = nullptr;
    ManagerTextKey key = kManagerTextCount;
    Units() = default;
    Units(ManagerTextKey k) : key(k) {}
    Units(const char* text) : literal(text) {}
    const char* Text() const
    {
        return literal ? literal : key != kManagerTextCount ? manager::Text(key) : "";
    }
};

struct SchemaRow {
    const SettingSection* section;
    int level;
    SettingsItemType type;
    size_t member;  // offsetof in RegistryRecord; kHeading for a heading
    ManagerTextKey caption;
    Options options;
    Units units;
    int picture;
};

// Section, level, type, record member, caption, options, units, help picture.
const SchemaRow kSchema[] = {
    // clang-format off
    {&kExchangeSection, 0, stHeading, kHeading, glm_WallpaperExchangeSettings, {}, {}, 0},
    {&kExchangeSection, 1, stChoice, KV_MEMBER(Exchange.dwType), glm_AutoExchange, kExchangeTypes, {}, 0},
    {&kExchangeSection, 2, stInteger, KV_MEMBER(Exchange.dwPeriod), glm_ExchangePeriod, {}, glm_Minutes, 0},
    {&kExchangeSection, 1, stChoice, KV_MEMBER(Exchange.dwRandomSelection), glm_RandomSelection, kPreferences, {}, 0},

    {&kDisplaySection, 0, stHeading, kHeading, glm_WallpaperDisplay, {}, {}, 0},
    {&kDisplaySection, 1, stBoolean, KV_MEMBER(Display.bAdaptTextBackColor), glm_AdaptBackColor, {}, {}, 2},
    {&kDisplaySection, 1, stBoolean, KV_MEMBER(Display.bTransparentText), glm_TransparentText, {}, {}, 3},
    {&kDisplaySection, 1, stBoolean, KV_MEMBER(Display.bInterpolation), glm_Interpolation, {}, {}, 0},
    {&kDisplaySection, 1, stHeading, kHeading, glm_Size, {}, {}, 0},
    {&kDisplaySection, 2, stInteger, KV_MEMBER(Display.dwMinSize), glm_MinSize, {}, glm_Pixels, 0},
    {&kDisplaySection, 2, stInteger, KV_MEMBER(Display.dwMaxSize), glm_MaxSize, {}, glm_Pixels, 0},
    {&kDisplaySection, 2, stInteger, KV_MEMBER(Display.dwMinRatio), glm_MinRatio, {}, "%", 0},
    {&kDisplaySection, 1, stChoice, KV_MEMBER(Display.dwFitType), glm_IfRatioDiferent, kFitTypes, {}, 1},
    {&kDisplaySection, 2, stInteger, KV_MEMBER(Display.dwMaxAspectRatioDiff), glm_MaxClipStretch, {}, "%", 0},
    {&kDisplaySection, 1, stBoolean, KV_MEMBER(Display.bShrinkOnly), glm_DoNotStretchSmall, {}, {}, 0},
    {&kDisplaySection, 1, stBoolean, KV_MEMBER(Display.bUseMargins), glm_Margins, {}, {}, 0},
    {&kDisplaySection, 2, stInteger, KV_MEMBER(Display.dwMarginLeft), glm_MarginLeft, {}, glm_Pixels, 5},
    {&kDisplaySection, 2, stInteger, KV_MEMBER(Display.dwMarginRight), glm_MarginRight, {}, glm_Pixels, 6},
    {&kDisplaySection, 2, stInteger, KV_MEMBER(Display.dwMarginTop), glm_MarginTop, {}, glm_Pixels, 7},
    {&kDisplaySection, 2, stInteger, KV_MEMBER(Display.dwMarginBottom), glm_MarginBottom, {}, glm_Pixels, 8},
    {&kDisplaySection, 2, stBoolean, KV_MEMBER(Display.bFrame), glm_AddFrame, {}, {}, 4},
    {&kDisplaySection, 1, stChoice, KV_MEMBER(Display.dwTextures), glm_Textures, kTextures, {}, 0},
    {&kDisplaySection, 1, stBoolean, KV_MEMBER(Display.bShowFileName), glm_AddFileName, {}, {}, 0},
    {&kDisplaySection, 2, stBoolean, KV_MEMBER(Display.bShowFilePath), glm_ShowFilePath, {}, {}, 0},
    {&kDisplaySection, 2, stFont, KV_MEMBER(Display.szFileFontName), glm_FileNameFont, {}, {}, 0},
    {&kDisplaySection, 2, stChoice, KV_MEMBER(Display.dwFileNamePosition), glm_FileNamePosition, kCorners, {}, 0},
    {&kDisplaySection, 2, stInteger, KV_MEMBER(Display.dwFileNameVerMargin), glm_FileNameDistLR, {}, glm_Pixels, 0},
    {&kDisplaySection, 2, stInteger, KV_MEMBER(Display.dwFileNameHorMargin), glm_FileNameDistTB, {}, glm_Pixels, 0},
    {&kDisplaySection, 2, stBoolean, KV_MEMBER(Display.bFileNameAddDate), glm_AddDate, {}, {}, 0},
    {&kDisplaySection, 1, stBoolean, KV_MEMBER(Display.bRotateByExif), glm_RotateByExif, {}, {}, 0},

    {&kCalendarSection, 0, stHeading, kHeading, glm_Calendar, {}, {}, 0},
    {&kCalendarSection, 1, stBoolean, KV_MEMBER(Calendar.bShow), glm_ShowCalendar, {}, {}, 9},
    {&kCalendarSection, 1, stFont, KV_MEMBER(Calendar.szCalendarFontName), glm_CalendarFont, {}, {}, 0},
    {&kCalendarSection, 1, stChoice, KV_MEMBER(Calendar.dwPosition), glm_CalendarPosition, kCorners, {}, 0},
    {&kCalendarSection, 1, stInteger, KV_MEMBER(Calendar.dwVerMargin), glm_CalendarDistLR, {}, glm_Pixels, 0},
    {&kCalendarSection, 1, stInteger, KV_MEMBER(Calendar.dwHorMargin), glm_CalendarDistTB, {}, glm_Pixels, 0},
    {&kCalendarSection, 1, stBoolean, KV_MEMBER(Calendar.dwHighlightToday), glm_HighlightCurrentDay, {}, {}, 0},
    {&kCalendarSection, 1, stInteger, KV_MEMBER(Calendar.dwMonthsBefore), glm_DisplayMonthsBefore, {}, glm_Months, 0},
    {&kCalendarSection, 1, stInteger, KV_MEMBER(Calendar.dwMonthsAfter), glm_DisplayMonthsAfter, {}, glm_Months, 0},
    {&kCalendarSection, 1, stChoice, KV_MEMBER(Calendar.dwOrganization), glm_MonthsDisplayType, kOrganizations, {}, 0},
    {&kCalendarSection, 1, stInteger, KV_MEMBER(Calendar.dwMaxMonths), glm_MaxMonths, {}, glm_Months, 0},

    {&kAgentSection, 0, stHeading, kHeading, glm_Agent, {}, {}, 0},
    {&kAgentSection, 1, stBoolean, KV_MEMBER(Agent.bAutoRun), glm_AgentAutoRun, {}, {}, 0},
    {&kAgentSection, 1, stBoolean, KV_MEMBER(Agent.bSysTrayIcon), glm_AgentShow, {}, {}, 10},
    {&kAgentSection, 1, stBoolean, KV_MEMBER(Agent.bBlock), glm_AgentDisable, {}, {}, 0},
    {&kAgentSection, 1, stProgramList, KV_MEMBER(Agent.szConflictingPrgs), glm_AgentConflictPrgs, {}, {}, 0},

    {&kScreenSaverSection, 0, stHeading, kHeading, glm_ScreenSaver, {}, {}, 0},
    {&kScreenSaverSection, 1, stBoolean, KV_MEMBER(ScreenSaver.bRandomSelection), glm_ScrRandomSelection, {}, {}, 0},
    {&kScreenSaverSection, 1, stInteger, KV_MEMBER(ScreenSaver.dwExchangePeriod), glm_ScrExchangePeriod, {}, glm_Seconds, 0},
    {&kScreenSaverSection, 1, stBoolean, KV_MEMBER(ScreenSaver.bShowFileName), glm_ScrAddFileName, {}, {}, 0},
    {&kScreenSaverSection, 1, stBoolean, KV_MEMBER(ScreenSaver.bShowFilePath), glm_ScrShowFilePath, {}, {}, 0},
    {&kScreenSaverSection, 2, stFont, KV_MEMBER(ScreenSaver.szFileFontName), glm_ScrFileNameFont, {}, {}, 0},
    {&kScreenSaverSection, 2, stChoice, KV_MEMBER(ScreenSaver.dwFileNamePosition), glm_ScrFileNamePosition, kCorners, {}, 0},
    {&kScreenSaverSection, 2, stInteger, KV_MEMBER(ScreenSaver.dwFileNameVerMargin), glm_ScrFileNameDistLR, {}, glm_Pixels, 0},
    {&kScreenSaverSection, 2, stInteger, KV_MEMBER(ScreenSaver.dwFileNameHorMargin), glm_ScrFileNameDistTB, {}, glm_Pixels, 0},
    {&kScreenSaverSection, 2, stBoolean, KV_MEMBER(ScreenSaver.bFileNameAddDate), glm_ScrAddDate, {}, {}, 0},
    {&kScreenSaverSection, 1, stBoolean, KV_MEMBER(ScreenSaver.bInterpolation), glm_ScrInterpolation, {}, {}, 0},
    {&kScreenSaverSection, 1, stBoolean, KV_MEMBER(ScreenSaver.bShrinkOnly), glm_ScrDoNotStretchSmall, {}, {}, 0},
    {&kScreenSaverSection, 1, stBoolean, KV_MEMBER(ScreenSaver.bBlackBackground), glm_ScrBlackBackground, {}, {}, 11},
    // clang-format on
};

// The registry key of a row: the value's name, or for a font the common stem of its six values
// ("FileFont" of "FileFontName").
std::string KeyOf(const SchemaRow& row)
{
    if (row.member == kHeading) return std::string();
    // A member of another section would bind the item to a namesake there (FileFont is in two).
    const SettingSection* section = nullptr;
    const SettingValue* value = FindSettingAt(row.member, &section);
    if (!value || section != row.section) return std::string();
    std::string key = value->valueName;
    if (row.type == stFont) key.erase(key.size() - std::strlen(kFontValueSuffixes[fvName]));
    return key;
}

// Every item explains itself with the text of its caption key followed by "Help"; headings do
// not, except the screen saver's, and a caption without such a text has none.
const char* HelpOf(const SchemaRow& row)
{
    if (row.type == stHeading && row.level == 0 && row.caption != glm_ScreenSaver) return "";
    ManagerTextKey help;
    const std::string name = std::string(ManagerTextName(row.caption)) + "Help";
    return FindManagerText(name.c_str(), help) ? Text(help) : "";
}

// The item's default and limits, from the row of its value in the record's table: the Manager's
// own default and the value's bounds; a font's size and character set from its "Size" and "CharSet"
// rows.
void SetDefaultAndLimits(CSettingsItem& item, const SchemaRow& row, const SettingValue& value,
                         const char* defaultFontName)
{
    const int managerDefault = static_cast<int>(value.managerDefault);
    switch (row.type) {
    case stInteger:
        item.SetRange(managerDefault, static_cast<int>(value.range.min), static_cast<int>(value.range.max),
                      1);
        break;
    case stBoolean:
        item.SetBool(managerDefault);
        break;
    case stChoice:
        for (int i = 0; i < row.options.count; ++i)
            item.AddOption(Text(row.options.keys[i]));
        item.SetChoice(managerDefault, 1);
        break;
    case stFont: {
        const SettingValue* size = item.FontValueOf(fvSize);
        const SettingValue* charset = item.FontValueOf(fvCharset);
        item.SetFont(defaultFontName, size ? static_cast<int>(size->managerDefault) : 0, nullptr,
                     kClWindowText, charset ? static_cast<int>(charset->managerDefault) : 0);
        break;
    }
    default:
        break;
    }
}

}  // namespace

void BuildSettingsSchema(CSettings& settings, const char* defaultFontName)
{
    const SettingSection* section = nullptr;
    for (const SchemaRow& row : kSchema) {
        if (row.section != section) {
            section = row.section;
            settings.BeginSection(section->subkey, true);
        }
        CSettingsItem* item = settings.AddItem(row.type, KeyOf(row).c_str(), Text(row.caption), row.level);
        if (!item) continue;
        item->SetUnits(row.units.Text());
        if (const SettingValue* value = item->RegistryValue())
            SetDefaultAndLimits(*item, row, *value, defaultFontName);
        item->SetPicture(row.picture);
        item->SetHelp(HelpOf(row));
    }
}

}  // namespace manager
