// The five \ScreenSaver values the configuration dialog edits, and the rules for the period.
#pragma once

#include <windows.h>

constexpr DWORD kDefaultExchangePeriod = 10;  // seconds
constexpr DWORD kMinDialogPeriod = 5;
constexpr DWORD kMaxDialogPeriod = 99;

// Fills the five values with their defaults (10, 0, 0, 1, 1), then with those of the registry;
// false when the key does not open.
bool ReadSaverSettingsFromRegistry(DWORD* period, BYTE* randomSelection, BYTE* interpolation,
                                   BYTE* showFileName, BYTE* addDate);
// Writes the five values, each switch as 0 or 1; false when the key cannot be created or opened.
bool WriteSaverSettingsToRegistry(DWORD period, BYTE randomSelection, BYTE interpolation, BYTE showFileName,
                                  BYTE addDate);

// The period the dialog stores for the text of its field: a decimal number read from the first
// three characters (leading blanks skipped, a sign allowed), taken as unsigned and clamped to 5..99,
// so "-1" gives 99. A field without a number keeps `shownPeriod`, the value the field showed when
// the dialog opened, clamped the same way.
DWORD PeriodFromFieldText(const char* text, DWORD shownPeriod);

// The saver's timer period in milliseconds for a period in seconds from the registry: at least one
// second, and never more than the timer can take.
UINT ExchangeTimerMs(DWORD periodSeconds);
