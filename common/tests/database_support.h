// Fixtures of the database tests: folders and files on the Wine C: drive, bytes, sample lists and
// the helper process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "KvTestSupport.h"
#include "UDatabase.h"
#include "UTxUtils.h"

namespace dbtest {

// A new empty folder C:\kvtest\<name> (emptied when it exists).
std::string FreshFolder(const std::string& name);
void MakeDirectory(const std::string& path);
// A file of `size` zero bytes whose last-write time is `fileTime` (a FILETIME value; 0 keeps now).
void MakeFile(const std::string& path, DWORD size = 0, ULONGLONG fileTime = 0);

// A symbolic link of the Unix file system under the prefix's drive, made with the host's own ln
// (Wine starts Unix programs), since Wine does not make links for Windows programs. `target` is
// the link's Unix text, e.g. "..". False when the link could not be made.
bool MakeUnixSymlink(const std::string& linkPath, const std::string& target);
// Removes such a link (never what it points to); true when it is gone or was never there.
bool RemoveUnixSymlink(const std::string& linkPath);

// A drive of the prefix, `letter`:, that shows the C: folder `folder` (a link in the prefix's
// dosdevices, as a plugged-in drive would appear), and its removal, as when the drive is unplugged.
// Each waits until the drive's root has come or gone.
bool PlugTestDrive(char letter, const std::string& folder);
bool UnplugTestDrive(char letter);

std::vector<BYTE> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<BYTE>& bytes);
DWORD Get32(const std::vector<BYTE>& bytes, size_t offset);
void Put32(std::vector<BYTE>& bytes, size_t offset, DWORD value);

// Whether each image orders strictly before the next, by the collection's own comparison.
bool IsStrictlySorted(const CFileCollection& files);

// A list of `count` images over a few folders, with every kept value set, differing by `variant`.
void FillSampleImages(CFileCollection& files, int count, int variant);
void FillSampleFolders(CFolderCollection& folders, int count, int variant);

// The three database files of a folder.
struct DatabasePaths {
    std::string dir, folderList, records, strings;
    explicit DatabasePaths(const std::string& folder)
        : dir(folder), folderList(folder + "\\FolderList.dat"), records(folder + "\\FileListDat.dat"),
          strings(folder + "\\FileListStr.dat")
    {
    }
};
// What a wallpaper change does to the database: the folder list loaded, a rescan when a folder
// changed or the file list is missing, never over a file list that fails to load, then the file
// list and the folder list saved. 0 when it went through, else the step that failed (10 to 13).
int RunDatabaseChange(const DatabasePaths& files);
// "folder|name" of every image of the file list, sorted by bytes; false when it does not load.
bool LoadImageKeys(const DatabasePaths& files, std::vector<std::string>& keys);

// Starts database_helper.exe (beside the running program) with `arguments`.
bool StartHelper(testsupport::ChildProcess& helper, const std::string& arguments);
// The helper's exit code, or STILL_ACTIVE when it has not ended within the time.
DWORD WaitForExit(testsupport::ChildProcess& helper, DWORD milliseconds);

// A named event with a name unique to this process and a tag.
std::string UniqueEventName(const char* tag);

}  // namespace dbtest
