// Plays the user and the Agent for the end-to-end test of Uninstall.exe in a prefix of its own:
// starts the program as the uninstall entry would, finds the window of its temporary copy, clicks
// Start, waits for the end and writes what the window shows to a report file.
//
//   uninstall_e2e_driver <Uninstall.exe> <report file> start|look|start-agent-running
//
// With start-agent-running the real Agent runs and the driver does not play it.
// The report: "first-exit <code>", "copy <path of the running copy>", "agent-signalled <0|1>" (or,
// with the real Agent, "agent-running <0|1>" after the removal),
// "start-visible <0|1>", "bye <label text>", "close <button text>", then "memo" and the memo's lines.
// Exit code 0 when the steps could be taken; the test compares the report.
#include "AgentControl.h"
#include "Fmain.h"
#include "KvAgentStandIn.h"
#include "KvTestSupport.h"
#include "UTxLog.h"
#include "UTxUtils.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <string>

extern const CLogSettings g_LogSettings = {"UninstE2E ", "", false, 80, false, false, true};

namespace {

const char* const kCaption = "Kestrova Uninstall Program";

int Fail(const char* what)
{
    std::fprintf(stderr, "uninstall_e2e_driver: %s\n", what);
    return 1;
}

std::string TempFolder()
{
    char folder[MAX_PATH] = {};
    ::GetTempPathA(sizeof(folder), folder);
    return folder;
}

// The Agent's side of its two events: ends ("KvAgentIsRunning" closed) half a second after the
// close event was signalled.
constexpr int kStandInEndDelayMs = 500;
using testsupport::AgentStandIn;

bool AgentEnded()
{
    const Handle running(::OpenEventA(SYNCHRONIZE, FALSE, kAgentIsRunningEvent));
    return !running;
}

struct FoundChild {
    int id;
    HWND wnd;
};

BOOL CALLBACK FindChild(HWND wnd, LPARAM param)
{
    auto* found = reinterpret_cast<FoundChild*>(param);
    if (::GetDlgCtrlID(wnd) != found->id) return TRUE;
    found->wnd = wnd;
    return FALSE;
}

HWND Child(HWND window, int id)
{
    FoundChild found = {id, nullptr};
    ::EnumChildWindows(window, &FindChild, reinterpret_cast<LPARAM>(&found));
    return found.wnd;
}

std::string TextOf(HWND wnd)
{
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutA(wnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, testsupport::ScaledMs(10000),
                               &length))
        return "?";
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutA(wnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG,
                          testsupport::ScaledMs(10000), &copied);
    text.resize(copied);
    return text;
}

// Asks `done` every 50 ms, without dispatching anything, for at most `timeoutMs` stretched by the
// suite's time factor.
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs)
{
    timeoutMs = testsupport::ScaledMs(timeoutMs);
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs) return false;
        ::Sleep(50);
    }
    return true;
}

std::string ImageOf(DWORD processId)
{
    const Handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    char path[MAX_PATH * 2] = {};
    DWORD size = sizeof(path);
    if (!process || !::QueryFullProcessImageNameA(process.get(), 0, path, &size)) return "?";
    return std::string(path, size);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return Fail("usage: uninstall_e2e_driver <Uninstall.exe> <report> start|look|start-agent-running");
    const std::string program = argv[1];
    const bool realAgent = std::strcmp(argv[3], "start-agent-running") == 0;
    const bool start = realAgent || std::strcmp(argv[3], "start") == 0;
    std::ofstream report(argv[2], std::ios::binary);

    // A stand-in beside the real Agent would share its close event, and one signal wakes only one.
    std::optional<AgentStandIn> agent;
    if (!realAgent) agent.emplace(kStandInEndDelayMs);
    const auto before = testsupport::FilesMatching(TempFolder(), "DKV*.tmp");
    const std::set<std::string> known(before.begin(), before.end());

    // As the uninstall entry starts it: the program alone, no parameters.
    testsupport::ChildProcess first;
    if (!first.Start("\"" + program + "\"")) return Fail("cannot start the program");
    if (!first.WaitNotPumping(15000)) return Fail("the first start did not end");
    report << "first-exit " << first.ExitCode() << "\n";

    HWND window = nullptr;
    if (!WaitFor([&] { return (window = ::FindWindowA(nullptr, kCaption)) != nullptr; }, 15000))
        return Fail("no window of the copy");
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == first.ProcessId()) return Fail("the window belongs to the first start");
    report << "copy " << ImageOf(owner) << "\n";
    std::string made;
    for (const std::string& name : testsupport::FilesMatching(TempFolder(), "DKV*.tmp"))
        if (!known.count(name)) made += " " + name;
    report << "new-temp-files" << made << "\n";

    const HWND buttonStart = Child(window, IDOK);
    const HWND buttonClose = Child(window, IDCANCEL);
    const HWND labelBye = Child(window, kIdLabelBye);
    const HWND memo = Child(window, kIdMemoProgress);
    if (!buttonStart || !buttonClose || !labelBye || !memo) return Fail("controls missing");
    if (start) {
        // Posted: the walk runs inside the click, on the window's thread.
        ::PostMessageA(buttonStart, BM_CLICK, 0, 0);
        if (!WaitFor([&] { return ::IsWindowVisible(labelBye) && ::IsWindowEnabled(buttonClose); }, 30000))
            return Fail("the removal did not end");
    }
    if (agent)
        report << "agent-signalled " << agent->Signalled() << "\n";
    else
        report << "agent-running " << (testsupport::PumpUntil(AgentEnded, 10000) ? 0 : 1) << "\n";
    report << "start-visible " << (::IsWindowVisible(buttonStart) ? 1 : 0) << "\n";
    report << "bye " << TextOf(labelBye) << "\n";
    report << "close " << TextOf(buttonClose) << "\n";
    std::string lines = TextOf(memo);
    for (size_t at = lines.find('\r'); at != std::string::npos; at = lines.find('\r'))
        lines.erase(at, 1);
    report << "memo\n" << lines << "\n";
    report.close();
    testsupport::AwaitScreenshot("uninstall");

    const Handle copy(::OpenProcess(SYNCHRONIZE, FALSE, owner));
    ::PostMessageA(buttonClose, BM_CLICK, 0, 0);
    if (copy && ::WaitForSingleObject(copy.get(), testsupport::ScaledMs(10000)) != WAIT_OBJECT_0)
        return Fail("Close did not end the copy");
    return 0;
}
