// The Agent's notification-area icon: one icon whose picture and tip follow the Agent's state.
#pragma once

#include <windows.h>

struct TrayIcons {
    HICON hNormal = nullptr;
    HICON hDisabled = nullptr;
    HICON hWorking = nullptr;
    HICON hConflict = nullptr;
};
extern TrayIcons g_TrayIcons;

// The first-version notification record (88 bytes) with callback WM_WPAGENT_NOTIFYICON; the tip is
// cut to 63 characters, empty when none is given.
bool TrayIconAdd(HWND window, UINT id, HICON icon, const char* tip);
bool TrayIconModify(HWND window, UINT id, HICON icon, const char* tip);
bool TrayIconDelete(HWND window, UINT id);

// Shows the state that holds first: a change running, changes disabled, a conflicting program,
// normal. Adds the icon when it is not shown yet: at log-on the taskbar may not exist yet.
void UpdateTrayIcon();
// Adds the icon again when an earlier add failed; nothing when it is shown or not wanted.
void RetryTrayIcon();
// The taskbar was created anew (Explorer restarted): its icons are gone.
void OnTaskbarCreated();
// Removes the icon when it is shown.
void RemoveTrayIcon();
bool IsTrayIconShown();

// The tip the icon shows now.
const char* CurrentTrayTip();
