// Times the imaging steps of one wallpaper change on large photos: KvImage's decode, the engine's
// load (EXIF read and decode), the 90-degree turn, the average colour and both resamplers to
// 1920 x 1080, with the process's peak memory after each step.
// Usage: imaging_bench.exe <photo.jpg>... (tools/bench makes the photos and runs this once per
// photo, so that each one's peak memory starts from nothing)
// Each step runs five times and the median is printed; "peak" is the process's peak working set so
// far as Wine reports it, so it shows when a step needs more than the buffers held before it. The
// engine's load goes into a fresh block each time, as a wallpaper change allocates it. Lines
// "figure <name> <ms>" are for tools/bench.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "KvImage.h"
#include "UTxLog.h"
#include "Udib.h"
#include "Uexif.h"
#include "Ujpegload.h"
#include "Uresample.h"

extern const CLogSettings g_LogSettings = {"ImgBench  ", "", false, 80, false, false, false};

namespace {

constexpr int kRuns = 5;
constexpr int kTargetWidth = 1920;
constexpr int kTargetHeight = 1080;

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double PeakMiB()
{
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof(pmc);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &pmc, sizeof(pmc));
    return static_cast<double>(pmc.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

// The median of a few runs in milliseconds; with a figure name, also the line tools/bench reads.
bool Time(const char* what, const std::function<bool()>& step, const char* figure = nullptr)
{
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        const double start = Now();
        if (!step()) {
            std::printf("  %-44s FAILED\n", what);
            return false;
        }
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("  %-44s %9.1f ms   peak %7.1f MiB\n", what, median, PeakMiB());
    if (figure) std::printf("figure %s %.3f\n", figure, median);
    std::fflush(stdout);
    return true;
}

void Bench(const char* path)
{
    DibHeaderBlock header{};
    DWORD size = 0;
    if (!DecodeJpgToDib(header.Info(), nullptr, path, &size)) {
        std::printf("%s: not a JPEG KvImage can read\n", path);
        return;
    }
    std::printf("%s: %ld x %ld, %d bits, %lu bytes of pixels\n", path,
                static_cast<long>(header.bmiHeader.biWidth), static_cast<long>(header.bmiHeader.biHeight),
                header.bmiHeader.biBitCount, static_cast<unsigned long>(size));

    // First the engine's own load, as a wallpaper change makes it: the size query, then a fresh
    // block of that size. Its peak is that block plus, for a turned image, the unturned decode.
    {
        CExif exif;
        const DWORD orientation = exif.ReadFromFile(path) ? exif.GetOrientation() : 0;
        const bool bTurns = orientation == 6 || orientation == 8;
        Time(
            bTurns ? "LoadBmpFromJpgFileEx, turned by EXIF" : "LoadBmpFromJpgFileEx (EXIF + query + decode)",
            [&] {
                DibHeaderBlock h{};
                DWORD queried = 0;
                if (!LoadBmpFromJpgFileEx(h.Info(), nullptr, path, &queried, TRUE, nullptr)) return false;
                GlobalBlock loaded = AllocDibBlock(queried);
                DWORD capacity = queried;
                return loaded && LoadBmpFromJpgFileEx(h.Info(), loaded.get(), path, &capacity, TRUE, nullptr);
            },
            bTurns ? "load-turned" : "load");
    }

    std::vector<BYTE> pixels(size);
    Time("KvImage DecodeJpgToDib (query + decode)", [&] {
        DWORD capacity = size;
        DibHeaderBlock h{};
        DWORD queried = 0;
        return DecodeJpgToDib(h.Info(), nullptr, path, &queried) &&
               DecodeJpgToDib(h.Info(), pixels.data(), path, &capacity);
    });
    Time("CExif::ReadFromFile", [&] {
        CExif exif;
        exif.ReadFromFile(path);
        return true;
    });

    // The turned image has other row padding.
    std::vector<BYTE> turned(size + 4 * static_cast<size_t>(header.bmiHeader.biWidth));
    Time("memcpy of the pixels (reference)", [&] {
        std::memcpy(turned.data(), pixels.data(), size);
        return true;
    });
    Time("RotateBitmap90 (clockwise)", [&] {
        BITMAPINFOHEADER h = header.bmiHeader;
        return RotateBitmap90(&h, pixels.data(), turned.data(), true);
    });
    COLORREF average = 0;
    Time("GetAverageRgbValue", [&] {
        average = GetAverageRgbValue(header.Info(), pixels.data());
        return true;
    });
    Time("StretchBitmap to 1920 x 1080", [&] {
        BITMAPINFO* info = nullptr;
        void* bits = nullptr;
        const bool ok =
            StretchBitmap(header.Info(), pixels.data(), &info, &bits, kTargetWidth, kTargetHeight);
        CDibPair result(info, bits);
        return ok;
    });
    Time(
        "InterpolativeStretchBitmap to 1920 x 1080",
        [&] {
            BITMAPINFO* info = nullptr;
            void* bits = nullptr;
            const bool ok = InterpolativeStretchBitmap(header.Info(), pixels.data(), &info, &bits,
                                                       kTargetWidth, kTargetHeight);
            CDibPair result(info, bits);
            return ok;
        },
        "resample");
    std::printf("  average colour %06lX\n\n", static_cast<unsigned long>(average));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::printf("usage: imaging_bench <photo.jpg>...\n");
        return 2;
    }
    for (int i = 1; i < argc; ++i)
        Bench(argv[i]);
    return 0;
}
