#include "UninstallStart.h"

#include "UTxLog.h"
#include "Udelfile.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The program's own path; empty when it does not fit MAX_PATH.
std::string ProgramPath()
{
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof(path));
    if (length == 0 || length >= sizeof(path)) return std::string();
    return std::string(path, length);
}

}  // namespace

std::string CommandLineParameters(const char* commandLine)
{
    if (!commandLine) return std::string();
    const char* p = commandLine;
    while (IsBlank(*p))
        ++p;
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (*p == '"') ++p;
    }
    while (*p && !IsBlank(*p))
        ++p;  // the rest of the program token
    std::string rest(p);
    const size_t first = rest.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const size_t last = rest.find_last_not_of(" \t");
    rest = rest.substr(first, last - first + 1);
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') rest = rest.substr(1, rest.size() - 2);
    return rest;
}

std::string CopyCommandLine(const std::string& copyPath, const std::string& programFolder)
{
    return "\"" + copyPath + "\" " + programFolder;
}

std::string ProgramFolder()
{
    const std::string path = ProgramPath();
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool RestartFromTempCopy()
{
    if (!CommandLineParameters(::GetCommandLineA()).empty()) return false;
    const std::string program = ProgramPath();
    const std::string folder = ProgramFolder();
    if (program.empty() || folder.empty()) return false;

    char tempFolder[MAX_PATH] = {};
    const DWORD length = ::GetTempPathA(sizeof(tempFolder), tempFolder);
    if (length == 0 || length >= sizeof(tempFolder)) return false;
    char copy[MAX_PATH] = {};
    if (!::GetTempFileNameA(tempFolder, "DKV", 0, copy)) return false;

    if (!::CopyFileA(program.c_str(), copy, FALSE)) {
        LogLastErrorF("RestartFromTempCopy: cannot copy %s to %s", program.c_str(), copy);
        ::DeleteFileA(copy);
        return false;
    }
    DeleteFileAtReboot(copy);

    std::string commandLine = CopyCommandLine(copy, folder);
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        LogLastErrorF("RestartFromTempCopy: cannot start %s", copy);
        ::DeleteFileA(copy);
        return false;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}
