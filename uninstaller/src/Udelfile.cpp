#include "Udelfile.h"

#include "UTxDiskApi.h"
#include "UTxLog.h"
#include "UTxStrings.h"

#include <vector>

bool ForceDeleteFile(const char* path)
{
    const DWORD attributes = ::GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        ::SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
    return ::DeleteFileA(path) != FALSE;
}

std::string AddRenameEntry(const std::string& text, const char* path)
{
    TxString result(text.c_str());
    const char* header = "[rename]";
    const int position = result.Find(header, true);
    if (position > 0) {
        TxString line("\r\nNUL=");
        line.Append(path);
        result.Insert(line, position + 8);
    } else {
        TxString lines("[rename]\r\nNUL=");
        lines.Append(path);
        lines.Append("\r\n");
        result.Insert(lines, 1);
    }
    return result.GetText();
}

namespace {

std::string ReadWholeFile(const std::string& path)
{
    TxFile file(path.c_str(), true, false);
    const DWORD size = file.GetSize();
    std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
    if (size > 0) file.ReadExact(buffer.data(), size);
    return std::string(buffer.data());
}

// Writes the new text completely beside the file before the old one is given up, so a failure on the
// way leaves the pending renames of other programs in place. MoveFileExA cannot be used to replace
// the file: this runs only where the system lacks it.
bool ReplaceWholeFile(const std::string& path, const std::string& text)
{
    const std::string fresh = path + ".new";
    const std::string old = path + ".old";
    {
        TxFile file(fresh.c_str(), false, true);
        file.Write(text.data(), static_cast<DWORD>(text.size()));
        file.Flush();
    }
    ::DeleteFileA(old.c_str());
    if (!::MoveFileA(path.c_str(), old.c_str())) {
        ::DeleteFileA(fresh.c_str());
        return false;
    }
    if (!::MoveFileA(fresh.c_str(), path.c_str())) {
        ::MoveFileA(old.c_str(), path.c_str());
        ::DeleteFileA(fresh.c_str());
        return false;
    }
    ::DeleteFileA(old.c_str());
    return true;
}

}  // namespace

bool ScheduleDeleteAtReboot(const char* path, MoveFileExFn moveFileEx, const std::string& windowsFolder)
{
    if (moveFileEx) return moveFileEx(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
    const std::string iniPath = windowsFolder + "\\WinInit.Ini";
    try {
        return ReplaceWholeFile(iniPath, AddRenameEntry(ReadWholeFile(iniPath), path));
    } catch (const TxException& e) {
        // Without a readable and writable WinInit.Ini there is no way left to schedule the deletion.
        LogF("DeleteFileAtReboot: %s not scheduled: %s", path, e.Message());
        return false;
    }
}

void DeleteFileAtReboot(char* path)
{
    const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    const auto moveFileEx =
        kernel
            ? reinterpret_cast<MoveFileExFn>(reinterpret_cast<void*>(::GetProcAddress(kernel, "MoveFileExA")))
            : nullptr;
    char windows[MAX_PATH] = {};
    const UINT length = ::GetWindowsDirectoryA(windows, sizeof(windows));
    if (length == 0 || length >= sizeof(windows)) windows[0] = '\0';
    ScheduleDeleteAtReboot(path, moveFileEx, windows);
}
