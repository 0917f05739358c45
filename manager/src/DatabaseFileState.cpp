#include "DatabaseFileState.h"

#include "UTxLog.h"

namespace manager {

DatabaseFileState ProbeDatabaseFile(const char* path, DWORD waitMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        const HANDLE file =
            ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            ::CloseHandle(file);
            return DatabaseFileState::Readable;
        }
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return DatabaseFileState::Missing;
        const bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
        if (!busy || ::GetTickCount() - start >= waitMs) {
            ::SetLastError(error);
            LogLastErrorF("!%s cannot be opened for reading", path);
            return DatabaseFileState::Unreadable;
        }
        ::Sleep(100);
    }
}

}  // namespace manager
