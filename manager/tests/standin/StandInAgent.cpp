// Stands in for KvAgent.exe beside the Manager in its tests: records that it was started and with
// which arguments, then ends.
#include <windows.h>

#include <string>

namespace {

constexpr const char* kRecordKey = "Software\\Dalvex\\KestrovaTest\\StandInAgent";

// The command line without the program's own name, as the Agent's WinMain would get it.
std::string Arguments()
{
    const char* line = ::GetCommandLineA();
    if (*line == '"') {
        ++line;
        while (*line && *line != '"')
            ++line;
        if (*line) ++line;
    } else {
        while (*line && *line != ' ')
            ++line;
    }
    while (*line == ' ')
        ++line;
    return line;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kRecordKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return 1;
    DWORD starts = 0;
    DWORD size = sizeof starts;
    ::RegQueryValueExA(key, "Starts", nullptr, nullptr, reinterpret_cast<BYTE*>(&starts), &size);
    ++starts;
    const std::string arguments = Arguments();
    ::RegSetValueExA(key, "Arguments", 0, REG_SZ, reinterpret_cast<const BYTE*>(arguments.c_str()),
                     static_cast<DWORD>(arguments.size() + 1));
    ::RegSetValueExA(key, "Starts", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&starts), sizeof starts);
    ::RegCloseKey(key);
    return 0;
}
