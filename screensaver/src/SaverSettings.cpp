#include "SaverSettings.h"

#include "Usettingsvalues.h"

#include <cstring>

namespace {

// The longest timer period the window timer keeps (USER_TIMER_MAXIMUM, about 24.8 days).
constexpr DWORD kMaxTimerMs = 0x7FFFFFFF;

// The period and the four switches, in the order the dialog has always written them.
const SettingSubset& DialogValues()
{
    static const SettingSubset values(
        kScreenSaverSection,
        {"ExchangePeriod", "RandomSelection", "Interpolation", "ShowFileName", "FileNameAddDate"});
    return values;
}

}  // namespace

bool ReadSaverDialogSettings(ScreenSaverSettings& settings)
{
    std::memset(&settings, 0, sizeof(settings));
    SetSectionDefaults(kScreenSaverSection, &settings, SettingDefaultInputs{});
    return ReadSectionFromRegistry(DialogValues().Section(), &settings);
}

bool WriteSaverDialogSettings(const ScreenSaverSettings& settings)
{
    return WriteSectionToRegistry(DialogValues().Section(), &settings);
}

DWORD PeriodFromFieldText(const char* text, DWORD shownPeriod)
{
    const char* p = text ? text : "";
    const char* const end = p + ::strnlen(p, 3);  // only the first three characters count
    while (p < end && (*p == ' ' || *p == '\t'))
        ++p;
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
    if (p == end || *p < '0' || *p > '9') return kDialogPeriodRange.Clamp(shownPeriod);
    DWORD value = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p)
        value = value * 10 + static_cast<DWORD>(*p - '0');
    // The number is taken as unsigned, so a negative entry is a huge period and clamps to the top.
    if (negative) value = 0u - value;
    return kDialogPeriodRange.Clamp(value);
}

UINT ExchangeTimerMs(DWORD periodSeconds)
{
    if (periodSeconds == 0) periodSeconds = 1;
    if (periodSeconds > kMaxTimerMs / 1000) return kMaxTimerMs;
    return periodSeconds * 1000;
}
