// One image folder: its scans into the image list, its change signature and its images.
#include <cstring>

#include "DbFolderWalk.h"
#include "DbText.h"
#include "UDatabase.h"
#include "Ucrc.h"
#include "UTxLog.h"

bool IsJpegFileName(const char* name)
{
    if (!name) return false;
    const char* dot = std::strrchr(name, '.');
    if (!dot) return false;
    // Extensions are ASCII, so an ASCII comparison ignoring case is exact whatever the locale.
    return _stricmp(dot, ".jpg") == 0 || _stricmp(dot, ".jpeg") == 0;
}

namespace {

// Each image the scan took (all of them in a count: `taken` null) adds one to the count and folds
// its name into the CRC.
void FoldImages(CImageFolder& folder, const std::vector<const char*>& names, const std::vector<bool>* taken)
{
    for (size_t i = 0; i < names.size(); ++i) {
        if (taken && !(*taken)[i]) continue;
        folder.ImageCount += 1;
        folder.Crc = Crc32String(folder.Crc, names[i]);
    }
}

// What a scan and its counting twin both fold for one directory: its path, then its images.
void FoldDirectory(CImageFolder& folder, const TxString& directory, const std::vector<const char*>& names,
                   const std::vector<bool>* taken)
{
    folder.Crc = Crc32String(folder.Crc, directory.GetText());
    FoldImages(folder, names, taken);
}

// The counting twin of a scan: every image of the directory (and below it, with `subfolders`)
// folded as the scan would fold it, without a list to add to.
void CountDirectories(CImageFolder& folder, const TxString& directory, bool subfolders)
{
    WalkImageDirectories(directory, subfolders, [&](const TxString& dir, std::vector<CScannedImage>& images) {
        std::vector<const char*> names;
        names.reserve(images.size());
        for (const CScannedImage& image : images)
            names.push_back(image.Name.GetText());
        FoldDirectory(folder, dir, names, nullptr);
    });
}

}  // namespace

void CImageFolder::AddFilesToCollection(CFileCollection& files)
{
    ImageCount = 0;
    Crc = 0;
    if (IncludeSubfolders)
        AddFilesFromFolderTree(files, Path);
    else
        AddFilesFromFolder(files, Path);
}

void CImageFolder::AddFilesFromFolder(CFileCollection& files, const TxString& directory)
{
    WalkImageDirectories(directory, false, [&](const TxString& dir, std::vector<CScannedImage>& images) {
        AddScannedImages(files, dir, images, true);
    });
}

void CImageFolder::AddFilesFromFolderTree(CFileCollection& files, const TxString& directory)
{
    WalkImageDirectories(directory, true, [&](const TxString& dir, std::vector<CScannedImage>& images) {
        AddScannedImages(files, dir, images, true);
    });
}

void CImageFolder::AddFile(CFileCollection& files, const TxString& directory, const TxString& name,
                           const TxFileInfo& info)
{
    if (!IsJpegFileName(name.GetText())) return;
    if (std::strchr(name.GetText(), '?')) {
        LogF("Skipping a file whose name the ANSI code page cannot represent: %s\\%s", directory.GetText(),
             name.GetText());
        return;
    }
    std::vector<CScannedImage> images(1);
    images[0].Name = name;
    images[0].LastWriteTime = info.m_ftLastWriteTime;
    images[0].FileSizeLow = info.m_dwSizeLow;
    images[0].FileSizeHigh = info.m_dwSizeHigh;
    AddScannedImages(files, directory, images, false);
}

void CImageFolder::AddScannedImages(CFileCollection& files, const TxString& directory,
                                    std::vector<CScannedImage>& scanned, bool foldDirectory)
{
    std::vector<std::unique_ptr<CImageFile>> images;
    std::vector<CImageFile*> built;
    images.reserve(scanned.size());
    built.reserve(scanned.size());
    for (CScannedImage& entry : scanned) {
        auto image = std::make_unique<CImageFile>();
        image->FolderPath = directory;
        image->FileName = std::move(entry.Name);
        image->LastWriteTime = entry.LastWriteTime;
        image->FileSizeLow = entry.FileSizeLow;
        image->FileSizeHigh = entry.FileSizeHigh;
        built.push_back(image.get());
        images.push_back(std::move(image));
    }

    files.InsertFolderImages(images);

    // The collection took the images whose owners are now empty; the others were duplicates.
    std::vector<const char*> names(built.size());
    std::vector<bool> taken(built.size());
    for (size_t i = 0; i < built.size(); ++i) {
        names[i] = built[i]->FileName.GetText();
        taken[i] = !images[i];
        if (taken[i])
            files.Modified = 1;
        else
            LogF("CImageFolder::AddFile: Duplicate found: %s\\%s", directory.GetText(), names[i]);
    }
    if (foldDirectory)
        FoldDirectory(*this, directory, names, &taken);
    else
        FoldImages(*this, names, &taken);
}

void CImageFolder::CountFolder(const TxString& directory)
{
    CountDirectories(*this, directory, false);
}

void CImageFolder::CountFolderTree(const TxString& directory)
{
    CountDirectories(*this, directory, true);
}

bool CImageFolder::RootExists() const
{
    // Only the drive or share decides whether a missing folder is away or gone: a folder deleted
    // from a present drive must lose its images at the next check.
    const std::string root = VolumeRootOf(Path.GetText());
    return !root.empty() && TxDirectoryExists(TxString(root.c_str()));
}

bool CImageFolder::HasChanged()
{
    // Its scan searches nothing, so a recount could only report the same nothing.
    if (!IsAbsoluteFolderPath(Path.GetText())) {
        LogF("!Skipping an image folder whose path is not absolute: %s", Path.GetText());
        return false;
    }
    // A folder on an unplugged drive or an offline share would count as emptied, and the rescan that
    // follows would drop its images with their counters and exclusions.
    if (!RootExists()) {
        LogF("Folder not reachable, its images are kept: %s", Path.GetText());
        return false;
    }
    const DWORD oldCount = ImageCount;
    const DWORD oldCrc = Crc;
    ImageCount = 0;
    Crc = 0;
    if (IncludeSubfolders)
        CountFolderTree(Path);
    else
        CountFolder(Path);
    const bool changed = ImageCount != oldCount || Crc != oldCrc;
    if (changed) {
        LogF("Changes detected in the folder: %s", Path.GetText());
        LogF("Original count=%d, crc=0x%x. Current count=%d, crc=0x%x", static_cast<int>(oldCount),
             static_cast<unsigned>(oldCrc), static_cast<int>(ImageCount), static_cast<unsigned>(Crc));
    }
    return changed;
}

bool CImageFolder::HoldsImage(const CImageFile& image) const
{
    if (Path.IsEmpty()) return false;
    const std::string folder = DbText::LowerCopy(Path);
    const std::string directory = DbText::LowerCopy(image.FolderPath);
    if (directory.compare(0, folder.size(), folder) != 0 || directory.size() < folder.size()) return false;
    if (directory.size() == folder.size()) return true;
    if (!IncludeSubfolders) return false;
    const char last = folder.back();
    return last == '\\' || last == '/' || directory[folder.size()] == '\\';
}
