// Directory traversal for the scans.
#include "DbFolderWalk.h"

#include <cctype>
#include <cstring>
#include <set>
#include <tuple>

#include "UDatabase.h"
#include "UTxDiskApi.h"
#include "UTxLog.h"
#include "UTxUtils.h"

namespace {

// Deeper than any real photo collection; a file system that gives directories no identity cannot
// make a loop of links run on for ever.
constexpr int kMaxFolderDepth = 64;

// A directory as the file system knows it, whatever path led there.
struct DirectoryId {
    DWORD volume;
    ULONGLONG index;
    bool operator<(const DirectoryId& other) const
    {
        return std::tie(volume, index) < std::tie(other.volume, other.index);
    }
};

// The file index alone, through the file system's internal information: GetFileInformationByHandle
// would ask the volume for its serial each time as well, which costs a scan of a thousand folders
// several times its search under Wine.
class FileIndexReader {
public:
    FileIndexReader()
        : m_Query(reinterpret_cast<QueryInformationFile>(reinterpret_cast<void*>(
              ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryInformationFile"))))
    {
    }
    // 0 when the file system gives none.
    ULONGLONG Read(HANDLE file) const
    {
        struct InternalInformation {
            LARGE_INTEGER index;
        } information{};
        struct {
            LONG_PTR status;
            ULONG_PTR information;
        } io{};
        constexpr ULONG kFileInternalInformation = 6;
        if (!m_Query || m_Query(file, &io, &information, sizeof information, kFileInternalInformation) < 0)
            return 0;
        return static_cast<ULONGLONG>(information.index.QuadPart);
    }

private:
    using QueryInformationFile = LONG(WINAPI*)(HANDLE, void*, void*, ULONG, ULONG);
    QueryInformationFile m_Query;
};

// False when the file system gives the directory no usable identity. `volume` is the serial of the
// walk's volume: no junction or other reparse point is entered, so every directory of one walk lies
// on the volume of its root.
bool ReadDirectoryId(const TxString& directory, const FileIndexReader& reader, DWORD volume, DirectoryId& id)
{
    // No access right is needed to ask for the identity; backup semantics let a directory be opened.
    FileHandle handle(::CreateFileA(directory.GetText(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) return false;
    const ULONGLONG index = reader.Read(handle.get());
    if (index == 0) return false;
    id = {volume, index};
    return true;
}

// The serial of the volume that holds `directory`; 0 when it cannot be read.
DWORD VolumeSerialOf(const TxString& directory)
{
    FileHandle handle(::CreateFileA(directory.GetText(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!handle || !::GetFileInformationByHandle(handle.get(), &info)) return 0;
    return info.dwVolumeSerialNumber;
}

// A junction or symbolic link leads elsewhere, often back up the tree. Other reparse points (cloud
// placeholders) are ordinary folders of the user's; a search that reports no tag says nothing, so
// the entry counts as a link.
bool IsLinkEntry(const WIN32_FIND_DATAA& entry)
{
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    return entry.dwReserved0 == 0 || IsReparseTagNameSurrogate(entry.dwReserved0);
}

class FolderWalk {
public:
    FolderWalk(const TxString& root, const ImageDirectoryVisit& visit)
        : m_Visit(visit), m_Volume(VolumeSerialOf(root))
    {
    }

    void Walk(const TxString& directory, bool includeSubfolders, int depth);
    // False, with a log line, when the directory was entered before by another path.
    bool FirstEntry(const TxString& directory);

private:
    const ImageDirectoryVisit& m_Visit;
    const FileIndexReader m_IndexReader;
    const DWORD m_Volume;
    std::set<DirectoryId> m_Entered;
};

bool FolderWalk::FirstEntry(const TxString& directory)
{
    DirectoryId id;
    if (!ReadDirectoryId(directory, m_IndexReader, m_Volume, id)) return true;
    if (m_Entered.insert(id).second) return true;
    LogF("Skipping a directory searched before through another path: %s", directory.GetText());
    return false;
}

void FolderWalk::Walk(const TxString& directory, bool includeSubfolders, int depth)
{
    std::vector<CScannedImage> images;
    std::vector<TxString> subdirectories;
    {
        // Closed before the recursion, so a deep tree holds one search handle at a time.
        TxFindFile find;
        if (find.FindFirst(directory.GetText(), "*")) {
            do {
                const WIN32_FIND_DATAA& entry = find.FindData();
                if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    if (!includeSubfolders || find.IsDotDirectory()) continue;
                    const TxString subdirectory = JoinDirectory(directory, entry.cFileName);
                    if (IsLinkEntry(entry))
                        LogF("Skipping a linked directory: %s", subdirectory.GetText());
                    else
                        subdirectories.push_back(subdirectory);
                    continue;
                }
                if (!IsJpegFileName(entry.cFileName)) continue;
                // The ANSI name of a file whose Unicode name the code page lacks carries '?', which
                // no file name may hold: such a file could never be opened again.
                if (std::strchr(entry.cFileName, '?')) {
                    LogF("Skipping a file whose name the ANSI code page cannot represent: %s\\%s",
                         directory.GetText(), entry.cFileName);
                    continue;
                }
                // The engine opens images by their ANSI path, which the system bounds: a longer one
                // would be listed and never shown.
                const size_t pathLength =
                    static_cast<size_t>(JoinDirectory(directory, entry.cFileName).GetLength());
                if (pathLength >= MAX_PATH) {
                    LogF("Skipping a file whose path is longer than %d characters: %s\\%s", MAX_PATH - 1,
                         directory.GetText(), entry.cFileName);
                    continue;
                }
                CScannedImage image;
                image.Name.Assign(entry.cFileName);
                image.LastWriteTime = entry.ftLastWriteTime;
                image.FileSizeLow = entry.nFileSizeLow;
                image.FileSizeHigh = entry.nFileSizeHigh;
                images.push_back(std::move(image));
            } while (find.FindNext());
        } else {
            LogF("Cannot search the directory: %s", directory.GetText());
        }
    }
    for (const TxString& subdirectory : subdirectories) {
        if (depth >= kMaxFolderDepth) {
            LogF("!Not searched, deeper than %d levels below the image folder: %s", kMaxFolderDepth,
                 subdirectory.GetText());
            continue;
        }
        if (FirstEntry(subdirectory)) Walk(subdirectory, true, depth + 1);
    }
    m_Visit(directory, images);
}

}  // namespace

bool IsAbsoluteFolderPath(const char* path)
{
    if (!path) return false;
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    if (std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && separator(path[2]))
        return true;
    // A UNC path: two backslashes, then the server's name.
    return path[0] == '\\' && path[1] == '\\' && path[2] != '\0' && !separator(path[2]);
}

std::string VolumeRootOf(const char* path)
{
    if (!IsAbsoluteFolderPath(path)) return {};
    if (path[1] == ':') return std::string(path, 2) + "\\";
    // \\server\share\: the server's name ends at the first separator, the share's at the next.
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    size_t end = 2;
    while (path[end] && !separator(path[end]))
        ++end;
    if (!path[end]) return std::string(path) + "\\";
    ++end;
    while (path[end] && !separator(path[end]))
        ++end;
    return std::string(path, end) + "\\";
}

TxString JoinDirectory(const TxString& directory, const char* name)
{
    TxString path(directory);
    const int length = path.GetLength();
    const char last = length > 0 ? path.GetText()[length - 1] : '\0';
    if (last != '\\' && last != '/') path.Append("\\");
    path.Append(name);
    return path;
}

void WalkImageDirectories(const TxString& directory, bool includeSubfolders, const ImageDirectoryVisit& visit)
{
    // "Z:" or a relative path would search whatever the current directory happens to be.
    if (!IsAbsoluteFolderPath(directory.GetText())) {
        LogF("!Skipping an image folder whose path is not absolute: %s", directory.GetText());
        return;
    }
    FolderWalk walk(directory, visit);
    walk.FirstEntry(directory);
    walk.Walk(directory, includeSubfolders, 0);
}
