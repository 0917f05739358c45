// Measures the image database on a generated tree of 100,000 empty images in 1,000 folders and
// prints the figures (medians of five runs) with lines "figure <name> <seconds x 1000>" for
// tools/bench; not a test.
//   database_bench [folder]     (default C:\kvbench; the tree is made once and kept)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "UDatabase.h"
#include "UTxLog.h"
#include "UTxUtils.h"

const CLogSettings g_LogSettings = {"DbBench   ", "", false, 0, true, true, false};

namespace {

constexpr int kGroups = 10;
constexpr int kFoldersPerGroup = 100;
constexpr int kImagesPerFolder = 100;
constexpr int kRepeats = 5;

double Now()
{
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The median of a few runs, in seconds: a lucky run does not speak for the code.
double Median(const std::function<void()>& run)
{
    std::vector<double> times;
    for (int i = 0; i < kRepeats; ++i) {
        const double start = Now();
        run();
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void MakeTree(const std::string& tree)
{
    const std::string done = tree + "\\complete.txt";
    if (::GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    std::printf("making the tree in %s ...\n", tree.c_str());
    ::CreateDirectoryA(tree.c_str(), nullptr);
    char path[MAX_PATH];
    for (int g = 0; g < kGroups; ++g) {
        std::snprintf(path, sizeof path, "%s\\Group %02d", tree.c_str(), g);
        ::CreateDirectoryA(path, nullptr);
        for (int f = 0; f < kFoldersPerGroup; ++f) {
            std::snprintf(path, sizeof path, "%s\\Group %02d\\Album %03d", tree.c_str(), g, f);
            ::CreateDirectoryA(path, nullptr);
            for (int i = 0; i < kImagesPerFolder; ++i) {
                std::snprintf(path, sizeof path, "%s\\Group %02d\\Album %03d\\IMG_%02d%03d%03d.jpg",
                              tree.c_str(), g, f, g, f, i);
                FileHandle file(::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
            }
        }
    }
    FileHandle marker(::CreateFileA(done.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The bare walk: every directory searched once, nothing kept.
long BareWalk(const std::string& directory)
{
    long entries = 0;
    std::vector<std::string> subdirectories;
    WIN32_FIND_DATAA entry;
    FindHandle find(::FindFirstFileA((directory + "\\*").c_str(), &entry));
    if (find) {
        do {
            ++entries;
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && entry.cFileName[0] != '.')
                subdirectories.push_back(directory + "\\" + entry.cFileName);
        } while (::FindNextFileA(find.get(), &entry));
    }
    find.reset();
    for (const std::string& sub : subdirectories)
        entries += BareWalk(sub);
    return entries;
}

std::vector<BYTE> ReadWhole(const std::string& path)
{
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    std::vector<BYTE> bytes(::GetFileSize(file.get(), nullptr));
    DWORD read = 0;
    if (!bytes.empty())
        ::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    return bytes;
}

void WriteWhole(const std::string& path, const std::vector<BYTE>& bytes)
{
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!bytes.empty())
        ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::FlushFileBuffers(file.get());
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string root = argc > 1 ? argv[1] : "C:\\kvbench";
    const std::string tree = root + "\\tree";
    ::CreateDirectoryA(root.c_str(), nullptr);
    MakeTree(tree);
    const std::string folderList = root + "\\FolderList.dat";
    const std::string dat = root + "\\FileListDat.dat";
    const std::string str = root + "\\FileListStr.dat";

    long entries = BareWalk(tree);  // warms the caches
    const double walk = Median([&] { entries = BareWalk(tree); });

    CFolderCollection folders;
    auto folder = std::make_unique<CImageFolder>();
    folder->Path.Assign(tree.c_str());
    folder->IncludeSubfolders = 1;
    folders.Insert(folder.release());

    int images = 0;
    const double scan = Median([&] {
        CFileCollection files;
        folders.RecalculateAllFolders(files);
        images = files.GetCount();
    });
    CFileCollection files;
    folders.RecalculateAllFolders(files);
    const double rescan = Median([&] { folders.RecalculateAllFolders(files); });

    bool saved = true;
    const double save = Median([&] {
        saved = folders.SaveToFile(folderList.c_str()) && files.SaveToFile(dat.c_str(), str.c_str()) && saved;
    });
    const std::vector<BYTE> listBytes = ReadWhole(folderList);
    const std::vector<BYTE> datBytes = ReadWhole(dat);
    const std::vector<BYTE> strBytes = ReadWhole(str);
    const double rawWrite = Median([&] {
        WriteWhole(root + "\\raw1.dat", listBytes);
        WriteWhole(root + "\\raw2.dat", datBytes);
        WriteWhole(root + "\\raw3.dat", strBytes);
    });
    size_t readBytes = 0;
    const double rawRead = Median(
        [&] { readBytes = ReadWhole(folderList).size() + ReadWhole(dat).size() + ReadWhole(str).size(); });
    bool loaded = true;
    int loadedImages = 0;
    const double load = Median([&] {
        CFolderCollection loadedFolders;
        CFileCollection loadedFiles;
        loaded = loadedFolders.LoadFromFile(folderList.c_str()) &&
                 loadedFiles.LoadFromFile(dat.c_str(), str.c_str());
        loadedImages = loadedFiles.GetCount();
    });
    const double loadBare = Median([&] {
        CFileCollection bare;
        loaded = bare.LoadFromFile(dat.c_str(), "") && loaded;
    });
    bool changed = false;
    const double check = Median([&] { changed = folders.CheckForChangesOnDisk(true); });

    std::printf("tree: %ld entries, %d images in %d folders\n", entries, images,
                kGroups * kFoldersPerGroup + kGroups + 1);
    std::printf("bare FindFirstFile/FindNextFile walk   %8.3f s\n", walk);
    std::printf("scan and build (RecalculateAllFolders) %8.3f s   scan / walk  = %.2f\n", scan, scan / walk);
    std::printf("rescan keeping values of 100,000       %8.3f s   rescan / walk = %.2f\n", rescan,
                rescan / walk);
    std::printf("save (three files, flushed, replaced)  %8.3f s   save / raw write = %.2f  (%s)\n", save,
                save / rawWrite, saved ? "ok" : "FAILED");
    std::printf("raw write, one WriteFile + flush each  %8.3f s\n", rawWrite);
    std::printf("load (folder list, records, strings)   %8.3f s   load / raw read = %.2f  (%d images, %s)\n",
                load, load / rawRead, loadedImages, loaded ? "ok" : "FAILED");
    std::printf("load of the records alone, as the engine %8.3f s\n", loadBare);
    std::printf("raw read, one ReadFile each (%u bytes) %8.3f s\n", static_cast<unsigned>(readBytes),
                rawRead);
    std::printf("CheckForChangesOnDisk, unchanged tree  %8.3f s   check / walk = %.2f  (%s)\n", check,
                check / walk, changed ? "CHANGED?" : "unchanged");
    const std::pair<const char*, double> figures[] = {
        {"walk", walk},          {"scan", scan}, {"rescan", rescan},    {"save", save},
        {"raw-write", rawWrite}, {"load", load}, {"raw-read", rawRead}, {"load-records", loadBare},
        {"check", check},
    };
    for (const auto& [name, seconds] : figures)
        std::printf("figure %s %.3f\n", name, seconds * 1000.0);
    return saved && loaded && !changed ? 0 : 1;
}
