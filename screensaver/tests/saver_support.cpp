#include "saver_support.h"

#include "KvTestSupport.h"

#include <sstream>

namespace savertest {

std::string Key(const char* section)
{
    return std::string(kSettingsKey) + "\\" + section;
}

void ClearAll()
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSetupKey);
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kLanguageKey);
    ::DeleteFileA((StubFolder() + "\\calls.txt").c_str());
}

void WriteDword(HKEY root, const std::string& subkey, const char* name, DWORD value)
{
    ::RegSetKeyValueA(root, subkey.c_str(), name, REG_DWORD, &value, sizeof(value));
}

void WriteText(HKEY root, const std::string& subkey, const char* name, const std::string& text)
{
    ::RegSetKeyValueA(root, subkey.c_str(), name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

DWORD ReadDword(HKEY root, const std::string& subkey, const char* name, DWORD fallback)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegGetValueA(root, subkey.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return fallback;
    return value;
}

std::string StubFolder()
{
    return testsupport::ExeFolder() + "stub-engine";
}

void UseStubEngine()
{
    WriteText(HKEY_LOCAL_MACHINE, kSetupKey, "InstalledPrgDir", StubFolder());
}

std::vector<std::string> StubCalls()
{
    std::vector<std::string> calls;
    std::istringstream text(testsupport::ReadFileBytes(StubFolder() + "\\calls.txt"));
    std::string line;
    while (std::getline(text, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        calls.push_back(line);
    }
    return calls;
}

int CountCalls(const std::vector<std::string>& calls, const std::string& prefix)
{
    int count = 0;
    for (const std::string& call : calls)
        if (call.compare(0, prefix.size(), prefix) == 0) ++count;
    return count;
}

int FindCall(const std::vector<std::string>& calls, const std::string& prefix, int from)
{
    for (int i = from; i < static_cast<int>(calls.size()); ++i)
        if (calls[i].compare(0, prefix.size(), prefix) == 0) return i;
    return -1;
}

std::string SaverCommand(const std::string& arguments)
{
    return "\"" + testsupport::ExeFolder() + "Kestrova.scr\" " + arguments;
}

}  // namespace savertest
