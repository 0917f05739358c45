// The log sink, seen from outside: lines a probe process sends to a receiver window, and lines
// this program writes to a log file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "KvTestSupport.h"
#include "UTxLog.h"

using testsupport::ChildProcess;
using testsupport::LogReceiver;

namespace {

std::string ProbeCommand(const std::string& args)
{
    return "\"" + testsupport::ExeFolder() + "txlib_log_probe.exe\" " + args;
}

std::string Hex8(DWORD value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(value));
    return text;
}

// A window line as the receiver must see it, terminating zero included.
std::string WindowLine(const char* module, DWORD threadId, int indent, const std::string& text)
{
    return std::string(module) + " " + Hex8(threadId) + "       " + std::string(indent, ' ') + text +
           std::string(1, '\0');
}

// Opens a log file for the life of the object; logging is on meanwhile.
class LogFileSession {
public:
    explicit LogFileSession(const std::string& path) { m_bOpened = g_Log.OpenFile(path.c_str()); }
    ~LogFileSession() { g_Log.CloseFile(); }
    LogFileSession(const LogFileSession&) = delete;
    LogFileSession& operator=(const LogFileSession&) = delete;
    bool Opened() const { return m_bOpened; }

private:
    bool m_bOpened = false;
};

std::vector<std::string> SplitCrLf(const std::string& bytes)
{
    std::vector<std::string> lines;
    size_t begin = 0;
    for (size_t end; (end = bytes.find("\r\n", begin)) != std::string::npos; begin = end + 2)
        lines.push_back(bytes.substr(begin, end - begin));
    if (begin < bytes.size()) lines.push_back(bytes.substr(begin) + "<no CR LF>");
    return lines;
}

// The text of each file line after its time prefix, thread id and seven blanks, which are checked.
std::vector<std::string> FileLineTexts(const std::string& bytes)
{
    const std::regex head("^\\d{1,2}\\.\\d{1,2}\\.\\d{2} \\d{1,2}:\\d{2}:\\d{2} " +
                          Hex8(::GetCurrentThreadId()) + "       ");
    std::vector<std::string> texts;
    for (const auto& line : SplitCrLf(bytes)) {
        std::smatch match;
        if (std::regex_search(line, match, head))
            texts.push_back(match.suffix());
        else
            texts.push_back("<bad head> " + line);
    }
    return texts;
}

}  // namespace

TEST(LogSink, IsOffWithoutReceiverAtStart)
{
    EXPECT_FALSE(g_Log.IsWindowFound());
    EXPECT_FALSE(g_bLogEnabled);
    // Nothing is formatted while logging is off: the shared buffer keeps what it held.
    std::strcpy(g_Log.m_szText, "untouched");
    LogF("formatted %d", 1);
    LogText("copied");
    LogEnter("TxTests::Enter");
    EXPECT_STREQ(g_Log.m_szText, "untouched");
    EXPECT_EQ(g_Log.Indent(), 0);

    ChildProcess probe;
    ASSERT_TRUE(probe.Start(ProbeCommand("log")));
    ASSERT_TRUE(probe.WaitPumping(30000));
    EXPECT_EQ(probe.ExitCode(), 10u) << "the probe found no receiver and must log nothing";
}

TEST(LogSink, ReceiverGetsTheExactLines)
{
    LogReceiver receiver;
    ASSERT_TRUE(receiver.IsOpen());
    ChildProcess probe;
    ASSERT_TRUE(probe.Start(ProbeCommand("log")));
    ASSERT_TRUE(probe.WaitPumping(30000));
    EXPECT_EQ(probe.ExitCode(), 11u);

    const DWORD tid = probe.MainThreadId();
    const char* module = "KvApi.DLL ";
    const std::vector<std::string> expected = {
        WindowLine(module, tid, 0, "TxProbe::Outer"),
        WindowLine(module, tid, 2, "TxProbe::Inner"),
        WindowLine(module, tid, 4, "abc"),
        WindowLine(module, tid, 4, "!value=42"),
        WindowLine(module, tid, 0, "done"),
        // The text buffer holds 2047 characters; the rest of a longer text is cut off.
        WindowLine(module, tid, 0, std::string(CLog::kBufferSize - 1, 'L')),
    };
    const auto& records = receiver.Records();
    ASSERT_EQ(records.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(records[i].dwData, 0u) << i;
        EXPECT_EQ(records[i].cbData, expected[i].size()) << i;
        EXPECT_EQ(records[i].bytes, expected[i]) << i;
    }
}

TEST(LogSink, ReceiverOpenedAfterStartSeesNothing)
{
    char ready[64], go[64];
    std::snprintf(ready, sizeof ready, "TxTestsProbeReady%lu",
                  static_cast<unsigned long>(::GetCurrentProcessId()));
    std::snprintf(go, sizeof go, "TxTestsProbeGo%lu", static_cast<unsigned long>(::GetCurrentProcessId()));
    const HANDLE readyEvent = ::CreateEventA(nullptr, TRUE, FALSE, ready);
    const HANDLE goEvent = ::CreateEventA(nullptr, TRUE, FALSE, go);
    ASSERT_TRUE(readyEvent && goEvent);

    ChildProcess probe;
    ASSERT_TRUE(probe.Start(ProbeCommand(std::string("late ") + ready + " " + go)));
    EXPECT_TRUE(testsupport::WaitPumping(readyEvent, 30000));
    LogReceiver receiver;
    ASSERT_TRUE(receiver.IsOpen());
    ::SetEvent(goEvent);
    ASSERT_TRUE(probe.WaitPumping(30000));
    EXPECT_EQ(probe.ExitCode(), 10u);
    EXPECT_TRUE(receiver.Records().empty());
    ::CloseHandle(readyEvent);
    ::CloseHandle(goEvent);
}

TEST(LogSink, BusyReceiverDoesNotHangTheLogger)
{
    LogReceiver receiver;
    ASSERT_TRUE(receiver.IsOpen());
    ChildProcess probe;
    ASSERT_TRUE(probe.Start(ProbeCommand("one")));
    // This thread dispatches nothing, so the line can never be received: the probe must give up.
    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(probe.WaitNotPumping(CLog::kSendTimeoutMs + 10000));
    std::printf("probe ended %lu ms after its start with an unresponsive receiver\n",
                static_cast<unsigned long>(::GetTickCount() - start));
    EXPECT_EQ(probe.ExitCode(), 11u);
    testsupport::PumpMessages();
}

TEST(LogSink, TimePrefix)
{
    struct Case {
        WORD year, month, day, hour, minute, second;
        const char* prefix;
    };
    const Case cases[] = {
        {2005, 12, 9, 8, 5, 3, "9.12.05 8:05:03 "},
        {2000, 1, 1, 0, 0, 0, "1.1.00 0:00:00 "},
        {2019, 10, 31, 23, 59, 59, "31.10.19 23:59:59 "},
        {2104, 2, 29, 12, 30, 7, "29.2.104 12:30:07 "},
    };
    for (const auto& c : cases) {
        SYSTEMTIME t{};
        t.wYear = c.year;
        t.wMonth = c.month;
        t.wDay = c.day;
        t.wHour = c.hour;
        t.wMinute = c.minute;
        t.wSecond = c.second;
        char text[64];
        const int n = CLog::FormatTimePrefix(t, text, sizeof text);
        EXPECT_STREQ(text, c.prefix);
        EXPECT_EQ(n, static_cast<int>(std::strlen(c.prefix)));
    }
}

TEST(LogSink, FileLinesAppendWithTimeAndThread)
{
    testsupport::TempFolder folder("log");
    const std::string path = folder / "test.log";
    ASSERT_TRUE(testsupport::WriteFileBytes(path, "earlier line\r\n"));
    SYSTEMTIME before, after;
    {
        LogFileSession session(path);
        ASSERT_TRUE(session.Opened());
        EXPECT_TRUE(g_bLogEnabled);
        ::GetLocalTime(&before);
        LogF("hello %d", 5);
        ::GetLocalTime(&after);
    }
    EXPECT_FALSE(g_bLogEnabled);
    LogText("not written: the file is closed");

    const std::string bytes = testsupport::ReadFileBytes(path);
    const std::string tail = Hex8(::GetCurrentThreadId()) + "       hello 5\r\n";
    char prefix1[64], prefix2[64];
    CLog::FormatTimePrefix(before, prefix1, sizeof prefix1);
    CLog::FormatTimePrefix(after, prefix2, sizeof prefix2);
    const std::string expected1 = "earlier line\r\n" + std::string(prefix1) + tail;
    const std::string expected2 = "earlier line\r\n" + std::string(prefix2) + tail;
    EXPECT_TRUE(bytes == expected1 || bytes == expected2) << bytes;
}

TEST(LogSink, FileLinesSplitWrapAndIndent)
{
    testsupport::TempFolder folder("log");
    const std::string path = folder / "split.log";
    {
        LogFileSession session(path);
        ASSERT_TRUE(session.Opened());
        LogText("one\r\ntwo\rthree\n");
        LogText((std::string(60, 'a') + " " + std::string(30, 'b')).c_str());
        LogText(std::string(100, 'x').c_str());
        LogEnter("TxTests::Outer");
        LogText("inside");
        LogLeave();
        LogText(std::string(3000, 'y').c_str());
    }
    const std::vector<std::string> expected = {
        // A CR before an LF becomes a blank; a lone CR ends a line; a final LF leaves an empty line.
        "one ",
        "two",
        "three",
        "",
        // Cut after the last blank at or before column 78, continued behind two blanks.
        std::string(60, 'a') + " ",
        "  " + std::string(30, 'b'),
        // No blank in reach: cut after 79 characters.
        std::string(79, 'x'),
        "  " + std::string(21, 'x'),
        "TxTests::Outer",
        "  inside",
    };
    const auto texts = FileLineTexts(testsupport::ReadFileBytes(path));
    ASSERT_GE(texts.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(texts[i], expected[i]) << i;
    // The over-long text arrives cut to the buffer, wrapped into lines of at most 80 columns.
    size_t ys = 0;
    for (size_t i = expected.size(); i < texts.size(); ++i) {
        EXPECT_LE(texts[i].size(), 80u) << i;
        for (char c : texts[i])
            ys += c == 'y';
    }
    EXPECT_GT(ys, 0u);
    EXPECT_LE(ys, static_cast<size_t>(CLog::kBufferSize - 1));
}

TEST(LogSink, LastErrorLineKeepsTheError)
{
    testsupport::TempFolder folder("log");
    const std::string path = folder / "error.log";
    char systemText[1024] = "";
    ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     ERROR_FILE_NOT_FOUND, 0x400, systemText, sizeof systemText, nullptr);
    std::string trimmed = systemText;
    while (!trimmed.empty() && (trimmed.back() == '\n' || trimmed.back() == '\r' || trimmed.back() == ' '))
        trimmed.pop_back();
    {
        LogFileSession session(path);
        ASSERT_TRUE(session.Opened());
        ::SetLastError(ERROR_FILE_NOT_FOUND);
        LogLastErrorF("!open %s", "x.dat");
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
        LogF("after");
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    }
    const auto texts = FileLineTexts(testsupport::ReadFileBytes(path));
    const std::vector<std::string> expected = {"!open x.dat", trimmed, "after"};
    EXPECT_EQ(texts, expected);
}

TEST(LogSink, IndentStopsAtFortyAndNeverGoesBelowZero)
{
    g_Log.Lock();
    for (int i = 0; i < 21; ++i)
        g_Log.Enter("TxTests::Nested");
    EXPECT_EQ(g_Log.Indent(), CLog::kMaxIndent);
    for (int i = 0; i < 25; ++i)
        g_Log.Leave();
    EXPECT_EQ(g_Log.Indent(), 0);
    g_Log.Unlock();
}
