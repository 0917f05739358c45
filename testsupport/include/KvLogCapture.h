// The log sent to a file for a while, for tests that check the lines a program writes.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "KvTestSupport.h"
#include "UTxLog.h"

namespace testsupport {

// Sends the log to a file of its own for the lifetime of the object; a test fails when the file
// cannot be opened.
class LogCapture {
public:
    LogCapture()
    {
        char folder[MAX_PATH] = {};
        ::GetTempPathA(sizeof(folder), folder);
        m_sPath = std::string(folder) + "kv_log_capture_" + std::to_string(::GetCurrentProcessId()) + ".log";
        EXPECT_TRUE(g_Log.OpenFile(m_sPath.c_str())) << m_sPath;
    }
    ~LogCapture()
    {
        g_Log.CloseFile();
        ::DeleteFileA(m_sPath.c_str());
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Closes the file and returns its whole text.
    std::string Text()
    {
        g_Log.CloseFile();
        return ReadFileBytes(m_sPath);
    }

private:
    std::string m_sPath;
};

}  // namespace testsupport
