// The visible top-level windows with their titles and program names, and the check for a window of
// one of the user's "blocking programs".
#pragma once

#include <windows.h>

#include "UTxUtils.h"

class CProcessInfo {
public:
    static constexpr int kMaxWindows = 128;
    static constexpr int kMaxEntries = 100;

    CProcessInfo();
    ~CProcessInfo() = default;
    CProcessInfo(const CProcessInfo&) = delete;
    CProcessInfo& operator=(const CProcessInfo&) = delete;

    // Refills the process-wide window table with the visible top-level windows.
    void RefreshWindowList();
    // Sum of the held window handles: it changes when visible windows appear or vanish.
    DWORD GetWindowListSignature() const { return m_dwSignature; }
    // Title and program file name (without its folder) of the table's window `index`;
    // programName may be null when only the title is wanted.
    bool GetWindowInfo(int index, char* programName, int programSize, char* title, int titleSize);
    // Full path of the program file of a process; false when no name was found.
    bool GetProcessFileName(DWORD processId, char* out, int size);
    // True when a window of the table matches an entry of the ";"-separated list; `out` then
    // describes the window as "title (program)".
    bool FindConflicting(const char* list, char* out, int outSize);

    int WindowCount() const;

    bool Usable = false;
    bool IsNT = false;

private:
    using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
    using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
    using GetModuleFileNameExFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);

    Library m_hPsapi;
    EnumProcessesFn m_pEnumProcesses = nullptr;
    EnumProcessModulesFn m_pEnumProcessModules = nullptr;
    GetModuleFileNameExFn m_pGetModuleFileNameEx = nullptr;
    DWORD m_dwSignature = 0;
};

// The image path of a process by QueryFullProcessImageNameA, looked up in kernel32 at run time.
// Serves where the module list cannot be read, as for a 64-bit program seen from this 32-bit one.
bool QueryProcessImageName(DWORD processId, char* out, int size);

// State of the conflicting-program check, one per process.
struct CConflictCheckState {
    static constexpr int kListSize = 1000;
    static constexpr int kTextSize = 255;

    char szConflictingPrgs[kListSize] = {};
    DWORD dwLastSignature = 0;
    bool bWindowsChanged = true;  // set when a check evaluated a new set of windows
    bool bConflictFound = false;
    char szConflictText[kTextSize] = {};  // display name of the conflicting window found last
};
extern CConflictCheckState g_ConflictCheck;

// Takes the user's list of blocking programs for the following checks.
void SetConflictingPrgs(const char* list);
// Evaluates the list anew when the set of visible windows changed since the last check.
void CheckConflictingWindows();
// Back to the state at process start (keeps the list).
void ResetConflictCheck();
