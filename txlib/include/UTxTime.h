// A FILETIME as one count of 100-nanosecond units, and back: the form in which times are compared,
// subtracted and stepped.
#pragma once

#include <windows.h>

inline ULONGLONG FileTimeUnits(const FILETIME& time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

inline FILETIME FileTimeFromUnits(ULONGLONG units)
{
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(units);
    time.dwHighDateTime = static_cast<DWORD>(units >> 32);
    return time;
}
