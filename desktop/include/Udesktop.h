// The last steps of a wallpaper change: how the platform places the bitmap, the bitmap itself, the
// desktop colour and the colours of the desktop icon captions; plus the small colour and time
// helpers. A library below the engine, so the engine and the Agent link the same routines.
#pragma once

#include <windows.h>

#include <cstdint>

// Whether the routines below write entry and exit lines to the log: on unless a program turns it
// off (the Agent does, its log shows only what it decides).
void LogDesktopEntryExit(bool on);

// Finds the desktop icon view (Progman > SHELLDLL_DefView > SysListView32) unless it is known and
// still that window.
void FindWindows();
// Gives the desktop icon captions a text colour and a background (CLR_NONE when transparent);
// with the list view's shadow on, only a forced call changes them, and then opaquely.
void SetColorUnderIcons(COLORREF textColor, COLORREF backColor, bool transparent, bool force);

// Writes "WallpaperStyle" and "TileWallpaper" when they differ from the wanted values;
// 1 when "Control Panel\Desktop" could be opened, else 0.
int Win32SetWallPaperStyle(bool tile, bool stretch);
// Hands the bitmap file to the platform: 0 on success, 1 when the platform refused it.
int Win32SetWallPaper(const char* path);
// Sets the desktop colour in the registry (for the next log-on) and, when `now`, at once.
void SetDesktopBackgroundColor(COLORREF color, bool now);

// "ListviewShadow" of the Explorer settings, read once per process; absent counts as on.
bool IsShadowUnderIcons();
bool IsWindowsXPOrLater();

// White on dark colours (channel sum up to 450), else black.
COLORREF ContrastTextColor(COLORREF color);
// The calendar's colour for today: light yellow on dark colours, dark red on light ones.
COLORREF ContrastHighlightColor(COLORREF color);
// Each channel times (1 + percent / 100), truncated; a channel out of 0..255 becomes 255.
COLORREF ScaleColor(COLORREF color, int percent);

// The local wall-clock time as a FILETIME.
void GetLocalFileTime(FILETIME* out);
// Whole days of a FILETIME (truncating signed divisions).
int64_t FileTimeToDays(FILETIME time);
// "YYYYMMDDhhmmss" of the FILETIME as it is (no time-zone conversion), cut to its first
// min(14, maxLength) characters; `out` must hold that and the terminating zero. A time the system
// cannot convert gives zeros. Returns `out`.
char* FormatTimeStamp(FILETIME time, char* out, int maxLength);
