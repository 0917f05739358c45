// The conflicting-program check that the Agent and the screen saver run before they act.
#include "Uprocessenum.h"

#include "UTxLog.h"

#include <cstring>

CConflictCheckState g_ConflictCheck;

void SetConflictingPrgs(const char* list)
{
    std::memset(g_ConflictCheck.szConflictingPrgs, 0, sizeof(g_ConflictCheck.szConflictingPrgs));
    if (list)
        std::strncpy(g_ConflictCheck.szConflictingPrgs, list, sizeof(g_ConflictCheck.szConflictingPrgs) - 1);
}

void ResetConflictCheck()
{
    g_ConflictCheck.dwLastSignature = 0;
    g_ConflictCheck.bWindowsChanged = true;
    g_ConflictCheck.bConflictFound = false;
    g_ConflictCheck.szConflictText[0] = '\0';
}

void CheckConflictingWindows()
{
    CProcessInfo info;
    info.RefreshWindowList();
    // The same visible windows give the same answer; only a changed set is evaluated again.
    if (info.GetWindowListSignature() == g_ConflictCheck.dwLastSignature) return;
    g_ConflictCheck.bWindowsChanged = true;
    g_ConflictCheck.dwLastSignature = info.GetWindowListSignature();

    char text[254];
    if (info.FindConflicting(g_ConflictCheck.szConflictingPrgs, text, sizeof(text))) {
        if (std::strlen(text) > 25) std::strcpy(text + 25, "...");
        std::strncpy(g_ConflictCheck.szConflictText, text, sizeof(g_ConflictCheck.szConflictText) - 1);
        g_ConflictCheck.szConflictText[sizeof(g_ConflictCheck.szConflictText) - 1] = '\0';
        if (text[0]) LogF("Found conflicting window: %s", text);
        g_ConflictCheck.bConflictFound = true;
    } else {
        g_ConflictCheck.bConflictFound = false;
        g_ConflictCheck.szConflictText[0] = '\0';
    }
}
