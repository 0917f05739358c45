// The five \ScreenSaver values the configuration dialog edits, and the rules for the period.
#pragma once

#include <windows.h>

#include "Usettingstable.h"
#include "Wcommon.h"

// The seconds the dialog stores, the bounds the Manager's editor offers for the same value.
constexpr SettingRange kDialogPeriodRange = SettingNamed(kScreenSaverValues, "ExchangePeriod").range;

// Fills `settings` with the defaults of the settings table, then the dialog's five values (the
// period and the four switches) with those of the registry; false when the key does not open.
bool ReadSaverDialogSettings(ScreenSaverSettings& settings);
// Writes the dialog's five values of `settings`, each switch as 0 or 1, and only those: the others
// keep what the Manager wrote. False when the key cannot be created or a value cannot be written.
bool WriteSaverDialogSettings(const ScreenSaverSettings& settings);

// The period the dialog stores for the text of its field: a decimal number read from the first
// three characters (leading blanks skipped, a sign allowed), taken as unsigned and clamped to
// kDialogPeriodRange, so "-1" gives its top. A field without a number keeps `shownPeriod`, the value
// the field showed when the dialog opened, clamped the same way.
DWORD PeriodFromFieldText(const char* text, DWORD shownPeriod);

// The saver's timer period in milliseconds for a period in seconds from the registry: at least one
// second, and never more than the timer can take.
UINT ExchangeTimerMs(DWORD periodSeconds);
