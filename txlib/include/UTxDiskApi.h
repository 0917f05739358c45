// Binary and text files, folder search, existence tests and safe replacement of files.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "UTxCollections.h"
#include "UTxUtils.h"

// A file with the library's own position and size; failures are logged and thrown as ExNormal.
class TxFile : public TxObject {
public:
    TxFile(const char* path, bool readOnly, bool create);
    ~TxFile() override;
    TxFile(const TxFile&) = delete;
    TxFile& operator=(const TxFile&) = delete;

    void Read(void* buffer, DWORD dwCount, DWORD* read = nullptr);
    // Reads exactly dwCount bytes or throws the reading message (a short read is an error here).
    void ReadExact(void* buffer, DWORD dwCount);
    void Write(const void* buffer, DWORD dwCount);
    DWORD GetPosition() const;
    void Seek(DWORD dwPos);
    DWORD GetSize() const;
    // Pushes written data to the disk; throws on failure.
    void Flush();
    const TxString& GetName() const { return m_sName; }

private:
    FileHandle m_hFile;
    bool m_bReadOnly;
    bool m_bOpen = false;
    DWORD m_dwCurrentPos = 0;
    DWORD m_dwCurrentSize = 0;
    TxString m_sName;
    bool m_bBoundsCheck = false;
};

// Reads a whole text file into lines; CR LF, LF CR, CR and LF all end a line.
class TxTextFile : public TxObject {
public:
    static constexpr int kBufferSize = 8192;
    static constexpr int kMaxLine = 65535;

    TxTextFile(const char* path, bool readOnly);
    ~TxTextFile() override;
    TxTextFile(const TxTextFile&) = delete;
    TxTextFile& operator=(const TxTextFile&) = delete;

    void ReadLines(TxCollection* lines);
    bool ReadChar(char& c);
    void AddLine(TxCollection* lines, const char* text);
    TxFile* File() const { return m_pFile.get(); }

private:
    std::unique_ptr<TxFile> m_pFile;
    bool m_bReadOnly;
    bool m_bOpen = false;
    TxString m_sPath;
    char m_Buffer[kBufferSize];
    int m_iBufferIndex = 0;
    int m_iBufferFill = 0;
};

FILETIME TxGetFileLastWriteTime(TxString path);

// The folder of the running program with its trailing '\': where its DLLs, helper programs, log
// file and textures lie. Empty when the system gives no whole path.
std::string TxProgramFolder();
// A file of that folder, such as the help file; empty when the folder is unknown, so that no file
// of whatever folder is current is taken for it.
std::string TxProgramFile(const char* name);

bool TxDirectoryExists(TxString path);
bool TxFileExists(TxString path);
bool TxCreateDirectoryTree(TxString path);

class TxFileInfo : public TxObject {
public:
    TxFileInfo() = default;
    ~TxFileInfo() override;
    TxFileInfo(const TxFileInfo&) = delete;
    TxFileInfo& operator=(const TxFileInfo&) = delete;

    bool IsDirectory() const { return (m_dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    bool IsDotDirectory() const;
    bool IsHidden() const { return (m_dwAttributes & FILE_ATTRIBUTE_HIDDEN) != 0; }

    DWORD m_dwReserved = 0;
    DWORD m_dwAttributes = 0;
    FILETIME m_ftCreationTime{};
    FILETIME m_ftLastAccessTime{};
    FILETIME m_ftLastWriteTime{};
    DWORD m_dwSizeLow = 0;
    DWORD m_dwSizeHigh = 0;
    TxString m_sName;
    TxObject* m_pAttached = nullptr;  // owned
};

// Hands out one folder entry after another.
class TxFindFile {
public:
    TxFindFile();
    ~TxFindFile() = default;
    TxFindFile(const TxFindFile&) = delete;
    TxFindFile& operator=(const TxFindFile&) = delete;

    bool FindFirst(const char* directory, const char* mask);
    bool FindNext();
    void GetName(TxString& name) const;
    void GetFileInfo(TxFileInfo& info) const;
    bool IsDirectory() const;
    bool IsDotDirectory() const;
    const WIN32_FIND_DATAA& FindData() const { return m_FindData; }
    const TxString& Directory() const { return m_sDirectory; }

private:
    WIN32_FIND_DATAA m_FindData;
    FindHandle m_hSearch;
    TxString m_sDirectory;
    TxString m_sMask;
};

// Writes a file beside its target ("<target>.<process>-<count>.tmp", one per writer) and replaces the
// target only on Commit, so a crash, a full disk or a locked target leaves the old file whole. The
// temporary file goes if Commit never comes or fails, unless it is kept. File() is valid only until
// Close or Commit.
class TxPendingFile {
public:
    explicit TxPendingFile(const char* targetPath);  // throws ExNormal when it cannot be created
    ~TxPendingFile();
    TxPendingFile(const TxPendingFile&) = delete;
    TxPendingFile& operator=(const TxPendingFile&) = delete;

    TxFile& File() { return *m_pFile; }
    // Flushes and closes the file, which stays pending; false, logged, on failure.
    bool Close();
    // Closes the file if still open, moves it over the target (write-through), then removes the
    // stale temporary files of the target (RemoveStale); false on failure.
    bool Commit();
    // The temporary file is no longer deleted at destruction: a record of the caller names it, and
    // whoever reads that record moves it into place.
    void Keep() { m_bKept = true; }
    const TxString& TempPath() const { return m_sTempPath; }

    // Whether `path` is a temporary file name of `target` ("<target>.<hex>-<hex>.tmp", ignoring case).
    static bool IsTempPathOf(const char* path, const char* target);
    // Deletes the temporary files of `target` that writers which ended before their commit left
    // behind: only names of this pattern, and of those only the ones whose writing process (named
    // in the file name) has ended or whose last write is more than a minute old, so the file of a
    // save running now in another program is never touched. Returns how many went.
    static int RemoveStale(const char* target);

private:
    TxString m_sTarget;
    TxString m_sTempPath;
    std::unique_ptr<TxFile> m_pFile;
    bool m_bCommitted = false;
    bool m_bKept = false;
};
