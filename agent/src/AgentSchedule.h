// When a wallpaper change is due: the rules of the \Exchange settings as pure functions of the
// settings, the time of the last change and the current time, and the pause after a failed change.
#pragma once

#include <windows.h>

// The two times fall into different periods of the wall clock. A time the system cannot turn into
// a date (2^63 or more) counts as another period, like a last change that never happened.
bool IsOtherDay(const FILETIME& last, const FILETIME& now);
bool IsOtherHour(const FILETIME& last, const FILETIME& now);
bool IsOtherHalfHour(const FILETIME& last, const FILETIME& now);
bool IsOtherQuarterHour(const FILETIME& last, const FILETIME& now);
bool IsOtherTenMinutes(const FILETIME& last, const FILETIME& now);

// (hours * 60 + minutes) in 100-nanosecond units.
LONGLONG MinutesToFileTime(int hours, int minutes);

// The current local wall-clock time, through the Agent's environment.
FILETIME GetLocalFileTime();

// Rule CHANGE_EACH_N_MINUTES: more than `periodMinutes` (taken as signed; below 0 counts as 0)
// have passed since the last change. A last change that is no valid time or lies after `now`
// (the clock was set back) makes a change due, so the schedule cannot stall.
bool IsPeriodOver(const FILETIME& last, const FILETIME& now, DWORD periodMinutes);

enum class ExchangeAction {
    None,
    UpdateCurrent,  // the calendar's day changed: draw the current image again
    NewImage,
};

struct ExchangeInput {
    DWORD dwType;
    DWORD dwPeriod;
    bool bCalendarShown;
    bool bStartedAfterPcReboot;
    int iExchangeCount;
    FILETIME ftLastChangeTime;
    FILETIME ftNow;
};

// What the rule of `dwType` asks for; types above 7 ask for nothing.
ExchangeAction DecideExchange(const ExchangeInput& input);

// The log line of the rule of `dwType` ("Exchange: CHANGE_EACH_HOUR"); rule 2's carries a "%d".
const char* ExchangeRuleLogFormat(DWORD type);

// The pause after a refused or failed change. It measures elapsed ticks, so it ends on time also
// when the 32-bit tick count wraps after 49.7 days, and 0 is a tick like any other.
class CRetryPause {
public:
    void Start(DWORD now);
    void Clear() { m_bActive = false; }
    // True while less than `pauseMs` have passed since Start; an expired pause is cleared.
    bool IsActive(DWORD now, DWORD pauseMs);
    bool IsStarted() const { return m_bActive; }
    DWORD StartTick() const { return m_dwStart; }

private:
    bool m_bActive = false;
    DWORD m_dwStart = 0;
};
