#include "AgentSchedule.h"

#include "AgentEnvironment.h"
#include "UTxTime.h"
#include "Wcommon.h"

namespace {

constexpr ULONGLONG kUnitsPerMinute = 600000000ull;

// True when both times are valid dates and agree in year, month, day, hour and minute / divisor
// (divisor 0: the day only; 60: the hour too).
bool SamePeriod(const FILETIME& last, const FILETIME& now, int minuteDivisor)
{
    SYSTEMTIME a = {};
    SYSTEMTIME b = {};
    if (!::FileTimeToSystemTime(&last, &a) || !::FileTimeToSystemTime(&now, &b)) return false;
    if (a.wYear != b.wYear || a.wMonth != b.wMonth || a.wDay != b.wDay) return false;
    if (minuteDivisor == 0) return true;
    return a.wHour == b.wHour && a.wMinute / minuteDivisor == b.wMinute / minuteDivisor;
}

}  // namespace

bool IsOtherDay(const FILETIME& last, const FILETIME& now)
{
    return !SamePeriod(last, now, 0);
}
bool IsOtherHour(const FILETIME& last, const FILETIME& now)
{
    return !SamePeriod(last, now, 60);
}
bool IsOtherHalfHour(const FILETIME& last, const FILETIME& now)
{
    return !SamePeriod(last, now, 30);
}
bool IsOtherQuarterHour(const FILETIME& last, const FILETIME& now)
{
    return !SamePeriod(last, now, 15);
}
bool IsOtherTenMinutes(const FILETIME& last, const FILETIME& now)
{
    return !SamePeriod(last, now, 10);
}

LONGLONG MinutesToFileTime(int hours, int minutes)
{
    return (static_cast<LONGLONG>(hours) * 60 + minutes) * static_cast<LONGLONG>(kUnitsPerMinute);
}

FILETIME GetLocalFileTime()
{
    FILETIME now = {};
    g_AgentEnvironment.GetLocalTimeAsFileTime(&now);
    return now;
}

bool IsPeriodOver(const FILETIME& last, const FILETIME& now, DWORD periodMinutes)
{
    SYSTEMTIME unused;
    if (!::FileTimeToSystemTime(&last, &unused)) return true;
    const ULONGLONG lastUnits = FileTimeUnits(last);
    const ULONGLONG nowUnits = FileTimeUnits(now);
    if (lastUnits > nowUnits) return true;
    const LONG minutes = static_cast<LONG>(periodMinutes);
    const ULONGLONG period = minutes > 0 ? static_cast<ULONGLONG>(minutes) * kUnitsPerMinute : 0;
    // Compared as a difference, so no sum can overflow.
    return nowUnits - lastUnits > period;
}

ExchangeAction DecideExchange(const ExchangeInput& in)
{
    const FILETIME& last = in.ftLastChangeTime;
    const FILETIME& now = in.ftNow;
    auto newImageIf = [](bool due) { return due ? ExchangeAction::NewImage : ExchangeAction::None; };
    switch (in.dwType) {
    case CHANGE_OFF:
        return in.bCalendarShown && IsOtherDay(last, now) ? ExchangeAction::UpdateCurrent
                                                          : ExchangeAction::None;
    case CHANGE_AFTER_MIDNIGHT:
        return newImageIf(IsOtherDay(last, now));
    case CHANGE_AFTER_PC_START:
        if (in.iExchangeCount == 0 && in.bStartedAfterPcReboot) return ExchangeAction::NewImage;
        return newImageIf(in.bCalendarShown && IsOtherDay(last, now));
    case CHANGE_EACH_HOUR:
        return newImageIf(IsOtherHour(last, now));
    case CHANGE_EACH_HALF_HOUR:
        return newImageIf(IsOtherHalfHour(last, now));
    case CHANGE_EACH_QUARTER_HOUR:
        return newImageIf(IsOtherQuarterHour(last, now));
    case CHANGE_EACH_TEN_MINUTES:
        return newImageIf(IsOtherTenMinutes(last, now));
    case CHANGE_EACH_N_MINUTES:
        return newImageIf(IsPeriodOver(last, now, in.dwPeriod));
    default:
        return ExchangeAction::None;
    }
}

const char* ExchangeRuleLogFormat(DWORD type)
{
    switch (type) {
    case CHANGE_OFF:
        return "Exchange: CHANGE_OFF, but calendar is used";
    case CHANGE_AFTER_MIDNIGHT:
        return "Exchange: CHANGE_AFTER_MIDNIGHT";
    case CHANGE_AFTER_PC_START:
        return "Exchange: CHANGE_AFTER_PC_START, g_iExchangeCount=%d";
    case CHANGE_EACH_HOUR:
        return "Exchange: CHANGE_EACH_HOUR";
    case CHANGE_EACH_HALF_HOUR:
        return "Exchange: CHANGE_EACH_HALF_HOUR";
    case CHANGE_EACH_QUARTER_HOUR:
        return "Exchange: CHANGE_EACH_QUARTER_HOUR";
    case CHANGE_EACH_TEN_MINUTES:
        return "Exchange: CHANGE_EACH_TEN_MINUTES";
    case CHANGE_EACH_N_MINUTES:
        return "Exchange: CHANGE_EACH_N_MINUTES";
    default:
        return "";
    }
}

void CRetryPause::Start(DWORD now)
{
    m_bActive = true;
    m_dwStart = now;
}

bool CRetryPause::IsActive(DWORD now, DWORD pauseMs)
{
    if (!m_bActive) return false;
    if (static_cast<DWORD>(now - m_dwStart) < pauseMs) return true;
    m_bActive = false;
    return false;
}
