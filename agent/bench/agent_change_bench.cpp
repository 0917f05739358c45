// A few hundred wallpaper changes in one Agent process, made as the tray's "Next wallpaper" makes
// them (the engine loaded from the Agent's folder and freed again each time), with the Agent's
// handles and memory printed every 25 changes: they must stay flat. At the end, the private bytes
// after 50 changes and after the last one.
//
//   agent_change_bench [changes (300)] [image folder (Debian's mate-backgrounds)]
//
// It writes a first-run configuration for the image folder into the current user's settings, so
// run it in a prefix of its own (agent/bench/run does), never beside the tests.
#include "AgentEnvironment.h"
#include "AgentState.h"
#include "AgentStartup.h"
#include "AgentTexts.h"
#include "AgentTimer.h"
#include "AgentChange.h"
#include "AgentWindow.h"
#include "DemoFirstRun.h"
#include "KvTestSupport.h"
#include "UTxDiskApi.h"
#include "UTxLog.h"
#include "UTxUtils.h"
#include "Wcommon.h"

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

const CLogSettings g_LogSettings = {"KvAgent   ", "", false, 80, false, false, true};

namespace {

struct Sample {
    int change;
    DWORD gdiObjects;   // GetGuiResources; Wine reports 0
    DWORD userObjects;  // GetGuiResources; Wine reports 0
    DWORD gdiSlot;      // index a new GDI object gets: the lowest free slot, which leaks push up
    DWORD userSlot;     // the same for a window handle
    DWORD kernelSlot;   // the same for a kernel handle
    DWORD handleCount;  // GetProcessHandleCount; Wine reports 0
    SIZE_T commitKb;    // private memory (pagefile usage)
    SIZE_T workingSetKb;
    SIZE_T privateBytes;  // committed private pages, summed region by region (Wine reports no PrivateUsage)
};

Sample Measure(int change)
{
    Sample s = {};
    s.change = change;
    const HANDLE self = ::GetCurrentProcess();
    s.gdiObjects = ::GetGuiResources(self, GR_GDIOBJECTS);
    s.userObjects = ::GetGuiResources(self, GR_USEROBJECTS);
    {
        GdiObject probe(::CreateBitmap(1, 1, 1, 1, nullptr));
        s.gdiSlot = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(probe.get()) & 0xFFFF);
    }
    HWND window =
        ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    s.userSlot = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(window) & 0xFFFF);
    ::DestroyWindow(window);
    {
        Handle probe(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
        s.kernelSlot = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(probe.get()));
    }
    ::GetProcessHandleCount(self, &s.handleCount);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    ::GetProcessMemoryInfo(self, &memory, sizeof(memory));
    s.commitKb = memory.PagefileUsage / 1024;
    s.workingSetKb = memory.WorkingSetSize / 1024;
    s.privateBytes = testsupport::CommittedPrivateBytes();
    return s;
}

void Print(const Sample& s, int failed, double msPerChange)
{
    std::printf("%7d %7lu %7lu %9lu %9lu %9lu %8lu %10lu %10lu %8d %10.1f\n", s.change,
                static_cast<unsigned long>(s.gdiObjects), static_cast<unsigned long>(s.userObjects),
                static_cast<unsigned long>(s.gdiSlot), static_cast<unsigned long>(s.userSlot),
                static_cast<unsigned long>(s.kernelSlot), static_cast<unsigned long>(s.handleCount),
                static_cast<unsigned long>(s.commitKb), static_cast<unsigned long>(s.workingSetKb), failed,
                msPerChange);
    std::fflush(stdout);
}

void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// The program's folder without its trailing backslash, as the first-run files name folders.
std::string OwnFolder()
{
    std::string folder = TxProgramFolder();
    if (!folder.empty()) folder.pop_back();
    return folder;
}

}  // namespace

int main(int argc, char** argv)
{
    const int changes = argc > 1 ? std::atoi(argv[1]) : 300;
    const char* folder = argc > 2 ? argv[2] : "Z:\\usr\\share\\backgrounds\\mate";

    DWORD images = 0;
    std::string error;
    if (!WriteFirstRun(folder, OwnFolder(), images, error)) {
        std::fprintf(stderr, "agent_change_bench: %s\n", error.c_str());
        return 1;
    }
    // A camera's 6000 x 4000 photos lie above the default largest size; the benchmark shows them.
    DisplaySettings display = {};
    const bool read = ReadDisplayFromRegistry(display);
    display.dwMaxSize = 10000;
    if (!read || !WriteDisplayToRegistry(display)) {
        std::fprintf(stderr, "agent_change_bench: the display settings could not be written\n");
        return 1;
    }
    if (!TakeAgentIsRunning()) {
        std::fprintf(stderr, "agent_change_bench: an Agent runs in this prefix\n");
        return 1;
    }
    // No ticks: every change below is made by hand, one after the other.
    g_AgentEnvironment.dwFirstWaitMs = g_AgentEnvironment.dwFirstWaitAfterRebootMs = 0x7FFFFFFF;
    g_AgentEnvironment.dwWaitMs = 0x7FFFFFFF;
    LoadDefaultTexts();
    LoadLanguageTexts();
    ReloadSettings();
    g_AgentEnvironment.GetScreenSize(&g_iStartupWidth, &g_iStartupHeight);
    ui::WindowClass windowClass("KESTROVA");
    if (!RegisterAgentClass(::GetModuleHandleA(nullptr), windowClass) ||
        !InitInstance(::GetModuleHandleA(nullptr), windowClass, SW_HIDE)) {
        std::fprintf(stderr, "agent_change_bench: the Agent's window could not be made\n");
        return 1;
    }
    std::printf("%d changes of %lu images of %s with the engine in %s\n", changes,
                static_cast<unsigned long>(images), folder, OwnFolder().c_str());
    std::printf("%7s %7s %7s %9s %9s %9s %8s %10s %10s %8s %10s\n", "change", "gdi", "user", "gdi-slot",
                "user-slot", "krnl-slot", "handles", "commit-kB", "ws-kB", "failed", "ms/change");

    Print(Measure(0), 0, 0.0);
    int failed = 0;
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    std::vector<Sample> samples;
    Sample after50 = {};
    for (int i = 1; i <= changes; ++i) {
        ChangeBackground(false, false);
        Pump();
        if (g_RetryPause.IsStarted()) ++failed;
        if (i == 50) after50 = Measure(i);
        if (i % 25 == 0 || i == changes) {
            ::QueryPerformanceCounter(&end);
            const double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                              static_cast<double>(frequency.QuadPart) / (i % 25 ? i % 25 : 25);
            samples.push_back(Measure(i));
            Print(samples.back(), failed, ms);
            ::QueryPerformanceCounter(&start);
        }
    }

    // Flat means: after the first rows (caches, the font, the first engine load) nothing grows.
    if (samples.size() >= 3) {
        const Sample& a = samples[1];
        const Sample& b = samples.back();
        std::printf("from change %d to %d: gdi-slot %+ld, user-slot %+ld, krnl-slot %+ld, commit %+ld kB\n",
                    a.change, b.change, static_cast<long>(b.gdiSlot) - static_cast<long>(a.gdiSlot),
                    static_cast<long>(b.userSlot) - static_cast<long>(a.userSlot),
                    static_cast<long>(b.kernelSlot) - static_cast<long>(a.kernelSlot),
                    static_cast<long>(b.commitKb) - static_cast<long>(a.commitKb));
    }
    if (changes > 50) {
        const Sample last = Measure(changes);
        std::printf(
            "private bytes after 50 changes: %lu kB, after %d: %lu kB, growth %+ld kB (%.3f kB a change)\n",
            static_cast<unsigned long>(after50.privateBytes / 1024), changes,
            static_cast<unsigned long>(last.privateBytes / 1024),
            (static_cast<long>(last.privateBytes) - static_cast<long>(after50.privateBytes)) / 1024,
            (static_cast<double>(last.privateBytes) - static_cast<double>(after50.privateBytes)) / 1024.0 /
                (changes - 50));
    }
    g_FormAgent.Destroy();
    Pump();
    StopTimerThread();
    return failed == changes ? 2 : 0;
}
