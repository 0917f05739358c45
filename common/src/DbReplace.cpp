// Replacing a database file: the probe before, the clearing of old temporary files after.
#include "DbReplace.h"

#include <windows.h>

#include <cctype>
#include <cstring>
#include <string>

#include "UTxLog.h"
#include "UTxTime.h"
#include "UTxUtils.h"

namespace {

// A save writes its temporary file in well under this; one older was left by a save that died.
constexpr ULONGLONG kStaleAge = 60ull * 10000000ull;  // one minute in FILETIME units

// True when `text` is one or more hexadecimal digits.
bool IsHexRun(const std::string& text)
{
    if (text.empty()) return false;
    for (const char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

// Whether `name` is "<targetName>.<hex>-<hex>.tmp", ignoring case as the file system does.
bool IsPendingNameOf(const std::string& name, const std::string& targetName)
{
    static const char kSuffix[] = ".tmp";
    const size_t suffixLength = sizeof(kSuffix) - 1;
    if (name.size() < targetName.size() + 1 + suffixLength) return false;
    if (_strnicmp(name.c_str(), targetName.c_str(), targetName.size()) != 0) return false;
    if (name[targetName.size()] != '.') return false;
    if (_stricmp(name.c_str() + name.size() - suffixLength, kSuffix) != 0) return false;
    const std::string middle =
        name.substr(targetName.size() + 1, name.size() - targetName.size() - 1 - suffixLength);
    const size_t dash = middle.find('-');
    return dash != std::string::npos && IsHexRun(middle.substr(0, dash)) && IsHexRun(middle.substr(dash + 1));
}

}  // namespace

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

int DbRemoveStaleTempFiles(const char* target)
{
    const std::string targetPath = target ? target : "";
    const size_t cut = targetPath.find_last_of("\\/");
    const std::string folder = cut == std::string::npos ? std::string() : targetPath.substr(0, cut + 1);
    const std::string targetName = cut == std::string::npos ? targetPath : targetPath.substr(cut + 1);
    if (targetName.empty()) return 0;

    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const ULONGLONG nowValue = FileTimeUnits(now);
    int removed = 0;
    WIN32_FIND_DATAA entry;
    // The mask also finds names that merely match through their short forms; the exact test decides.
    FindHandle find(::FindFirstFileA((targetPath + ".*.tmp").c_str(), &entry));
    if (!find) return 0;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (!IsPendingNameOf(entry.cFileName, targetName)) continue;
        const ULONGLONG written = FileTimeUnits(entry.ftLastWriteTime);
        if (written > nowValue || nowValue - written <= kStaleAge) continue;
        const std::string path = folder + entry.cFileName;
        if (::DeleteFileA(path.c_str())) {
            LogF("a temporary file left by an ended save was removed: %s", path.c_str());
            ++removed;
        } else {
            LogLastErrorF("!a temporary file left by an ended save cannot be removed: %s", path.c_str());
        }
    } while (::FindNextFileA(find.get(), &entry));
    return removed;
}
