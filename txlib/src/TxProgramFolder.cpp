#include <windows.h>

#include "UTxDiskApi.h"

std::string TxProgramFolder()
{
    // One character more than the longest path the call can give, so a path that fills the buffer
    // shows as cut rather than being taken for whole.
    char path[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return std::string();
    const std::string whole(path, length);
    const std::string::size_type slash = whole.find_last_of('\\');
    if (slash == std::string::npos) return std::string();
    return whole.substr(0, slash + 1);
}

std::string TxProgramFile(const char* name)
{
    const std::string folder = TxProgramFolder();
    return folder.empty() ? std::string() : folder + name;
}
