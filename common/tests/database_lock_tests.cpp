// Programs that save and load the same database at once take turns through the database lock: every
// load sees one save's pair, and the files on disk are always one save's pair.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "KvTestSupport.h"
#include "UDatabase.h"
#include "UDatabaseLock.h"
#include "UTxTime.h"
#include "database_support.h"

using namespace dbtest;

namespace {

constexpr int kImages = 2000;  // variant 1 has kImages + 37
constexpr DWORD kStressMilliseconds = 3000;

// One writer's database, as database_helper save-variant builds it, and the bytes it saves.
struct Variant {
    CFolderCollection folders;
    CFileCollection files;
    std::vector<BYTE> folderList, records, strings;
};

void BuildVariant(Variant& v, int variant, const DatabasePaths& paths)
{
    FillSampleFolders(v.folders, 3 + 2 * variant, variant);
    FillSampleImages(v.files, kImages + 37 * variant, variant);
    ASSERT_TRUE(v.folders.SaveToFile(paths.folderList.c_str()));
    ASSERT_TRUE(v.files.SaveToFile(paths.records.c_str(), paths.strings.c_str()));
    v.folderList = ReadBytes(paths.folderList);
    v.records = ReadBytes(paths.records);
    v.strings = ReadBytes(paths.strings);
}

// Whether `loaded` holds exactly the images of `expected`, texts included, in order.
bool SameImages(const CFileCollection& loaded, const CFileCollection& expected)
{
    if (loaded.GetCount() != expected.GetCount()) return false;
    for (int i = 0; i < loaded.GetCount(); ++i) {
        const CImageFile* a = loaded.FileAt(i);
        const CImageFile* b = expected.FileAt(i);
        if (strcmp(a->FolderPath.GetText(), b->FolderPath.GetText()) != 0 ||
            strcmp(a->FileName.GetText(), b->FileName.GetText()) != 0 || a->ShownCount != b->ShownCount ||
            a->AverageColor != b->AverageColor)
            return false;
    }
    return true;
}

// A helper process that holds the lock (and a file, when given) until Release.
class LockHolder {
public:
    explicit LockHolder(const std::string& heldFile)
        : m_readyName(UniqueEventName("lockready")), m_releaseName(UniqueEventName("lockrelease")),
          m_ready(::CreateEventA(nullptr, TRUE, FALSE, m_readyName.c_str())),
          m_release(::CreateEventA(nullptr, TRUE, FALSE, m_releaseName.c_str())),
          m_bStarted(
              StartHelper(m_process, (heldFile.empty() ? "lock " : "hold-locked \"" + heldFile + "\" ") +
                                         m_readyName + " " + m_releaseName))
    {
    }
    bool WaitReady()
    {
        return m_bStarted &&
               ::WaitForSingleObject(m_ready.get(), testsupport::ScaledMs(15000)) == WAIT_OBJECT_0;
    }
    DWORD Release()
    {
        ::SetEvent(m_release.get());
        return WaitForExit(m_process, 15000);
    }

private:
    std::string m_readyName, m_releaseName;
    Handle m_ready, m_release;
    testsupport::ChildProcess m_process;
    bool m_bStarted;
};

}  // namespace

TEST(DatabaseLock, ConcurrentSavesLeaveOneWritersPair)
{
    Variant variants[2];
    BuildVariant(variants[1], 1, DatabasePaths(FreshFolder("lock_variant1")));
    const DatabasePaths paths(FreshFolder("lock_shared"));
    BuildVariant(variants[0], 0, paths);
    ASSERT_FALSE(HasFatalFailure());

    const std::string stopName = UniqueEventName("stop");
    Handle stop(::CreateEventA(nullptr, TRUE, FALSE, stopName.c_str()));
    std::vector<std::unique_ptr<testsupport::ChildProcess>> writers;
    for (int v = 0; v < 2; ++v) {
        const std::string readyName = UniqueEventName(("writer" + std::to_string(v)).c_str());
        Handle ready(::CreateEventA(nullptr, TRUE, FALSE, readyName.c_str()));
        writers.push_back(std::make_unique<testsupport::ChildProcess>());
        ASSERT_TRUE(StartHelper(*writers.back(), "save-variant " + paths.dir + " " +
                                                     std::to_string(kImages + 37 * v) + " " +
                                                     std::to_string(v) + " " + readyName + " " + stopName));
        ASSERT_EQ(::WaitForSingleObject(ready.get(), testsupport::ScaledMs(15000)), WAIT_OBJECT_0);
    }

    // This process is the third program: it loads again and again while both save.
    int loads = 0, failedLoads = 0, foreignLoads = 0;
    int seen[2] = {0, 0};
    // As many saves of each as an idle machine makes in that time, however slow this run is.
    const DWORD stressMs = testsupport::ScaledMs(kStressMilliseconds);
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < stressMs) {
        CFileCollection files;
        CFolderCollection folders;
        const bool loaded = files.LoadFromFile(paths.records.c_str(), paths.strings.c_str());
        const bool listLoaded = folders.LoadFromFile(paths.folderList.c_str());
        ++loads;
        if (!loaded || !listLoaded) ++failedLoads;
        if (SameImages(files, variants[0].files))
            ++seen[0];
        else if (SameImages(files, variants[1].files))
            ++seen[1];
        else
            ++foreignLoads;
    }
    ::SetEvent(stop.get());
    for (auto& writer : writers)
        EXPECT_EQ(WaitForExit(*writer, 30000), 0u) << "a save failed or the writer hung";
    std::printf("%d loads (%d of variant 0, %d of variant 1), %d failed, %d mixed\n", loads, seen[0], seen[1],
                failedLoads, foreignLoads);
    EXPECT_EQ(failedLoads, 0);
    EXPECT_EQ(foreignLoads, 0);
    // Both writers' pairs were seen, so the loads really ran between saves of both.
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0);

    const std::vector<BYTE> records = ReadBytes(paths.records);
    const std::vector<BYTE> strings = ReadBytes(paths.strings);
    const std::vector<BYTE> folderList = ReadBytes(paths.folderList);
    const bool pair0 = records == variants[0].records && strings == variants[0].strings;
    const bool pair1 = records == variants[1].records && strings == variants[1].strings;
    EXPECT_TRUE(pair0 || pair1) << "the files on disk are not one writer's pair";
    EXPECT_TRUE(folderList == variants[0].folderList || folderList == variants[1].folderList);
    EXPECT_TRUE(testsupport::FilesMatching(paths.dir, "*.tmp").empty());
}

// A program that holds the lock while it reads a file keeps a save waiting, not failing.
TEST(DatabaseLock, SaveWaitsForALoaderHoldingTheLock)
{
    const DatabasePaths paths(FreshFolder("lock_wait"));
    Variant old;
    BuildVariant(old, 0, paths);
    ASSERT_FALSE(HasFatalFailure());

    for (const std::string& held : {paths.records, paths.strings, paths.folderList}) {
        CFileCollection files;
        CFolderCollection folders;
        FillSampleImages(files, 70, 1);
        FillSampleFolders(folders, 4, 1);
        files.Modified = 1;
        folders.Modified = 1;
        LockHolder loader(held);
        ASSERT_TRUE(loader.WaitReady()) << held;

        std::atomic<bool> done{false};
        bool saved = false;
        std::thread saver([&] {
            saved = held == paths.folderList ? folders.SaveToFile(paths.folderList.c_str())
                                             : files.SaveToFile(paths.records.c_str(), paths.strings.c_str());
            done = true;
        });
        // The save writes its temporary files before it asks for the lock: once they are there, it is
        // on its way to the lock, which it cannot pass while the loader holds it.
        EXPECT_TRUE(testsupport::PumpUntil(
            [&] { return !testsupport::FilesMatching(paths.dir, "*.tmp").empty(); }, 5000))
            << "the save never wrote its temporary files: " << held;
        EXPECT_FALSE(done) << held;
        EXPECT_EQ(ReadBytes(paths.records), old.records) << held;
        EXPECT_EQ(ReadBytes(paths.strings), old.strings) << held;
        EXPECT_EQ(ReadBytes(paths.folderList), old.folderList) << held;
        EXPECT_EQ(loader.Release(), 0u) << held;
        saver.join();
        EXPECT_TRUE(saved) << held;

        if (held == paths.folderList) {
            EXPECT_EQ(folders.Modified, 0);
            CFolderCollection loaded;
            EXPECT_TRUE(loaded.LoadFromFile(paths.folderList.c_str()));
            EXPECT_EQ(loaded.GetCount(), 4);
            ASSERT_TRUE(old.folders.SaveToFile(paths.folderList.c_str()));
        } else {
            EXPECT_EQ(files.Modified, 0);
            CFileCollection loaded;
            EXPECT_TRUE(loaded.LoadFromFile(paths.records.c_str(), paths.strings.c_str()));
            EXPECT_TRUE(SameImages(loaded, files));
            ASSERT_TRUE(old.files.SaveToFile(paths.records.c_str(), paths.strings.c_str()));
        }
    }
}

// A program stuck while holding the lock: saves and record updates give up cleanly after the timeout,
// loads go ahead without it.
TEST(DatabaseLock, HeldTooLongSavesFailCleanlyLoadsGoAhead)
{
    const DatabasePaths paths(FreshFolder("lock_timeout"));
    Variant old;
    BuildVariant(old, 0, paths);
    ASSERT_FALSE(HasFatalFailure());
    CFileCollection files;
    CFolderCollection folders;
    FillSampleImages(files, 70, 1);
    FillSampleFolders(folders, 4, 1);
    files.Modified = 1;
    folders.Modified = 1;
    CImageFile* changed = old.files.FileAt(5);
    changed->ShownCount += 100;

    LockHolder stuck("");
    ASSERT_TRUE(stuck.WaitReady());
    // All at once, each in a thread of its own, so the test waits for one timeout only.
    bool filesSaved = true, foldersSaved = true, recordUpdated = true, loaded = false, listLoaded = false;
    CFileCollection loadedFiles;
    CFolderCollection loadedFolders;
    const DWORD start = ::GetTickCount();
    std::vector<std::thread> threads;
    threads.emplace_back(
        [&] { filesSaved = files.SaveToFile(paths.records.c_str(), paths.strings.c_str()); });
    threads.emplace_back([&] { foldersSaved = folders.SaveToFile(paths.folderList.c_str()); });
    threads.emplace_back([&] { recordUpdated = changed->UpdateRecordInFile(paths.records.c_str()); });
    threads.emplace_back(
        [&] { loaded = loadedFiles.LoadFromFile(paths.records.c_str(), paths.strings.c_str()); });
    threads.emplace_back([&] { listLoaded = loadedFolders.LoadFromFile(paths.folderList.c_str()); });
    for (std::thread& thread : threads)
        thread.join();
    const DWORD elapsed = ::GetTickCount() - start;
    EXPECT_EQ(stuck.Release(), 0u);

    EXPECT_GE(elapsed, CDatabaseLock::kDefaultTimeout - 100);
    EXPECT_LT(elapsed, CDatabaseLock::kDefaultTimeout + testsupport::ScaledMs(5000));
    EXPECT_FALSE(filesSaved);
    EXPECT_FALSE(foldersSaved);
    EXPECT_FALSE(recordUpdated);
    EXPECT_EQ(files.Modified, 1);
    EXPECT_EQ(folders.Modified, 1);
    EXPECT_EQ(ReadBytes(paths.records), old.records);
    EXPECT_EQ(ReadBytes(paths.strings), old.strings);
    EXPECT_EQ(ReadBytes(paths.folderList), old.folderList);
    EXPECT_TRUE(testsupport::FilesMatching(paths.dir, "*.tmp").empty());
    changed->ShownCount -= 100;
    EXPECT_TRUE(loaded);
    EXPECT_TRUE(SameImages(loadedFiles, old.files));
    EXPECT_TRUE(listLoaded);
    EXPECT_EQ(loadedFolders.GetCount(), old.folders.GetCount());

    // Once the lock is free again, everything goes through.
    EXPECT_TRUE(files.SaveToFile(paths.records.c_str(), paths.strings.c_str()));
    EXPECT_TRUE(folders.SaveToFile(paths.folderList.c_str()));
}

// After a save, the temporary files that ended saves left beside its targets go: at once when the
// process that wrote one has ended, else once it is a minute old. A fresh one of a process that
// runs may be its save in progress and stays, as does every name that is not a temporary file of one
// of the targets.
TEST(DatabaseLock, SaveRemovesStaleLeftoversOnly)
{
    const DatabasePaths paths(FreshFolder("lock_leftovers"));
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const ULONGLONG nowValue = FileTimeUnits(now);
    const ULONGLONG twoMinutesAgo = nowValue - 120ull * 10000000ull;
    const ULONGLONG halfAMinuteAgo = nowValue - 30ull * 10000000ull;
    // A writer that runs (this test) and one that has ended (a helper that stopped at once).
    char running[16];
    std::snprintf(running, sizeof running, "%lx", static_cast<unsigned long>(::GetCurrentProcessId()));
    char ended[16];
    {
        testsupport::ChildProcess helper;
        ASSERT_TRUE(StartHelper(helper, "no-such-mode"));
        ASSERT_TRUE(helper.WaitNotPumping(30000));
        std::snprintf(ended, sizeof ended, "%lx", static_cast<unsigned long>(helper.ProcessId()));
    }
    const std::string live = running;
    const std::string gone = ended;
    struct LeftoverCase {
        std::string path;
        ULONGLONG written;
        bool removed;
    };
    const LeftoverCase cases[] = {
        {paths.records + ".1a2b-3.tmp", twoMinutesAgo, true},
        {paths.strings + ".FF-10.tmp", twoMinutesAgo, true},
        {paths.folderList + ".20-1.tmp", twoMinutesAgo, true},
        {paths.records + "." + live + "-7.tmp", halfAMinuteAgo, false},  // a running writer's, still young
        {paths.records + "." + live + "-8.tmp", 0, false},               // written now
        {paths.records + "." + gone + "-9.tmp", 0, true},                // its writer ended: no save runs
        {paths.strings + "." + gone + "-a.tmp", halfAMinuteAgo, true},
        {paths.folderList + "." + gone + "-b.tmp", 0, true},
        {paths.records + ".backup.tmp", twoMinutesAgo, false},
        {paths.records + ".12-.tmp", twoMinutesAgo, false},
        {paths.records + ".x1-2.tmp", twoMinutesAgo, false},
        {paths.records + ".1-2-3.tmp", twoMinutesAgo, false},
        {paths.records + "." + gone + ".tmp", 0, false},
        {paths.dir + "\\Other.dat." + gone + "-3.tmp", 0, false},
        {paths.dir + "\\Other.dat.12-3.tmp", twoMinutesAgo, false},
    };
    for (const LeftoverCase& c : cases)
        MakeFile(c.path, 10, c.written);

    Variant saved;
    BuildVariant(saved, 0, paths);
    for (const LeftoverCase& c : cases)
        EXPECT_EQ(testsupport::PathExists(c.path), !c.removed) << c.path;
}
