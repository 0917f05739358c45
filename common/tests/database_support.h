// Fixtures of the database tests: folders and files on the Wine C: drive, bytes, sample lists and
// the helper process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "UDatabase.h"
#include "UTxUtils.h"

namespace dbtest {

// A new empty folder C:\kvtest\<name> (emptied when it exists).
std::string FreshFolder(const std::string& name);
void RemoveTree(const std::string& path);
void MakeDirectory(const std::string& path);
// A file of `size` zero bytes whose last-write time is `fileTime` (a FILETIME value; 0 keeps now).
void MakeFile(const std::string& path, DWORD size = 0, ULONGLONG fileTime = 0);
bool Exists(const std::string& path);

std::vector<BYTE> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<BYTE>& bytes);
DWORD Get32(const std::vector<BYTE>& bytes, size_t offset);
void Put32(std::vector<BYTE>& bytes, size_t offset, DWORD value);

// Whether each image orders strictly before the next, by the collection's own comparison.
bool IsStrictlySorted(const CFileCollection& files);

// A list of `count` images over a few folders, with every kept value set, differing by `variant`.
void FillSampleImages(CFileCollection& files, int count, int variant);
void FillSampleFolders(CFolderCollection& folders, int count, int variant);

// database_helper.exe beside the running program.
std::string HelperPath();

// A child process started with a command line; ended (TerminateProcess) if still running at the end.
class ChildProcess {
public:
    explicit ChildProcess(const std::string& commandLine);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return static_cast<bool>(m_hProcess); }
    void Terminate();
    // The exit code, or STILL_ACTIVE when it did not end within the time.
    DWORD Wait(DWORD milliseconds);

private:
    Handle m_hProcess;
};

// A named event with a name unique to this process and a tag.
std::string UniqueEventName(const char* tag);

}  // namespace dbtest
