// Helpers for the test programs; not part of any shipped program.
//
//   testsupport::LogReceiver receiver;              // window "TFormQxLog" / "Dalvex Log Receiver"
//   testsupport::ChildProcess child;
//   child.Start("\"" + testsupport::ExeFolder() + "probe.exe\" args");
//   child.WaitPumping(30000);                         // dispatches the WM_COPYDATA lines meanwhile
//   receiver.Records()[0].bytes                       // exactly the bytes sent, terminator included
//
// The receiver's class and title are fixed, and every program of a Wine prefix that starts while
// one exists logs to it. A test program that creates one must therefore be registered SERIAL, and
// programs whose own log output matters must not run beside it.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "KvTimeScale.h"
#include "UTxTime.h"

namespace testsupport {

// One WM_COPYDATA message as it arrived.
struct CopyDataRecord {
    ULONG_PTR dwData = 0;
    DWORD cbData = 0;
    std::string bytes;  // cbData bytes, exactly as received (the sink sends its terminating zero)
};

// A hidden top-level window of class "TFormQxLog" titled "Dalvex Log Receiver" that records every
// WM_COPYDATA it receives. Messages arrive only while the creating thread pumps (see WaitPumping).
class LogReceiver {
public:
    LogReceiver();
    ~LogReceiver();
    LogReceiver(const LogReceiver&) = delete;
    LogReceiver& operator=(const LogReceiver&) = delete;

    bool IsOpen() const { return m_hWnd != nullptr; }
    HWND Window() const { return m_hWnd; }
    const std::vector<CopyDataRecord>& Records() const { return m_Records; }
    // The texts of the records, each cut at its first zero byte.
    std::vector<std::string> Texts() const;
    void Clear() { m_Records.clear(); }

private:
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    std::vector<CopyDataRecord> m_Records;
};

// Dispatches every message waiting for the calling thread, sent messages included.
void PumpMessages();

// Dispatches the calling thread's messages until `done` holds (true) or `timeoutMs` have passed
// (false); `done` is asked after every round of messages.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// Waits until the handle is signalled while dispatching the calling thread's messages
// (MsgWaitForMultipleObjects), so a child that sends to this thread's windows cannot deadlock.
// False on timeout or failure.
bool WaitPumping(HANDLE handle, DWORD timeoutMs);

// What a top-level window of another process must be to be found; a null text matches any.
struct TopWindowMatch {
    const char* className = nullptr;
    const char* title = nullptr;
    bool visibleOnly = false;
};
// The first top-level window of process `processId` that matches; null when none does.
HWND FindTopWindow(DWORD processId, const TopWindowMatch& match = TopWindowMatch());

// A child process started by a test; a child still running at destruction is terminated.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The command line as CreateProcessA takes it (quote the program path yourself).
    bool Start(const std::string& commandLine);
    // Waits for the end while pumping messages; false when the timeout passed first.
    bool WaitPumping(DWORD timeoutMs);
    // Waits without dispatching anything, as a busy receiver would.
    bool WaitNotPumping(DWORD timeoutMs);
    // Waits at most this long, not scaled with the suite's time factor: for a moment the test
    // chooses inside the child's run (a kill at a random point of a change), which must follow the
    // child's own speed, not a deadline.
    bool WaitUnscaled(DWORD ms);
    void Terminate();

    DWORD ExitCode() const;  // STILL_ACTIVE while running
    DWORD ProcessId() const { return m_Info.dwProcessId; }
    DWORD MainThreadId() const { return m_Info.dwThreadId; }  // the thread that runs main()

private:
    PROCESS_INFORMATION m_Info{};
};

// A hidden window of the creating thread that counts the markers it has handled. Messages posted
// to one thread's windows are handled in the order they were posted, so once a marker posted after
// some messages is handled, so are they: what they did not do by then, they will not do.
//   const LONG marker = markers.Post();               // from any thread
//   PumpUntil([&] { return markers.Handled(marker); }, 5000);
class MarkerWindow {
public:
    MarkerWindow();
    ~MarkerWindow();
    MarkerWindow(const MarkerWindow&) = delete;
    MarkerWindow& operator=(const MarkerWindow&) = delete;

    // Posts the next marker and returns its number (0 when it could not be posted).
    LONG Post();
    bool Handled(LONG marker) const { return marker != 0 && m_Handled >= marker; }

private:
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    std::atomic<LONG> m_Posted{0};
    std::atomic<LONG> m_Handled{0};
};

// The system's own text for an error, fetched independently of the code under test.
std::string SystemErrorText(DWORD error);

// Folder of the running program, with a trailing '\'. Helper programs a test starts lie beside it.
std::string ExeFolder();

// The whole file as bytes; `ok` (when given) tells whether it could be read.
std::string ReadFileBytes(const std::string& path, bool* ok = nullptr);
// Creates or replaces the file with exactly these bytes.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool PathExists(const std::string& path);
// The names of the files of `folder` that match `mask` (wildcards as FindFirstFileA takes them).
std::vector<std::string> FilesMatching(const std::string& folder, const char* mask);

// A fresh folder under the user's temporary folder, deleted with all its contents at destruction.
class TempFolder {
public:
    explicit TempFolder(const char* name = "test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_sPath; }  // no trailing '\'
    std::string operator/(const std::string& name) const { return m_sPath + "\\" + name; }

private:
    std::string m_sPath;
};

// Deletes a folder and everything below it; true when it is gone.
bool RemoveTree(const std::string& path);

// The manifest resource (RT_MANIFEST, id 1) of a program, read from its file: "(not loadable)"
// when the file cannot be loaded as data, empty when it has no manifest.
std::string ProgramManifest(const std::string& program);
// The programs named one per line in a list the build writes (host paths), as Windows paths.
std::vector<std::string> ProgramsInList(const std::string& listPath);

// A FILETIME as one count of 100-nanosecond units, and back.
using ::FileTimeFromUnits;
using ::FileTimeUnits;
// The FILETIME of a calendar time taken as it stands (no time-zone shift); zero when the system
// cannot convert it.
FILETIME CalendarFileTime(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0);

// The committed private pages of this process, summed region by region: what its heaps hold (Wine
// reports no PrivateUsage).
SIZE_T CommittedPrivateBytes();

// For a demonstration a person looks at: when the environment names a request file
// (KV_SHOT_REQUEST, a Windows path), writes `name` into it and waits, dispatching messages, until the
// demonstration's script has taken its screenshot and removed the file (at most 30 s). Without that
// variable it returns at once, so the test drivers call it at each step worth a picture.
void AwaitScreenshot(const std::string& name);

}  // namespace testsupport
