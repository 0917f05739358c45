// Plays the user between installation and removal in the round-trip test's prefix of its own:
//
//   round_trip_driver manager|manager-tour <install folder with its trailing backslash> <report file>
//     starts the installed Manager (its first run), clicks "Change wallpaper", closes it and waits
//     for the Agent it starts; the tour first opens the image browser with its first image previewed and the
//     settings dialog, and closes them again;
//   round_trip_driver saver <Kestrova.scr> <report file>
//     runs the screen saver with /s for three seconds, ends it with a key and counts the images the
//     database marks as shown by the saver.
//
// The report holds one "name value" line per step reached; the test compares it. Exit code 0 when
// every step could be taken. Each step worth a picture waits for the demonstration's screenshot
// when one is asked for (testsupport::AwaitScreenshot).
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "AgentControl.h"
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
    const Handle running(::OpenEventA(SYNCHRONIZE, FALSE, kAgentIsRunningEvent));
    return static_cast<bool>(running);
}

HWND AwaitWindow(DWORD processId, const char* caption)
{
    HWND window = nullptr;
    testsupport::PumpUntil(
        [&] { return (window = managertest::FindProcessWindow(processId, caption)) != nullptr; }, 15000);
    return window;
}

// The image browser with its first image previewed, then the settings dialog on one setting; each
// closed again as a user would.
bool Tour(managertest::ManagerRun& run, std::ofstream& report)
{
    using managertest::FindChild;
    ::PostMessageA(FindChild(run.MainWindow(), "Image Browser...", "Button"), BM_CLICK, 0, 0);
    const HWND browser = AwaitWindow(run.ProcessId(), "Image Browser");
    const HWND list = browser ? FindChild(browser, "", "SysListView32") : nullptr;
    if (!list) return false;
    ::PostMessageA(list, WM_KEYDOWN, VK_HOME, 0);
    ::PostMessageA(list, WM_KEYUP, VK_HOME, 0);
    testsupport::PumpUntil([] { return false; }, 4000);  // the preview decodes on its own thread
    report << "browser-rows " << ::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) << "\n";
    testsupport::AwaitScreenshot("image-browser");
    ::PostMessageA(FindChild(browser, "Close", "Button"), BM_CLICK, 0, 0);
    if (!testsupport::PumpUntil([&] { return ::IsWindowVisible(run.MainWindow()) != FALSE; }, 15000))
        return false;
    // The main window drawn again before the next picture.
    testsupport::PumpUntil([] { return false; }, 1000);

    ::PostMessageA(FindChild(run.MainWindow(), "Settings...", "Button"), BM_CLICK, 0, 0);
    const HWND settings = AwaitWindow(run.ProcessId(), "Settings");
    if (!settings || !managertest::SelectSetting(settings, "Image minimum width/height:")) return false;
    report << "settings 1\n";
    testsupport::AwaitScreenshot("settings");
    ::PostMessageA(FindChild(settings, "Cancel", "Button"), BM_CLICK, 0, 0);
    return testsupport::PumpUntil([&] { return !::IsWindowVisible(settings); }, 15000);
}

int PlayManager(const std::string& folder, bool tour, std::ofstream& report)
{
    testsupport::LogReceiver log;
    managertest::ManagerRun run;
    if (!run.Start(log, folder)) return Fail("cannot start the Manager");
    // The first run scans the sample folder before the window is the program's own again.
    if (!run.WaitReady(log, 60000)) return Fail("the Manager did not get ready");
    report << "ready 1\n";
    testsupport::AwaitScreenshot("manager");
    if (tour && !Tour(run, report)) return Fail("the image browser or the settings did not open and close");
    const HWND change = managertest::FindChild(run.MainWindow(), "Change wallpaper", "Button");
    if (!change) return Fail("no Change wallpaper button");
    ::PostMessageA(change, BM_CLICK, 0, 0);
    if (!testsupport::PumpUntil([&] { return managertest::Logged(log, "Wallpaper change done"); }, 60000))
        return Fail("the wallpaper change did not end");
    report << "wallpaper-changed 1\n";
    testsupport::AwaitScreenshot("wallpaper-changed");
    if (!run.Close(30000)) return Fail("the Manager did not end");
    report << "manager-exit " << run.Process().ExitCode() << "\n";
    report << "agent-running " << (testsupport::PumpUntil(AgentRunning, 15000) ? 1 : 0) << "\n";
    testsupport::AwaitScreenshot("agent");
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
    testsupport::AwaitScreenshot("screensaver");
    ::PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    if (!saver.WaitPumping(15000)) return Fail("the screen saver did not end");
    report << "saver-exit " << saver.ExitCode() << "\n";
    report << "saver-shown " << CountShownBySaver() << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) return Fail("usage: round_trip_driver manager|manager-tour|saver <path> <report>");
    std::ofstream report(argv[3], std::ios::binary);
    if (std::strcmp(argv[1], "manager") == 0) return PlayManager(argv[2], false, report);
    if (std::strcmp(argv[1], "manager-tour") == 0) return PlayManager(argv[2], true, report);
    if (std::strcmp(argv[1], "saver") == 0) return PlaySaver(argv[2], report);
    return Fail("the first argument is manager, manager-tour or saver");
}
