// The schedule as a pure function: every rule around its boundaries, the period tests, the
// minutes of rule 7 and the pause after a failed change across the tick-count wrap.
#include "AgentSchedule.h"
#include "Wcommon.h"
#include "agent_support.h"

#include <gtest/gtest.h>

using agenttest::FileTimeFromUnits;
using agenttest::FileTimeUnits;
using agenttest::Local;

namespace {

const FILETIME kNever = {0, 0};                        // no change was ever written
const FILETIME kInvalid = {0xFFFFFFFFu, 0xFFFFFFFFu};  // no date at all
const FILETIME kHighBit = {0, 0x80000000u};            // the first value that is no date

struct PeriodCase {
    const char* name;
    bool (*test)(const FILETIME&, const FILETIME&);
    FILETIME last;
    FILETIME now;
    bool other;
};

}  // namespace

TEST(Schedule, PeriodTests)
{
    const PeriodCase cases[] = {
        {"day: same day", IsOtherDay, Local("2026-03-01 00:00:00"), Local("2026-03-01 23:59:59"), false},
        {"day: past midnight", IsOtherDay, Local("2026-03-01 23:59:59"), Local("2026-03-02 00:00:00"), true},
        {"day: same day of another month", IsOtherDay, Local("2026-03-01 12:00"), Local("2026-04-01 12:00"),
         true},
        {"day: same date of another year", IsOtherDay, Local("2025-03-01 12:00"), Local("2026-03-01 12:00"),
         true},
        {"day: new year", IsOtherDay, Local("2026-12-31 23:59:59"), Local("2027-01-01 00:00:00"), true},
        {"hour: same hour", IsOtherHour, Local("2026-03-01 10:00:00"), Local("2026-03-01 10:59:59"), false},
        {"hour: next hour", IsOtherHour, Local("2026-03-01 10:59:50"), Local("2026-03-01 11:00:00"), true},
        {"hour: same hour a day later", IsOtherHour, Local("2026-03-01 10:05"), Local("2026-03-02 10:05"),
         true},
        {"half: 10:29 to 10:30", IsOtherHalfHour, Local("2026-03-01 10:29:59"), Local("2026-03-01 10:30"),
         true},
        {"half: 10:00 to 10:29", IsOtherHalfHour, Local("2026-03-01 10:00"), Local("2026-03-01 10:29:59"),
         false},
        {"half: 10:30 to 10:59", IsOtherHalfHour, Local("2026-03-01 10:30"), Local("2026-03-01 10:59:59"),
         false},
        {"half: 10:59 to 11:00", IsOtherHalfHour, Local("2026-03-01 10:59"), Local("2026-03-01 11:00"), true},
        {"half: 10:45 to 11:15", IsOtherHalfHour, Local("2026-03-01 10:45"), Local("2026-03-01 11:15"), true},
        {"quarter: 10:14 to 10:15", IsOtherQuarterHour, Local("2026-03-01 10:14:59"),
         Local("2026-03-01 10:15"), true},
        {"quarter: 10:15 to 10:29", IsOtherQuarterHour, Local("2026-03-01 10:15"),
         Local("2026-03-01 10:29:59"), false},
        {"quarter: 10:44 to 10:45", IsOtherQuarterHour, Local("2026-03-01 10:44"), Local("2026-03-01 10:45"),
         true},
        {"ten: 10:09 to 10:10", IsOtherTenMinutes, Local("2026-03-01 10:09:59"), Local("2026-03-01 10:10"),
         true},
        {"ten: 10:10 to 10:19", IsOtherTenMinutes, Local("2026-03-01 10:10"), Local("2026-03-01 10:19:59"),
         false},
        {"ten: 10:55 to 11:00", IsOtherTenMinutes, Local("2026-03-01 10:55"), Local("2026-03-01 11:00"),
         true},
        {"ten: 23:55 to 00:05", IsOtherTenMinutes, Local("2026-03-01 23:55"), Local("2026-03-02 00:05"),
         true},
        {"never changed: another day", IsOtherDay, kNever, Local("2026-03-01 10:00"), true},
        {"never changed: another hour", IsOtherHour, kNever, Local("2026-03-01 10:00"), true},
        {"no date: another day", IsOtherDay, kHighBit, Local("2026-03-01 10:00"), true},
        {"no date: another ten minutes", IsOtherTenMinutes, kInvalid, Local("2026-03-01 10:00"), true},
        {"no date now: another hour", IsOtherHour, Local("2026-03-01 10:00"), kHighBit, true},
    };
    for (const PeriodCase& c : cases)
        EXPECT_EQ(c.test(c.last, c.now), c.other) << c.name;
}

TEST(Schedule, MinutesToFileTime)
{
    EXPECT_EQ(MinutesToFileTime(0, 1), 600000000LL);
    EXPECT_EQ(MinutesToFileTime(1, 30), 90LL * 600000000LL);
    EXPECT_EQ(MinutesToFileTime(0, 0x7FFFFFFF), 0x7FFFFFFFLL * 600000000LL);
    EXPECT_EQ(MinutesToFileTime(0, -5), -5LL * 600000000LL);
}

namespace {

struct RuleCase {
    const char* name;
    DWORD type;
    DWORD period;
    bool calendar;
    bool reboot;
    int exchangeCount;
    FILETIME last;
    FILETIME now;
    ExchangeAction expected;
};

constexpr ExchangeAction None = ExchangeAction::None;
constexpr ExchangeAction Update = ExchangeAction::UpdateCurrent;
constexpr ExchangeAction New = ExchangeAction::NewImage;

FILETIME Plus(const FILETIME& time, LONGLONG units)
{
    return FileTimeFromUnits(FileTimeUnits(time) + units);
}

}  // namespace

TEST(Schedule, RulesAroundTheirBoundaries)
{
    const FILETIME t1000 = Local("2026-03-01 10:00:00");
    const RuleCase cases[] = {
        // 0: the calendar alone asks for a new drawing of the current image, once a day.
        {"off, calendar hidden, next day", CHANGE_OFF, 0, false, false, 0, Local("2026-03-01 23:59:59"),
         Local("2026-03-02 00:00:00"), None},
        {"off, calendar shown, same day", CHANGE_OFF, 0, true, false, 0, Local("2026-03-01 00:00:01"),
         Local("2026-03-01 23:59:59"), None},
        {"off, calendar shown, past midnight", CHANGE_OFF, 0, true, false, 0, Local("2026-03-01 23:59:59"),
         Local("2026-03-02 00:00:00"), Update},
        {"off, calendar shown, never changed", CHANGE_OFF, 0, true, false, 0, kNever, t1000, Update},
        // 1
        {"midnight, same day", CHANGE_AFTER_MIDNIGHT, 0, false, false, 1, Local("2026-03-01 00:00"),
         Local("2026-03-01 23:59:59"), None},
        {"midnight, past midnight", CHANGE_AFTER_MIDNIGHT, 0, false, false, 1, Local("2026-03-01 23:59:59"),
         Local("2026-03-02 00:00:00"), New},
        {"midnight, never changed", CHANGE_AFTER_MIDNIGHT, 0, false, false, 0, kNever, t1000, New},
        // 2: once after a start with "/r", otherwise like the calendar refresh but with a new image.
        {"pc start, first tick after /r", CHANGE_AFTER_PC_START, 0, false, true, 0, t1000, t1000, New},
        {"pc start, after the start-up change", CHANGE_AFTER_PC_START, 0, false, true, 1, t1000,
         Local("2026-03-02 10:00"), None},
        {"pc start, no /r, calendar hidden", CHANGE_AFTER_PC_START, 0, false, false, 0, kNever, t1000, None},
        {"pc start, no /r, calendar shown, same day", CHANGE_AFTER_PC_START, 0, true, false, 0,
         Local("2026-03-01 00:01"), t1000, None},
        {"pc start, no /r, calendar shown, next day", CHANGE_AFTER_PC_START, 0, true, false, 0,
         Local("2026-03-01 23:59:59"), Local("2026-03-02 00:00"), New},
        {"pc start, after /r change, calendar, next day", CHANGE_AFTER_PC_START, 0, true, true, 1,
         Local("2026-03-01 23:59:59"), Local("2026-03-02 00:00"), New},
        // 3
        {"hour, 10:59:50 to 11:00:00", CHANGE_EACH_HOUR, 0, false, false, 1, Local("2026-03-01 10:59:50"),
         Local("2026-03-01 11:00:00"), New},
        {"hour, 11:00:05 to 11:59:59", CHANGE_EACH_HOUR, 0, false, false, 1, Local("2026-03-01 11:00:05"),
         Local("2026-03-01 11:59:59"), None},
        {"hour, 11:00:05 to 12:00:00", CHANGE_EACH_HOUR, 0, false, false, 1, Local("2026-03-01 11:00:05"),
         Local("2026-03-01 12:00:00"), New},
        {"hour, last change is no date", CHANGE_EACH_HOUR, 0, false, false, 1, kHighBit, t1000, New},
        // 4
        {"half hour, 10:29:59 to 10:30", CHANGE_EACH_HALF_HOUR, 0, false, false, 1,
         Local("2026-03-01 10:29:59"), Local("2026-03-01 10:30"), New},
        {"half hour, 10:30 to 10:59:59", CHANGE_EACH_HALF_HOUR, 0, false, false, 1, Local("2026-03-01 10:30"),
         Local("2026-03-01 10:59:59"), None},
        {"half hour, 23:45 to 00:10", CHANGE_EACH_HALF_HOUR, 0, false, false, 1, Local("2026-03-01 23:45"),
         Local("2026-03-02 00:10"), New},
        // 5
        {"quarter hour, 10:14:59 to 10:15", CHANGE_EACH_QUARTER_HOUR, 0, false, false, 1,
         Local("2026-03-01 10:14:59"), Local("2026-03-01 10:15"), New},
        {"quarter hour, 10:15 to 10:29:59", CHANGE_EACH_QUARTER_HOUR, 0, false, false, 1,
         Local("2026-03-01 10:15"), Local("2026-03-01 10:29:59"), None},
        // 6
        {"ten minutes, 10:19:59 to 10:20", CHANGE_EACH_TEN_MINUTES, 0, false, false, 1,
         Local("2026-03-01 10:19:59"), Local("2026-03-01 10:20"), New},
        {"ten minutes, 10:20 to 10:29:59", CHANGE_EACH_TEN_MINUTES, 0, false, false, 1,
         Local("2026-03-01 10:20"), Local("2026-03-01 10:29:59"), None},
        // 7: strictly more than N minutes since the last change, across midnight too.
        {"n minutes, exactly 60 of 60", CHANGE_EACH_N_MINUTES, 60, false, false, 1, t1000,
         Local("2026-03-01 11:00:00"), None},
        {"n minutes, 60 and 100 ns of 60", CHANGE_EACH_N_MINUTES, 60, false, false, 1, t1000,
         Plus(Local("2026-03-01 11:00:00"), 1), New},
        {"n minutes, 59 of 60", CHANGE_EACH_N_MINUTES, 60, false, false, 1, t1000, Local("2026-03-01 10:59"),
         None},
        {"n minutes, 45 across midnight, 44", CHANGE_EACH_N_MINUTES, 45, false, false, 1,
         Local("2026-03-01 23:30"), Local("2026-03-02 00:14"), None},
        {"n minutes, 45 across midnight, 46", CHANGE_EACH_N_MINUTES, 45, false, false, 1,
         Local("2026-03-01 23:30"), Local("2026-03-02 00:16"), New},
        {"n minutes, period 0, same time", CHANGE_EACH_N_MINUTES, 0, false, false, 1, t1000, t1000, None},
        {"n minutes, period 0, 100 ns later", CHANGE_EACH_N_MINUTES, 0, false, false, 1, t1000,
         Plus(t1000, 1), New},
        {"n minutes, negative period counts as 0", CHANGE_EACH_N_MINUTES, 0xFFFFFFFFu, false, false, 1, t1000,
         Plus(t1000, 1), New},
        {"n minutes, never changed", CHANGE_EACH_N_MINUTES, 60, false, false, 0, kNever, t1000, New},
        {"n minutes, last change is no date", CHANGE_EACH_N_MINUTES, 60, false, false, 1, kInvalid, t1000,
         New},
        {"n minutes, last change after now (clock set back)", CHANGE_EACH_N_MINUTES, 60, false, false, 1,
         Local("2026-03-02 10:00"), t1000, New},
        // The sum of the last change and the period would pass 2^63 here.
        {"n minutes, largest period, no overflow", CHANGE_EACH_N_MINUTES, 0x7FFFFFFF, false, false, 1,
         FileTimeFromUnits(0x7000000000000000ull), FileTimeFromUnits(0x7FFF000000000000ull), None},
        // Unknown types do nothing.
        {"type 8", 8, 0, true, true, 0, kNever, t1000, None},
        {"type 0xFFFFFFFF", 0xFFFFFFFFu, 0, true, true, 0, kNever, t1000, None},
    };
    for (const RuleCase& c : cases) {
        const ExchangeInput input = {c.type, c.period, c.calendar, c.reboot, c.exchangeCount, c.last, c.now};
        EXPECT_EQ(DecideExchange(input), c.expected) << c.name;
    }
}

TEST(Schedule, RuleLogLines)
{
    EXPECT_STREQ(ExchangeRuleLogFormat(CHANGE_OFF), "Exchange: CHANGE_OFF, but calendar is used");
    EXPECT_STREQ(ExchangeRuleLogFormat(CHANGE_AFTER_PC_START),
                 "Exchange: CHANGE_AFTER_PC_START, g_iExchangeCount=%d");
    EXPECT_STREQ(ExchangeRuleLogFormat(CHANGE_EACH_N_MINUTES), "Exchange: CHANGE_EACH_N_MINUTES");
}

TEST(Schedule, RetryPauseAcrossTheTickWrap)
{
    struct PauseCase {
        const char* name;
        DWORD start;
        DWORD now;
        bool active;
    };
    const PauseCase cases[] = {
        {"at the failure", 1000, 1000, true},
        {"a tick before the end", 1000, 300999, true},
        {"at the end", 1000, 301000, false},
        {"failure at tick 0", 0, 299999, true},
        {"failure before the wrap, tick after it", 0xFFFFFFF0u, 0x10, true},
        {"end beyond the wrap, a tick before it", 0xFFFF0000u, 0xFFFF0000u + 299999u, true},
        {"end beyond the wrap, reached", 0xFFFF0000u, 0xFFFF0000u + 300000u, false},
        {"failure just after the wrap", 0x5, 0x5 + 300000u, false},
    };
    for (const PauseCase& c : cases) {
        CRetryPause pause;
        pause.Start(c.start);
        EXPECT_EQ(pause.IsActive(c.now, 300000), c.active) << c.name;
    }

    // Once over, a pause stays over, also when the count comes round again 49.7 days later.
    CRetryPause pause;
    EXPECT_FALSE(pause.IsActive(0, 300000));
    pause.Start(7);
    EXPECT_FALSE(pause.IsActive(7 + 300000, 300000));
    EXPECT_FALSE(pause.IsActive(8, 300000));
    pause.Start(9);
    pause.Clear();
    EXPECT_FALSE(pause.IsActive(10, 300000));
}
