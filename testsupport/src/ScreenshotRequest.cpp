#include <windows.h>

#include <fstream>

#include "KvTestSupport.h"

namespace testsupport {

void AwaitScreenshot(const std::string& name)
{
    char path[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableA("KV_SHOT_REQUEST", path, sizeof path);
    if (length == 0 || length >= sizeof path) return;
    {
        // Written under another name and moved, so the script never reads half a name.
        const std::string partial = std::string(path) + ".new";
        std::ofstream request(partial, std::ios::binary);
        request << name << "\n";
        request.close();
        if (!::MoveFileExA(partial.c_str(), path, MOVEFILE_REPLACE_EXISTING)) return;
    }
    PumpUntil([&] { return !PathExists(path); }, 30000);
}

}  // namespace testsupport
