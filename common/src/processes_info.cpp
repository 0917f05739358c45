// CProcessInfo: the visible top-level windows, their titles and program names, and the matching
// of the blocking-program list against them.
#include "Uprocessenum.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// One table for the process: the Manager's picker and the check read the same windows.
struct WindowTable {
    HWND hWnd[CProcessInfo::kMaxWindows];
    int iCount;
};
WindowTable g_WindowTable;

BOOL CALLBACK CollectVisibleWindow(HWND wnd, LPARAM)
{
    // Windows beyond the table's room are skipped, but the enumeration goes on.
    if (::IsWindowVisible(wnd) && g_WindowTable.iCount < CProcessInfo::kMaxWindows)
        g_WindowTable.hWnd[g_WindowTable.iCount++] = wnd;
    return TRUE;
}

bool IsNtPlatform()
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    return ::GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// Copies at most size - 1 characters and always terminates.
void CopyBounded(char* out, int size, const char* text)
{
    if (size <= 0) return;
    const size_t n = std::min(std::strlen(text), static_cast<size_t>(size - 1));
    std::memcpy(out, text, n);
    out[n] = '\0';
}

std::string Upper(const std::string& text)
{
    std::string result = text;
    if (!result.empty()) ::CharUpperBuffA(&result[0], static_cast<DWORD>(result.size()));
    return result;
}

bool HasLowerCase(const std::string& text)
{
    for (char c : text)
        if (::IsCharLowerA(c)) return true;
    return false;
}

void LowerFrom(std::string& text, size_t pos)
{
    if (pos < text.size()) ::CharLowerBuffA(&text[pos], static_cast<DWORD>(text.size() - pos));
}

// "NOTEPAD.EXE" is shown as "notepad.exe", "Winword.EXE" as "Winword.exe".
std::string DisplayProgramName(std::string name)
{
    if (!HasLowerCase(name)) {
        LowerFrom(name, 0);
    } else {
        const size_t dot = name.rfind('.');
        LowerFrom(name, dot == std::string::npos ? 0 : dot);
    }
    return name;
}

std::string ShortTitle(const char* title)
{
    std::string result = title;
    if (result.size() > 25) result = result.substr(0, 25) + "...";
    return result;
}

// The list's entries in order; empty entries would match every titled window, so they are
// dropped, and at most kMaxEntries are kept.
std::vector<std::string> SplitEntries(const char* list)
{
    std::vector<std::string> entries;
    const char* start = list;
    for (;;) {
        const char* end = std::strchr(start, ';');
        const size_t length = end ? static_cast<size_t>(end - start) : std::strlen(start);
        if (length > 0 && entries.size() < static_cast<size_t>(CProcessInfo::kMaxEntries))
            entries.emplace_back(start, length);
        if (!end) break;
        start = end + 1;
    }
    return entries;
}

bool MatchesEntry(const std::string& entry, const std::string& programUpper, const char* title)
{
    if (!programUpper.empty() && Upper(entry) == programUpper) return true;
    if (std::strlen(title) <= 1) return false;
    const char* found = std::strstr(title, entry.c_str());
    return found && found - title < 10;
}

}  // namespace

CProcessInfo::CProcessInfo()
{
    g_WindowTable.iCount = 0;
    IsNT = IsNtPlatform();
    Usable = true;
    if (!IsNT) return;
    m_hPsapi.reset(::LoadLibraryA("PSAPI.DLL"));
    if (!m_hPsapi) return;  // titles still work; program names stay empty
    m_pEnumProcesses = reinterpret_cast<EnumProcessesFn>(
        reinterpret_cast<void*>(::GetProcAddress(m_hPsapi.get(), "EnumProcesses")));
    m_pEnumProcessModules = reinterpret_cast<EnumProcessModulesFn>(
        reinterpret_cast<void*>(::GetProcAddress(m_hPsapi.get(), "EnumProcessModules")));
    m_pGetModuleFileNameEx = reinterpret_cast<GetModuleFileNameExFn>(
        reinterpret_cast<void*>(::GetProcAddress(m_hPsapi.get(), "GetModuleFileNameExA")));
    if (!m_pEnumProcesses || !m_pEnumProcessModules || !m_pGetModuleFileNameEx) {
        m_hPsapi.reset();
        m_pEnumProcesses = nullptr;
        m_pEnumProcessModules = nullptr;
        m_pGetModuleFileNameEx = nullptr;
        Usable = false;
    }
}

int CProcessInfo::WindowCount() const
{
    return g_WindowTable.iCount;
}

void CProcessInfo::RefreshWindowList()
{
    g_WindowTable.iCount = 0;
    ::EnumWindows(&CollectVisibleWindow, 0);
    DWORD sum = 0;
    for (int i = 0; i < g_WindowTable.iCount; ++i)
        sum += static_cast<DWORD>(reinterpret_cast<UINT_PTR>(g_WindowTable.hWnd[i]));
    m_dwSignature = sum;
}

bool CProcessInfo::GetWindowInfo(int index, char* programName, int programSize, char* title, int titleSize)
{
    if (programName && programSize > 0) programName[0] = '\0';
    if (title && titleSize > 0) title[0] = '\0';
    if (index < 0 || index >= g_WindowTable.iCount) return false;
    const HWND wnd = g_WindowTable.hWnd[index];
    if (title && titleSize > 0) {
        ::GetWindowTextA(wnd, title, titleSize);
        title[titleSize - 1] = '\0';
    }
    if (!programName) return true;

    char path[512] = {};
    if (IsNT) {
        DWORD processId = 0;
        ::GetWindowThreadProcessId(wnd, &processId);
        GetProcessFileName(processId, path, sizeof(path));
    } else {
        ::GetWindowModuleFileNameA(wnd, path, sizeof(path) - 1);
    }
    const char* slash = std::strrchr(path, '\\');
    const char* name = slash ? slash + 1 : path;
    if (static_cast<int>(std::strlen(name)) < programSize) CopyBounded(programName, programSize, name);
    return true;
}

bool CProcessInfo::GetProcessFileName(DWORD processId, char* out, int size)
{
    if (!out || size <= 0) return false;
    out[0] = '\0';
    if (m_hPsapi) {
        Handle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
        if (process) {
            HMODULE first = nullptr;
            DWORD needed = 0;
            if (m_pEnumProcessModules(process.get(), &first, sizeof(first), &needed)) {
                if (!m_pGetModuleFileNameEx(process.get(), first, out, static_cast<DWORD>(size)))
                    out[0] = '\0';
                out[size - 1] = '\0';
            }
        }
    }
    // The module list of a 64-bit program cannot be read from a 32-bit one; the image name can.
    if (out[0] == '\0') QueryProcessImageName(processId, out, size);
    return out[0] != '\0';
}

bool CProcessInfo::FindConflicting(const char* list, char* out, int outSize)
{
    if (out && outSize > 0) out[0] = '\0';
    if (!list || !*list || !out || outSize <= 0) return false;
    const std::vector<std::string> entries = SplitEntries(list);
    if (entries.empty()) return false;

    RefreshWindowList();
    for (int i = 0; i < g_WindowTable.iCount; ++i) {
        char title[256];
        char program[128];
        GetWindowInfo(i, program, sizeof(program), title, sizeof(title));
        const std::string programUpper = Upper(program);
        for (const std::string& entry : entries) {
            if (!MatchesEntry(entry, programUpper, title)) continue;

            const std::string name = DisplayProgramName(program);
            const std::string shown = ShortTitle(title);
            std::string text;
            if (shown.size() + name.size() + 4 > static_cast<size_t>(outSize))
                text = shown.substr(0, static_cast<size_t>(outSize - 1));
            else if (shown.empty())
                text = name;
            else
                text = shown + " (" + name + ")";  // "Title ()" for a program that could not be named
            CopyBounded(out, outSize, text.c_str());
            return true;
        }
    }
    return false;
}

bool QueryProcessImageName(DWORD processId, char* out, int size)
{
    if (!out || size <= 0) return false;
    out[0] = '\0';
    using QueryFullProcessImageNameFn = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);
    const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    const auto query = kernel ? reinterpret_cast<QueryFullProcessImageNameFn>(reinterpret_cast<void*>(
                                    ::GetProcAddress(kernel, "QueryFullProcessImageNameA")))
                              : nullptr;
    if (!query) return false;
    // The limited right is granted also for processes of higher integrity.
    Handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return false;
    DWORD length = static_cast<DWORD>(size);
    if (!query(process.get(), 0, out, &length)) {
        out[0] = '\0';
        return false;
    }
    out[size - 1] = '\0';
    return out[0] != '\0';
}
