#include "KvTestSupport.h"

#include <cstdio>
#include <cstdlib>

#include "UTxDiskApi.h"

namespace testsupport {

namespace {

const char kReceiverClass[] = "TFormQxLog";
const char kReceiverTitle[] = "Dalvex Log Receiver";

bool RegisterReceiverClass()
{
    static bool registered = false;
    if (registered) return true;
    WNDCLASSA wc{};
    wc.lpfnWndProc = &DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kReceiverClass;
    registered = ::RegisterClassA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return registered;
}

}  // namespace

LogReceiver::LogReceiver()
{
    if (!RegisterReceiverClass()) return;
    // A plain hidden top-level window: FindWindowA does not see message-only windows.
    m_hWnd = ::CreateWindowExA(0, kReceiverClass, kReceiverTitle, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                               nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (!m_hWnd) return;
    ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LogReceiver::WindowProc));
}

LogReceiver::~LogReceiver()
{
    if (m_hWnd) ::DestroyWindow(m_hWnd);
}

LRESULT CALLBACK LogReceiver::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COPYDATA) {
        auto* self = reinterpret_cast<LogReceiver*>(::GetWindowLongPtrA(wnd, GWLP_USERDATA));
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (self && data) {
            try {
                CopyDataRecord record;
                record.dwData = data->dwData;
                record.cbData = data->cbData;
                if (data->lpData && data->cbData)
                    record.bytes.assign(static_cast<const char*>(data->lpData), data->cbData);
                self->m_Records.push_back(std::move(record));
            } catch (...) {
                // Nothing may unwind through the window procedure.
            }
        }
        return TRUE;
    }
    return ::DefWindowProcA(wnd, msg, wParam, lParam);
}

std::vector<std::string> LogReceiver::Texts() const
{
    std::vector<std::string> texts;
    for (const auto& record : m_Records)
        texts.push_back(record.bytes.substr(0, record.bytes.find('\0')));
    return texts;
}

void PumpMessages()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    timeoutMs = ScaledMs(timeoutMs);
    const DWORD start = ::GetTickCount();
    for (;;) {
        PumpMessages();
        if (done()) return true;
        if (::GetTickCount() - start > timeoutMs) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

bool WaitPumping(HANDLE handle, DWORD timeoutMs)
{
    timeoutMs = ScaledMs(timeoutMs);
    const DWORD start = ::GetTickCount();
    for (;;) {
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeoutMs) return ::WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
        const DWORD result = ::MsgWaitForMultipleObjects(1, &handle, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0) {
            PumpMessages();  // lines sent just before the end
            return true;
        }
        if (result == WAIT_OBJECT_0 + 1) {
            PumpMessages();
            continue;
        }
        if (result == WAIT_TIMEOUT) continue;
        return false;
    }
}

ChildProcess::~ChildProcess()
{
    Terminate();
    if (m_Info.hThread) ::CloseHandle(m_Info.hThread);
    if (m_Info.hProcess) ::CloseHandle(m_Info.hProcess);
}

bool ChildProcess::Start(const std::string& commandLine)
{
    if (m_Info.hProcess) return false;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &m_Info)) {
        m_Info = PROCESS_INFORMATION{};
        return false;
    }
    return true;
}

bool ChildProcess::WaitPumping(DWORD timeoutMs)
{
    return m_Info.hProcess && testsupport::WaitPumping(m_Info.hProcess, timeoutMs);
}

bool ChildProcess::WaitNotPumping(DWORD timeoutMs)
{
    return m_Info.hProcess && ::WaitForSingleObject(m_Info.hProcess, ScaledMs(timeoutMs)) == WAIT_OBJECT_0;
}

bool ChildProcess::WaitUnscaled(DWORD ms)
{
    return m_Info.hProcess && ::WaitForSingleObject(m_Info.hProcess, ms) == WAIT_OBJECT_0;
}

void ChildProcess::Terminate()
{
    if (m_Info.hProcess && ExitCode() == STILL_ACTIVE) {
        ::TerminateProcess(m_Info.hProcess, 255);
        ::WaitForSingleObject(m_Info.hProcess, ScaledMs(5000));
    }
}

DWORD ChildProcess::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    if (!m_Info.hProcess || !::GetExitCodeProcess(m_Info.hProcess, &code)) return STILL_ACTIVE;
    return code;
}

namespace {

struct TopWindowSearch {
    DWORD processId;
    const TopWindowMatch& match;
    HWND found;
};

BOOL CALLBACK MatchTopWindow(HWND wnd, LPARAM param)
{
    auto* search = reinterpret_cast<TopWindowSearch*>(param);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(wnd, &processId);
    if (processId != search->processId || (search->match.visibleOnly && !::IsWindowVisible(wnd))) return TRUE;
    char text[256] = {};
    if (search->match.className &&
        (!::GetClassNameA(wnd, text, sizeof text) || std::string(text) != search->match.className))
        return TRUE;
    if (search->match.title) {
        text[0] = '\0';
        ::GetWindowTextA(wnd, text, sizeof text);
        if (std::string(text) != search->match.title) return TRUE;
    }
    search->found = wnd;
    return FALSE;
}

}  // namespace

HWND FindTopWindow(DWORD processId, const TopWindowMatch& match)
{
    TopWindowSearch search = {processId, match, nullptr};
    ::EnumWindows(&MatchTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string ExeFolder()
{
    return TxProgramFolder();
}

std::string ReadFileBytes(const std::string& path, bool* ok)
{
    if (ok) *ok = false;
    const HANDLE file =
        ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    bool good = true;
    for (;;) {
        if (!::ReadFile(file, buffer, sizeof buffer, &read, nullptr)) {
            good = false;
            break;
        }
        if (read == 0) break;
        bytes.append(buffer, read);
    }
    ::CloseHandle(file);
    if (ok) *ok = good;
    return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes)
{
    const HANDLE file =
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool good = bytes.empty() ||
                      (::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                       written == bytes.size());
    ::CloseHandle(file);
    return good;
}

bool PathExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string SystemErrorText(DWORD error)
{
    char text[2048] = "";
    const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                     error, 0x400, text, sizeof text, nullptr);
    return std::string(text, n);
}

std::vector<std::string> FilesMatching(const std::string& folder, const char* mask)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    const HANDLE search = ::FindFirstFileA((folder + "\\" + mask).c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(data.cFileName);
    } while (::FindNextFileA(search, &data));
    ::FindClose(search);
    return names;
}

TempFolder::TempFolder(const char* name)
{
    static unsigned counter = 0;
    char base[MAX_PATH + 1] = "";
    const DWORD n = ::GetTempPathA(MAX_PATH, base);
    std::string root(base, n < MAX_PATH ? n : 0);
    if (root.empty()) root = "C:\\";
    if (root.back() != '\\') root += '\\';
    for (int attempt = 0; attempt < 100; ++attempt) {
        char leaf[160];
        std::snprintf(leaf, sizeof leaf, "kvt-%s-%lu-%u", name ? name : "test",
                      static_cast<unsigned long>(::GetCurrentProcessId()), ++counter);
        const std::string path = root + leaf;
        if (::CreateDirectoryA(path.c_str(), nullptr)) {
            m_sPath = path;
            return;
        }
    }
}

TempFolder::~TempFolder()
{
    if (!m_sPath.empty()) RemoveTree(m_sPath);
}

bool RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA data;
    const HANDLE search = ::FindFirstFileA((path + "\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            const std::string child = path + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                // A link is removed, never followed: it may lead back up the tree or out of it.
                if (!::RemoveDirectoryA(child.c_str())) ::DeleteFileA(child.c_str());
            } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(child.c_str());
            }
        } while (::FindNextFileA(search, &data));
        ::FindClose(search);
    }
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryA(path.c_str());
    return !PathExists(path);
}

FILETIME CalendarFileTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME calendar{};
    calendar.wYear = year;
    calendar.wMonth = month;
    calendar.wDay = day;
    calendar.wHour = hour;
    calendar.wMinute = minute;
    calendar.wSecond = second;
    FILETIME time{};
    if (!::SystemTimeToFileTime(&calendar, &time)) return FILETIME{};
    return time;
}

SIZE_T CommittedPrivateBytes()
{
    SIZE_T committed = 0;
    MEMORY_BASIC_INFORMATION region{};
    const BYTE* address = nullptr;
    while (::VirtualQuery(address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) committed += region.RegionSize;
        const BYTE* next = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize;
        if (next <= address) break;
        address = next;
    }
    return committed;
}

std::string ProgramManifest(const std::string& program)
{
    Library module(::LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) return "(not loadable)";
    HRSRC found = ::FindResourceA(module.get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    if (!found) return std::string();
    HGLOBAL data = ::LoadResource(module.get(), found);
    const char* bytes = static_cast<const char*>(::LockResource(data));
    return bytes ? std::string(bytes, ::SizeofResource(module.get(), found)) : std::string();
}

std::vector<std::string> ProgramsInList(const std::string& listPath)
{
    const std::string list = ReadFileBytes(listPath);
    std::vector<std::string> programs;
    for (size_t at = 0; at < list.size();) {
        const size_t end = list.find('\n', at);
        const std::string line = list.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (!line.empty()) programs.push_back("Z:" + line);
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return programs;
}

}  // namespace testsupport
