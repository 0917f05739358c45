// Times the screen saver's selection over a large image database: an ordinary step in either order,
// and the step that starts a new cycle by clearing every shown bit, beside the same clearing done
// one record at a time.
//
//   saver_bench <data folder> [image count, default 20000]
//
// engine/bench/run-saver-bench makes the images (hard links to one small JPEG in <data folder>\images)
// and runs it; the database that lists them is written here.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "UDatabase.h"
#include "UImageStore.h"
#include "UTxLog.h"
#include "UTxTime.h"
#include "Uscreensaver.h"
#include "Usync.h"
#include "Wcommon.h"

const CLogSettings g_LogSettings = {"SaverBench", "", false, 0, false, false, false};

namespace {

constexpr int kRuns = 5;

double NowMs()
{
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The median of `runs` timings of `step`; `before` runs untimed ahead of each.
template <typename Before, typename Step> double MedianMs(int runs, Before&& before, Step&& step)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        before();
        const double start = NowMs();
        step();
        times.push_back(NowMs() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The database that lists photo000000.jpg ... of the images folder for both uses, one minute apart.
bool MakeDatabase(const std::string& data, int count, RegistryRecord& record)
{
    const std::string images = data + "\\images";
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (!::GetFileAttributesExA((images + "\\photo000000.jpg").c_str(), GetFileExInfoStandard, &attributes))
        return false;
    CFileCollection files;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "photo%06d.jpg", i);
        auto image = std::make_unique<CImageFile>();
        image->FolderPath.Assign(images.c_str());
        image->FileName.Assign(name);
        image->LastWriteTime = FileTimeFromUnits(FileTimeUnits(attributes.ftLastWriteTime) +
                                                 600000000ull * static_cast<ULONGLONG>(count - i));
        image->FileSizeLow = attributes.nFileSizeLow;
        image->FileFlags = FLAG_USE_FOR_WALLPAPER | FLAG_USE_FOR_SCREENSAVER;
        if (!files.Insert(image.get())) return false;
        image.release();
    }
    SetRegistryDefaults(nullptr, &record, true, false);
    const std::string recordFile = data + "\\FileListDat.dat";
    const std::string stringFile = data + "\\FileListStr.dat";
    lstrcpynA(record.Files.szFileListDatFile, recordFile.c_str(), kPathSize);
    lstrcpynA(record.Files.szFileListStrFile, stringFile.c_str(), kPathSize);
    return files.SaveToFile(recordFile.c_str(), stringFile.c_str());
}

// Every image's shown bits set straight in the record file, as a finished cycle leaves them.
bool MarkAllShown(const char* recordFile)
{
    HANDLE file =
        ::CreateFileA(recordFile, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const DWORD size = ::GetFileSize(file, nullptr);
    std::vector<BYTE> bytes(size);
    DWORD done = 0;
    bool ok = ::ReadFile(file, bytes.data(), size, &done, nullptr) && done == size;
    const DWORD shown = FLAG_SHOWN_RANDOM | FLAG_SHOWN_BY_TIME;
    for (DWORD at = 144; ok && at + 80 <= size; at += 80)
        std::memcpy(&bytes[at + 24], &shown, 4);
    ok = ok && ::SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0 &&
         ::WriteFile(file, bytes.data(), size, &done, nullptr) && done == size;
    ::CloseHandle(file);
    return ok;
}

void Select(RegistryRecord& record, bool randomOrder)
{
    record.ScreenSaver.bRandomSelection = randomOrder ? 1 : 0;
    TxString folder, name, date;
    COLORREF colour = 0;
    if (!FindNextScreenSaverImage(&record, &folder, &name, &date, &colour))
        std::printf("  (selection failed)\n");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::printf("usage: saver_bench <data folder> [image count]\n");
        return 2;
    }
    const int count = argc > 2 ? std::atoi(argv[2]) : 20000;
    RegistryRecord record{};
    const double start = NowMs();
    if (count < 1 || !MakeDatabase(argv[1], count, record)) {
        std::printf("the images or the database could not be made\n");
        return 1;
    }
    std::printf("%d images (links to one JPEG), database written in %.0f ms\n", count, NowMs() - start);
    const char* recordFile = record.Files.szFileListDatFile;
    const CSynchronizationGuard lock;  // as inside the export

    const auto nothing = [] {};
    std::printf("  %-62s %9.1f ms\n", "one step, random order (load, keys, sort, one check)",
                MedianMs(kRuns, nothing, [&] { Select(record, true); }));
    std::printf("  %-62s %9.1f ms\n", "one step, date order",
                MedianMs(kRuns, nothing, [&] { Select(record, false); }));
    std::printf("  %-62s %9.1f ms\n", "one step that first clears every shown bit (one batch)",
                MedianMs(
                    kRuns, [&] { MarkAllShown(recordFile); }, [&] { Select(record, true); }));
    std::printf("  %-62s %9.1f ms\n", "the same clearing written one record at a time",
                MedianMs(
                    1, [&] { MarkAllShown(recordFile); },
                    [&] {
                        CFileCollection files;
                        files.LoadFromFile(recordFile, "");
                        for (int i = 0; i < files.GetCount(); ++i) {
                            files.FileAt(i)->ScreenSaverFlags &= ~static_cast<DWORD>(FLAG_SHOWN_RANDOM);
                            StoreSelfToFile(*files.FileAt(i), recordFile);
                        }
                    }));
    return 0;
}
