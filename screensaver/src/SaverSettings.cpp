#include "SaverSettings.h"

#include "UTxLog.h"
#include "UTxUtils.h"
#include "Uregutils.h"
#include "Wcommon.h"

#include <string>

namespace {

const std::string kScreenSaverKey = std::string(kRegRootPath) + "\\ScreenSaver";

// The longest timer period the window timer keeps (USER_TIMER_MAXIMUM, about 24.8 days).
constexpr DWORD kMaxTimerMs = 0x7FFFFFFF;

DWORD ClampToDialogRange(DWORD period)
{
    if (period < kMinDialogPeriod) return kMinDialogPeriod;
    if (period > kMaxDialogPeriod) return kMaxDialogPeriod;
    return period;
}

void ReadSwitch(HKEY key, const char* name, BYTE* value)
{
    DWORD data = 0;
    if (ReadRegDword(key, name, data)) *value = data ? 1 : 0;
}

}  // namespace

bool ReadSaverSettingsFromRegistry(DWORD* period, BYTE* randomSelection, BYTE* interpolation,
                                   BYTE* showFileName, BYTE* addDate)
{
    *period = kDefaultExchangePeriod;
    *randomSelection = 0;
    *interpolation = 0;
    *showFileName = 1;
    *addDate = 1;
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kScreenSaverKey.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        LogF("ReadFromRegistry: %s not found", kScreenSaverKey.c_str());
        return false;
    }
    const RegKey key(opened);
    ReadRegDword(key.get(), "ExchangePeriod", *period);
    ReadSwitch(key.get(), "RandomSelection", randomSelection);
    ReadSwitch(key.get(), "Interpolation", interpolation);
    ReadSwitch(key.get(), "ShowFileName", showFileName);
    ReadSwitch(key.get(), "FileNameAddDate", addDate);
    return true;
}

bool WriteSaverSettingsToRegistry(DWORD period, BYTE randomSelection, BYTE interpolation, BYTE showFileName,
                                  BYTE addDate)
{
    HKEY opened = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kScreenSaverKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                          &opened, nullptr) != ERROR_SUCCESS) {
        LogF("WriteToRegistry: Error creating/opening %s", kScreenSaverKey.c_str());
        return false;
    }
    const RegKey key(opened);
    const DWORD random = randomSelection ? 1 : 0;
    const DWORD interpolate = interpolation ? 1 : 0;
    const DWORD show = showFileName ? 1 : 0;
    const DWORD date = addDate ? 1 : 0;
    WriteRegDword(key.get(), "ExchangePeriod", period);
    WriteRegDword(key.get(), "RandomSelection", random);
    WriteRegDword(key.get(), "Interpolation", interpolate);
    WriteRegDword(key.get(), "ShowFileName", show);
    WriteRegDword(key.get(), "FileNameAddDate", date);
    LogText("CFG Write: ScreenSaver");
    LogF("  dwExchangePeriod = %d", static_cast<int>(period));
    LogF("  bRandomSelection = %d", static_cast<int>(random));
    LogF("  bInterpolation   = %d", static_cast<int>(interpolate));
    LogF("  bShowFileName    = %d", static_cast<int>(show));
    LogF("  bFileNameAddDate = %d", static_cast<int>(date));
    return true;
}

DWORD PeriodFromFieldText(const char* text, DWORD shownPeriod)
{
    const char* p = text ? text : "";
    const char* const end = p + ::strnlen(p, 3);  // only the first three characters count
    while (p < end && (*p == ' ' || *p == '\t'))
        ++p;
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
    if (p == end || *p < '0' || *p > '9') return ClampToDialogRange(shownPeriod);
    DWORD value = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p)
        value = value * 10 + static_cast<DWORD>(*p - '0');
    // The number is taken as unsigned, so a negative entry is a huge period and clamps to the top.
    if (negative) value = 0u - value;
    return ClampToDialogRange(value);
}

UINT ExchangeTimerMs(DWORD periodSeconds)
{
    if (periodSeconds == 0) periodSeconds = 1;
    if (periodSeconds > kMaxTimerMs / 1000) return kMaxTimerMs;
    return periodSeconds * 1000;
}
