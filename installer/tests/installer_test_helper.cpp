// Plays the parts around the installer for its test.
//
//   installer_test_helper launch <file>   run from HKLM RunOnce: starts the receiver below and ends
//                                         once its window exists; the log-on waits for a RunOnce
//                                         program to end before it starts the Run values
//   installer_test_helper serve <file>    a log receiver: writes each line it receives to <file>
//                                         and ends after the Agent's last line or 30 s
//   installer_test_helper agent <file>    a running Agent, as far as other programs can see: holds
//                                         "KvAgentIsRunning" and "KvAgentExternalClose", writes
//                                         "running" to <file>, then "asked to end" when the close
//                                         event is set, and ends (or "not asked" after 30 s)
//   installer_test_helper hold <flag> <file>...   holds each file open as a running program does
//                                         (others may read it, not write or delete it), writes
//                                         "held" to <flag> and ends
//                                         when <flag> is deleted (or after 60 s)
//   installer_test_helper answer <file> <command line>   runs a program with a window, as a user
//                                         does: writes the text of the first message box it shows
//                                         ("message <text>", or "no message" when it ends without
//                                         one), answers it with OK, and writes "exit <code>"
// Each of these times is stretched by the suite's time factor (KV_TEST_SCALE).
//
// A program looks for the receiver once, at its start, so a receiver started beside the log-on
// could come too late; a RunOnce value cannot.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "KvAgentStandIn.h"
#include "KvTestSupport.h"
#include "UTxUtils.h"

namespace {

const char kReadyEvent[] = "KvInstallerTestReceiverReady";
constexpr DWORD kReceiverLifetimeMs = 30000;
constexpr DWORD kAgentLifetimeMs = 30000;
constexpr DWORD kStartTimeoutMs = 10000;
constexpr DWORD kHoldLifetimeMs = 60000;

int Launch(const std::string& file)
{
    Handle ready(::CreateEventA(nullptr, TRUE, FALSE, kReadyEvent));
    if (!ready) return 2;
    testsupport::ChildProcess receiver;
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, sizeof self);
    if (!receiver.Start("\"" + std::string(self) + "\" serve \"" + file + "\"")) return 3;
    const HANDLE waits[] = {ready.get()};
    if (::WaitForMultipleObjects(1, waits, FALSE, testsupport::ScaledMs(kStartTimeoutMs)) != WAIT_OBJECT_0)
        return 4;
    // The receiver outlives this process: a ChildProcess still running would be ended with it.
    ::ExitProcess(0);
}

// The Agent's last line on each of its ways out.
bool IsLastLine(const std::string& line)
{
    return line.find("Exit: ") != std::string::npos || line.find("Normal Exit") != std::string::npos;
}

int Serve(const std::string& file)
{
    testsupport::LogReceiver receiver;
    if (!receiver.IsOpen()) return 2;
    FILE* out = std::fopen(file.c_str(), "wb");
    if (!out) return 3;
    Handle ready(::OpenEventA(EVENT_MODIFY_STATE, FALSE, kReadyEvent));
    if (ready) ::SetEvent(ready.get());
    size_t written = 0;
    bool last = false;
    testsupport::PumpUntil(
        [&] {
            const auto texts = receiver.Texts();
            for (; written < texts.size(); ++written) {
                std::fprintf(out, "%s\n", texts[written].c_str());
                last = last || IsLastLine(texts[written]);
            }
            std::fflush(out);
            return last;
        },
        kReceiverLifetimeMs);
    std::fclose(out);
    return 0;
}

void WriteFile(const std::string& file, const char* text)
{
    FILE* out = std::fopen(file.c_str(), "wb");
    if (!out) return;
    std::fputs(text, out);
    std::fclose(out);
}

int PlayAgent(const std::string& file)
{
    bool asked = false;
    {
        testsupport::AgentStandIn agent(0);
        if (!agent.Holds()) return 2;
        WriteFile(file, "running");
        asked = agent.WaitEnded(kAgentLifetimeMs);
    }
    // The events go before the file says so: whoever reads "asked to end" finds the Agent gone.
    WriteFile(file, asked ? "asked to end" : "not asked");
    return 0;
}

int Hold(const std::string& flag, int count, char** files)
{
    std::vector<FileHandle> held;
    for (int i = 0; i < count; ++i) {
        held.emplace_back(
            ::CreateFileA(files[i], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!held.back()) return 2;
    }
    WriteFile(flag, "held");
    const DWORD limit = testsupport::ScaledMs(kHoldLifetimeMs);
    const DWORD start = ::GetTickCount();
    while (::GetFileAttributesA(flag.c_str()) != INVALID_FILE_ATTRIBUTES && ::GetTickCount() - start < limit)
        ::Sleep(100);
    return 0;
}

int Answer(const std::string& file, const std::string& commandLine)
{
    testsupport::ChildProcess program;
    if (!program.Start(commandLine)) return 2;
    HWND box = nullptr;
    testsupport::PumpUntil(
        [&] {
            box = testsupport::FindTopWindow(program.ProcessId(), {"#32770", nullptr, true});
            return box != nullptr || program.ExitCode() != STILL_ACTIVE;
        },
        kStartTimeoutMs * 3);
    std::string report = "no message\n";
    if (box) {
        // A message box's text is its static control of id 0xFFFF.
        char text[2048] = {};
        ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        report = "message " + std::string(text) + "\n";
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    if (!program.WaitPumping(kStartTimeoutMs * 3)) program.Terminate();
    report += "exit " + std::to_string(program.ExitCode()) + "\n";
    WriteFile(file, report.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "launch") return Launch(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "serve") return Serve(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "agent") return PlayAgent(argv[2]);
    if (argc >= 4 && std::string(argv[1]) == "hold") return Hold(argv[2], argc - 3, argv + 3);
    if (argc == 4 && std::string(argv[1]) == "answer") return Answer(argv[2], argv[3]);
    std::fprintf(stderr, "usage: installer_test_helper launch|serve|agent <file> | hold <flag> <file>... |"
                         " answer <file> <command line>\n");
    return 1;
}
