// Kestrova.scr started as the platform starts it, against the recording stand-in engine: the
// preview in a window of this process, the full-screen saver, the configuration dialog and "/a".
#include "AgentControl.h"
#include "KvTestRegistry.h"
#include "KvTestSupport.h"
#include "UScreenSaverRunning.h"
#include "SaverResources.h"
#include "UTxUtils.h"
#include "saver_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>
#include "Uregistryroot.h"

using namespace savertest;
using testsupport::ChildProcess;
using testsupport::PumpUntil;

namespace {

constexpr const char* kSaverClass = "WindowsScreenSaverClass";
constexpr const char* kDialogTitle = "Kestrova Screen Saver Configuration";

bool IsSet(HANDLE event)
{
    return ::WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

std::string Decimal(HWND window)
{
    return std::to_string(reinterpret_cast<UINT_PTR>(window));
}

HWND WaitForSaverWindow()
{
    HWND window = nullptr;
    PumpUntil([&] { return (window = ::FindWindowA(kSaverClass, nullptr)) != nullptr; }, 10000);
    return window;
}

bool WaitForCalls(const std::string& prefix, int count, DWORD timeoutMs)
{
    return PumpUntil([&] { return CountCalls(StubCalls(), prefix) >= count; }, timeoutMs);
}

std::string Listing(const std::vector<std::string>& calls)
{
    std::string text;
    for (const std::string& call : calls)
        text += call + "; ";
    return text;
}

class SaverProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearAll();
        UseStubEngine();
        WriteDword(HKEY_CURRENT_USER, Key("ScreenSaver"), "ExchangePeriod", 1);
    }
    void TearDown() override { ClearAll(); }
};

}  // namespace

TEST_F(SaverProcess, PreviewIsAChildOfTheGivenWindowAndPausesTheAgentWhileItLives)
{
    const Handle agentDisable(::CreateEventA(nullptr, TRUE, FALSE, kAgentDisableEvent));
    ASSERT_TRUE(agentDisable);
    HWND host = ::CreateWindowExA(0, "STATIC", "Preview host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200,
                                  150, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(host);
    ChildProcess saver;
    ASSERT_TRUE(saver.Start(SaverCommand("/p " + Decimal(host))));

    HWND child = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] { return (child = ::FindWindowExA(host, nullptr, kSaverClass, nullptr)) != nullptr; }, 10000));
    RECT hostClient = {};
    RECT childClient = {};
    ::GetClientRect(host, &hostClient);
    ::GetClientRect(child, &childClient);
    EXPECT_EQ(childClient.right, hostClient.right);
    EXPECT_EQ(childClient.bottom, hostClient.bottom);
    EXPECT_TRUE(::GetWindowLongA(child, GWL_STYLE) & WS_CHILD);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(child, &owner);
    EXPECT_EQ(owner, saver.ProcessId());

    EXPECT_TRUE(PumpUntil([&] { return IsSet(agentDisable.get()); }, 5000)) << "the Agent was not paused";
    EXPECT_TRUE(IsScreenSaverRunning()) << "the Agent would take the pause for one of a dead saver";
    ASSERT_TRUE(WaitForCalls("replace " + Decimal(child), 1, 5000)) << Listing(StubCalls());

    ::DestroyWindow(host);
    EXPECT_TRUE(saver.WaitPumping(3000)) << "the preview outlived its parent";
    EXPECT_EQ(saver.ExitCode(), 0u);
    EXPECT_FALSE(IsSet(agentDisable.get())) << "the Agent stays paused";
    EXPECT_FALSE(IsScreenSaverRunning());
    const std::vector<std::string> calls = StubCalls();
    EXPECT_EQ(CountCalls(calls, "replace "), CountCalls(calls, "replace " + Decimal(child)))
        << Listing(calls);
    EXPECT_EQ(calls.back(), "free") << Listing(calls);
}

TEST_F(SaverProcess, FullScreenPaintsEverySecondAndAKeyEndsIt)
{
    ChildProcess saver;
    ASSERT_TRUE(saver.Start(SaverCommand("/s")));
    const HWND window = WaitForSaverWindow();
    ASSERT_TRUE(window);
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(rect.bottom - rect.top, ::GetSystemMetrics(SM_CYSCREEN));
    EXPECT_TRUE(::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);

    // The first image is asked for at once, then one a second: two more within 3.5 s of the first,
    // however long the start took.
    ASSERT_TRUE(WaitForCalls("replace " + Decimal(window), 1, 10000)) << Listing(StubCalls());
    EXPECT_TRUE(WaitForCalls("replace " + Decimal(window), 3, 3500)) << Listing(StubCalls());
    ::PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    ASSERT_TRUE(saver.WaitPumping(5000));
    EXPECT_EQ(saver.ExitCode(), 0u);
    const std::vector<std::string> calls = StubCalls();
    const int cancel = FindCall(calls, "cancel");
    const int freed = FindCall(calls, "free");
    ASSERT_GE(cancel, 0) << Listing(calls);
    EXPECT_GT(freed, cancel) << "the engine was freed before its operation was cancelled: " << Listing(calls);
}

TEST_F(SaverProcess, OnlyARealMouseMoveEndsTheFullScreenSaver)
{
    ChildProcess saver;
    ASSERT_TRUE(saver.Start(SaverCommand("/s")));
    const HWND window = WaitForSaverWindow();
    ASSERT_TRUE(window);
    ::PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(300, 300));
    ::PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(303, 297));
    // The erase is handled after the moves; its cancel shows that they were seen.
    const int cancels = CountCalls(StubCalls(), "cancel");
    ::PostMessageA(window, WM_ERASEBKGND, 0, 0);
    ASSERT_TRUE(WaitForCalls("cancel", cancels + 1, 5000));
    EXPECT_EQ(saver.ExitCode(), static_cast<DWORD>(STILL_ACTIVE)) << "a trembling pointer ended the saver";
    EXPECT_TRUE(::IsWindow(window));

    ::PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(340, 300));
    EXPECT_TRUE(saver.WaitPumping(5000)) << "a real move did not end the saver";
}

namespace {

// The full-screen saver with engine calls that last until the test opens the stand-in's gate.
class HeldPaint : public SaverProcess {
protected:
    // Starts "/s" and waits until its first image is being painted: null when it did not come.
    HWND StartWithFirstImageHeld()
    {
        if (!saver.Start(SaverCommand("/s"))) return nullptr;
        const HWND window = WaitForSaverWindow();
        return window && WaitForCalls("replace ", 1, 5000) ? window : nullptr;
    }

    // Posts a message that cancels the image being painted; true once the engine was told. The
    // erase of the window's showing, logged as a cancel before any image, is past by then.
    bool CancelWith(HWND window, UINT message, WPARAM wParam)
    {
        const int cancels = CountCalls(StubCalls(), "cancel");
        ::PostMessageA(window, message, wParam, 0);
        return WaitForCalls("cancel", cancels + 1, 5000);
    }

    // The engine notices a cancel only this long after it was made.
    static void EngineTakesItsTime(DWORD ms)
    {
        PumpUntil([] { return false; }, ms);
    }

    Handle gate{::CreateEventA(nullptr, FALSE, FALSE, kStubGateName)};
    ChildProcess saver;
};

}  // namespace

TEST_F(HeldPaint, ARequestMadeDuringAPaintIsKept)
{
    WriteDword(HKEY_CURRENT_USER, Key("ScreenSaver"), "ExchangePeriod", 99);  // no tick meanwhile
    const HWND window = StartWithFirstImageHeld();
    ASSERT_TRUE(window);
    // An erase cancels the image, paints black and asks for the next one before the engine returns.
    ASSERT_TRUE(CancelWith(window, WM_ERASEBKGND, 0));
    EngineTakesItsTime(300);
    ::SetEvent(gate.get());
    EXPECT_TRUE(WaitForCalls("replace ", 2, 3000))
        << "the erase's request was lost: " << Listing(StubCalls());

    ::SetEvent(gate.get());
    ::PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(saver.WaitPumping(5000));
}

// The first image's request is joined by the one posted at creation while it is painted: both
// merge, and the next image waits for the timer.
TEST_F(HeldPaint, RequestsDuringAPaintMergeIntoIt)
{
    testsupport::LogReceiver receiver;
    auto count = [&](const std::string& text, size_t upTo) {
        const std::vector<std::string> lines = receiver.Texts();
        int found = 0;
        for (size_t i = 0; i < lines.size() && i < upTo; ++i)
            if (lines[i].find(text) != std::string::npos) ++found;
        return found;
    };
    auto secondPaint = [&]() -> size_t {
        const std::vector<std::string> lines = receiver.Texts();
        int paints = 0;
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].find("calling WpApi_ScreenSaverReplaceImage()") != std::string::npos &&
                ++paints == 2)
                return i;
        return 0;
    };
    WriteDword(HKEY_CURRENT_USER, Key("ScreenSaver"), "ExchangePeriod", 5);
    const HWND window = StartWithFirstImageHeld();
    ASSERT_TRUE(window);
    ASSERT_TRUE(PumpUntil([&] { return count("ScreenSaverProc - WM_TIMER", SIZE_MAX) >= 1; }, 5000));
    ::SetEvent(gate.get());
    size_t second = 0;
    ASSERT_TRUE(PumpUntil([&] { return (second = secondPaint()) != 0; }, 20000));
    EXPECT_GE(count("ScreenSaverProc - WM_TIMER", second), 2)
        << "the first image was replaced before the timer asked for the next";

    ::SetEvent(gate.get());
    ::PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(saver.WaitPumping(5000));
}

TEST_F(HeldPaint, TheEngineIsNotFreedWhileThePaintThreadIsInside)
{
    const HWND window = StartWithFirstImageHeld();
    ASSERT_TRUE(window);
    ASSERT_TRUE(CancelWith(window, WM_KEYDOWN, VK_ESCAPE));
    EngineTakesItsTime(1500);  // well beyond a second after the close
    ::SetEvent(gate.get());
    ASSERT_TRUE(saver.WaitPumping(5000));
    EXPECT_EQ(saver.ExitCode(), 0u);
    const std::vector<std::string> calls = StubCalls();
    const int end = FindCall(calls, "replace-end");
    ASSERT_GE(end, 0) << Listing(calls);
    EXPECT_EQ(FindCall(calls, "free"), end + 1) << Listing(calls);
}

TEST_F(SaverProcess, WithoutTheInstallFolderTheSaverStaysBlack)
{
    ASSERT_TRUE(testsupport::DeleteRegTree(HKEY_LOCAL_MACHINE, kSetupKey));
    testsupport::LogReceiver receiver;
    ChildProcess saver;
    ASSERT_TRUE(saver.Start(SaverCommand("/s")));
    const HWND window = WaitForSaverWindow();
    ASSERT_TRUE(window);
    auto logged = [&](const char* text) {
        for (const std::string& line : receiver.Texts())
            if (line.find(text) != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(
        PumpUntil([&] { return logged("Cannot open HKEY_LOCAL_MACHINE\\" KV_REG_ROOT "\\Setup"); }, 5000));
    ::PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ASSERT_TRUE(saver.WaitPumping(5000));
    EXPECT_TRUE(logged("--- ScreenSaverProc - WM_DESTROY processed ---"));
    EXPECT_FALSE(logged("calling WpApi_ScreenSaverReplaceImage()"));
    EXPECT_TRUE(StubCalls().empty()) << "the engine was loaded";
}

TEST_F(SaverProcess, ChangePasswordEndsAtOnce)
{
    ChildProcess saver;
    ASSERT_TRUE(saver.Start(SaverCommand("/a 12345")));
    ASSERT_TRUE(saver.WaitPumping(5000));
    EXPECT_EQ(saver.ExitCode(), 0u);
    EXPECT_FALSE(::FindWindowA(kSaverClass, nullptr));
    EXPECT_TRUE(StubCalls().empty());
}

// ---- Configuration dialog ---------------------------------------------------------------------

namespace {

HWND WaitForDialog(const char* title)
{
    HWND dialog = nullptr;
    // The dialog is shown once WM_INITDIALOG has filled it in.
    PumpUntil(
        [&] { return (dialog = ::FindWindowA("#32770", title)) != nullptr && ::IsWindowVisible(dialog); },
        10000);
    return dialog;
}

std::string ItemText(HWND dialog, int id)
{
    char text[64] = {};
    ::SendMessageA(::GetDlgItem(dialog, id), WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    return text;
}

bool Checked(HWND dialog, int id)
{
    return ::SendMessageA(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetChecked(HWND dialog, int id, bool on)
{
    ::SendMessageA(::GetDlgItem(dialog, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace

TEST_F(SaverProcess, ConfigureOkWritesTheFiveValues)
{
    const std::string key = Key("ScreenSaver");
    WriteDword(HKEY_CURRENT_USER, key, "ExchangePeriod", 150);
    WriteDword(HKEY_CURRENT_USER, key, "ShowFileName", 0);
    WriteDword(HKEY_CURRENT_USER, key, "ShrinkOnly", 0);  // the Manager's, not the dialog's
    HWND owner = ::CreateWindowExA(0, "STATIC", "Display settings", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                   300, 200, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ChildProcess saver;
    ASSERT_TRUE(saver.Start(SaverCommand("/c:" + Decimal(owner))));
    const HWND dialog = WaitForDialog(kDialogTitle);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(::GetWindow(dialog, GW_OWNER), owner);
    EXPECT_EQ(ItemText(dialog, IDC_PERIOD_EDIT), "150");
    EXPECT_FALSE(Checked(dialog, IDC_RANDOM_SELECTION)) << "RandomSelection absent: unchecked";
    EXPECT_FALSE(Checked(dialog, IDC_SHOW_FILE_NAME));
    EXPECT_TRUE(Checked(dialog, IDC_APPEND_DATE));
    EXPECT_FALSE(Checked(dialog, IDC_INTERPOLATION));
    EXPECT_EQ(ItemText(dialog, IDC_PERIOD_LABEL), "Exchange period:");
    EXPECT_EQ(ItemText(dialog, IDC_INTERPOLATION), "Resample with interpolation");

    ::SendMessageA(::GetDlgItem(dialog, IDC_PERIOD_EDIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("  9"));
    SetChecked(dialog, IDC_RANDOM_SELECTION, true);
    SetChecked(dialog, IDC_SHOW_FILE_NAME, true);
    SetChecked(dialog, IDC_APPEND_DATE, false);
    SetChecked(dialog, IDC_INTERPOLATION, true);
    ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(saver.WaitPumping(5000));
    ::DestroyWindow(owner);

    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, "ExchangePeriod"), 9u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, "RandomSelection"), 1u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, "ShowFileName"), 1u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, "FileNameAddDate"), 0u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, "Interpolation"), 1u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, "ShrinkOnly"), 0u) << "a value the dialog does not edit";
    EXPECT_FALSE(testsupport::ReadRegValue(HKEY_CURRENT_USER, key, "FileFontName").exists)
        << "the dialog wrote a value it does not edit";
}

TEST_F(SaverProcess, ConfigureOkWithAnEmptyPeriodKeepsTheShownValueClamped)
{
    const std::string key = Key("ScreenSaver");
    WriteDword(HKEY_CURRENT_USER, key, "ExchangePeriod", 150);
    ChildProcess saver;
    ASSERT_TRUE(saver.Start(SaverCommand("/c")));
    const HWND dialog = WaitForDialog(kDialogTitle);
    ASSERT_TRUE(dialog);
    ::SendMessageA(::GetDlgItem(dialog, IDC_PERIOD_EDIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(saver.WaitPumping(5000));
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, "ExchangePeriod"), 99u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, "RandomSelection"), 0u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, "ShowFileName"), 1u);
}

TEST_F(SaverProcess, ConfigureCancelWritesNothingAndTheTextsAreTranslated)
{
    ASSERT_TRUE(testsupport::DeleteRegTree(HKEY_CURRENT_USER, Key("ScreenSaver")));
    WriteText(HKEY_LOCAL_MACHINE, kLanguageKey, "glo_Caption", "Nastaveni sporice");
    WriteText(HKEY_LOCAL_MACHINE, kLanguageKey, "glx_Cancel", "Zrusit");
    ChildProcess saver;
    ASSERT_TRUE(saver.Start(SaverCommand("")));  // no argument: the dialog as for "/c"
    const HWND dialog = WaitForDialog("Nastaveni sporice");
    ASSERT_TRUE(dialog);
    EXPECT_EQ(ItemText(dialog, IDCANCEL), "Zrusit");
    EXPECT_EQ(ItemText(dialog, IDOK), "OK");
    EXPECT_EQ(ItemText(dialog, IDC_PERIOD_EDIT), "10");
    ::SendMessageA(::GetDlgItem(dialog, IDC_PERIOD_EDIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("42"));
    SetChecked(dialog, IDC_RANDOM_SELECTION, true);
    ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(saver.WaitPumping(5000));
    HKEY opened = nullptr;
    EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, Key("ScreenSaver").c_str(), 0, KEY_READ, &opened),
              ERROR_SUCCESS)
        << "Cancel wrote the settings";
    if (opened) ::RegCloseKey(opened);
}
