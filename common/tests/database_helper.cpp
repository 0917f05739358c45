// A second process for the database tests.
//   database_helper hold <file> <ready event> <release event>
//       opens the file as the engine's readers do (read-only, sharing reading) and holds it until
//       the release event is set.
//   database_helper save <folder> <image count> <ready event>
//       saves two different databases into the folder, one after the other, until it is ended.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "UTxLog.h"
#include "UTxUtils.h"
#include "database_support.h"

const CLogSettings g_LogSettings = {"DbHelper  ", "", false, 0, true, true, false};

namespace {

int Hold(const char* path, const char* readyName, const char* releaseName)
{
    FileHandle file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 2;
    Handle ready(::OpenEventA(EVENT_MODIFY_STATE, FALSE, readyName));
    Handle release(::OpenEventA(SYNCHRONIZE, FALSE, releaseName));
    if (!ready || !release) return 3;
    ::SetEvent(ready.get());
    return ::WaitForSingleObject(release.get(), 30000) == WAIT_OBJECT_0 ? 0 : 4;
}

int SaveForever(const std::string& folder, int count, const char* readyName)
{
    CFolderCollection folders[2];
    CFileCollection files[2];
    dbtest::FillSampleFolders(folders[0], 3, 0);
    dbtest::FillSampleFolders(folders[1], 5, 1);
    dbtest::FillSampleImages(files[0], count, 0);
    dbtest::FillSampleImages(files[1], count + 37, 1);
    const std::string folderList = folder + "\\FolderList.dat";
    const std::string records = folder + "\\FileListDat.dat";
    const std::string strings = folder + "\\FileListStr.dat";
    Handle ready(::OpenEventA(EVENT_MODIFY_STATE, FALSE, readyName));
    if (!ready) return 3;
    ::SetEvent(ready.get());
    // Bounded, in case the test that should end it is gone.
    for (int round = 0; round < 2000; ++round) {
        const int v = (round + 1) % 2;  // the test wrote variant 0 first
        if (!folders[v].SaveToFile(folderList.c_str())) return 5;
        if (!files[v].SaveToFile(records.c_str(), strings.c_str())) return 6;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "hold" && argc == 5) return Hold(argv[2], argv[3], argv[4]);
    if (mode == "save" && argc == 5) return SaveForever(argv[2], std::atoi(argv[3]), argv[4]);
    return 1;
}
