// Plays the user between installation and removal in the round-trip test's prefix of its own:
//
//   round_trip_driver manager <install folder with its trailing backslash> <report file>
//     starts the installed Manager (its first run), clicks "Change wallpaper", closes it and waits
//     for the Agent it starts;
//   round_trip_driver saver <Kestrova.scr> <report file>
//     runs the screen saver with /s for three seconds, ends it with a key and counts the images the
//     database marks as shown by the saver.
//
// The report holds one "name value" line per step reached; the test compares it. Exit code 0 when
// every step could be taken.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "KvTestRegistry.h"
#include "KvTestSupport.h"
#include "UDatabase.h"
#include "UTxLog.h"
#include "manager_e2e_support.h"

extern const CLogSettings g_LogSettings = {"RoundTrip ", "", false, 0, true, true, false};

namespace {

constexpr DWORD kSaverRunMs = 3000;

int Fail(const char* what)
{
    std::fprintf(stderr, "round_trip_driver: %s\n", what);
    return 1;
}

bool AgentRunning()
{
    const Handle running(::OpenEventA(SYNCHRONIZE, FALSE, "KvAgentIsRunning"));
    return static_cast<bool>(running);
}

int PlayManager(const std::string& folder, std::ofstream& report)
{
    testsupport::LogReceiver log;
    managertest::ManagerRun run;
    if (!run.Start(log, folder)) return Fail("cannot start the Manager");
    // The first run scans the sample folder before the window is the program's own again.
    if (!run.WaitReady(log, 60000)) return Fail("the Manager did not get ready");
    report << "ready 1\n";
    const HWND change = managertest::FindChild(run.MainWindow(), "Change wallpaper", "Button");
    if (!change) return Fail("no Change wallpaper button");
    ::PostMessageA(change, BM_CLICK, 0, 0);
    if (!testsupport::PumpUntil([&] { return managertest::Logged(log, "Wallpaper change done"); }, 60000))
        return Fail("the wallpaper change did not end");
    report << "wallpaper-changed 1\n";
    if (!run.Close(30000)) return Fail("the Manager did not end");
    report << "manager-exit " << run.Process().ExitCode() << "\n";
    report << "agent-running " << (testsupport::PumpUntil(AgentRunning, 15000) ? 1 : 0) << "\n";
    return 0;
}

int CountShownBySaver()
{
    const std::string files = std::string(managertest::kSettingsKey) + "\\Files";
    CFileCollection images;
    if (!images.LoadFromFile(
            testsupport::ReadRegValue(HKEY_CURRENT_USER, files, "FileListDatFile").Text().c_str(),
            testsupport::ReadRegValue(HKEY_CURRENT_USER, files, "FileListStrFile").Text().c_str()))
        return -1;
    int shown = 0;
    for (int i = 0; i < images.GetCount(); ++i)
        if (images.FileAt(i)->ScreenSaverFlags & (FLAG_SHOWN_RANDOM | FLAG_SHOWN_BY_TIME)) ++shown;
    return shown;
}

int PlaySaver(const std::string& saverPath, std::ofstream& report)
{
    testsupport::ChildProcess saver;
    if (!saver.Start("\"" + saverPath + "\" /s")) return Fail("cannot start the screen saver");
    HWND window = nullptr;
    if (!testsupport::PumpUntil([&] { return (window = ::FindWindowA("WindowsScreenSaverClass", nullptr)); },
                                15000))
        return Fail("no screen saver window");
    // The saver runs as long as a user would watch it, then a key ends it.
    testsupport::PumpUntil([] { return false; }, kSaverRunMs);
    ::PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    if (!saver.WaitPumping(15000)) return Fail("the screen saver did not end");
    report << "saver-exit " << saver.ExitCode() << "\n";
    report << "saver-shown " << CountShownBySaver() << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) return Fail("usage: round_trip_driver manager|saver <path> <report>");
    std::ofstream report(argv[3], std::ios::binary);
    if (std::strcmp(argv[1], "manager") == 0) return PlayManager(argv[2], report);
    if (std::strcmp(argv[1], "saver") == 0) return PlaySaver(argv[2], report);
    return Fail("the first argument is manager or saver");
}
