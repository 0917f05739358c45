// Directory traversal for the scans.
#include "DbFolderWalk.h"

#include <cstring>

#include "UDatabase.h"
#include "UTxDiskApi.h"
#include "UTxLog.h"

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
    std::vector<CScannedImage> images;
    std::vector<TxString> subdirectories;
    {
        // Closed before the recursion, so a deep tree holds one search handle at a time.
        TxFindFile find;
        if (find.FindFirst(directory.GetText(), "*")) {
            do {
                const WIN32_FIND_DATAA& entry = find.FindData();
                if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    if (includeSubfolders && !find.IsDotDirectory())
                        subdirectories.push_back(JoinDirectory(directory, entry.cFileName));
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
    for (const TxString& subdirectory : subdirectories)
        WalkImageDirectories(subdirectory, true, visit);
    visit(directory, images);
}
