#include "FolderListRecovery.h"

#include <memory>
#include <vector>

#include "UTxLog.h"

namespace manager {

namespace {

// The first folder in list order that holds the image, or -1.
int HoldingFolder(const CFolderCollection& folders, const CImageFile& image)
{
    for (int i = 0; i < folders.GetCount(); ++i)
        if (folders.FolderAt(i)->HoldsImage(image)) return i;
    return -1;
}

}  // namespace

int RecoverFoldersFromImages(CFolderCollection& folders, const CFileCollection& images)
{
    int added = 0;
    for (int i = 0; i < images.GetCount(); ++i) {
        const CImageFile& image = *images.FileAt(i);
        if (image.FolderPath.IsEmpty() || HoldingFolder(folders, image) >= 0) continue;
        auto folder = std::make_unique<CImageFolder>();
        folder->Path.Assign(image.FolderPath.GetText());
        folder->IncludeSubfolders = 0;
        folder->UseForWallpaper = (image.FileFlags & FLAG_USE_FOR_WALLPAPER) ? 1 : 0;
        folder->UseForScreenSaver = (image.FileFlags & FLAG_USE_FOR_SCREENSAVER) ? 1 : 0;
        // No CRC is known: the next check for changes rescans the folder, keeping its images' values.
        folder->Crc = 0;
        if (!folders.Insert(folder.get())) continue;
        LogF("!The folder %s is taken back from the image list", folder->Path.GetText());
        folder.release();
        ++added;
    }
    std::vector<DWORD> counts(static_cast<size_t>(folders.GetCount()), 0);
    for (int i = 0; i < images.GetCount(); ++i) {
        const int holder = HoldingFolder(folders, *images.FileAt(i));
        if (holder >= 0) ++counts[static_cast<size_t>(holder)];
    }
    for (int i = 0; i < folders.GetCount(); ++i)
        folders.FolderAt(i)->ImageCount = counts[static_cast<size_t>(i)];
    return added;
}

}  // namespace manager
