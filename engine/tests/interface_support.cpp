#include "interface_support.h"

#include <gtest/gtest.h>

#include <cstring>

#include "KvTestRegistry.h"
#include "KvTestSupport.h"
#include "UTxUtils.h"
#include "Uregistryroot.h"

namespace interface_test {

namespace {
constexpr const char* kLanguageKey = KV_REG_ROOT "\\Language";

HKEY OpenLanguageKey()
{
    HKEY key = nullptr;
    return ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLanguageKey, 0, KEY_READ, &key) == ERROR_SUCCESS ? key
                                                                                                 : nullptr;
}
}  // namespace

ProgramRun RunProgram(const std::string& name, const std::string& arguments, DWORD timeoutMs)
{
    ProgramRun run;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
    Handle reader(readEnd);
    Handle writer(writeEnd);
    ::SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);

    const std::string path = testsupport::ExeFolder() + name;
    std::string commandLine = "\"" + path + "\" " + arguments;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writer.get();
    si.hStdError = writer.get();
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                          testsupport::ExeFolder().c_str(), &si, &pi))
        return run;
    run.started = true;
    Handle process(pi.hProcess);
    Handle thread(pi.hThread);
    writer.reset();  // the child holds the only write end now, so the read ends when it exits

    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(reader.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        run.output.append(buffer, got);
    run.finished = ::WaitForSingleObject(process.get(), testsupport::ScaledMs(timeoutMs)) == WAIT_OBJECT_0;
    if (!run.finished) ::TerminateProcess(process.get(), 99);
    ::GetExitCodeProcess(process.get(), &run.exitCode);
    return run;
}

LanguageValues::LanguageValues()
{
    RegKey key(OpenLanguageKey());
    m_bKeyExisted = static_cast<bool>(key);
}

LanguageValues::~LanguageValues()
{
    RemoveAll();
    if (!m_bKeyExisted) RemoveKey();
}

void LanguageValues::Set(const char* name, DWORD type, const std::string& bytes)
{
    EXPECT_TRUE(testsupport::WriteRegValue(HKEY_LOCAL_MACHINE, kLanguageKey, name, type, bytes)) << name;
    m_Names.push_back(name);
}

void LanguageValues::SetText(const char* name, const std::string& text)
{
    Set(name, REG_SZ, testsupport::TextData(text));
}

void LanguageValues::SetUnterminated(const char* name, const std::string& text)
{
    Set(name, REG_SZ, text);
}

void LanguageValues::SetExpandText(const char* name, const std::string& text)
{
    Set(name, REG_EXPAND_SZ, testsupport::TextData(text));
}

void LanguageValues::SetDword(const char* name, DWORD value)
{
    Set(name, REG_DWORD, testsupport::DwordData(value));
}

void LanguageValues::RemoveAll()
{
    for (const std::string& name : m_Names)
        EXPECT_TRUE(testsupport::DeleteRegValue(HKEY_LOCAL_MACHINE, kLanguageKey, name.c_str())) << name;
    m_Names.clear();
}

bool LanguageValues::RemoveKey()
{
    {
        RegKey key(OpenLanguageKey());
        if (!key) return true;
        DWORD values = 0;
        DWORD subkeys = 0;
        ::RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                           nullptr, nullptr, nullptr);
        if (values != 0 || subkeys != 0) return false;
    }
    return ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kLanguageKey) == ERROR_SUCCESS;
}

}  // namespace interface_test
