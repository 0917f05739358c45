// The demonstration's helper: does for a fresh user what the Manager's first run does (the
// defaults, the data folder, one image folder scanned into the database), and stops the Agent
// the way the Manager and the uninstaller do.
//
//   KvDemoSetup setup <image folder>   first configuration with that folder (and its subfolders)
//   KvDemoSetup run-agent <seconds>    starts the installed Agent with "/r" as the log-on does,
//                                      prints its log lines and returns after its first change
//   KvDemoSetup stop-agent             signals the Agent's close event and waits for its end
#include "UDatabase.h"
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

// The data folder the Manager chooses: "Kestrova" in the user's application-data folder.
bool SetDataFilePaths(FilesSettings& files)
{
    char appData[MAX_PATH] = {};
    if (::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData) != S_OK) return false;
    const std::string folder = std::string(appData) + "\\Kestrova";
    if (!TxDirectoryExists(folder.c_str()) && !TxCreateDirectoryTree(folder.c_str())) return false;
    auto set = [&folder](char* field, const char* name) {
        std::snprintf(field, kPathSize, "%s%s", folder.c_str(), name);
    };
    set(files.szWorkBmpFile, "\\Kestrova_wallpaper.bmp");
    set(files.szFolderListFile, "\\FolderList.dat");
    set(files.szFileListDatFile, "\\FileListDat.dat");
    set(files.szFileListStrFile, "\\FileListStr.dat");
    return true;
}

// The install folder the installer recorded.
std::string InstalledPrgDir()
{
    char folder[MAX_PATH] = {};
    DWORD size = sizeof(folder) - 1;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\Dalvex\\Kestrova\\Setup", "InstalledPrgDir", RRF_RT_REG_SZ,
                       nullptr, folder, &size) != ERROR_SUCCESS)
        return std::string();
    return folder;
}

// The engine adjusts the right margin for the calendar, as it does for the Manager's first run.
void RecalcRightMarginForCalendar(RegistryRecord& record)
{
    const std::string path = InstalledPrgDir() + "\\KvApi.dll";
    Library engine(::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!engine) return;
    using Recalc = void(WINAPI*)(RegistryRecord*);
    const auto recalc = reinterpret_cast<Recalc>(
        reinterpret_cast<void*>(::GetProcAddress(engine.get(), "WpApi_RecalcRightMarginForCalendar")));
    if (recalc) recalc(&record);
}

int Setup(const char* imageFolder)
{
    if (!TxDirectoryExists(imageFolder)) {
        std::fprintf(stderr, "KvDemoSetup: %s is no folder\n", imageFolder);
        return 2;
    }
    RegistryRecord record;
    std::memset(&record, 0, sizeof(record));
    SetRegistryDefaults(nullptr, &record, true, true);
    RecalcRightMarginForCalendar(record);
    if (!SetDataFilePaths(record.Files)) {
        std::fprintf(stderr, "KvDemoSetup: cannot create the data folder\n");
        return 3;
    }

    CFolderCollection folders;
    CFileCollection files;
    auto folder = std::make_unique<CImageFolder>();
    folder->Path = imageFolder;
    folder->IncludeSubfolders = 1;
    if (folders.Insert(folder.get())) folder.release();
    folders.Modified = 1;
    try {
        folders.RecalculateAllFolders(files);
    } catch (const TxException& e) {
        std::fprintf(stderr, "KvDemoSetup: scanning %s failed: %s\n", imageFolder, e.Message());
        return 4;
    }
    if (!folders.SaveToFile(record.Files.szFolderListFile) ||
        !files.SaveToFile(record.Files.szFileListDatFile, record.Files.szFileListStrFile)) {
        std::fprintf(stderr, "KvDemoSetup: cannot write the database\n");
        return 5;
    }
    const DWORD count = static_cast<DWORD>(files.GetCount());
    if (!WriteToRegistry(&record) || !WriteRegistryRoot(true, count)) {
        std::fprintf(stderr, "KvDemoSetup: cannot write the settings\n");
        return 6;
    }
    std::printf("Settings written; %lu images of %s in the database (%s)\n", static_cast<unsigned long>(count),
                imageFolder, record.Files.szFileListDatFile);
    return 0;
}

FILETIME LastChangeTime()
{
    FILETIME time = {};
    DWORD size = sizeof(time);
    ::RegGetValueA(HKEY_CURRENT_USER, "Software\\Dalvex\\Kestrova\\CurrentImage", "LastChangeTime",
                   RRF_RT_REG_BINARY, nullptr, &time, &size);
    return time;
}

// A log receiver window (class "TFormQxLog", title "Dalvex Log Receiver") that prints each line.
LRESULT CALLBACK ReceiverProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data && data->lpData && data->cbData) {
            const std::string line(static_cast<const char*>(data->lpData),
                                   ::strnlen(static_cast<const char*>(data->lpData), data->cbData));
            std::printf("  | %s\n", line.c_str());
            std::fflush(stdout);
        }
        return TRUE;
    }
    return ::DefWindowProcA(wnd, msg, wParam, lParam);
}

int RunAgent(int seconds)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &ReceiverProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "TFormQxLog";
    ::RegisterClassA(&wc);
    HWND receiver = ::CreateWindowExA(0, "TFormQxLog", "Dalvex Log Receiver", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                      nullptr, nullptr, wc.hInstance, nullptr);
    const std::string agent = InstalledPrgDir() + "\\KvAgent.exe";
    std::string commandLine = "\"" + agent + "\" /r";
    const FILETIME before = LastChangeTime();
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(agent.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        std::fprintf(stderr, "KvDemoSetup: cannot start %s\n", agent.c_str());
        return 8;
    }
    ::CloseHandle(process.hThread);
    Handle agentProcess(process.hProcess);
    std::printf("Started %s /r; its log:\n", agent.c_str());
    std::fflush(stdout);

    const DWORD start = ::GetTickCount();
    DWORD changedAt = 0;
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
        const FILETIME now = LastChangeTime();
        if (!changedAt && ::CompareFileTime(&now, &before) != 0) changedAt = ::GetTickCount();
        // The lines that follow the change (the engine freed, the settings read) come shortly after.
        if (changedAt && ::GetTickCount() - changedAt > 1500) break;
        if (::WaitForSingleObject(agentProcess.get(), 0) == WAIT_OBJECT_0) {
            std::fprintf(stderr, "KvDemoSetup: the Agent ended without a change\n");
            return 9;
        }
        if (::GetTickCount() - start > static_cast<DWORD>(seconds) * 1000) {
            std::fprintf(stderr, "KvDemoSetup: no change within %d s\n", seconds);
            return 10;
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    }
    ::DestroyWindow(receiver);
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
