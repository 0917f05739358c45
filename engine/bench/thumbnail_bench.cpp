// Times both selections behind a long run of images too small to show (a thumbnail cache): the
// first wallpaper change and the screen saver's first step, which measure every small image once,
// and the calls after them, which pass the small images over by their stored size.
//
//   thumbnail_bench <newer thumbnails folder> <older thumbnails folder> <data folder> [runs]
//
// Each folder holds two photos and, in its subfolders, the small images: newer than the photos in
// the first (the wallpaper prefers new images), older in the second (the saver's date order runs
// oldest first). engine/bench/run-thumbnail-bench makes the folders and runs it. Every run starts
// from a database freshly scanned by the database code; the figures are medians.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "UDatabase.h"
#include "UTxLog.h"
#include "Uscreensaver.h"
#include "Uselection.h"
#include "Usync.h"
#include "Wcommon.h"

const CLogSettings g_LogSettings = {"ThumbnailBench", "", false, 0, false, false, false};

namespace {

constexpr int kFollowingCalls = 5;

double NowMs()
{
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A fresh database of the folder and its subfolders, and the default settings pointing at it.
bool ScanInto(const std::string& images, const std::string& data, RegistryRecord& record, int& count)
{
    SetRegistryDefaults(nullptr, &record, true, false);
    const std::string folderList = data + "\\FolderList.dat";
    const std::string recordFile = data + "\\FileListDat.dat";
    const std::string stringFile = data + "\\FileListStr.dat";
    lstrcpynA(record.Files.szFolderListFile, folderList.c_str(), kPathSize);
    lstrcpynA(record.Files.szFileListDatFile, recordFile.c_str(), kPathSize);
    lstrcpynA(record.Files.szFileListStrFile, stringFile.c_str(), kPathSize);
    CFolderCollection folders;
    auto folder = std::make_unique<CImageFolder>();
    folder->Path.Assign(images.c_str());
    folder->IncludeSubfolders = 1;
    folders.Insert(folder.release());
    CFileCollection files;
    folders.RecalculateAllFolders(files);
    count = files.GetCount();
    return folders.SaveToFile(folderList.c_str()) && files.SaveToFile(recordFile.c_str(), stringFile.c_str());
}

bool IsPhoto(const TxString& name)
{
    return name.Equals("good_a.jpg") || name.Equals("good_b.jpg");
}

struct Calls {
    std::vector<double> first, following;
    int photos = 0, calls = 0;
};

// One run: a fresh database, the first call and the ones after it, each timed.
bool Run(const std::string& images, const std::string& data, bool wallpaper, Calls& calls)
{
    RegistryRecord record{};
    int count = 0;
    if (!ScanInto(images, data, record, count)) return false;
    record.ScreenSaver.bRandomSelection = 0;  // date order: the older small images first
    const CSynchronizationGuard lock;         // as inside the export
    for (int i = 0; i <= kFollowingCalls; ++i) {
        TxString folder, name, date;
        COLORREF colour = 0;
        const double start = NowMs();
        const bool found = wallpaper ? FindNextBackgroundImage(&record, &folder, &name, &date, &colour)
                                     : FindNextScreenSaverImage(&record, &folder, &name, &date, &colour);
        const double ms = NowMs() - start;
        (i == 0 ? calls.first : calls.following).push_back(ms);
        ++calls.calls;
        if (found && IsPhoto(name)) ++calls.photos;
        if (i == 0 && !(found && IsPhoto(name)))
            std::printf("  the first %s call showed no photo\n", wallpaper ? "wallpaper" : "saver");
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::printf("usage: thumbnail_bench <newer thumbnails> <older thumbnails> <data folder> [runs]\n");
        return 2;
    }
    const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 5;
    struct Scenario {
        const char* what;
        const char* figure;
        const char* images;
        bool wallpaper;
    } const scenarios[] = {
        {"wallpaper (prefer new images), small images newer", "wallpaper", argv[1], true},
        {"screen saver (date order), small images older", "saver", argv[2], false},
    };
    for (const Scenario& s : scenarios) {
        Calls calls;
        for (int run = 0; run < runs; ++run)
            if (!Run(s.images, argv[3], s.wallpaper, calls)) {
                std::printf("the database of %s could not be made\n", s.images);
                return 1;
            }
        std::printf("%s: %d of %d calls showed a photo\n", s.what, calls.photos, calls.calls);
        std::printf("  %-40s %9.1f ms\n", "first call (measures the small images)", Median(calls.first));
        std::printf("  %-40s %9.1f ms\n", "each following call", Median(calls.following));
        std::printf("figure %s-first %.3f\nfigure %s-next %.3f\n", s.figure, Median(calls.first), s.figure,
                    Median(calls.following));
    }
    return 0;
}
