#include "saver_support.h"

#include "KvTestRegistry.h"
#include "KvTestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace savertest {

std::string Key(const char* section)
{
    return std::string(kSettingsKey) + "\\" + section;
}

void ClearAll()
{
    EXPECT_TRUE(testsupport::DeleteRegTree(HKEY_CURRENT_USER, kSettingsKey)) << "the settings key stays";
    EXPECT_TRUE(testsupport::DeleteRegTree(HKEY_LOCAL_MACHINE, kSetupKey)) << "the setup key stays";
    EXPECT_TRUE(testsupport::DeleteRegTree(HKEY_LOCAL_MACHINE, kLanguageKey)) << "the language key stays";
    ::DeleteFileA((StubFolder() + "\\calls.txt").c_str());
}

void WriteDword(HKEY root, const std::string& subkey, const char* name, DWORD value)
{
    EXPECT_TRUE(testsupport::WriteRegDword(root, subkey, name, value)) << subkey << " " << name;
}

void WriteText(HKEY root, const std::string& subkey, const char* name, const std::string& text)
{
    EXPECT_TRUE(testsupport::WriteRegValue(root, subkey, name, REG_SZ, testsupport::TextData(text)))
        << subkey << " " << name;
}

DWORD ReadDword(HKEY root, const std::string& subkey, const char* name, DWORD fallback)
{
    const testsupport::RegValue value = testsupport::ReadRegValue(root, subkey, name);
    if (!value.exists || value.type != REG_DWORD || value.bytes.size() != sizeof(DWORD)) return fallback;
    return value.Dword();
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
