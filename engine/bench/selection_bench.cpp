// Times the wallpaper selection over a large image database and a whole wallpaper change, and
// prints the figures (medians) with lines "figure <name> <ms>" for tools/bench, which also takes
// the process's peak memory from the operating system.
//
//   selection_bench prepare <image folder> <data folder>   scans the tree into a database
//   selection_bench measure <image folder> <data folder>   prints the figures
//
// tools/bench makes the image tree (hard links to one 6000 x 4000 photo, 100 to a folder, as a
// camera's photos lie) and runs both. The settings go to the fixed settings key of the Wine prefix;
// the benchmark deletes the key at the end.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "UDatabase.h"
#include "UImageStore.h"
#include "UTxDiskApi.h"
#include "UTxLog.h"
#include "Udib.h"
#include "Uenvironment.h"
#include "Ujpegload.h"
#include "Uoperations.h"
#include "Uselection.h"
#include "Usync.h"
#include "WpApi.h"
#include "Wcommon.h"

const CLogSettings g_LogSettings = {"SelBench  ", "", false, 0, false, false, false};

namespace {

constexpr int kRuns = 7;
constexpr int kChangeRuns = 5;

// The desktop the whole change composes for, whatever screen the Wine driver reports.
class FullHdEnvironment : public CDesktopEnvironment {
public:
    CScreenGeometry GetScreenGeometry() const override
    {
        CScreenGeometry geometry;
        geometry.iScreenWidth = 1920;
        geometry.iScreenHeight = 1080;
        geometry.rcWorkArea = RECT{0, 0, 1920, 1040};  // a task bar of 40 pixels at the bottom
        return geometry;
    }
};

double NowMs()
{
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct Figure {
    double median = 0;
    double best = 0;
};

template <typename F> Figure Time(int runs, F&& step)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = NowMs();
        step();
        times.push_back(NowMs() - start);
    }
    std::sort(times.begin(), times.end());
    return Figure{times[times.size() / 2], times.front()};
}

void Print(const char* what, const Figure& figure, const char* name = nullptr)
{
    std::printf("  %-58s %9.1f ms (best %.1f)\n", what, figure.median, figure.best);
    if (name) std::printf("figure %s %.3f\n", name, figure.median);
}

struct Paths {
    std::string images, folderList, recordFile, stringFile, workBmp;
};

Paths PathsFor(const char* imageFolder, const char* dataFolder)
{
    const std::string data = dataFolder;
    return Paths{imageFolder, data + "\\FolderList.dat", data + "\\FileListDat.dat",
                 data + "\\FileListStr.dat", data + "\\Wallpaper.bmp"};
}

RegistryRecord BenchRecord(const Paths& paths)
{
    // The defaults a user starts with: prefer new images, textures, frame and calendar.
    RegistryRecord record{};
    SetRegistryDefaults(nullptr, &record, true, true);
    record.Display.dwMaxSize = 7000;  // the 6000 x 4000 photo must be eligible
    lstrcpynA(record.Files.szFolderListFile, paths.folderList.c_str(), kPathSize);
    lstrcpynA(record.Files.szFileListDatFile, paths.recordFile.c_str(), kPathSize);
    lstrcpynA(record.Files.szFileListStrFile, paths.stringFile.c_str(), kPathSize);
    lstrcpynA(record.Files.szWorkBmpFile, paths.workBmp.c_str(), kPathSize);
    return record;
}

int Prepare(const Paths& paths)
{
    const double start = NowMs();
    CFolderCollection folders;
    auto folder = std::make_unique<CImageFolder>();
    folder->Path.Assign(paths.images.c_str());
    folder->IncludeSubfolders = 1;
    folders.Insert(folder.release());
    CFileCollection files;
    folders.RecalculateAllFolders(files);
    if (!files.SaveToFile(paths.recordFile.c_str(), paths.stringFile.c_str()) ||
        !folders.SaveToFile(paths.folderList.c_str())) {
        std::printf("the database could not be saved\n");
        return 1;
    }
    std::printf("database of %d images written in %.0f ms\n", files.GetCount(), NowMs() - start);
    return 0;
}

// Every counter set to `count` straight in the record file, as many changes would leave them.
bool SetAllCounters(const Paths& paths, DWORD count)
{
    HANDLE file = ::CreateFileA(paths.recordFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const DWORD size = ::GetFileSize(file, nullptr);
    std::vector<BYTE> bytes(size);
    DWORD done = 0;
    bool ok = ::ReadFile(file, bytes.data(), size, &done, nullptr) && done == size;
    for (DWORD at = 144; ok && at + 80 <= size; at += 80)
        std::memcpy(&bytes[at + 20], &count, 4);
    ok = ok && ::SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0 &&
         ::WriteFile(file, bytes.data(), size, &done, nullptr) && done == size;
    ::CloseHandle(file);
    return ok;
}

int Measure(const Paths& paths)
{
    RegistryRecord record = BenchRecord(paths);
    if (!WriteToRegistry(&record)) {
        std::printf("the settings could not be written\n");
        return 1;
    }
    CFileCollection probe;
    probe.LoadFromFile(paths.recordFile.c_str(), "");
    const int count = probe.GetCount();
    WriteRegistryRoot(true, static_cast<DWORD>(count));
    if (count == 0) {
        std::printf("no database; run prepare first\n");
        return 1;
    }
    CImageFile first(*probe.FileAt(0));
    LoadStringsFromFile(first, paths.stringFile.c_str());
    const std::string photo = std::string(first.FolderPath.GetText()) + "\\" + first.FileName.GetText();
    probe.FreeAll();
    std::printf("%d images (each a link to one photo, 100 to a folder), screen composed at 1920 x 1080\n",
                count);

    const FullHdEnvironment fullHd;
    const CDesktopEnvironmentOverride environment(fullHd);
    CSynchronizationGuard lock;  // the operations below run as inside an export

    std::printf("selection, its parts:\n");
    Print("load the record file (no texts)", Time(kRuns, [&] {
              CFileCollection files;
              files.LoadFromFile(paths.recordFile.c_str(), "");
          }));
    Print("header check of one candidate (EXIF, size, ratio)", Time(kRuns, [&] {
              DibHeaderBlock header{};
              DWORD size = 0;
              FILETIME exif{};
              LoadBmpFromJpgFileEx(header.Info(), nullptr, photo.c_str(), &size, TRUE, &exif);
          }));
    std::printf("whole figures:\n");
    const Figure selection = Time(kRuns, [&] {
        TxString folder, name, date;
        COLORREF colour = 0;
        if (!FindNextBackgroundImage(&record, &folder, &name, &date, &colour))
            std::printf("  (selection failed)\n");
    });
    Print("one selection (load, keys, sort, candidate checks)", selection, "selection");
    Print("one selection that resets every counter first", Time(1, [&] {
              SetAllCounters(paths, 1);
              TxString folder, name, date;
              COLORREF colour = 0;
              FindNextBackgroundImage(&record, &folder, &name, &date, &colour);
          }));
    Print("unchanged refresh (CheckForAndWriteChangesOnDisk)",
          Time(kRuns, [] { CheckForAndWriteChangesOnDisk(); }), "refresh");
    const Figure change = Time(kChangeRuns, [] {
        if (!WpApi_SetRandomWallpaper()) std::printf("  (change failed)\n");
    });
    Print("whole WpApi_SetRandomWallpaper, 6000 x 4000 at 1920 x 1080", change, "change");
    std::printf("  selection / whole change: %.3f\n", selection.median / change.median);

    // The same export in KvApi.dll, loaded and freed for every change from the folder of this
    // program as the Agent does; the library composes for the screen the driver reports.
    const std::string library = TxProgramFolder() + "KvApi.dll";
    const Figure loaded = Time(kChangeRuns, [&] {
        HMODULE module = ::LoadLibraryExA(library.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        const auto change = module ? reinterpret_cast<PFN_WpApi_SetRandomWallpaper>(reinterpret_cast<void*>(
                                         ::GetProcAddress(module, "WpApi_SetRandomWallpaper")))
                                   : nullptr;
        if (!change || !change()) std::printf("  (change through KvApi.dll failed)\n");
        if (module) ::FreeLibrary(module);
    });
    char what[80];
    std::snprintf(what, sizeof what, "the same through KvApi.dll, at the driver's %d x %d",
                  ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    Print(what, loaded, "change-dll");

    // Wine reports no true peak of the private bytes, so the peak comes from the operating
    // system's accounting of this process (tools/bench), not from here.
    ::RegDeleteTreeA(HKEY_CURRENT_USER, KV_REG_ROOT);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::printf("usage: selection_bench prepare|measure <image folder> <data folder>\n");
        return 2;
    }
    const Paths paths = PathsFor(argv[2], argv[3]);
    if (std::strcmp(argv[1], "prepare") == 0) return Prepare(paths);
    if (std::strcmp(argv[1], "measure") == 0) return Measure(paths);
    std::printf("unknown mode %s\n", argv[1]);
    return 2;
}
