// The tick and the change inside this process: the Agent's real window, menu, settings in the
// registry, events and error boxes, with the clock, the tick count, the screen, the engine and the
// notification area standing in (agent_support.h).
#include "AgentControl.h"
#include "AgentChange.h"
#include "AgentEnvironment.h"
#include "AgentMessages.h"
#include "AgentStartup.h"
#include "AgentState.h"
#include "AgentTexts.h"
#include "AgentTimer.h"
#include "AgentTray.h"
#include "AgentWindow.h"
#include "UScreenSaverRunning.h"
#include "Uprocessenum.h"
#include "KvTestRegistry.h"
#include "agent_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace agenttest;

namespace {

using Calls = std::vector<std::string>;
const Calls kOneChange = {"load", "SetRandomWallpaper", "free"};
const Calls kNoCall = {};

// The shell's desktop icon view as the caption routines look for it:
// Progman > SHELLDLL_DefView > SysListView32.
class DesktopIconView {
public:
    DesktopIconView()
    {
        INITCOMMONCONTROLSEX init = {sizeof(init), ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&init);
        static const bool registered = [] {
            for (const char* name : {"Progman", "SHELLDLL_DefView"}) {
                WNDCLASSA wc = {};
                wc.lpfnWndProc = ::DefWindowProcA;
                wc.hInstance = ::GetModuleHandleA(nullptr);
                wc.lpszClassName = name;
                if (!::RegisterClassA(&wc)) return false;
            }
            return true;
        }();
        EXPECT_TRUE(registered);
        m_hProgman = ::CreateWindowExA(0, "Progman", "Program Manager", WS_POPUP, 0, 0, 100, 100, nullptr,
                                       nullptr, ::GetModuleHandleA(nullptr), nullptr);
        HWND view = ::CreateWindowExA(0, "SHELLDLL_DefView", "", WS_CHILD, 0, 0, 100, 100, m_hProgman,
                                      nullptr, ::GetModuleHandleA(nullptr), nullptr);
        m_hList = ::CreateWindowExA(0, WC_LISTVIEWA, "FolderView", WS_CHILD | LVS_ICON, 0, 0, 100, 100, view,
                                    nullptr, ::GetModuleHandleA(nullptr), nullptr);
        EXPECT_NE(m_hList, nullptr);
        SetColors(0x00123456, 0x00654321);
    }
    ~DesktopIconView() { ::DestroyWindow(m_hProgman); }
    DesktopIconView(const DesktopIconView&) = delete;
    DesktopIconView& operator=(const DesktopIconView&) = delete;

    void SetColors(COLORREF text, COLORREF back)
    {
        ::SendMessageA(m_hList, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(text));
        ::SendMessageA(m_hList, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(back));
    }
    COLORREF TextColor() const
    {
        return static_cast<COLORREF>(::SendMessageA(m_hList, LVM_GETTEXTCOLOR, 0, 0));
    }
    COLORREF BackColor() const
    {
        return static_cast<COLORREF>(::SendMessageA(m_hList, LVM_GETTEXTBKCOLOR, 0, 0));
    }

private:
    HWND m_hProgman = nullptr;
    HWND m_hList = nullptr;
};

class AgentTick : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearSettings();
        ResetAgentState();
        ResetConflictCheck();
        SetConflictingPrgs("");
        UseFakeEnvironment();
        g_World.now = Local("2026-03-01 10:20:00");
        WriteRunnableSettings(CHANGE_EACH_HOUR, 60, Local("2026-03-01 09:59:00"));
        WriteDword(Key("Agent"), "SysTrayIcon", 1);
        LoadDefaultTexts();
        ReloadSettings();
        g_iStartupWidth = 1024;
        g_iStartupHeight = 768;
        ASSERT_TRUE(TakeAgentIsRunning());
        ASSERT_TRUE(RegisterAgentClass(::GetModuleHandleA(nullptr), m_Class));
        ASSERT_TRUE(InitInstance(::GetModuleHandleA(nullptr), m_Class, SW_SHOW));
        g_World.trayCalls.clear();
    }

    void TearDown() override
    {
        if (g_FormAgent.Exists()) g_FormAgent.Destroy();
        PumpFor(0);
        StopTimerThread();
        m_Class.Unregister();
        UseSystemEnvironment();
        ResetAgentState();
        ClearSettings();
    }

    static std::string Key(const char* section) { return std::string(kSettingsKey) + "\\" + section; }

    // One tick as the timer thread posts it.
    static void Tick()
    {
        ::PostMessageA(g_hAgentWindow, WM_WPAGENT_TIMER, 0, 0);
        PumpFor(0);
    }
    static void Command(UINT id)
    {
        ::PostMessageA(g_hAgentWindow, WM_COMMAND, id, 0);
        PumpFor(0);
    }

    ui::WindowClass m_Class{"KESTROVA"};
};

}  // namespace

TEST_F(AgentTick, DueChangeCallsTheEngineOnceAndReadsItsNewTime)
{
    Tick();
    EXPECT_EQ(g_World.calls, kOneChange);
    EXPECT_EQ(g_iExchangeCount, 1);
    // The settings were read anew: the engine's change time is the Agent's now.
    EXPECT_EQ(FileTimeUnits(g_RegistryRecord.CurrentImage.ftLastChangeTime), FileTimeUnits(g_World.now));
    g_World.calls.clear();
    g_World.now = Local("2026-03-01 10:59:59");
    Tick();
    EXPECT_EQ(g_World.calls, kNoCall);
    g_World.now = Local("2026-03-01 11:00:00");
    Tick();
    EXPECT_EQ(g_World.calls, kOneChange);
}

TEST_F(AgentTick, CalendarDayRefreshesTheCurrentImage)
{
    WriteDword(Key("Exchange"), "Type", CHANGE_OFF);
    WriteDword(Key("Calendar"), "Show", 1);
    WriteTime(Key("CurrentImage"), "LastChangeTime", Local("2026-02-28 23:59:00"));
    ReloadSettings();
    Tick();
    EXPECT_EQ(g_World.calls, (Calls{"load", "UpdateCurrentWallpaper", "free"}));
    g_World.calls.clear();
    Tick();
    EXPECT_EQ(g_World.calls, kNoCall);
}

TEST_F(AgentTick, StartUpChangeHappensOnceAfterReboot)
{
    WriteDword(Key("Exchange"), "Type", CHANGE_AFTER_PC_START);
    WriteTime(Key("CurrentImage"), "LastChangeTime", g_World.now);
    ReloadSettings();
    g_bStartedAfterPcReboot = 1;
    Tick();
    Tick();
    EXPECT_EQ(g_World.calls, kOneChange);
}

TEST_F(AgentTick, EarlyReturnsInTheirOrder)
{
    DesktopIconView desktop;
    WriteDword(Key("Display"), "AdaptTextBackColor", 1);
    WriteDword(Key("CurrentImage"), "AlreadySet", 1);
    WriteDword(Key("CurrentImage"), "TextColor", 0x00FFFFFF);
    WriteDword(Key("CurrentImage"), "BackColor", 0x00102030);

    // Blocked: nothing at all, not even the caption colours.
    WriteDword(Key("Agent"), "Block", 1);
    ReloadSettings();
    Tick();
    EXPECT_EQ(g_World.calls, kNoCall);
    EXPECT_EQ(desktop.TextColor(), 0x00123456u);

    // The screen saver runs: it holds its mutex and has set the pause.
    WriteDword(Key("Agent"), "Block", 0);
    ReloadSettings();
    {
        const Handle saverRunning(::CreateMutexA(nullptr, FALSE, kScreenSaverRunningName));
        ASSERT_TRUE(saverRunning);
        Handle disable(::OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, kAgentDisableEvent));
        ASSERT_TRUE(disable);
        ::SetEvent(disable.get());
        Tick();
        EXPECT_EQ(g_World.calls, kNoCall);
        EXPECT_EQ(desktop.TextColor(), 0x00123456u);
        EXPECT_EQ(::WaitForSingleObject(disable.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0))
            << "the pause of a running saver was lifted";
        ::ResetEvent(disable.get());
    }

    // A window of a blocking program: the tray shows it, nothing else happens.
    {
        SetConflictingPrgs("nothing.exe;Blocking window");
        ResetConflictCheck();
        desktop.SetColors(0x00123456, 0x00654321);
        HWND blocker = ::CreateWindowExA(0, "STATIC", "Blocking window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                         0, 50, 50, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        g_World.trayCalls.clear();
        Tick();
        EXPECT_EQ(g_World.calls, kNoCall);
        EXPECT_EQ(desktop.TextColor(), 0x00123456u);
        ASSERT_FALSE(g_World.trayCalls.empty());
        EXPECT_EQ(g_World.trayCalls.back().icon, g_TrayIcons.hConflict);
        EXPECT_EQ(g_World.trayCalls.back().tip,
                  "Kestrova Agent (blocked due to Blocking window (agent_te...)");
        g_World.trayCalls.clear();
        Tick();  // the same windows: no new tray state
        EXPECT_TRUE(g_World.trayCalls.empty());
        ::DestroyWindow(blocker);
    }

    // Free to act: the colours come back, then the change.
    Tick();
    EXPECT_EQ(desktop.TextColor(), 0x00FFFFFFu);
    EXPECT_EQ(desktop.BackColor(), 0x00102030u);
    EXPECT_EQ(g_World.calls, kOneChange);
    ASSERT_FALSE(g_World.trayCalls.empty());
    EXPECT_EQ(g_World.trayCalls.back().icon, g_TrayIcons.hNormal);
}

// A saver that was killed left the pause set; nothing holds its mutex any more.
TEST_F(AgentTick, APauseWhoseSaverIsGoneIsLiftedAtTheNextTick)
{
    WriteDword(Key("Exchange"), "Type", CHANGE_EACH_N_MINUTES);
    WriteDword(Key("Exchange"), "Period", 0);
    ReloadSettings();
    Handle disable(::OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, kAgentDisableEvent));
    ASSERT_TRUE(disable);
    ::SetEvent(disable.get());
    ASSERT_FALSE(IsScreenSaverRunning());
    Tick();
    EXPECT_EQ(g_World.calls, kOneChange);
    EXPECT_EQ(::WaitForSingleObject(disable.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the pause stays set";
}

TEST_F(AgentTick, NoColoursBeforeTheEngineEverSetAWallpaper)
{
    DesktopIconView desktop;
    WriteDword(Key("Display"), "AdaptTextBackColor", 1);
    WriteTime(Key("CurrentImage"), "LastChangeTime", g_World.now);
    ReloadSettings();
    Tick();
    EXPECT_EQ(desktop.TextColor(), 0x00123456u);
    EXPECT_EQ(desktop.BackColor(), 0x00654321u);
}

TEST_F(AgentTick, FailedChangePausesFiveMinutesAcrossTheTickWrap)
{
    WriteDword(Key("Exchange"), "Type", CHANGE_EACH_N_MINUTES);
    WriteDword(Key("Exchange"), "Period", 0);
    ReloadSettings();
    g_World.engineResult = FALSE;
    g_World.tick = 0xFFFFFFF0u;
    Tick();
    EXPECT_EQ(g_World.calls, kOneChange);
    g_World.calls.clear();
    g_World.engineResult = TRUE;
    for (DWORD tick : {0xFFFFFFFFu, 0x10u, 299000u, 0xFFFFFFF0u + 299999u}) {
        g_World.tick = tick;
        g_World.now = agenttest::FileTimeFromUnits(FileTimeUnits(g_World.now) + 150000000ull);
        Tick();
        EXPECT_EQ(g_World.calls, kNoCall) << "tick " << tick;
    }
    g_World.tick = 0xFFFFFFF0u + 300000u;
    Tick();
    EXPECT_EQ(g_World.calls, kOneChange);
}

TEST_F(AgentTick, NextWallpaperFromTheMenuIgnoresThePauseAndEndsIt)
{
    g_World.engineResult = FALSE;
    Tick();
    EXPECT_TRUE(g_RetryPause.IsStarted());
    g_World.engineResult = TRUE;
    g_World.calls.clear();
    Command(IDM_NEXT_PAPER);
    EXPECT_EQ(g_World.calls, kOneChange);
    EXPECT_FALSE(g_RetryPause.IsStarted());
    g_World.calls.clear();
    Command(IDM_EXLUDE_THIS);
    EXPECT_EQ(g_World.calls, (Calls{"load", "ExcludeCurrentFromList", "SetRandomWallpaper", "free"}));
}

TEST_F(AgentTick, ScreenSizeGuardRefusesAndPauses)
{
    g_World.screenWidth = 800;
    g_World.screenHeight = 600;
    Tick();
    EXPECT_EQ(g_World.calls, kNoCall);
    EXPECT_TRUE(g_RetryPause.IsStarted());
    EXPECT_EQ(g_iExchangeCount, 0);
    g_World.screenWidth = 1024;
    g_World.screenHeight = 768;
    g_World.tick += 299999;
    Tick();
    EXPECT_EQ(g_World.calls, kNoCall);
    g_World.tick += 1;
    Tick();
    EXPECT_EQ(g_World.calls, kOneChange);
}

namespace {

struct BoxWatch {
    DWORD agentThread = 0;
    testsupport::MarkerWindow* markers = nullptr;  // a window of the Agent's thread
    std::atomic<bool> changeEnded{false};
    std::atomic<int> boxesSeen{0};
    std::atomic<int> mostBoxesAtOnce{0};
    std::string boxText;
    std::string boxTitle;
    std::string failure;  // what the watching thread waited for in vain
};

// How long a watcher waits for anything it expects.
constexpr DWORD kWatchLimitMs = 10000;  // scaled by the helpers that take it

BOOL CALLBACK CollectBox(HWND wnd, LPARAM param)
{
    char className[32] = {};
    ::GetClassNameA(wnd, className, sizeof(className));
    if (std::string(className) == "#32770" && ::IsWindowVisible(wnd))
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(wnd);
    return TRUE;
}

std::vector<HWND> OpenBoxes(DWORD thread)
{
    std::vector<HWND> boxes;
    ::EnumThreadWindows(thread, &CollectBox, reinterpret_cast<LPARAM>(&boxes));
    return boxes;
}

// Posts a marker to the Agent's thread and waits until its box's loop has handled it, and with it
// everything posted before.
bool WaitForTheAgentsLoop(BoxWatch* watch)
{
    const LONG marker = watch->markers->Post();
    if (testsupport::PumpUntil([&] { return watch->markers->Handled(marker); }, kWatchLimitMs)) return true;
    watch->failure = "the Agent's thread did not handle a marker";
    return false;
}

// Closes every open box with OK and waits until they are gone.
void CloseBoxes(BoxWatch* watch)
{
    const std::vector<HWND> boxes = OpenBoxes(watch->agentThread);
    for (HWND box : boxes)
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    const bool closed = testsupport::PumpUntil(
        [&] {
            for (HWND box : boxes)
                if (::IsWindow(box)) return false;
            return true;
        },
        kWatchLimitMs);
    if (!closed) watch->failure = "an error box did not close on OK";
}

// While the change runs, waits for each error box of the Agent, sends ticks and a menu command into
// its modal loop, counts the boxes once the loop has handled them, then closes them with OK.
void WatchBoxes(BoxWatch* watch)
{
    const DWORD start = ::GetTickCount();
    while (!watch->changeEnded) {
        if (::GetTickCount() - start > testsupport::ScaledMs(kWatchLimitMs)) {
            watch->failure = "the change did not end";
            return;
        }
        if (OpenBoxes(watch->agentThread).empty()) {
            ::Sleep(10);
            continue;
        }
        const HWND box = OpenBoxes(watch->agentThread)[0];
        ++watch->boxesSeen;
        char text[1024] = {};
        ::GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
        watch->boxText = text;
        ::GetWindowTextA(box, text, sizeof(text));
        watch->boxTitle = text;
        for (int i = 0; i < 3; ++i)
            ::PostMessageA(g_hAgentWindow, WM_WPAGENT_TIMER, 0, 0);
        ::PostMessageA(g_hAgentWindow, WM_COMMAND, IDM_NEXT_PAPER, 0);
        WaitForTheAgentsLoop(watch);
        const int open = static_cast<int>(OpenBoxes(watch->agentThread).size());
        if (open > watch->mostBoxesAtOnce) watch->mostBoxesAtOnce = open;
        CloseBoxes(watch);
    }
}

// Runs one tick while a thread watches the error boxes; returns once the change and everything
// it left queued is handled.
void TickWatchingBoxes(BoxWatch& watch)
{
    testsupport::MarkerWindow markers;
    watch.agentThread = ::GetCurrentThreadId();
    watch.markers = &markers;
    std::thread watcher(&WatchBoxes, &watch);
    ::PostMessageA(g_hAgentWindow, WM_WPAGENT_TIMER, 0, 0);
    PumpFor(0);  // the change runs inside the tick's dispatch, its error boxes too
    const LONG marker = markers.Post();
    const bool handled = testsupport::PumpUntil([&] { return markers.Handled(marker); }, kWatchLimitMs);
    watch.changeEnded = true;
    watcher.join();
    EXPECT_TRUE(handled) << "what the change left queued was not handled";
    EXPECT_EQ(watch.failure, "");
}

}  // namespace

TEST_F(AgentTick, EngineThatCannotLoadShowsOneBoxAtATime)
{
    g_World.loadFails = true;
    g_World.loadError = ERROR_MOD_NOT_FOUND;
    BoxWatch watch;
    TickWatchingBoxes(watch);
    EXPECT_EQ(watch.boxesSeen, 1);
    EXPECT_EQ(watch.mostBoxesAtOnce, 1);
    EXPECT_EQ(g_World.calls, (Calls{"load"}));
    EXPECT_EQ(watch.boxTitle, "Error");
    std::string expected = testsupport::SystemErrorText(ERROR_MOD_NOT_FOUND);
    expected.erase(expected.find_last_not_of("\r\n ") + 1);
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(watch.boxText, expected);
    EXPECT_TRUE(g_RetryPause.IsStarted());
    EXPECT_EQ(g_iExchangeCount, 0);
}

TEST_F(AgentTick, EngineWithoutAnExportIsFreedAndReported)
{
    g_World.lacksExport = true;
    BoxWatch watch;
    TickWatchingBoxes(watch);
    EXPECT_EQ(watch.boxesSeen, 1);
    EXPECT_EQ(watch.boxText, "Incompatible KvApi.dll");
    EXPECT_EQ(g_World.calls, (Calls{"load", "free"}));
}

namespace {

// Posts `closeMessage` while the change's error box is open. Nobody may be there to answer the box,
// so the close answers it; the window goes once the change has ended.
void CloseDuringAChange(UINT closeMessage)
{
    g_World.loadFails = true;
    testsupport::MarkerWindow markers;
    BoxWatch watch;
    watch.agentThread = ::GetCurrentThreadId();
    watch.markers = &markers;
    std::thread closer([&watch, closeMessage] {
        if (!testsupport::PumpUntil([&] { return !OpenBoxes(watch.agentThread).empty(); }, kWatchLimitMs)) {
            watch.failure = "no error box opened";
            return;
        }
        ::PostMessageA(g_hAgentWindow, closeMessage, 0, 0);
    });
    ::PostMessageA(g_hAgentWindow, WM_WPAGENT_TIMER, 0, 0);  // the tick that starts the change
    PumpFor(0);
    closer.join();
    EXPECT_EQ(watch.failure, "");
    EXPECT_TRUE(testsupport::PumpUntil([] { return !g_FormAgent.Exists(); }, 2000));
    EXPECT_EQ(g_hAgentWindow.load(), nullptr) << "the timer thread finds no handle of a window gone";
    EXPECT_TRUE(OpenBoxes(watch.agentThread).empty());
    EXPECT_EQ(g_World.calls, (Calls{"load"}));
    EXPECT_TRUE(g_RetryPause.IsStarted());  // the change ran to its end, as a failed one
}

}  // namespace

TEST_F(AgentTick, CloseDuringAChangeWaitsForItsEnd)
{
    CloseDuringAChange(WM_WPAGENT_EXTERNAL_CLOSE);
}

TEST_F(AgentTick, WindowCloseDuringAChangeWaitsForItsEnd)
{
    CloseDuringAChange(WM_CLOSE);
}

TEST_F(AgentTick, DisableChangesFromTheMenu)
{
    ui::PopupMenu& menu = g_FormAgent.Menu();
    EXPECT_EQ(menu.ItemText(IDM_DISABLE_CHANGES), "Disable changes");
    EXPECT_TRUE(menu.IsItemEnabled(IDM_NEXT_PAPER));
    WriteText(Key("Agent"), "ConflictingPrgs", "kept.exe");
    Command(IDM_DISABLE_CHANGES);
    EXPECT_EQ(menu.ItemText(IDM_DISABLE_CHANGES), "Enable changes");
    EXPECT_FALSE(menu.IsItemEnabled(IDM_NEXT_PAPER));
    EXPECT_TRUE(menu.IsItemEnabled(IDM_EXLUDE_THIS));
    EXPECT_EQ(ReadDword(Key("Agent"), "Block"), 1u);
    ASSERT_FALSE(g_World.trayCalls.empty());
    EXPECT_EQ(g_World.trayCalls.back().icon, g_TrayIcons.hDisabled);
    EXPECT_EQ(g_World.trayCalls.back().tip, "Kestrova Agent (disabled)");
    Tick();
    EXPECT_EQ(g_World.calls, kNoCall);

    Command(IDM_DISABLE_CHANGES);
    EXPECT_EQ(menu.ItemText(IDM_DISABLE_CHANGES), "Disable changes");
    EXPECT_EQ(ReadDword(Key("Agent"), "Block"), 0u);
    EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, Key("Agent"), "ConflictingPrgs").Text(),
              "kept.exe");
}

TEST_F(AgentTick, MenuItemsInTheirOrder)
{
    HMENU menu = g_FormAgent.Menu().Handle();
    const UINT expected[] = {IDM_NEXT_PAPER,      0, IDM_EXLUDE_THIS, IDM_MANAGER,
                             IDM_DISABLE_CHANGES, 0, IDM_EXIT};
    ASSERT_EQ(::GetMenuItemCount(menu), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(::GetMenuItemID(menu, i), expected[i] ? expected[i] : 0u) << i;
    EXPECT_EQ(g_FormAgent.Menu().ItemText(IDM_MANAGER), "Manager (settings)...");
}

TEST_F(AgentTick, TrayIconFollowsTheStateAndComesBack)
{
    // The add at start failed (no taskbar yet): the next tick adds it.
    g_World.trayResult = FALSE;
    RemoveTrayIcon();
    UpdateTrayIcon();
    EXPECT_FALSE(IsTrayIconShown());
    g_World.trayResult = TRUE;
    g_World.trayCalls.clear();
    WriteTime(Key("CurrentImage"), "LastChangeTime", g_World.now);
    ReloadSettings();
    Tick();
    ASSERT_GE(g_World.trayCalls.size(), 1u);
    EXPECT_EQ(g_World.trayCalls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(g_World.trayCalls[0].tip, "Kestrova Agent");
    EXPECT_TRUE(IsTrayIconShown());

    // Explorer restarted: the icon is added to the new taskbar.
    g_World.trayCalls.clear();
    ::SendMessageA(g_hAgentWindow, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    ASSERT_EQ(g_World.trayCalls.size(), 1u);
    EXPECT_EQ(g_World.trayCalls[0].message, static_cast<DWORD>(NIM_ADD));

    // While a change runs the icon shows the working state.
    g_World.trayCalls.clear();
    Command(IDM_NEXT_PAPER);
    ASSERT_GE(g_World.trayCalls.size(), 2u);
    EXPECT_EQ(g_World.trayCalls[0].icon, g_TrayIcons.hWorking);
    EXPECT_EQ(g_World.trayCalls[0].tip, "Kestrova Agent (working...)");
    EXPECT_EQ(g_World.trayCalls.back().icon, g_TrayIcons.hNormal);

    // A long conflict text is cut to the 63 characters of the tip.
    g_World.trayCalls.clear();
    g_ConflictCheck.bConflictFound = true;
    std::strcpy(g_ConflictCheck.szConflictText, "ABCDEFGHIJKLMNOPQRSTUVWXY...");
    UpdateTrayIcon();
    ASSERT_EQ(g_World.trayCalls.size(), 1u);
    EXPECT_EQ(g_World.trayCalls[0].tip,
              std::string("Kestrova Agent (blocked due to ABCDEFGHIJKLMNOPQRSTUVWXY...)").substr(0, 63));
    g_ConflictCheck.bConflictFound = false;

    // The window's end takes the icon away.
    g_World.trayCalls.clear();
    Command(IDM_EXIT);
    ASSERT_EQ(g_World.trayCalls.size(), 1u);
    EXPECT_EQ(g_World.trayCalls[0].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_FALSE(g_FormAgent.Exists());
    EXPECT_EQ(g_hAgentWindow.load(), nullptr) << "the timer thread finds no handle of a window gone";
}
