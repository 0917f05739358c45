// A second process for the database tests.
//   database_helper hold <file> <ready event> <release event>
//       opens the file as the engine's readers do (read-only, sharing reading) and holds it until
//       the release event is set.
//   database_helper hold-locked <file> <ready event> <release event>
//       the same while it holds the database lock, as a loader does while it reads.
//   database_helper lock <ready event> <release event>
//       holds the database lock, without any file, until the release event is set.
//   database_helper save <folder> <image count> <ready event>
//       saves two different databases into the folder, one after the other, until it is ended.
//   database_helper save-variant <folder> <image count> <variant> <ready event> <stop event>
//       saves one database (FillSampleImages and FillSampleFolders of the variant) into the folder
//       again and again until the stop event is set; exits with 0 when every save succeeded.
//   database_helper change <folder> [<step> <event> [go]]
//       one change of the database in the folder (RunDatabaseChange); exits with its result. With a
//       step (a DbPairStep number), a save that reaches it sets the event and waits to be ended, or
//       with "go" goes on.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "DbPairReplace.h"
#include "UDatabaseLock.h"
#include "UTxLog.h"
#include "UTxUtils.h"
#include "database_support.h"

const CLogSettings g_LogSettings = {"DbHelper  ", "", false, 0, true, true, false};

namespace {

int Hold(const char* path, const char* readyName, const char* releaseName, bool locked)
{
    // Declared first, so that the file is closed before the lock goes.
    std::unique_ptr<CDatabaseLock> lock;
    if (locked) {
        lock = std::make_unique<CDatabaseLock>("database_helper", testsupport::ScaledMs(15000));
        if (!lock->Held()) return 6;
    }
    FileHandle file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 2;
    Handle ready(::OpenEventA(EVENT_MODIFY_STATE, FALSE, readyName));
    Handle release(::OpenEventA(SYNCHRONIZE, FALSE, releaseName));
    if (!ready || !release) return 3;
    ::SetEvent(ready.get());
    return ::WaitForSingleObject(release.get(), testsupport::ScaledMs(30000)) == WAIT_OBJECT_0 ? 0 : 4;
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

int HoldLock(const char* readyName, const char* releaseName)
{
    const CDatabaseLock lock("database_helper", testsupport::ScaledMs(15000));
    if (!lock.Held()) return 6;
    Handle ready(::OpenEventA(EVENT_MODIFY_STATE, FALSE, readyName));
    Handle release(::OpenEventA(SYNCHRONIZE, FALSE, releaseName));
    if (!ready || !release) return 3;
    ::SetEvent(ready.get());
    return ::WaitForSingleObject(release.get(), testsupport::ScaledMs(30000)) == WAIT_OBJECT_0 ? 0 : 4;
}

int SaveVariantUntilStopped(const std::string& folder, int count, int variant, const char* readyName,
                            const char* stopName)
{
    CFolderCollection folders;
    CFileCollection files;
    dbtest::FillSampleFolders(folders, 3 + 2 * variant, variant);
    dbtest::FillSampleImages(files, count, variant);
    const std::string folderList = folder + "\\FolderList.dat";
    const std::string records = folder + "\\FileListDat.dat";
    const std::string strings = folder + "\\FileListStr.dat";
    Handle ready(::OpenEventA(EVENT_MODIFY_STATE, FALSE, readyName));
    Handle stop(::OpenEventA(SYNCHRONIZE, FALSE, stopName));
    if (!ready || !stop) return 3;
    ::SetEvent(ready.get());
    int saves = 0;
    int failures = 0;
    // Bounded, in case the test that should stop it is gone.
    const DWORD start = ::GetTickCount();
    while (::WaitForSingleObject(stop.get(), 0) == WAIT_TIMEOUT &&
           ::GetTickCount() - start < testsupport::ScaledMs(60000)) {
        folders.Modified = 1;
        files.Modified = 1;
        if (!folders.SaveToFile(folderList.c_str())) ++failures;
        if (!files.SaveToFile(records.c_str(), strings.c_str())) ++failures;
        ++saves;
    }
    std::printf("variant %d: %d saves, %d failed\n", variant, saves, failures);
    if (failures) return 7;
    return saves > 0 ? 0 : 8;
}

DbPairStep g_SignalStep = DbPairStep::JournalRemoved;
HANDLE g_SignalEvent = nullptr;
bool g_bStopAtStep = true;

void SignalAtStep(DbPairStep step)
{
    if (step != g_SignalStep) return;
    ::SetEvent(g_SignalEvent);
    if (g_bStopAtStep) ::Sleep(INFINITE);
}

int Change(const std::string& folder, int argc, char** argv)
{
    Handle signal;
    if (argc >= 5) {
        g_SignalStep = static_cast<DbPairStep>(std::atoi(argv[3]));
        signal.reset(::OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[4]));
        if (!signal) return 3;
        g_SignalEvent = signal.get();
        g_bStopAtStep = argc == 5;
        SetDbPairStepHook(&SignalAtStep);
    }
    return dbtest::RunDatabaseChange(dbtest::DatabasePaths(folder));
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "hold" && argc == 5) return Hold(argv[2], argv[3], argv[4], false);
    if (mode == "hold-locked" && argc == 5) return Hold(argv[2], argv[3], argv[4], true);
    if (mode == "lock" && argc == 4) return HoldLock(argv[2], argv[3]);
    if (mode == "save-variant" && argc == 7)
        return SaveVariantUntilStopped(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), argv[5], argv[6]);
    if (mode == "change" && (argc == 3 || argc == 5 || (argc == 6 && std::string(argv[5]) == "go")))
        return Change(argv[2], argc, argv);
    if (mode == "save" && argc == 5) return SaveForever(argv[2], std::atoi(argv[3]), argv[4]);
    return 1;
}
