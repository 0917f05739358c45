// TxPendingFile: a file written beside its target that replaces the target only when complete.
#include "UTxDiskApi.h"
#include "UTxLog.h"
#include "UTxTime.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// A save writes its temporary file in well under this; one older was left by a save that died.
constexpr ULONGLONG kStaleAge = 60ull * 10000000ull;  // one minute in FILETIME units

// Every writer gets a name of its own (process and a per-process count): with one shared name,
// a second writer would be refused while the first wrote, could truncate the first's finished
// file before its move, or delete it when giving up.
TxString TempPathFor(const char* target)
{
    static volatile LONG s_lCount = 0;
    char suffix[40];
    std::snprintf(suffix, sizeof(suffix), ".%lx-%lx.tmp", static_cast<unsigned long>(::GetCurrentProcessId()),
                  static_cast<unsigned long>(::InterlockedIncrement(&s_lCount)));
    TxString path(target);
    path.Append(suffix);
    return path;
}

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
    if (targetName.empty() || name.size() < targetName.size() + 1 + suffixLength) return false;
    if (_strnicmp(name.c_str(), targetName.c_str(), targetName.size()) != 0) return false;
    if (name[targetName.size()] != '.') return false;
    if (_stricmp(name.c_str() + name.size() - suffixLength, kSuffix) != 0) return false;
    const std::string middle =
        name.substr(targetName.size() + 1, name.size() - targetName.size() - 1 - suffixLength);
    const size_t dash = middle.find('-');
    return dash != std::string::npos && IsHexRun(middle.substr(0, dash)) && IsHexRun(middle.substr(dash + 1));
}

// The writer a pending name was made by: the hexadecimal process id before its dash.
unsigned long WriterOf(const std::string& name, size_t targetNameLength)
{
    return std::strtoul(name.c_str() + targetNameLength + 1, nullptr, 16);
}

// Whether the process that wrote a pending file has ended: its file then belongs to no save. Only a
// process that surely does not run counts; one that cannot be asked (another user's) still runs.
bool WriterHasEnded(unsigned long processId)
{
    if (processId == ::GetCurrentProcessId()) return false;
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(processId));
    if (!process) return ::GetLastError() == ERROR_INVALID_PARAMETER;
    const bool ended = ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    ::CloseHandle(process);
    return ended;
}

}  // namespace

TxPendingFile::TxPendingFile(const char* targetPath)
    : m_sTarget(targetPath), m_sTempPath(TempPathFor(targetPath)),
      m_pFile(std::make_unique<TxFile>(m_sTempPath.GetText(), false, true))
{
}

TxPendingFile::~TxPendingFile()
{
    if (m_bCommitted || m_bKept) return;
    m_pFile.reset();
    ::DeleteFileA(m_sTempPath.GetText());
}

bool TxPendingFile::Close()
{
    if (!m_pFile) return true;
    try {
        m_pFile->Flush();
    } catch (const TxException& e) {
        LogF("!TxPendingFile: %s not saved: %s", m_sTarget.GetText(), e.Message());
        return false;
    }
    m_pFile.reset();
    return true;
}

bool TxPendingFile::Commit()
{
    if (m_bCommitted) return true;
    if (!Close()) return false;
    if (!::MoveFileExA(m_sTempPath.GetText(), m_sTarget.GetText(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        LogLastErrorF("!TxPendingFile::Commit: %s could not replace %s", m_sTempPath.GetText(),
                      m_sTarget.GetText());
        return false;
    }
    m_bCommitted = true;
    RemoveStale(m_sTarget.GetText());
    return true;
}

bool TxPendingFile::IsTempPathOf(const char* path, const char* target)
{
    if (!path || !target || !target[0]) return false;
    const size_t targetLength = std::strlen(target);
    // Beside the target: the same folder, so the name alone decides.
    if (_strnicmp(path, target, targetLength) != 0) return false;
    const std::string targetText = target;
    const size_t cut = targetText.find_last_of("\\/");
    const size_t nameStart = cut == std::string::npos ? 0 : cut + 1;
    return IsPendingNameOf(std::string(path).substr(nameStart), targetText.substr(nameStart));
}

int TxPendingFile::RemoveStale(const char* target)
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
        const bool old = written <= nowValue && nowValue - written > kStaleAge;
        if (!old && !WriterHasEnded(WriterOf(entry.cFileName, targetName.size()))) continue;
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
