// The Agent as a program: KvAgent.exe and the fast test Agent (ticks every 200 ms) started in
// installed folders beside a stand-in or the real engine, observed from outside through the
// registry, the named events, its windows and the log lines it sends to a receiver window here.
#include "AgentControl.h"
#include "Wcommon.h"
#include "agent_support.h"

#include "KvTestRegistry.h"
#include "KvTestSupport.h"
#include "UScreenSaverRunning.h"
#include "UTxUtils.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace agenttest;
using testsupport::ChildProcess;
using testsupport::ExeFolder;
using testsupport::LogReceiver;
using testsupport::PumpUntil;

namespace {

const std::string kStubFolder = "e2e\\stub\\";
const std::string kIncompatibleFolder = "e2e\\incompatible\\";
const std::string kRealFolder = "e2e\\real\\";

std::string Key(const char* section)
{
    return std::string(kSettingsKey) + "\\" + section;
}

bool EventExists(const char* name)
{
    HANDLE event = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
    if (!event) return false;
    ::CloseHandle(event);
    return true;
}

DWORD StubCount(const char* name)
{
    return ReadDword(kStubKey, name, 0);
}

HWND WindowOf(DWORD pid, const char* className, const char* title = nullptr)
{
    return testsupport::FindTopWindow(pid, {className, title});
}

class AgentProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearSettings();
        ASSERT_TRUE(m_Receiver.IsOpen());
    }
    void TearDown() override
    {
        for (ChildProcess* agent : {&m_Agent, &m_Second}) {
            if (agent->ExitCode() == STILL_ACTIVE) {
                SignalClose();
                if (!agent->WaitPumping(3000)) agent->Terminate();
            }
        }
        ClearSettings();
    }

    bool Start(ChildProcess& agent, const std::string& folder, const char* program,
               const char* arguments = "")
    {
        const std::string path = ExeFolder() + folder + program;
        return agent.Start("\"" + path + "\"" + (*arguments ? " " : "") + arguments);
    }
    bool Start(const std::string& folder, const char* program, const char* arguments = "")
    {
        return Start(m_Agent, folder, program, arguments);
    }

    // The Agent's hidden window, once it is up.
    HWND WaitForWindow(ChildProcess& agent, DWORD timeoutMs = 5000)
    {
        HWND wnd = nullptr;
        PumpUntil(
            [&] { return (wnd = WindowOf(agent.ProcessId(), "KESTROVA", "Kestrova Agent")) != nullptr; },
            timeoutMs);
        return wnd;
    }

    // The fast Agent beside an incompatible engine, started as after a log-on, so that it changes at
    // once and the change ends in an error box: that box, once it is open.
    HWND StartWithAnErrorBox()
    {
        WriteRunnableSettings(CHANGE_EACH_N_MINUTES, 0, FileTimeFromUnits(0));
        if (!Start(kIncompatibleFolder, "KvAgentFast.exe", "/r")) return nullptr;
        HWND box = nullptr;
        PumpUntil([&] { return (box = WindowOf(m_Agent.ProcessId(), "#32770", "Error")) != nullptr; }, 5000);
        return box;
    }

    static void SignalClose()
    {
        HANDLE close = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, kAgentCloseEvent);
        if (close) {
            ::SetEvent(close);
            ::CloseHandle(close);
        }
    }

    // Log lines whose text (after the module, thread and indent columns) is `text`.
    int Lines(const std::string& text) const
    {
        int count = 0;
        for (const std::string& line : m_Receiver.Texts())
            if (line.size() >= text.size() &&
                line.compare(line.size() - text.size(), text.size(), text) == 0 &&
                line.find_first_not_of(' ', 26) == line.size() - text.size())
                ++count;
        return count;
    }
    std::string AllLines() const
    {
        std::string all;
        for (const std::string& line : m_Receiver.Texts())
            all += line + "\n";
        return all;
    }

    LogReceiver m_Receiver;
    ChildProcess m_Agent;
    ChildProcess m_Second;
};

}  // namespace

TEST_F(AgentProcess, QuitsAtOnceWithoutSettings)
{
    struct Case {
        const char* name;
        std::function<void()> write;
        const char* line;
    };
    const std::string root = kSettingsKey;
    const Case cases[] = {
        {"nothing configured", [] {}, "Exit: AlreadyConfigured=0, AllFilesCount=0"},
        {"no images",
         [&] {
             WriteDword(root, "Configured", 1);
             WriteDword(root, "AllFilesCount", 0);
         },
         "Exit: AlreadyConfigured=1, AllFilesCount=0"},
        {"AutoRun off",
         [&] {
             WriteRunnableSettings(CHANGE_EACH_HOUR, 60, LocalNow());
             WriteDword(Key("Agent"), "AutoRun", 0);
         },
         "Exit: g_RegistryRecord.Agent.bAutoRun=0"},
    };
    for (const Case& c : cases) {
        ClearSettings();
        c.write();
        m_Receiver.Clear();
        ChildProcess agent;
        ASSERT_TRUE(Start(agent, kStubFolder, "KvAgent.exe"));
        ASSERT_TRUE(agent.WaitPumping(5000)) << c.name;
        EXPECT_EQ(agent.ExitCode(), 0u) << c.name;
        EXPECT_EQ(Lines("------------- Kestrova Agent -------------"), 1) << c.name;
        EXPECT_EQ(Lines("version 1.07"), 1) << c.name;
        EXPECT_EQ(Lines(c.line), 1) << c.name << "\n" << AllLines();
        EXPECT_FALSE(EventExists(kAgentIsRunningEvent)) << c.name;
        EXPECT_FALSE(EventExists(kAgentCloseEvent)) << c.name;
    }
}

TEST_F(AgentProcess, RunsUntilItsCloseEventIsSignalled)
{
    WriteRunnableSettings(CHANGE_EACH_N_MINUTES, 600, LocalNow());
    ASSERT_TRUE(Start(kStubFolder, "KvAgent.exe"));
    ASSERT_NE(WaitForWindow(m_Agent), nullptr) << AllLines();
    // The timer thread makes the pause event, so it may follow the window by a moment.
    EXPECT_TRUE(PumpUntil([] { return EventExists(kAgentDisableEvent); }, 3000));
    EXPECT_TRUE(EventExists(kAgentIsRunningEvent));
    EXPECT_TRUE(EventExists(kAgentCloseEvent));
    EXPECT_EQ(Lines("g_bStartedAfterPcReboot=0, lpCmdLine="), 1) << AllLines();

    SignalClose();
    ASSERT_TRUE(m_Agent.WaitPumping(3000));
    EXPECT_EQ(m_Agent.ExitCode(), 0u);
    EXPECT_EQ(Lines("WndProc: WM_WPAGENT_EXTERNAL_CLOSE"), 1);
    EXPECT_EQ(Lines("WndProc: WM_DESTROY"), 1);
    EXPECT_EQ(Lines("-------------- Normal Exit ---------------"), 1);
    EXPECT_FALSE(EventExists(kAgentIsRunningEvent));
    EXPECT_FALSE(EventExists(kAgentDisableEvent));
    EXPECT_FALSE(EventExists(kAgentCloseEvent));
    EXPECT_EQ(StubCount("Loads"), 0u);
}

TEST_F(AgentProcess, SecondStartEndsBoth)
{
    WriteRunnableSettings(CHANGE_EACH_N_MINUTES, 600, LocalNow());
    ASSERT_TRUE(Start(kStubFolder, "KvAgent.exe"));
    ASSERT_NE(WaitForWindow(m_Agent), nullptr);
    ASSERT_TRUE(Start(m_Second, kStubFolder, "KvAgent.exe"));
    ASSERT_TRUE(m_Second.WaitPumping(3000));
    EXPECT_EQ(m_Second.ExitCode(), 0u);
    ASSERT_TRUE(m_Agent.WaitPumping(3000));
    EXPECT_EQ(m_Agent.ExitCode(), 0u);
    EXPECT_FALSE(EventExists(kAgentIsRunningEvent));
}

TEST_F(AgentProcess, StartAfterLogOnRecordsTheScreenSize)
{
    struct Case {
        const char* arguments;
        int reboot;
    };
    for (const Case& c : {Case{"/r", 1}, Case{"/R", 1}, Case{"-r", 0}, Case{"/r x", 0}}) {
        ClearSettings();
        WriteRunnableSettings(CHANGE_EACH_N_MINUTES, 600, LocalNow());
        m_Receiver.Clear();
        ChildProcess agent;
        ASSERT_TRUE(Start(agent, kStubFolder, "KvAgent.exe", c.arguments));
        ASSERT_NE(WaitForWindow(agent), nullptr) << c.arguments;
        const std::string line =
            "g_bStartedAfterPcReboot=" + std::to_string(c.reboot) + ", lpCmdLine=" + c.arguments;
        EXPECT_EQ(Lines(line), 1) << c.arguments << "\n" << AllLines();
        const DWORD width = ReadDword(Key("RunTime"), "ScreenStartupWidth");
        const DWORD height = ReadDword(Key("RunTime"), "ScreenStartupHeight");
        if (c.reboot) {
            EXPECT_EQ(width, static_cast<DWORD>(::GetSystemMetrics(SM_CXSCREEN))) << c.arguments;
            EXPECT_EQ(height, static_cast<DWORD>(::GetSystemMetrics(SM_CYSCREEN))) << c.arguments;
        } else {
            EXPECT_EQ(width, 0xDEADBEEFu) << c.arguments;  // not written
            EXPECT_EQ(Lines("ReadFromRegistry: Error opening " KV_REG_ROOT "\\RunTime"), 1);
        }
        SignalClose();
        ASSERT_TRUE(agent.WaitPumping(3000));
    }
}

TEST_F(AgentProcess, DueChangeHappensOnceThenNotUntilDue)
{
    const FILETIME anHourAgo = FileTimeFromUnits(FileTimeUnits(LocalNow()) - 61ull * 600000000ull);
    WriteRunnableSettings(CHANGE_EACH_N_MINUTES, 60, anHourAgo);
    ASSERT_TRUE(Start(kStubFolder, "KvAgentFast.exe", "/r"));
    ASSERT_TRUE(PumpUntil([] { return StubCount("Frees") >= 1; }, 5000)) << AllLines();
    PumpUntil([] { return false; }, 1200);  // six more ticks
    EXPECT_EQ(StubCount("SetRandomWallpaper"), 1u);
    EXPECT_EQ(StubCount("UpdateCurrentWallpaper"), 0u);
    EXPECT_EQ(StubCount("Loads"), 1u);
    EXPECT_EQ(StubCount("Frees"), 1u);
    FILETIME written = {};
    ASSERT_TRUE(ReadTime(Key("CurrentImage"), "LastChangeTime", written));
    EXPECT_LT(FileTimeUnits(LocalNow()) - FileTimeUnits(written), testsupport::ScaledMs(30000) * 10000ull);
    EXPECT_EQ(Lines("Exchange: CHANGE_EACH_N_MINUTES"), 1) << AllLines();
    EXPECT_EQ(Lines("Loading library " + ExeFolder() + kStubFolder + "KvApi.dll..."), 1) << AllLines();
    EXPECT_EQ(Lines("calling WpApi_SetRandomWallpaper()"), 1);
    EXPECT_EQ(Lines("Freeing library..."), 1);
    EXPECT_EQ(Lines("Incrementing g_iExchangeCount"), 1);
}

TEST_F(AgentProcess, NoChangeWhileTheScreenSaverRuns)
{
    WriteRunnableSettings(CHANGE_EACH_N_MINUTES, 0, FileTimeFromUnits(0));
    // The screen saver set the event before this Agent started, and holds its mutex.
    Handle saverRunning(::CreateMutexA(nullptr, FALSE, kScreenSaverRunningName));
    Handle disable(::CreateEventA(nullptr, TRUE, TRUE, kAgentDisableEvent));
    ASSERT_TRUE(Start(kStubFolder, "KvAgentFast.exe", "/r"));
    ASSERT_TRUE(PumpUntil([this] { return Lines("screensaver is running") >= 3; }, 5000)) << AllLines();
    EXPECT_EQ(StubCount("Loads"), 0u);
    // The saver ends: it lets go of its mutex and lifts the pause.
    saverRunning.reset();
    ::ResetEvent(disable.get());
    ASSERT_TRUE(PumpUntil([] { return StubCount("SetRandomWallpaper") >= 1; }, 3000));
}

namespace {

// A screen saver in preview, in a window of this process: the saver that the platform replaces by
// another when the user picks a second one or the full-screen saver starts.
struct PreviewSaver {
    HWND host = nullptr;
    ChildProcess process;

    bool Start()
    {
        host = ::CreateWindowExA(0, "STATIC", "Saver preview host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                 200, 150, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        if (!host) return false;
        const std::string saver = ExeFolder() + "e2e\\saver\\Kestrova.scr";
        if (!process.Start("\"" + saver + "\" /p " + std::to_string(reinterpret_cast<UINT_PTR>(host))))
            return false;
        // Its window exists once it has paused the Agent.
        return PumpUntil(
            [&] { return ::FindWindowExA(host, nullptr, "WindowsScreenSaverClass", nullptr) != nullptr; },
            10000);
    }
    // Closed as the platform closes a preview, or killed.
    bool End(bool kill)
    {
        if (kill) process.Terminate();
        ::DestroyWindow(host);
        host = nullptr;
        return process.WaitPumping(10000);
    }
    ~PreviewSaver()
    {
        if (process.ExitCode() == STILL_ACTIVE) process.Terminate();
        if (host) ::DestroyWindow(host);
    }
};

bool DisableEventSet()
{
    const Handle event(::OpenEventA(SYNCHRONIZE, FALSE, kAgentDisableEvent));
    return event && ::WaitForSingleObject(event.get(), 0) == WAIT_OBJECT_0;
}

}  // namespace

// A second saver replaces the first: the pause holds while the second runs, however the first
// ended, and ends once neither runs, however the second ended. Every tick is due.
TEST_F(AgentProcess, TheSecondOfTwoScreenSaversKeepsTheAgentPaused)
{
    ASSERT_TRUE(testsupport::DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\Dalvex\\Kestrova\\Setup"));
    WriteRunnableSettings(CHANGE_EACH_N_MINUTES, 0, FileTimeFromUnits(0));
    ASSERT_TRUE(Start(kStubFolder, "KvAgentFast.exe", "/r"));
    const struct {
        const char* name;
        bool killFirst;
        bool killSecond;
    } cases[] = {
        {"both closed", false, false},
        {"first killed", true, false},
        {"second killed", false, true},
    };
    for (const auto& c : cases) {
        const DWORD before = StubCount("SetRandomWallpaper");
        ASSERT_TRUE(PumpUntil([&] { return StubCount("SetRandomWallpaper") > before; }, 10000))
            << c.name << ": the Agent does not change" << AllLines();

        PreviewSaver first;
        ASSERT_TRUE(first.Start()) << c.name;
        const int pausedTicks = Lines("screensaver is running");
        ASSERT_TRUE(PumpUntil([&] { return Lines("screensaver is running") > pausedTicks; }, 10000))
            << c.name << ": the first saver did not pause the Agent";
        PreviewSaver second;
        ASSERT_TRUE(second.Start()) << c.name;
        ASSERT_TRUE(first.End(c.killFirst)) << c.name;

        // Three ticks after the first saver ended, each one paused, and no change among them.
        const DWORD changes = StubCount("SetRandomWallpaper");
        const int ticks = Lines("screensaver is running");
        EXPECT_TRUE(PumpUntil([&] { return Lines("screensaver is running") >= ticks + 3; }, 10000))
            << c.name << ": the Agent went on under the second saver" << AllLines();
        EXPECT_EQ(StubCount("SetRandomWallpaper"), changes) << c.name;
        EXPECT_TRUE(DisableEventSet()) << c.name << ": the pause was lifted while the second saver runs";

        ASSERT_TRUE(second.End(c.killSecond)) << c.name;
        EXPECT_TRUE(PumpUntil([&] { return StubCount("SetRandomWallpaper") > changes; }, 10000))
            << c.name << ": the Agent stays paused after both savers ended" << AllLines();
        EXPECT_TRUE(PumpUntil([] { return !DisableEventSet(); }, 10000)) << c.name;
    }
}

TEST_F(AgentProcess, NoChangeWhileABlockingProgramShowsAWindow)
{
    WriteRunnableSettings(CHANGE_EACH_N_MINUTES, 0, FileTimeFromUnits(0));
    WriteText(Key("Agent"), "ConflictingPrgs", std::string("nothing.exe;;Kestrova blocking") + '\0');
    HWND blocker = ::CreateWindowExA(0, "STATIC", "Kestrova blocking test", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                     0, 0, 80, 80, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(blocker, nullptr);
    ASSERT_TRUE(Start(kStubFolder, "KvAgentFast.exe", "/r"));
    ASSERT_TRUE(PumpUntil(
        [this] { return Lines("Found conflicting window: Kestrova blocking test (a...") == 1; }, 5000))
        << AllLines();
    PumpUntil([] { return false; }, 800);
    EXPECT_EQ(StubCount("Loads"), 0u);
    ::DestroyWindow(blocker);
    ASSERT_TRUE(PumpUntil([] { return StubCount("SetRandomWallpaper") >= 1; }, 3000));
}

TEST_F(AgentProcess, NoChangeAtAnotherScreenSize)
{
    WriteRunnableSettings(CHANGE_EACH_N_MINUTES, 0, FileTimeFromUnits(0));
    WriteDword(Key("RunTime"), "ScreenStartupWidth", 800);
    WriteDword(Key("RunTime"), "ScreenStartupHeight", 600);
    ASSERT_TRUE(Start(kStubFolder, "KvAgentFast.exe"));
    const std::string line = "Different screen resolution, not exchanging. StartupWidth=800, Width=" +
                             std::to_string(::GetSystemMetrics(SM_CXSCREEN)) +
                             ", StartupHeight=600, Height=" + std::to_string(::GetSystemMetrics(SM_CYSCREEN));
    ASSERT_TRUE(PumpUntil([&] { return Lines(line) == 1; }, 5000)) << AllLines();
    PumpUntil([] { return false; }, 800);  // the pause holds the next ticks back
    EXPECT_EQ(Lines(line), 1);
    EXPECT_EQ(StubCount("Loads"), 0u);
}

TEST_F(AgentProcess, IncompatibleEngineGivesOneBox)
{
    const HWND box = StartWithAnErrorBox();
    ASSERT_NE(box, nullptr) << AllLines();
    char text[256] = {};
    ::GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
    EXPECT_STREQ(text, "Incompatible KvApi.dll");
    PumpUntil([] { return false; }, 800);  // ticks keep coming while the box is open
    EXPECT_EQ(StubCount("Loads"), 1u);
    EXPECT_EQ(StubCount("Frees"), 1u);
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(box); }, 2000));
    PumpUntil([] { return false; }, 800);  // then the pause
    EXPECT_EQ(WindowOf(m_Agent.ProcessId(), "#32770", "Error"), nullptr);
    EXPECT_EQ(StubCount("Loads"), 1u);
}

// Nobody may be there to answer the box: the program that signals the close event waits only so long.
TEST_F(AgentProcess, CloseEventEndsTheAgentWhileAnErrorBoxIsOpen)
{
    const HWND box = StartWithAnErrorBox();
    ASSERT_NE(box, nullptr) << AllLines();

    SignalClose();
    ASSERT_TRUE(m_Agent.WaitPumping(2000)) << AllLines();
    EXPECT_EQ(m_Agent.ExitCode(), 0u);
    EXPECT_EQ(Lines("WndProc: WM_WPAGENT_EXTERNAL_CLOSE"), 1);
    EXPECT_EQ(Lines("-------------- Normal Exit ---------------"), 1);
    EXPECT_EQ(StubCount("Loads"), 1u);
    EXPECT_EQ(StubCount("Frees"), 1u);
    EXPECT_FALSE(EventExists(kAgentIsRunningEvent));
}

TEST_F(AgentProcess, MenuCommandsFromOutside)
{
    WriteRunnableSettings(CHANGE_EACH_N_MINUTES, 600, LocalNow());
    ASSERT_TRUE(Start(kStubFolder, "KvAgentFast.exe", "/r"));
    HWND agent = WaitForWindow(m_Agent);
    ASSERT_NE(agent, nullptr);

    // The tray menu, opened as a click on the icon does and chosen with the keyboard.
    ::PostMessageA(agent, 0x8001, 1, WM_RBUTTONDOWN);
    HWND menu = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (menu = WindowOf(m_Agent.ProcessId(), "#32768")) != nullptr; }, 3000));
    ::PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(PumpUntil([] { return StubCount("SetRandomWallpaper") == 1; }, 3000)) << AllLines();
    EXPECT_EQ(Lines("WndProc: WM_COMMAND - IDM_NEXT_PAPER"), 1);

    ::PostMessageA(agent, WM_COMMAND, 154, 0);
    ASSERT_TRUE(PumpUntil([] { return StubCount("SetRandomWallpaper") == 2; }, 3000));
    EXPECT_EQ(StubCount("ExcludeCurrentFromList"), 1u);
    EXPECT_EQ(Lines("calling pWpApi_ExcludeCurrentFromList()"), 1);

    ::PostMessageA(agent, WM_COMMAND, 153, 0);
    ASSERT_TRUE(PumpUntil([] { return ReadDword(Key("Agent"), "Block") == 1; }, 3000));

    ::PostMessageA(agent, WM_COMMAND, 105, 0);
    ASSERT_TRUE(m_Agent.WaitPumping(3000));
    EXPECT_EQ(m_Agent.ExitCode(), 0u);
    EXPECT_EQ(Lines("WndProc: WM_COMMAND - IDM_EXIT"), 1);
    EXPECT_EQ(StubCount("Loads"), StubCount("Frees"));
}
