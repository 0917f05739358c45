// The timer thread and the named events, with periods of milliseconds: it posts ticks, leaves on
// the stop event without posting, and turns the close event into a close message.
#include "AgentControl.h"
#include "AgentEnvironment.h"
#include "AgentMessages.h"
#include "AgentState.h"
#include "AgentStartup.h"
#include "AgentTimer.h"
#include "agent_support.h"

#include <gtest/gtest.h>

using namespace agenttest;

namespace {

// A message-only window that counts the Agent's posted messages.
class PostCounter {
public:
    PostCounter()
    {
        static const bool registered = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = &Proc;
            wc.hInstance = ::GetModuleHandleA(nullptr);
            wc.lpszClassName = "AgentTimerTestCounter";
            return ::RegisterClassA(&wc) != 0;
        }();
        EXPECT_TRUE(registered);
        m_hWnd = ::CreateWindowExA(0, "AgentTimerTestCounter", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   ::GetModuleHandleA(nullptr), nullptr);
        s_iTicks = 0;
        s_iCloses = 0;
    }
    ~PostCounter() { ::DestroyWindow(m_hWnd); }
    PostCounter(const PostCounter&) = delete;
    PostCounter& operator=(const PostCounter&) = delete;
    HWND get() const { return m_hWnd; }
    static int s_iTicks;
    static int s_iCloses;

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_WPAGENT_TIMER) ++s_iTicks;
        if (msg == WM_WPAGENT_EXTERNAL_CLOSE) ++s_iCloses;
        return ::DefWindowProcA(wnd, msg, wParam, lParam);
    }
    HWND m_hWnd = nullptr;
};
int PostCounter::s_iTicks = 0;
int PostCounter::s_iCloses = 0;

bool EventExists(const char* name)
{
    HANDLE event = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
    if (!event) return false;
    ::CloseHandle(event);
    return true;
}

class AgentTimer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetAgentState();
        UseFakeEnvironment(40);
        g_AgentEnvironment.dwFirstWaitMs = 40;
        g_AgentEnvironment.dwFirstWaitAfterRebootMs = 400;
        g_hAgentWindow = m_Counter.get();
    }
    void TearDown() override
    {
        StopTimerThread();
        UseSystemEnvironment();
        ResetAgentState();
    }
    PostCounter m_Counter;
};

}  // namespace

TEST_F(AgentTimer, PostsTicksUntilStopped)
{
    ASSERT_TRUE(TakeAgentIsRunning());
    StartTimerThread();
    PumpFor(230);
    EXPECT_LE(PostCounter::s_iTicks, 7);  // 40 ms apart: never more often
    // A loaded machine may be late, but the ticks keep coming.
    EXPECT_TRUE(testsupport::PumpUntil([] { return PostCounter::s_iTicks >= 2; }, 3000));
    EXPECT_TRUE(EventExists(kAgentIsRunningEvent));
    EXPECT_TRUE(EventExists(kAgentDisableEvent));
    EXPECT_TRUE(EventExists(kAgentCloseEvent));

    const DWORD start = ::GetTickCount();
    StopTimerThread();
    EXPECT_LT(::GetTickCount() - start, testsupport::ScaledMs(200));
    // A tick posted just before the stop may still wait in the queue: count it before comparing.
    PumpFor(0);
    const int ticks = PostCounter::s_iTicks;
    PumpFor(120);
    EXPECT_EQ(PostCounter::s_iTicks, ticks);
    EXPECT_EQ(PostCounter::s_iCloses, 0);
    EXPECT_FALSE(EventExists(kAgentIsRunningEvent));
    EXPECT_FALSE(EventExists(kAgentDisableEvent));
    EXPECT_FALSE(EventExists(kAgentCloseEvent));
}

// A stop that comes before the new thread has run its first line must still end it: the thread
// must not clear it on its way in.
TEST_F(AgentTimer, StopRightAfterStartEndsTheThreadAtOnce)
{
    g_AgentEnvironment.dwFirstWaitMs = 60000;
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(TakeAgentIsRunning());
        StartTimerThread();
        const DWORD start = ::GetTickCount();
        StopTimerThread();
        EXPECT_LT(::GetTickCount() - start, testsupport::ScaledMs(2000)) << "round " << i;
    }
    EXPECT_EQ(PostCounter::s_iTicks, 0);
}

TEST_F(AgentTimer, FirstTickAfterRebootWaitsLonger)
{
    g_bStartedAfterPcReboot = 1;
    ASSERT_TRUE(TakeAgentIsRunning());
    StartTimerThread();
    PumpFor(250);
    EXPECT_EQ(PostCounter::s_iTicks, 0);
    // Due after 400 ms; a loaded machine may be late.
    EXPECT_TRUE(testsupport::PumpUntil([] { return PostCounter::s_iTicks >= 1; }, 3000));
}

TEST_F(AgentTimer, CloseEventBecomesACloseMessage)
{
    ASSERT_TRUE(TakeAgentIsRunning());
    StartTimerThread();
    ASSERT_TRUE(SignalRunningAgentToClose());
    EXPECT_TRUE(testsupport::PumpUntil([] { return PostCounter::s_iCloses >= 1; }, 3000));
    EXPECT_EQ(PostCounter::s_iCloses, 1);
    // The auto-reset event was consumed and the thread has left its loop: no more ticks.
    EXPECT_EQ(::WaitForSingleObject(g_AgentEvents.hClose.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(::WaitForSingleObject(g_AgentEvents.hThread.get(), testsupport::ScaledMs(1000)),
              static_cast<DWORD>(WAIT_OBJECT_0));
    PumpFor(0);
    const int ticks = PostCounter::s_iTicks;
    PumpFor(100);
    EXPECT_EQ(PostCounter::s_iTicks, ticks);
}

TEST_F(AgentTimer, OnlyOneAgentTakesTheRunningEvent)
{
    ASSERT_TRUE(TakeAgentIsRunning());
    Handle first = std::move(g_AgentEvents.hIsRunning);
    Handle firstClose = std::move(g_AgentEvents.hClose);
    EXPECT_FALSE(TakeAgentIsRunning());
    // The close event existed from the first take on, so a second start can reach it.
    EXPECT_TRUE(SignalRunningAgentToClose());
    EXPECT_EQ(::WaitForSingleObject(firstClose.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
    first.reset();
    firstClose.reset();
    EXPECT_FALSE(SignalRunningAgentToClose());
    EXPECT_TRUE(TakeAgentIsRunning());
}

TEST(AgentStartup, RebootSwitchIsTheWholeCommandLine)
{
    struct Case {
        const char* commandLine;
        bool reboot;
    };
    const Case cases[] = {{"/r", true}, {"/R", true},    {"/r ", false}, {" /r", false},  {"-r", false},
                          {"", false},  {"/r x", false}, {"/rr", false}, {nullptr, false}};
    for (const Case& c : cases)
        EXPECT_EQ(IsRebootSwitch(c.commandLine), c.reboot) << (c.commandLine ? c.commandLine : "(null)");
}

TEST(AgentStartup, RunTimeScreenSize)
{
    ClearSettings();
    int width = 11;
    int height = 22;
    EXPECT_FALSE(ReadRunTimeFromRegistry(&width, &height));
    EXPECT_EQ(width, 11);
    EXPECT_EQ(height, 22);

    const std::string runTime = std::string(kSettingsKey) + "\\RunTime";
    WriteDword(runTime, "ScreenStartupWidth", 800);
    EXPECT_TRUE(ReadRunTimeFromRegistry(&width, &height));
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, ::GetSystemMetrics(SM_CYSCREEN));  // absent: the current screen

    WriteDword(runTime, "ScreenStartupHeight", 600);
    WriteText(runTime, "ScreenStartupWidth", "1280");  // not a DWORD: the current screen
    EXPECT_TRUE(ReadRunTimeFromRegistry(&width, &height));
    EXPECT_EQ(width, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(height, 600);
    ClearSettings();
}
