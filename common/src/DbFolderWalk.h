// The one directory traversal behind the folder scans and their counting twins.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "UTxStrings.h"

// An image entry found in a directory.
struct CScannedImage {
    TxString Name;
    FILETIME LastWriteTime{};
    DWORD FileSizeLow = 0;
    DWORD FileSizeHigh = 0;
};

// Called once for every directory, with its image entries in the order the search returned them.
using ImageDirectoryVisit =
    std::function<void(const TxString& directory, std::vector<CScannedImage>& images)>;

// Searches `directory` and, with `includeSubfolders`, every directory below it depth first: each
// subdirectory's tree is visited before the directory's own images, in search order. Only names
// that pass IsJpegFileName are handed on, less those the ANSI code page could not represent. Each
// directory is searched once; one that cannot be searched is visited with no images. Junctions and
// symbolic links are not followed, a directory already entered through another path (same volume
// and file index) is not entered again, and the walk goes no deeper than a fixed bound; each skip
// is logged. A `directory` that is not absolute is not searched at all (logged, nothing visited).
void WalkImageDirectories(const TxString& directory, bool includeSubfolders,
                          const ImageDirectoryVisit& visit);

// A drive letter, a colon and a separator ("C:\..."), or a UNC path ("\\server\...").
bool IsAbsoluteFolderPath(const char* path);

// The root of the volume that holds an absolute folder path: "C:\" for "C:\Photos\2020", and
// "\\server\share\" for "\\server\share\Photos"; empty for a path that is not absolute.
std::string VolumeRootOf(const char* path);

// `directory` + "\" + name; no second separator when the directory already ends with '\' or '/'.
TxString JoinDirectory(const TxString& directory, const char* name);
