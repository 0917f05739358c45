// The Manager's program started as a user starts it, in the test prefix, beside a recording
// stand-in Agent and the real engine, and what it left read back from outside.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "KvTestRegistry.h"
#include "KvTestSupport.h"
#include "Uregistryroot.h"

namespace managertest {

constexpr const char* kSettingsKey = KV_REG_ROOT;
constexpr const char* kStandInKey = "Software\\Dalvex\\KestrovaTest\\StandInAgent";
constexpr const char* kSetupKey = KV_REG_ROOT "\\Setup";

// Folder of the installed Manager the tests start (KvManag.exe, the engine, the stand-in Agent).
std::string InstalledFolder();
// The user's application-data folder plus "\Kestrova".
std::string DataFolder();

// A fresh user: no settings, no database, no record of the stand-in, the sample folder named (none
// when empty).
void ResetUser(const std::string& sampleFolder);

// The folder made and the three fixture photographs (one, two, three.jpg) copied into it.
void MakeSampleFolder(const std::string& folder);

// A top-level window of the process with that caption, or null.
HWND FindProcessWindow(DWORD processId, const std::string& caption);
// A child (at any depth) with that text, or null.
HWND FindChild(HWND parent, const std::string& text, const char* className = nullptr);
std::string WindowText(HWND wnd);

// Selects each node of the settings dialog's tree in turn (from outside, as the tree lets another
// process do) until the dialog's caption label shows `caption`.
bool SelectSetting(HWND dialog, const std::string& caption);
// The one edit field of the window that is visible.
HWND VisibleEdit(HWND dialog);

// The folder list file read byte by byte: each folder's path, flags and image count.
struct StoredFolder {
    std::string path;
    DWORD flags = 0;
    DWORD imageCount = 0;
};
bool ReadFolderList(const std::string& path, std::vector<StoredFolder>& folders);
// The record file: its record count and each record's shown count.
bool ReadRecordFile(const std::string& path, DWORD& count, std::vector<DWORD>& shownCounts);

// The running Manager: started, its main window found, closed again.
class ManagerRun {
public:
    ManagerRun() = default;
    ~ManagerRun();
    // Starts the program with the log emptied, so that only its own run's lines count.
    bool Start(testsupport::LogReceiver& log, const std::string& folder = InstalledFolder());
    // Waits until the check for changes has run and the caption is the program's own again.
    bool WaitReady(testsupport::LogReceiver& log, DWORD timeoutMs = 30000);
    // Posts WM_CLOSE and waits for the process to end.
    bool Close(DWORD timeoutMs = 30000);
    HWND MainWindow() const { return m_hMain; }
    DWORD ProcessId() const { return m_Process.ProcessId(); }
    testsupport::ChildProcess& Process() { return m_Process; }

private:
    testsupport::ChildProcess m_Process;
    HWND m_hMain = nullptr;
};

// Picks a folder in the open picker of the running Manager as a user would: the folder beside the
// one the tree opened at (`next` after it, else before it), then OK.
bool PickNeighbour(DWORD processId, bool next);

// Whether a line containing `text` was logged.
bool Logged(const testsupport::LogReceiver& log, const std::string& text);

}  // namespace managertest
