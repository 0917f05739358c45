// Desktop wallpaper, desktop colour and icon-caption colours, and the shared colour and time
// helpers: a library of its own that the engine and the Agent both link, so keep it free of
// everything but txlib and the system.
#include "Udesktop.h"

#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "UTxLog.h"
#include "UTxTime.h"
#include "UTxUtils.h"

namespace {

// The engine's log shows entry and exit lines of the desktop routines; the Agent's does not.
std::atomic<bool> g_bLogEntryExit{true};

// Entry and exit lines of the desktop routines, when the program wants them.
class DesktopLogScope {
public:
    explicit DesktopLogScope(const char* name) : m_bLogged(g_bLogEntryExit.load())
    {
        if (m_bLogged) LogEnter(name);
    }
    DesktopLogScope(const DesktopLogScope&) = delete;
    DesktopLogScope& operator=(const DesktopLogScope&) = delete;
    ~DesktopLogScope()
    {
        if (m_bLogged) LogLeave();
    }

private:
    const bool m_bLogged;  // a switch turned meanwhile must not leave an entry without its exit
};

constexpr char kProgmanClass[] = "Progman";
constexpr char kDefViewClass[] = "SHELLDLL_DefView";
constexpr char kListViewClass[] = "SysListView32";
constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kColorsKey[] = "Control Panel\\Colors";
constexpr char kAdvancedKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";

// A hung shell must not hold the engine lock or the Agent's window thread for long.
constexpr UINT kShellTimeoutMs = 2000;

// Process-wide caches: the desktop icon view, and "ListviewShadow" (-1 until read).
HWND g_hDesktopListView = nullptr;
int g_iShadowUnderIcons = -1;

bool HasClassName(HWND wnd, const char* className)
{
    char name[100] = {};
    if (::GetClassNameA(wnd, name, sizeof name) == 0) return false;
    return ::lstrcmpiA(name, className) == 0;
}

struct ClassSearch {
    const char* className;
    HWND found;
};

BOOL CALLBACK FindClassProc(HWND wnd, LPARAM param)
{
    auto* search = reinterpret_cast<ClassSearch*>(param);
    if (!HasClassName(wnd, search->className)) return TRUE;
    search->found = wnd;
    return FALSE;
}

HWND FindTopLevelWindow(const char* className)
{
    ClassSearch search{className, nullptr};
    ::EnumWindows(FindClassProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindDescendantWindow(HWND parent, const char* className)
{
    ClassSearch search{className, nullptr};
    ::EnumChildWindows(parent, FindClassProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The cached handle is trusted only while it still names a list view: after a shell restart the
// number may belong to another window, where list-view messages mean something else.
bool IsDesktopListView(HWND wnd)
{
    return wnd && ::IsWindow(wnd) && HasClassName(wnd, kListViewClass);
}

bool SendToListView(HWND view, UINT message, LPARAM lParam, DWORD_PTR* result)
{
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutA(view, message, 0, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, kShellTimeoutMs,
                               &answer))
        return false;
    if (result) *result = answer;
    return true;
}

void LogRegistryError(const char* format, const char* valueName, LONG error)
{
    if (!g_bLogEnabled) return;
    ::SetLastError(static_cast<DWORD>(error));
    LogLastErrorF(format, valueName);
}

// A value equals the wanted text only when it is a string with exactly that text; an absent
// value reads as "0". Values of another type or of any longer length never match, so they are
// overwritten instead of stopping the wallpaper change.
bool StringValueEquals(HKEY key, const char* valueName, const char* wanted)
{
    char text[16] = {};
    DWORD type = 0;
    DWORD size = sizeof text - 1;
    const LONG rc = ::RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    if (rc == ERROR_FILE_NOT_FOUND) return std::strcmp("0", wanted) == 0;
    if (rc != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    text[size < sizeof text ? size : sizeof text - 1] = '\0';
    return std::strcmp(text, wanted) == 0;
}

void WriteStringValue(HKEY key, const char* valueName, const char* text)
{
    const LONG rc = ::RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                     static_cast<DWORD>(std::strlen(text) + 1));
    if (rc != ERROR_SUCCESS) LogRegistryError("!Cannot write the registry value %s", valueName, rc);
}

void SetStringValueIfDifferent(HKEY key, const char* valueName, const char* wanted)
{
    if (!StringValueEquals(key, valueName, wanted)) WriteStringValue(key, valueName, wanted);
}

}  // namespace

void LogDesktopEntryExit(bool on)
{
    g_bLogEntryExit = on;
}

void FindWindows()
{
    DesktopLogScope scope("FindWindows");
    if (IsDesktopListView(g_hDesktopListView)) return;
    g_hDesktopListView = nullptr;

    HWND found = FindTopLevelWindow(kProgmanClass);
    if (found) found = FindDescendantWindow(found, kDefViewClass);
    if (found) found = FindDescendantWindow(found, kListViewClass);
    g_hDesktopListView = found;
}

void SetColorUnderIcons(COLORREF textColor, COLORREF backColor, bool transparent, bool force)
{
    DesktopLogScope scope("SetColorUnderIcons");
    // With shadowed captions the shell draws them on a transparent background itself; only an
    // opaque background, and only when asked for, is imposed then.
    if (IsWindowsXPOrLater() && IsShadowUnderIcons()) {
        if (!force) return;
        transparent = false;
    }

    FindWindows();
    const HWND view = g_hDesktopListView;
    if (!view) return;

    if (transparent) backColor = CLR_NONE;

    DWORD_PTR currentText = 0;
    DWORD_PTR currentBack = 0;
    if (!SendToListView(view, LVM_GETTEXTCOLOR, 0, &currentText) ||
        !SendToListView(view, LVM_GETTEXTBKCOLOR, 0, &currentBack)) {
        LogText("SetColorUnderIcons: the desktop icon view does not answer");
        return;
    }
    if (static_cast<COLORREF>(currentText) == textColor && static_cast<COLORREF>(currentBack) == backColor)
        return;

    LogF("Change detected: OrigTextColor=0x%x, TextColor=0x%x, OrigBackColor=0x%x, BackColor=0x%x",
         static_cast<unsigned>(currentText), static_cast<unsigned>(textColor),
         static_cast<unsigned>(currentBack), static_cast<unsigned>(backColor));
    SendToListView(view, LVM_SETTEXTCOLOR, static_cast<LPARAM>(textColor), nullptr);
    SendToListView(view, LVM_SETTEXTBKCOLOR, static_cast<LPARAM>(backColor), nullptr);
    ::InvalidateRect(view, nullptr, TRUE);
}

int Win32SetWallPaperStyle(bool tile, bool stretch)
{
    DesktopLogScope scope("Win32SetWallPaperStyle");
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS)
        return 0;
    const RegKey key(opened);

    SetStringValueIfDifferent(key.get(), "WallpaperStyle", stretch ? "2" : "0");
    SetStringValueIfDifferent(key.get(), "TileWallpaper", tile ? "1" : "0");
    return 1;
}

int Win32SetWallPaper(const char* path)
{
    DesktopLogScope scope("Win32SetWallPaper");
    if (!path) {
        LogText("!Win32SetWallPaper: no path");
        return 1;
    }
    if (::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(path),
                                SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE))
        return 0;
    LogLastErrorF("!Win32SetWallPaper: SystemParametersInfo failed");
    return 1;
}

void SetDesktopBackgroundColor(COLORREF color, bool now)
{
    DesktopLogScope scope("SetDesktopBackgroundColor");
    if (now) {
        const INT element = COLOR_BACKGROUND;
        if (!::SetSysColors(1, &element, &color))
            LogLastErrorF("SetDesktopBackgroundColor: SetSysColors failed");
    }

    HKEY opened = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kColorsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                          nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return;
    const RegKey key(opened);

    char text[16];
    std::snprintf(text, sizeof text, "%d %d %d", GetRValue(color), GetGValue(color), GetBValue(color));
    WriteStringValue(key.get(), "Background", text);
}

bool IsShadowUnderIcons()
{
    if (g_iShadowUnderIcons != -1) return g_iShadowUnderIcons == 1;
    g_iShadowUnderIcons = 1;

    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kAdvancedKey, 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        LogF("IsShadowUnderIcons: Error opening %s", kAdvancedKey);
        return true;
    }
    const RegKey key(opened);

    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof value;
    if (::RegQueryValueExA(key.get(), "ListviewShadow", nullptr, &type, reinterpret_cast<BYTE*>(&value),
                           &size) == ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof value) {
        g_iShadowUnderIcons = static_cast<int>(value);
        LogF("IsShadowUnderIcons: ListviewShadow=%d", g_iShadowUnderIcons);
    } else {
        LogF("IsShadowUnderIcons: Error querying %s\\ListviewShadow", kAdvancedKey);
    }
    LogF("IsShadowUnderIcons = %d", g_iShadowUnderIcons);
    return g_iShadowUnderIcons == 1;
}

bool IsWindowsXPOrLater()
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    static_assert(sizeof(OSVERSIONINFOA) == 148, "the version query expects the 148-byte record");
    if (!::GetVersionExA(&info)) return false;
    if (info.dwPlatformId != VER_PLATFORM_WIN32_NT) return false;
    return info.dwMajorVersion > 5 || (info.dwMajorVersion == 5 && info.dwMinorVersion >= 1);
}

COLORREF ContrastTextColor(COLORREF color)
{
    const int sum = GetRValue(color) + GetGValue(color) + GetBValue(color);
    return sum <= 450 ? RGB(255, 255, 255) : RGB(0, 0, 0);
}

COLORREF ContrastHighlightColor(COLORREF color)
{
    return ContrastTextColor(color) == RGB(255, 255, 255) ? RGB(255, 229, 138) : RGB(127, 0, 0);
}

namespace {

int ScaleChannel(int channel, double factor)
{
    const double scaled = channel * factor;
    // Out of range after truncation toward zero: at least 256, or at most -1. Deciding on the
    // double keeps huge factors away from an undefined conversion.
    if (scaled >= 256.0 || scaled <= -1.0) return 255;
    return static_cast<int>(scaled);
}

}  // namespace

COLORREF ScaleColor(COLORREF color, int percent)
{
    const double factor = 1.0 + percent * 0.01;
    return RGB(ScaleChannel(GetRValue(color), factor), ScaleChannel(GetGValue(color), factor),
               ScaleChannel(GetBValue(color), factor));
}

void GetLocalFileTime(FILETIME* out)
{
    if (!out) return;
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    if (!::SystemTimeToFileTime(&now, out)) *out = FILETIME{};
}

int64_t FileTimeToDays(FILETIME time)
{
    const int64_t units = static_cast<int64_t>(FileTimeUnits(time));
    return units / 600000000 / 1440;
}

char* FormatTimeStamp(FILETIME time, char* out, int maxLength)
{
    if (!out) return out;
    out[0] = '\0';
    if (maxLength <= 0) return out;

    SYSTEMTIME parts = {};
    if (!::FileTimeToSystemTime(&time, &parts)) parts = SYSTEMTIME{};
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", parts.wYear, parts.wMonth, parts.wDay,
                  parts.wHour, parts.wMinute, parts.wSecond);
    // A year beyond 9999 would make the text longer than the 14 digits callers size for.
    const int length = maxLength < 14 ? maxLength : 14;
    text[length] = '\0';
    std::memcpy(out, text, static_cast<size_t>(length) + 1);
    return out;
}
