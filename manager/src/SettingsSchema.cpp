// The Manager's settings schema: which record values the user edits, with which editor, default,
// limits and texts. Each row names its record member; the registry name and section come from the
// record's table of values.
#include "Umanaglang.h"
#include "Settings.h"
#include "SettingsSchema.h"
#include "Wcommon.h"

#include <cstring>
#include <string>

namespace manager {

namespace {

constexpr size_t kHeading = static_cast<size_t>(-1);
constexpr int kEastEuropeCharset = 238;

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
    int value;  // default: number, option index, switch, or font size
    int min;
    int max;
    Options options;
    Units units;
    int picture;
};

// Section, level, type, record member, caption, default, min, max, options, units, help picture.
const SchemaRow kSchema[] = {
    // clang-format off
    {&kExchangeSection, 0, stHeading, kHeading, glm_WallpaperExchangeSettings, 0, 0, 0, {}, {}, 0},
    {&kExchangeSection, 1, stChoice, KV_MEMBER(Exchange.dwType), glm_AutoExchange, 3, 0, 0, kExchangeTypes, {}, 0},
    {&kExchangeSection, 2, stInteger, KV_MEMBER(Exchange.dwPeriod), glm_ExchangePeriod, 10, 1, 1000, {}, glm_Minutes, 0},
    {&kExchangeSection, 1, stChoice, KV_MEMBER(Exchange.dwRandomSelection), glm_RandomSelection, 1, 0, 0, kPreferences, {}, 0},

    {&kDisplaySection, 0, stHeading, kHeading, glm_WallpaperDisplay, 0, 0, 0, {}, {}, 0},
    {&kDisplaySection, 1, stBoolean, KV_MEMBER(Display.bAdaptTextBackColor), glm_AdaptBackColor, 1, 0, 0, {}, {}, 2},
    {&kDisplaySection, 1, stBoolean, KV_MEMBER(Display.bTransparentText), glm_TransparentText, 1, 0, 0, {}, {}, 3},
    {&kDisplaySection, 1, stBoolean, KV_MEMBER(Display.bInterpolation), glm_Interpolation, 1, 0, 0, {}, {}, 0},
    {&kDisplaySection, 1, stHeading, kHeading, glm_Size, 0, 0, 0, {}, {}, 0},
    {&kDisplaySection, 2, stInteger, KV_MEMBER(Display.dwMinSize), glm_MinSize, 480, 240, 5000, {}, glm_Pixels, 0},
    {&kDisplaySection, 2, stInteger, KV_MEMBER(Display.dwMaxSize), glm_MaxSize, 3200, 480, 10000, {}, glm_Pixels, 0},
    {&kDisplaySection, 2, stInteger, KV_MEMBER(Display.dwMinRatio), glm_MinRatio, 30, 10, 70, {}, "%", 0},
    {&kDisplaySection, 1, stChoice, KV_MEMBER(Display.dwFitType), glm_IfRatioDiferent, 0, 0, 0, kFitTypes, {}, 1},
    {&kDisplaySection, 2, stInteger, KV_MEMBER(Display.dwMaxAspectRatioDiff), glm_MaxClipStretch, 15, 0, 50, {}, "%", 0},
    {&kDisplaySection, 1, stBoolean, KV_MEMBER(Display.bShrinkOnly), glm_DoNotStretchSmall, 0, 0, 0, {}, {}, 0},
    {&kDisplaySection, 1, stBoolean, KV_MEMBER(Display.bUseMargins), glm_Margins, 1, 0, 0, {}, {}, 0},
    {&kDisplaySection, 2, stInteger, KV_MEMBER(Display.dwMarginLeft), glm_MarginLeft, 0, 0, 1000, {}, glm_Pixels, 5},
    {&kDisplaySection, 2, stInteger, KV_MEMBER(Display.dwMarginRight), glm_MarginRight, 0, 0, 1000, {}, glm_Pixels, 6},
    {&kDisplaySection, 2, stInteger, KV_MEMBER(Display.dwMarginTop), glm_MarginTop, 0, 0, 1000, {}, glm_Pixels, 7},
    {&kDisplaySection, 2, stInteger, KV_MEMBER(Display.dwMarginBottom), glm_MarginBottom, 0, 0, 1000, {}, glm_Pixels, 8},
    {&kDisplaySection, 2, stBoolean, KV_MEMBER(Display.bFrame), glm_AddFrame, 0, 0, 0, {}, {}, 4},
    {&kDisplaySection, 1, stChoice, KV_MEMBER(Display.dwTextures), glm_Textures, 2, 0, 0, kTextures, {}, 0},
    {&kDisplaySection, 1, stBoolean, KV_MEMBER(Display.bShowFileName), glm_AddFileName, 1, 0, 0, {}, {}, 0},
    {&kDisplaySection, 2, stBoolean, KV_MEMBER(Display.bShowFilePath), glm_ShowFilePath, 1, 0, 0, {}, {}, 0},
    {&kDisplaySection, 2, stFont, KV_MEMBER(Display.szFileFontName), glm_FileNameFont, 8, 0, 0, {}, {}, 0},
    {&kDisplaySection, 2, stChoice, KV_MEMBER(Display.dwFileNamePosition), glm_FileNamePosition, 1, 0, 0, kCorners, {}, 0},
    {&kDisplaySection, 2, stInteger, KV_MEMBER(Display.dwFileNameVerMargin), glm_FileNameDistLR, 5, 0, 500, {}, glm_Pixels, 0},
    {&kDisplaySection, 2, stInteger, KV_MEMBER(Display.dwFileNameHorMargin), glm_FileNameDistTB, 5, 0, 500, {}, glm_Pixels, 0},
    {&kDisplaySection, 2, stBoolean, KV_MEMBER(Display.bFileNameAddDate), glm_AddDate, 1, 0, 0, {}, {}, 0},
    {&kDisplaySection, 1, stBoolean, KV_MEMBER(Display.bRotateByExif), glm_RotateByExif, 1, 0, 0, {}, {}, 0},

    {&kCalendarSection, 0, stHeading, kHeading, glm_Calendar, 0, 0, 0, {}, {}, 0},
    {&kCalendarSection, 1, stBoolean, KV_MEMBER(Calendar.bShow), glm_ShowCalendar, 1, 0, 0, {}, {}, 9},
    {&kCalendarSection, 1, stFont, KV_MEMBER(Calendar.szCalendarFontName), glm_CalendarFont, 10, 0, 0, {}, {}, 0},
    {&kCalendarSection, 1, stChoice, KV_MEMBER(Calendar.dwPosition), glm_CalendarPosition, 0, 0, 0, kCorners, {}, 0},
    {&kCalendarSection, 1, stInteger, KV_MEMBER(Calendar.dwVerMargin), glm_CalendarDistLR, 20, 0, 500, {}, glm_Pixels, 0},
    {&kCalendarSection, 1, stInteger, KV_MEMBER(Calendar.dwHorMargin), glm_CalendarDistTB, 20, 0, 500, {}, glm_Pixels, 0},
    {&kCalendarSection, 1, stBoolean, KV_MEMBER(Calendar.dwHighlightToday), glm_HighlightCurrentDay, 1, 0, 0, {}, {}, 0},
    {&kCalendarSection, 1, stInteger, KV_MEMBER(Calendar.dwMonthsBefore), glm_DisplayMonthsBefore, 1, 1, 12, {}, glm_Months, 0},
    {&kCalendarSection, 1, stInteger, KV_MEMBER(Calendar.dwMonthsAfter), glm_DisplayMonthsAfter, 2, 1, 12, {}, glm_Months, 0},
    {&kCalendarSection, 1, stChoice, KV_MEMBER(Calendar.dwOrganization), glm_MonthsDisplayType, 0, 0, 0, kOrganizations, {}, 0},
    {&kCalendarSection, 1, stInteger, KV_MEMBER(Calendar.dwMaxMonths), glm_MaxMonths, 5, 1, 12, {}, glm_Months, 0},

    {&kAgentSection, 0, stHeading, kHeading, glm_Agent, 0, 0, 0, {}, {}, 0},
    {&kAgentSection, 1, stBoolean, KV_MEMBER(Agent.bAutoRun), glm_AgentAutoRun, 1, 0, 0, {}, {}, 0},
    {&kAgentSection, 1, stBoolean, KV_MEMBER(Agent.bSysTrayIcon), glm_AgentShow, 1, 0, 0, {}, {}, 10},
    {&kAgentSection, 1, stBoolean, KV_MEMBER(Agent.bBlock), glm_AgentDisable, 0, 0, 0, {}, {}, 0},
    {&kAgentSection, 1, stProgramList, KV_MEMBER(Agent.szConflictingPrgs), glm_AgentConflictPrgs, 0, 0, 0, {}, {}, 0},

    {&kScreenSaverSection, 0, stHeading, kHeading, glm_ScreenSaver, 0, 0, 0, {}, {}, 0},
    {&kScreenSaverSection, 1, stBoolean, KV_MEMBER(ScreenSaver.bRandomSelection), glm_ScrRandomSelection, 0, 0, 0, {}, {}, 0},
    {&kScreenSaverSection, 1, stInteger, KV_MEMBER(ScreenSaver.dwExchangePeriod), glm_ScrExchangePeriod, 10, 5, 99, {}, glm_Seconds, 0},
    {&kScreenSaverSection, 1, stBoolean, KV_MEMBER(ScreenSaver.bShowFileName), glm_ScrAddFileName, 1, 0, 0, {}, {}, 0},
    {&kScreenSaverSection, 1, stBoolean, KV_MEMBER(ScreenSaver.bShowFilePath), glm_ScrShowFilePath, 0, 0, 0, {}, {}, 0},
    {&kScreenSaverSection, 2, stFont, KV_MEMBER(ScreenSaver.szFileFontName), glm_ScrFileNameFont, 8, 0, 0, {}, {}, 0},
    {&kScreenSaverSection, 2, stChoice, KV_MEMBER(ScreenSaver.dwFileNamePosition), glm_ScrFileNamePosition, 1, 0, 0, kCorners, {}, 0},
    {&kScreenSaverSection, 2, stInteger, KV_MEMBER(ScreenSaver.dwFileNameVerMargin), glm_ScrFileNameDistLR, 5, 0, 500, {}, glm_Pixels, 0},
    {&kScreenSaverSection, 2, stInteger, KV_MEMBER(ScreenSaver.dwFileNameHorMargin), glm_ScrFileNameDistTB, 5, 0, 500, {}, glm_Pixels, 0},
    {&kScreenSaverSection, 2, stBoolean, KV_MEMBER(ScreenSaver.bFileNameAddDate), glm_ScrAddDate, 1, 0, 0, {}, {}, 0},
    {&kScreenSaverSection, 1, stBoolean, KV_MEMBER(ScreenSaver.bInterpolation), glm_ScrInterpolation, 1, 0, 0, {}, {}, 0},
    {&kScreenSaverSection, 1, stBoolean, KV_MEMBER(ScreenSaver.bShrinkOnly), glm_ScrDoNotStretchSmall, 0, 0, 0, {}, {}, 0},
    {&kScreenSaverSection, 1, stBoolean, KV_MEMBER(ScreenSaver.bBlackBackground), glm_ScrBlackBackground, 1, 0, 0, {}, {}, 11},
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
        switch (row.type) {
        case stInteger:
            item->SetRange(row.value, row.min, row.max, 1);
            break;
        case stBoolean:
            item->SetBool(row.value);
            break;
        case stChoice:
            for (int i = 0; i < row.options.count; ++i)
                item->AddOption(Text(row.options.keys[i]));
            item->SetChoice(row.value, 1);
            break;
        case stFont:
            item->SetFont(defaultFontName, row.value, nullptr, kClWindowText, kEastEuropeCharset);
            break;
        default:
            break;
        }
        item->SetPicture(row.picture);
        item->SetHelp(HelpOf(row));
    }
}

}  // namespace manager
