// The image database: the user's image folders, the JPEG images found in them with the values the
// selections keep per image, change detection on disk, and the three files both are stored in.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "UTxCollections.h"
#include "UTxDiskApi.h"

// Bits of CImageFile::FileFlags (bit 1 and bits 4-31 are unused).
constexpr DWORD FLAG_EXCLUDE_IMAGE = 0x00000001;        // never selected
constexpr DWORD FLAG_USE_FOR_WALLPAPER = 0x00000004;    // copied from the folder's UseForWallpaper
constexpr DWORD FLAG_USE_FOR_SCREENSAVER = 0x00000008;  // copied from the folder's UseForScreenSaver

// Bits of CImageFile::ScreenSaverFlags.
constexpr DWORD FLAG_SHOWN_RANDOM = 0x00000001;   // ShownRandom
constexpr DWORD FLAG_SHOWN_BY_TIME = 0x00000002;  // ShownByTime

// Byte layout of the three database files; every number is a little-endian u32.
#include "DbFormat.h"

// True when the name's text from its last '.' on is ".jpg" or ".jpeg", ignoring case.
bool IsJpegFileName(const char* name);

class CFileCollection;
class CImageFile;
struct CScannedImage;

// One image folder the user chose.
class CImageFolder : public TxObject {
public:
    TxString Path;  // as the user chose it, no trailing backslash added
    BYTE IncludeSubfolders = 0;
    BYTE AutoScan = 1;
    BYTE UseForWallpaper = 1;
    BYTE UseForScreenSaver = 1;
    DWORD ImageCount = 0;  // images the last scan added, or the last check counted
    DWORD Crc = 0;         // CRC of the directory paths and image names of the last scan or check

    // Clears count and CRC, then scans the folder (with its subfolders when IncludeSubfolders).
    void AddFilesToCollection(CFileCollection& files);
    void AddFilesFromFolder(CFileCollection& files, const TxString& directory);
    void AddFilesFromFolderTree(CFileCollection& files, const TxString& directory);
    // Adds one image of `directory`; a name that is not a JPEG name is ignored.
    void AddFile(CFileCollection& files, const TxString& directory, const TxString& name,
                 const TxFileInfo& info);

    // Recounts the folder; true when count or CRC differ from the stored ones, which it then replaces.
    // A folder whose drive or share is missing (unplugged drive, offline share) counts as unchanged;
    // a folder that is gone from a present drive counts as emptied.
    bool HasChanged();
    // The counting twins of the scans: they add to ImageCount and Crc exactly what the scans would.
    void CountFolder(const TxString& directory);
    void CountFolderTree(const TxString& directory);

    // Whether the root of the folder's drive or share exists, whatever became of the folder itself.
    bool RootExists() const;
    // Whether an image was found by scanning this folder: it lies in Path, or below it when
    // IncludeSubfolders is set.
    bool HoldsImage(const CImageFile& image) const;

private:
    // Inserts one directory's images and folds the directory (unless only single files are added)
    // and the names taken into count and CRC: the one insertion path of the scans and AddFile.
    void AddScannedImages(CFileCollection& files, const TxString& directory,
                          std::vector<CScannedImage>& images, bool foldDirectory);
};

// One image and the values the selections keep for it.
class CImageFile : public TxObject {
public:
    TxString FileName;    // without folder
    TxString FolderPath;  // the scanned directory that holds the file
    FILETIME LastWriteTime{};
    DWORD FileSizeLow = 0;
    DWORD FileSizeHigh = 0;
    DWORD ShownCount = 0;
    DWORD ScreenSaverFlags = 0;
    DWORD AverageColor = 0xFFFFFFFF;  // 0xFFFFFFFF: not known yet
    DWORD FileFlags = 0;
    DWORD Reserved = 0;        // the engine's selections: the size at which they rejected the file, 0 = none
    DWORD RecordPosition = 0;  // where its record stands in the record file, set by load and save
    DWORD PathStringPosition = 0;
    DWORD PathStringLength = 0;  // with the terminating zero
    DWORD NameStringPosition = 0;
    DWORD NameStringLength = 0;

    // The engine's image store (StoreSelfToFile, LoadStringsFromFile) builds on the two operations
    // below, which carry the checks that keep a stale position from damaging another image.

    // Outcome of rewriting this image's record in place.
    enum class RecordUpdate {
        Written,         // the record now holds the image's values
        AlreadyCurrent,  // it held them already; nothing was written
        Refused          // the bytes at RecordPosition are not this image's record; nothing was written
    };
    // Rewrites ShownCount, ScreenSaverFlags, FileFlags, Reserved and AverageColor in the record at
    // RecordPosition of an open record file (opened for writing). It writes only after a full read of
    // the 80 bytes there whose ID, string positions and lengths, file time and size are this image's,
    // so a file rewritten by another program since it was loaded is never damaged. Throws ExNormal
    // when the file cannot be read or written. The caller holds the CDatabaseLock while the file is open.
    RecordUpdate UpdateRecordInPlace(TxFile& recordFile) const;
    // Whether the 80 bytes at RecordPosition of an open record file are still this image's record:
    // the check UpdateRecordInPlace makes before it writes. Throws ExNormal when the file cannot be read.
    bool IsOwnRecordIn(TxFile& recordFile) const;
    // The same on a record file given by path, under the CDatabaseLock; logs and returns false on any
    // failure or refusal, and when the lock is not obtained in time.
    bool UpdateRecordInFile(const char* recordFilePath) const;

    // Reads FolderPath and FileName from an open string file at the stored positions, with the
    // loader's checks (lengths, bounds, terminators). False, texts unchanged, when they do not hold;
    // throws ExNormal when the file cannot be read.
    bool ReadTextsFromStringFile(TxFile& stringFile);
};

// Finishes a replacement of the image list's record and string files that a save ended part way
// (CFileCollection::SaveToFile): moves the complete new files its journal names into place.
// `stringFilePath` may be empty: the journal names the string file. Call it holding the
// CDatabaseLock before reading or writing either file in place, so that no record is read from or
// written into a file about to be replaced. True when no replacement is pending any more; false,
// logged, while one is and cannot be finished now (the two files may then not match).
bool FinishInterruptedImageListSave(const char* recordFilePath, const char* stringFilePath);

// Rewrites the records of all `images` in an open record file (opened for writing) as
// UpdateRecordInPlace does for each, with one read of the whole file and one write from the first
// changed record to the last. Returns how many records were refused (not the image's own, or not
// written). Throws ExNormal when the file cannot be read or written. The caller holds the
// CDatabaseLock while the file is open.
int UpdateRecordsInPlace(const std::vector<const CImageFile*>& images, TxFile& recordFile);

// The folder list, ordered by Path ignoring case.
class CFolderCollection : public TxSortedCollection {
public:
    CFolderCollection();
    ~CFolderCollection() override;

    CImageFolder* FolderAt(int index) const { return static_cast<CImageFolder*>(At(index)); }
    int Compare(const void* key1, const void* key2) const override;

    // Rebuilds the image list from disk, keeping each surviving image's ShownCount,
    // ScreenSaverFlags and FileFlags, and its Reserved while its write time and size are unchanged.
    // The images of a folder whose root is missing are
    // kept as they were. On any failure the old list is put back whole and the exception rethrown.
    void RecalculateAllFolders(CFileCollection& files);
    // Copies each applying folder's use flags into bits 2 and 3 of the images' FileFlags.
    void CopyUseAttributes(CFileCollection& files);
    // True at the first folder that changed (only AutoScan folders unless `all`).
    bool CheckForChangesOnDisk(bool all);

    // Both read or replace the file under the CDatabaseLock. A save that does not get the lock in time
    // fails (file untouched, Modified kept); a load then reads without it.
    bool LoadFromFile(const char* path);
    bool SaveToFile(const char* path);

    BYTE Modified = 0;
};

// The image list, ordered by FolderPath, then FileName, ignoring case.
class CFileCollection : public TxSortedCollection {
public:
    CFileCollection();
    ~CFileCollection() override;

    CImageFile* FileAt(int index) const { return static_cast<CImageFile*>(At(index)); }
    int Compare(const void* key1, const void* key2) const override;

    // `stringFilePath` may be empty: the images then carry no texts and keep the file's order.
    // Both files are read under the CDatabaseLock, so they are one save's pair; a replacement of the
    // pair that a save ended part way is finished first. Without the lock in time it reads anyway,
    // and its checks refuse the records that do not fit the string file, unless such a replacement
    // is pending: then it fails. A record file whose size is not its header's count fails too.
    bool LoadFromFile(const char* recordFilePath, const char* stringFilePath);
    // Writes both files beside their targets and replaces the targets as one pair only when both are
    // complete, under the CDatabaseLock: a save ended at any moment leaves the old pair or a
    // replacement the next load or save finishes. Without the lock in time it fails, the files
    // untouched and Modified kept. A successful save removes the stale temporary files ended saves
    // left beside them.
    bool SaveToFile(const char* recordFilePath, const char* stringFilePath);

    // Inserts images that all have the same FolderPath with the result of inserting them one by one
    // in their order: an image whose key is already present, or repeats an earlier one's, is
    // refused. The collection takes over the images it inserts, leaving their owners empty; the
    // refused ones stay in `images`. A failure throws ExNormal and leaves the images not yet taken.
    void InsertFolderImages(std::vector<std::unique_ptr<CImageFile>>& images);
    // Inserts a loaded image: appended when it orders after the last one, as in a saved file, else
    // sorted in. False when an equal image is present (the caller still owns it).
    bool InsertLoadedImage(CImageFile* image);
    // Moves every image of `other` into this emptied collection, keeping the order.
    void TakeAllFrom(CFileCollection& other);

    BYTE Modified = 0;

private:
    void InsertOneByOne(std::vector<std::unique_ptr<CImageFile>>& images);
    // Puts the images `run` names, already in order, at `index` in one move.
    void InsertRun(int index, std::vector<std::unique_ptr<CImageFile>>& images, const std::vector<int>& run);
    int FirstIndexOfFolder(const TxString& folder) const;
};
