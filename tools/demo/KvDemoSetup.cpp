// The demonstration's helper: does for a fresh user what the Manager's first run does (the
// defaults, the data folder, one image folder scanned into the database), and stops the Agent
// the way the Manager and the uninstaller do.
//
//   KvDemoSetup setup <image folder>   first configuration with that folder (and its subfolders)
//   KvDemoSetup run-agent <seconds>    starts the installed Agent with "/r" as the log-on does,
//                                      prints its log lines and returns after its first change
//   KvDemoSetup stop-agent             signals the Agent's close event and waits for its end
#include "DemoFirstRun.h"
#include "UTxBase.h"
#include "UTxDiskApi.h"
#include "UTxLog.h"
#include "UTxUtils.h"
#include "Wcommon.h"

#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

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

// As the Manager and the uninstaller do: the close event, then until "KvAgentIsRunning" is gone.
int StopAgent()
{
    Handle close(::OpenEventA(EVENT_MODIFY_STATE, FALSE, "KvAgentExternalClose"));
    if (!close) {
        std::printf("No Agent runs\n");
        return 0;
    }
    ::SetEvent(close.get());
    close.reset();
    for (int i = 0; i < 150; ++i) {
        Handle running(::OpenEventA(SYNCHRONIZE, FALSE, "KvAgentIsRunning"));
        if (!running) {
            std::printf("The Agent has ended\n");
            return 0;
        }
        running.reset();
        ::Sleep(100);
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
