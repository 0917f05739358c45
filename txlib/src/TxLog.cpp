// The log sink: one line at a time to the log receiver window and to an optional log file.
#include "UTxLog.h"

#include <cstdio>
#include <cstring>

#include "UTxDiskApi.h"

bool g_bLogEnabled = false;
CLog g_Log;

namespace {

const char kReceiverClass[] = "TFormQxLog";
const char kReceiverTitle[] = "Dalvex Log Receiver";

// Copies at most size - 1 bytes and always terminates.
void CopyBounded(char* out, int size, const char* text)
{
    if (size <= 0) return;
    const size_t length = text ? std::strlen(text) : 0;
    const size_t n = length < static_cast<size_t>(size - 1) ? length : static_cast<size_t>(size - 1);
    if (n) std::memcpy(out, text, n);
    out[n] = 0;
}

// snprintf's result is what it would have written; this is what it did write.
int Written(int result, int size)
{
    if (result < 0) return 0;
    return result < size ? result : size - 1;
}

// Keeps the caller's last error across a logging call, so logging between a failing call and its
// error report cannot change the report.
class LastErrorKeeper {
public:
    LastErrorKeeper() : m_dwError(::GetLastError()) {}
    LastErrorKeeper(const LastErrorKeeper&) = delete;
    LastErrorKeeper& operator=(const LastErrorKeeper&) = delete;
    ~LastErrorKeeper() { ::SetLastError(m_dwError); }
    DWORD Error() const { return m_dwError; }

private:
    DWORD m_dwError;
};

}  // namespace

CLog::CLog()
{
    // The lock exists from the start, so a log file opened later can log safely.
    ::InitializeCriticalSection(&m_Lock);
    std::memset(m_szIndent, ' ', sizeof m_szIndent);
    m_szIndent[0] = 0;
    m_szText[0] = 0;
    m_szLine[0] = 0;

    // Looked up once: a receiver opened later sees nothing from this program.
    m_hReceiver = ::FindWindowA(kReceiverClass, kReceiverTitle);
    m_bWindowFound = m_hReceiver != nullptr;
    if (g_LogSettings.szFileName && g_LogSettings.szFileName[0]) OpenFile(nullptr);
    g_bLogEnabled = m_bFileOpen || m_bWindowFound;
}

CLog::~CLog()
{
    CloseFile();
    g_bLogEnabled = false;
    ::DeleteCriticalSection(&m_Lock);
}

int CLog::FormatTimePrefix(const SYSTEMTIME& time, char* out, int size)
{
    const int result = std::snprintf(out, size, "%d.%d.%02d %d:%02d:%02d ", time.wDay, time.wMonth,
                                     time.wYear % 2000, time.wHour, time.wMinute, time.wSecond);
    return Written(result, size);
}

void CLog::Send(const char* line, int length)
{
    COPYDATASTRUCT data{};
    data.dwData = 0;
    data.cbData = static_cast<DWORD>(length + 1);  // the terminating zero travels with the text
    data.lpData = const_cast<char*>(line);
    // A receiver that hangs must not hang every logging thread: the line is dropped instead.
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(m_hReceiver, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                          SMTO_BLOCK | SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
}

void CLog::WriteLine(const char* text, int length, const char* tag)
{
    const int size = static_cast<int>(sizeof m_szLine);
    const unsigned long threadId = ::GetCurrentThreadId();
    if (length < 0) length = 0;

    if (m_bWindowFound) {
        // The receiver reads the module from a column of exactly ten characters.
        const char* module = g_LogSettings.szModuleName ? g_LogSettings.szModuleName : "";
        int n = tag ? std::snprintf(m_szLine, size, "%-10.10s %08lx %4.4s  ", module, threadId, tag)
                    : std::snprintf(m_szLine, size, "%-10.10s %08lx       ", module, threadId);
        n = Written(n, size);
        n += Written(std::snprintf(m_szLine + n, size - n, "%s%.*s", m_szIndent, length, text), size - n);
        Send(m_szLine, n);
    }

    if (m_bFileOpen && m_hFile != INVALID_HANDLE_VALUE) {
        char prefix[40] = "";
        if (g_LogSettings.bTimeStamp) {
            SYSTEMTIME now;
            ::GetLocalTime(&now);
            FormatTimePrefix(now, prefix, sizeof prefix);
        }
        // Two bytes stay free for CR LF whatever the text's length.
        const int room = size - 2;
        int n = tag ? std::snprintf(m_szLine, room, "%s%08lx %4.4s  ", prefix, threadId, tag)
                    : std::snprintf(m_szLine, room, "%s%08lx       ", prefix, threadId);
        n = Written(n, room);
        n += Written(std::snprintf(m_szLine + n, room - n, "%s%.*s", m_szIndent, length, text), room - n);
        m_szLine[n++] = '\r';
        m_szLine[n++] = '\n';
        m_szLine[n] = 0;
        DWORD written = 0;
        ::WriteFile(m_hFile, m_szLine, static_cast<DWORD>(n), &written, nullptr);
        if (!g_LogSettings.bNoFlush) ::FlushFileBuffers(m_hFile);
    }
}

void CLog::WriteWrapped(char* text, const char* tag)
{
    const int width = g_LogSettings.iLineWidth - m_iIndent;
    int length = static_cast<int>(std::strlen(text));
    // Too narrow a column leaves no room for a cut that makes progress.
    if (width < 8) {
        WriteLine(text, length, tag);
        return;
    }
    while (length > width) {
        int cut = width - 2;
        for (int i = width - 2; i >= (2 * width) / 3; --i) {
            const char c = text[i];
            if (c == ' ' || c == ',' || c == '-' || c == ';') {
                cut = i;
                break;
            }
        }
        WriteLine(text, cut + 1, tag);
        // The continuation begins with two blanks, written over the end of the part just sent.
        text += cut - 1;
        text[0] = ' ';
        text[1] = ' ';
        length -= cut - 1;
    }
    WriteLine(text, length, tag);
}

void CLog::Log(const char* tag)
{
    m_szText[kBufferSize - 1] = 0;
    if (!g_LogSettings.bSplitLines) {
        WriteLine(m_szText, static_cast<int>(std::strlen(m_szText)), tag);
        return;
    }
    if (!std::strpbrk(m_szText, "\r\n")) {
        WriteWrapped(m_szText, tag);
        return;
    }
    for (char* p = m_szText; *p; ++p) {
        if (*p == '\r') *p = (p[1] == '\n') ? ' ' : '\n';
    }
    char* piece = m_szText;
    for (;;) {
        char* end = std::strchr(piece, '\n');
        if (end) *end = 0;
        WriteWrapped(piece, tag);
        if (!end) break;
        piece = end + 1;
    }
}

void CLog::Enter(const char* name, const char* tag)
{
    CopyBounded(m_szText, kBufferSize, name);
    Log(tag);
    if (m_iIndent < kMaxIndent) {
        m_szIndent[m_iIndent] = ' ';
        m_iIndent += 2;
        m_szIndent[m_iIndent] = 0;
    }
}

void CLog::Leave()
{
    if (m_iIndent >= 2) {
        m_szIndent[m_iIndent] = ' ';
        m_iIndent -= 2;
        m_szIndent[m_iIndent] = 0;
    }
}

void CLog::LogLastError()
{
    const DWORD error = ::GetLastError();
    if (error != 0) {
        const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                              nullptr, error, 0x400, m_szText, 1024, nullptr);
        if (length == 0) {
            std::snprintf(m_szText, kBufferSize, "System error %lu", error);
        } else {
            // The system text ends with CR LF, which would make an empty line of its own.
            int n = static_cast<int>(length);
            while (n > 0 && (m_szText[n - 1] == '\r' || m_szText[n - 1] == '\n' || m_szText[n - 1] == ' '))
                --n;
            m_szText[n] = 0;
        }
    }
    Log(nullptr);
}

bool CLog::OpenFile(const char* path)
{
    CloseFile();
    char fileName[MAX_PATH * 2];
    if (path && path[0]) {
        CopyBounded(fileName, sizeof fileName, path);
    } else {
        if (!g_LogSettings.szFileName || !g_LogSettings.szFileName[0]) return false;
        // Beside the program, never in whatever folder happens to be current.
        const std::string folder = TxProgramFolder();
        if (folder.empty()) return false;
        const int written =
            std::snprintf(fileName, sizeof fileName, "%s%s", folder.c_str(), g_LogSettings.szFileName);
        if (written < 0 || written >= static_cast<int>(sizeof fileName)) return false;
    }
    m_hFile = ::CreateFileA(fileName, GENERIC_WRITE, 0, nullptr,
                            g_LogSettings.bCreateNewFile ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
    m_bFileOpen = m_hFile != INVALID_HANDLE_VALUE;
    if (m_bFileOpen && !g_LogSettings.bCreateNewFile) ::SetFilePointer(m_hFile, 0, nullptr, FILE_END);
    g_bLogEnabled = m_bFileOpen || m_bWindowFound;
    return m_bFileOpen;
}

void CLog::CloseFile()
{
    if (m_hFile != INVALID_HANDLE_VALUE) ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    m_bFileOpen = false;
    g_bLogEnabled = m_bWindowFound;
}

void LogV(const char* format, va_list args)
{
    if (!g_bLogEnabled) return;
    LastErrorKeeper keep;
    g_Log.Lock();
    const int result = std::vsnprintf(g_Log.m_szText, CLog::kBufferSize, format ? format : "", args);
    if (result < 0) g_Log.m_szText[0] = 0;
    g_Log.Log();
    g_Log.Unlock();
}

void LogF(const char* format, ...)
{
    if (!g_bLogEnabled) return;
    va_list args;
    va_start(args, format);
    LogV(format, args);
    va_end(args);
}

void LogText(const char* text)
{
    if (!g_bLogEnabled) return;
    LastErrorKeeper keep;
    g_Log.Lock();
    CopyBounded(g_Log.m_szText, CLog::kBufferSize, text);
    g_Log.Log();
    g_Log.Unlock();
}

void LogLastErrorF(const char* format, ...)
{
    if (!g_bLogEnabled) return;
    LastErrorKeeper keep;
    g_Log.Lock();
    va_list args;
    va_start(args, format);
    const int result = std::vsnprintf(g_Log.m_szText, CLog::kBufferSize, format ? format : "", args);
    va_end(args);
    if (result < 0) g_Log.m_szText[0] = 0;
    g_Log.Log();
    ::SetLastError(keep.Error());
    g_Log.LogLastError();
    g_Log.Unlock();
}

void LogEnter(const char* name)
{
    if (!g_bLogEnabled) return;
    LastErrorKeeper keep;
    g_Log.Lock();
    g_Log.Enter(name);
    g_Log.Unlock();
}

void LogLeave()
{
    if (!g_bLogEnabled) return;
    g_Log.Lock();
    g_Log.Leave();
    g_Log.Unlock();
}
