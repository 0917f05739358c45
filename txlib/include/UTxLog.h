// The log sink: lines to the log receiver window (WM_COPYDATA) and an optional log file.
#pragma once

#include <windows.h>

#include <cstdarg>

// Fixed per program; each program (and each test program) defines g_LogSettings once, after
// including this header, e.g.
//   extern const CLogSettings g_LogSettings = {"KvAgent   ", "", false, 80, false, false, true};
// Any program that links txlib needs it: the library's exceptions log through the sink.
struct CLogSettings {
    const char* szModuleName;  // exactly ten characters
    const char* szFileName;    // log file beside the program; "" for none
    bool bSplitLines;
    int iLineWidth;
    bool bCreateNewFile;
    bool bNoFlush;
    bool bTimeStamp;
};
extern const CLogSettings g_LogSettings;

extern bool g_bLogEnabled;

class CLog {
public:
    static constexpr int kBufferSize = 2048;
    static constexpr int kMaxIndent = 40;

    CLog();
    ~CLog();
    CLog(const CLog&) = delete;
    CLog& operator=(const CLog&) = delete;

    // The shared text buffer into which call sites format the next line, under Lock().
    char m_szText[kBufferSize];

    void Log(const char* tag = nullptr);
    void Enter(const char* name, const char* tag = nullptr);
    void Leave();
    void LogLastError();
    bool OpenFile(const char* path);
    void CloseFile();

    void Lock() { ::EnterCriticalSection(&m_Lock); }
    void Unlock() { ::LeaveCriticalSection(&m_Lock); }
    int Indent() const { return m_iIndent; }
    bool IsWindowFound() const { return m_bWindowFound; }
    bool IsFileOpen() const { return m_bFileOpen; }

    // The time prefix of log file lines ("9.12.05 8:05:03 "); returns its length.
    static int FormatTimePrefix(const SYSTEMTIME& time, char* out, int size);

    // How long a line may wait for a busy receiver before it is dropped.
    static constexpr UINT kSendTimeoutMs = 3000;

private:
    void WriteLine(const char* text, int length, const char* tag);
    void WriteWrapped(char* text, const char* tag);
    void Send(const char* line, int length);

    CRITICAL_SECTION m_Lock;
    int m_iIndent = 0;
    HWND m_hReceiver = nullptr;
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    char m_szIndent[kMaxIndent + 1];
    bool m_bWindowFound = false;
    bool m_bFileOpen = false;
    // Room for the prefixes, the largest indent, the whole text buffer and CR LF.
    char m_szLine[kBufferSize + 128];
};

extern CLog g_Log;

// Call-site helpers: nothing is formatted while logging is off; the text is bounded to the buffer.
void LogF(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogV(const char* format, va_list args);
void LogText(const char* text);
// Logs a text, then the system text of the last error (read before the text is logged).
void LogLastErrorF(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogEnter(const char* name);
void LogLeave();

// Logs a function's name on entry and indents until the scope ends.
class CLogScope {
public:
    explicit CLogScope(const char* name) { LogEnter(name); }
    CLogScope(const CLogScope&) = delete;
    CLogScope& operator=(const CLogScope&) = delete;
    ~CLogScope() { LogLeave(); }
};
