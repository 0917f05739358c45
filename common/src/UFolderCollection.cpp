// The folder list in memory: its order, change detection and the rebuild of the image list.
#include <string>
#include <vector>

#include "DbText.h"
#include "UDatabase.h"
#include "UTxLog.h"

CFolderCollection::CFolderCollection() : TxSortedCollection(false, 32, 64) {}

CFolderCollection::~CFolderCollection() = default;

int CFolderCollection::Compare(const void* key1, const void* key2) const
{
    const auto* a = static_cast<const CImageFolder*>(static_cast<const TxObject*>(key1));
    const auto* b = static_cast<const CImageFolder*>(static_cast<const TxObject*>(key2));
    return DbText::CompareKeyText(a->Path, b->Path);
}

bool CFolderCollection::CheckForChangesOnDisk(bool all)
{
    CLogScope scope("CFolderCollection::CheckForChangesOnDisk");
    for (int i = 0; i < GetCount(); ++i) {
        CImageFolder* folder = FolderAt(i);
        if ((all || folder->AutoScan) && folder->HasChanged()) return true;
    }
    return false;
}

namespace {

bool SameFileAsScanned(const CImageFile& a, const CImageFile& b)
{
    return a.LastWriteTime.dwLowDateTime == b.LastWriteTime.dwLowDateTime &&
           a.LastWriteTime.dwHighDateTime == b.LastWriteTime.dwHighDateTime &&
           a.FileSizeLow == b.FileSizeLow && a.FileSizeHigh == b.FileSizeHigh;
}

// Copies the values the selections keep from each old image to the new image of the same key.
// Both lists are sorted the same way, so one pass over each finds every pair.
void CarryOverImageValues(const CFileCollection& old, CFileCollection& files)
{
    int i = 0;
    int j = 0;
    while (i < files.GetCount() && j < old.GetCount()) {
        CImageFile* fresh = files.FileAt(i);
        const CImageFile* kept = old.FileAt(j);
        const int c = files.Compare(files.KeyOf(fresh), old.KeyOf(kept));
        if (c < 0) {
            ++i;
        } else if (c > 0) {
            ++j;
        } else {
            fresh->ShownCount = kept->ShownCount;
            fresh->ScreenSaverFlags = kept->ScreenSaverFlags;
            fresh->FileFlags = kept->FileFlags;
            // The engine keeps in Reserved what it measured of the file: a file found changed is
            // measured again.
            if (SameFileAsScanned(*fresh, *kept)) fresh->Reserved = kept->Reserved;
            ++i;
            ++j;
        }
    }
}

// A folder that cannot be reached keeps its images as they were, until it can be scanned again.
void KeepImagesOfUnreachableFolder(const CImageFolder& folder, const CFileCollection& old,
                                   CFileCollection& files)
{
    int kept = 0;
    for (int j = 0; j < old.GetCount(); ++j) {
        const CImageFile* image = old.FileAt(j);
        if (!folder.HoldsImage(*image)) continue;
        auto copy = std::make_unique<CImageFile>(*image);
        if (files.Insert(copy.get())) {
            copy.release();
            ++kept;
        }
    }
    files.Modified = 1;
    LogF("Folder not reachable, its %d images are kept: %s", kept, folder.Path.GetText());
}

}  // namespace

void CFolderCollection::RecalculateAllFolders(CFileCollection& files)
{
    CLogScope scope("CFolderCollection::RecalculateAllFolders");
    // Everything the rebuild changes, so that a failure part way puts the old state back whole.
    struct FolderState {
        DWORD count, crc;
    };
    std::vector<FolderState> folderStates;
    folderStates.reserve(static_cast<size_t>(GetCount()));
    for (int i = 0; i < GetCount(); ++i)
        folderStates.push_back({FolderAt(i)->ImageCount, FolderAt(i)->Crc});
    const BYTE foldersModified = Modified;
    const BYTE filesModified = files.Modified;

    CFileCollection old;
    old.TakeAllFrom(files);
    try {
        Modified = 1;
        files.Modified = 1;
        for (int i = 0; i < GetCount(); ++i) {
            CImageFolder* folder = FolderAt(i);
            if (folder->RootExists())
                folder->AddFilesToCollection(files);
            else
                KeepImagesOfUnreachableFolder(*folder, old, files);
        }
        CarryOverImageValues(old, files);
        CopyUseAttributes(files);
    } catch (...) {
        files.TakeAllFrom(old);
        for (int i = 0; i < GetCount(); ++i) {
            FolderAt(i)->ImageCount = folderStates[static_cast<size_t>(i)].count;
            FolderAt(i)->Crc = folderStates[static_cast<size_t>(i)].crc;
        }
        Modified = foldersModified;
        files.Modified = filesModified;
        LogText("!CFolderCollection::RecalculateAllFolders failed; the previous image list is kept");
        throw;
    }
}

void CFolderCollection::CopyUseAttributes(CFileCollection& files)
{
    CLogScope scope("CFolderCollection::CopyUseAttributes");
    struct LoweredFolder {
        std::string path;
        const CImageFolder* folder;
    };
    std::vector<LoweredFolder> folders;
    for (int i = 0; i < GetCount(); ++i) {
        // An empty path is never found in a text, so it applies to no image.
        if (!FolderAt(i)->Path.IsEmpty())
            folders.push_back({DbText::LowerCopy(FolderAt(i)->Path), FolderAt(i)});
    }

    // Images of one directory stand together, so the folder that applies is worked out once per
    // directory. A folder applies when the image's directory begins with its path and either it
    // includes subfolders or the two are the same length; the last such folder wins.
    const CImageFolder* applying = nullptr;
    const TxString* lastDirectory = nullptr;
    for (int j = 0; j < files.GetCount(); ++j) {
        CImageFile* image = files.FileAt(j);
        if (!lastDirectory || !lastDirectory->Equals(image->FolderPath)) {
            lastDirectory = &image->FolderPath;
            const std::string directory = DbText::LowerCopy(image->FolderPath);
            applying = nullptr;
            for (const LoweredFolder& f : folders) {
                if (directory.compare(0, f.path.size(), f.path) != 0 || directory.size() < f.path.size())
                    continue;
                if (f.folder->IncludeSubfolders || directory.size() == f.path.size()) applying = f.folder;
            }
        }
        if (!applying) continue;
        image->FileFlags = applying->UseForWallpaper ? image->FileFlags | FLAG_USE_FOR_WALLPAPER
                                                     : image->FileFlags & ~FLAG_USE_FOR_WALLPAPER;
        image->FileFlags = applying->UseForScreenSaver ? image->FileFlags | FLAG_USE_FOR_SCREENSAVER
                                                       : image->FileFlags & ~FLAG_USE_FOR_SCREENSAVER;
    }
    files.Modified = 1;
}
