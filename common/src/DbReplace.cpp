// Replacing a database file: the probe before.
#include "DbReplace.h"

#include <windows.h>

#include "UTxLog.h"
#include "UTxUtils.h"

bool DbTargetIsReplaceable(const char* path)
{
    // Opening for DELETE with every sharing allowed fails exactly while some handle lacks
    // FILE_SHARE_DELETE, which is what would make MoveFileEx over the file fail.
    FileHandle probe(::CreateFileA(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (probe) return true;
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return true;
    ::SetLastError(error);
    LogLastErrorF("!%s cannot be replaced now", path);
    return false;
}
