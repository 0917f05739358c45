// A stand-in KvApi.dll for the screen saver's tests. It appends one line per event to "calls.txt"
// beside itself: "load", "replace <window>", "replace-end", "cancel", "free" (FreeLibrary) or
// "exit" (the process ended with the library loaded). While the auto-reset event "KvSaverStubGate"
// exists, each replace call waits until the test sets it, cancel or not: an engine call that takes
// as long as the test wants.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "KvTimeScale.h"

namespace {

constexpr const char* kGateName = "KvSaverStubGate";
constexpr DWORD kGateWaitMs = 30000;

HMODULE g_hModule = nullptr;
CRITICAL_SECTION g_Lock;
volatile LONG g_lCancelled = 0;

void Record(const char* line)
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(g_hModule, path, MAX_PATH);
    char* slash = std::strrchr(path, '\\');
    if (!slash) return;
    std::snprintf(slash + 1, static_cast<size_t>(path + MAX_PATH - slash - 1), "calls.txt");
    ::EnterCriticalSection(&g_Lock);
    HANDLE file = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        char text[64];
        const int length = std::snprintf(text, sizeof(text), "%s\r\n", line);
        DWORD written = 0;
        ::WriteFile(file, text, static_cast<DWORD>(length), &written, nullptr);
        ::CloseHandle(file);
    }
    ::LeaveCriticalSection(&g_Lock);
}

}  // namespace

extern "C" {

BOOL WINAPI WpApi_ScreenSaverReplaceImage(HWND window, void*)
{
    ::InterlockedExchange(&g_lCancelled, 0);
    char line[64];
    std::snprintf(line, sizeof(line), "replace %lu",
                  static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)));
    Record(line);
    HANDLE gate = ::OpenEventA(SYNCHRONIZE, FALSE, kGateName);
    if (gate) {
        ::WaitForSingleObject(gate, testsupport::ScaledMs(kGateWaitMs));
        ::CloseHandle(gate);
    }
    Record("replace-end");
    return g_lCancelled ? FALSE : TRUE;
}

void WINAPI WpApi_CancelCurrentOperation()
{
    ::InterlockedExchange(&g_lCancelled, 1);
    Record("cancel");
}

BOOL WINAPI WpApi_Cancelled()
{
    return g_lCancelled ? TRUE : FALSE;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_hModule = instance;
        ::InitializeCriticalSection(&g_Lock);
        Record("load");
    } else if (reason == DLL_PROCESS_DETACH) {
        Record(reserved ? "exit" : "free");
        ::DeleteCriticalSection(&g_Lock);
    }
    return TRUE;
}

}  // extern "C"
