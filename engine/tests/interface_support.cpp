#include "interface_support.h"

#include <cstring>

#include "KvTestSupport.h"
#include "UTxUtils.h"

namespace interface_test {

namespace {
constexpr const char* kLanguageKey = "Software\\Dalvex\\Kestrova\\Language";

HKEY OpenLanguageKey(REGSAM access, bool create)
{
    HKEY key = nullptr;
    const LONG rc = create ? ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kLanguageKey, 0, nullptr, 0, access,
                                               nullptr, &key, nullptr)
                           : ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLanguageKey, 0, access, &key);
    return rc == ERROR_SUCCESS ? key : nullptr;
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
    run.finished = ::WaitForSingleObject(process.get(), timeoutMs) == WAIT_OBJECT_0;
    if (!run.finished) ::TerminateProcess(process.get(), 99);
    ::GetExitCodeProcess(process.get(), &run.exitCode);
    return run;
}

LanguageValues::LanguageValues()
{
    RegKey key(OpenLanguageKey(KEY_READ, false));
    m_bKeyExisted = static_cast<bool>(key);
}

LanguageValues::~LanguageValues()
{
    RemoveAll();
    if (!m_bKeyExisted) RemoveKey();
}

void LanguageValues::SetText(const char* name, const std::string& text)
{
    RegKey key(OpenLanguageKey(KEY_WRITE, true));
    ::RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1));
    m_Names.push_back(name);
}

void LanguageValues::SetUnterminated(const char* name, const std::string& text)
{
    RegKey key(OpenLanguageKey(KEY_WRITE, true));
    // The registry adds the zero that a caller left out when one follows the data in memory, so a
    // byte that is not zero follows it here.
    const std::string followed = text + 'X';
    ::RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(followed.data()),
                     static_cast<DWORD>(text.size()));
    m_Names.push_back(name);
}

void LanguageValues::SetExpandText(const char* name, const std::string& text)
{
    RegKey key(OpenLanguageKey(KEY_WRITE, true));
    ::RegSetValueExA(key.get(), name, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1));
    m_Names.push_back(name);
}

void LanguageValues::SetDword(const char* name, DWORD value)
{
    RegKey key(OpenLanguageKey(KEY_WRITE, true));
    ::RegSetValueExA(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    m_Names.push_back(name);
}

void LanguageValues::RemoveAll()
{
    RegKey key(OpenLanguageKey(KEY_WRITE, false));
    if (key)
        for (const std::string& name : m_Names)
            ::RegDeleteValueA(key.get(), name.c_str());
    m_Names.clear();
}

bool LanguageValues::RemoveKey()
{
    {
        RegKey key(OpenLanguageKey(KEY_READ, false));
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
