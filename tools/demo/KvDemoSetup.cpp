// The demonstration's helper: does for a fresh user what the Manager's first run does (the
// defaults, the data folder, one image folder scanned into the database), and stops the Agent
// the way the Manager and the uninstaller do.
//
//   KvDemoSetup setup <image folder>   first configuration with that folder (and its subfolders)
//   KvDemoSetup run-agent <seconds>    starts the installed Agent with "/r" as the log-on does,
//                                      prints its log lines and returns after its first change
//   KvDemoSetup stop-agent             signals the Agent's close event and waits for its end
#include "AgentControl.h"
#include "DemoFirstRun.h"
#include "UTxBase.h"
#include "UTxLog.h"
#include "UTxUtils.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include "Uregistryroot.h"

const CLogSettings g_LogSettings = {"KvDemo    ", "", false, 80, false, false, true};

namespace {

int Setup(const char* imageFolder)
{
    DWORD count = 0;
    std::string error;
    if (!WriteFirstRun(imageFolder, InstalledPrgDir(), count, error)) {
        std::fprintf(stderr, "KvDemoSetup: %s\n", error.c_str());
        return 2;
    }
    std::printf("Settings written; %lu images of %s in the database\n", static_cast<unsigned long>(count),
                imageFolder);
    return 0;
}

FILETIME LastChangeTime()
{
    FILETIME time = {};
    DWORD size = sizeof(time);
    ::RegGetValueA(HKEY_CURRENT_USER, KV_REG_ROOT "\\CurrentImage", "LastChangeTime", RRF_RT_REG_BINARY,
                   nullptr, &time, &size);
    return time;
}

// A log receiver window (class "TFormQxLog", title "Dalvex Log Receiver") that prints each line.
LRESULT CALLBACK ReceiverProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data && data->lpData && data->cbData) {
            const char* text = static_cast<const char*>(data->lpData);
            const std::string line(text, ::strnlen(text, data->cbData));
            std::printf("  | %s\n", line.c_str());
            std::fflush(stdout);
        }
        return TRUE;
    }
    return ::DefWindowProcA(wnd, msg, wParam, lParam);
}

// Starts the installed Agent as the Run entry does and returns after its first change.
int RunAgent(int seconds)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &ReceiverProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "TFormQxLog";
    ::RegisterClassA(&wc);
    // It must exist before the Agent starts: the Agent looks for it once, at its start.
    HWND receiver = ::CreateWindowExA(0, "TFormQxLog", "Dalvex Log Receiver", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                      100, nullptr, nullptr, wc.hInstance, nullptr);
    const std::string agent = InstalledPrgDir() + "\\KvAgent.exe";
    std::string commandLine = "\"" + agent + "\" /r";
    const FILETIME before = LastChangeTime();
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(agent.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        std::fprintf(stderr, "KvDemoSetup: cannot start %s\n", agent.c_str());
        return 8;
    }
    ::CloseHandle(process.hThread);
    Handle agentProcess(process.hProcess);
    std::printf("Started %s /r; its log:\n", agent.c_str());
    std::fflush(stdout);

    const DWORD start = ::GetTickCount();
    DWORD changedAt = 0;
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
        const FILETIME now = LastChangeTime();
        if (!changedAt && ::CompareFileTime(&now, &before) != 0) changedAt = ::GetTickCount();
        // The lines that follow the change (the engine freed, the settings read) come shortly after.
        if (changedAt && ::GetTickCount() - changedAt > 1500) break;
        if (::WaitForSingleObject(agentProcess.get(), 0) == WAIT_OBJECT_0) {
            std::fprintf(stderr, "KvDemoSetup: the Agent ended without a change\n");
            return 9;
        }
        if (::GetTickCount() - start > static_cast<DWORD>(seconds) * 1000) {
            std::fprintf(stderr, "KvDemoSetup: no change within %d s\n", seconds);
            return 10;
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    }
    ::DestroyWindow(receiver);
    return 0;
}

// As the Manager and the uninstaller do, without their fixed pause: the demonstration only goes on
// once the running event is gone.
int StopAgent()
{
    switch (StopRunningAgent({0, 15000})) {
    case AgentStopResult::NoneRunning:
        std::printf("No Agent runs\n");
        return 0;
    case AgentStopResult::Stopped:
        std::printf("The Agent has ended\n");
        return 0;
    case AgentStopResult::StillRunning:
        break;
    }
    std::fprintf(stderr, "KvDemoSetup: the Agent did not end within 15 s\n");
    return 7;
}

}  // namespace

int main(int argc, char** argv)
{
    TxLibInitialize();
    if (argc == 3 && std::strcmp(argv[1], "setup") == 0) return Setup(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "run-agent") == 0) return RunAgent(std::atoi(argv[2]));
    if (argc == 2 && std::strcmp(argv[1], "stop-agent") == 0) return StopAgent();
    std::fprintf(stderr, "usage: KvDemoSetup setup <image folder> | run-agent <seconds> | stop-agent\n");
    return 1;
}
