// Helpers of the engine interface's tests: probe programs with their output, \Language values.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace interface_test {

struct ProgramRun {
    bool started = false;
    bool finished = false;
    DWORD exitCode = 0;
    std::string output;  // what it wrote to stdout
};
// Starts a program of the test folder with the arguments and waits for it, collecting its output;
// the wait is stretched by the suite's time factor.
ProgramRun RunProgram(const std::string& name, const std::string& arguments, DWORD timeoutMs = 30000);

// The engine's texts under HKLM \Language; the values set are removed again at the end.
class LanguageValues {
public:
    LanguageValues();
    ~LanguageValues();
    LanguageValues(const LanguageValues&) = delete;
    LanguageValues& operator=(const LanguageValues&) = delete;

    void SetText(const char* name, const std::string& text);
    // A REG_SZ stored exactly as given, without a terminating zero.
    void SetUnterminated(const char* name, const std::string& text);
    void SetExpandText(const char* name, const std::string& text);  // REG_EXPAND_SZ
    void SetDword(const char* name, DWORD value);
    // A value that someone else (a probe) writes, removed at the end too.
    void Track(const char* name) { m_Names.push_back(name); }
    void RemoveAll();
    // Removes the key itself when nothing else lives in it; false when other values are there.
    bool RemoveKey();

private:
    void Set(const char* name, DWORD type, const std::string& bytes);

    std::vector<std::string> m_Names;
    bool m_bKeyExisted = false;
};

}  // namespace interface_test
