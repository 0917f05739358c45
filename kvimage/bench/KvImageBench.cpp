// Times DecodeJpgToDib on one file: the size query, then full decodes into one buffer.
// Usage: kvimage_bench <file.jpg> [runs]. Prints the best and median decode time and the peak working
// set (the pixel buffer is touched before the first decode, so it is part of it).
#include <windows.h>

#include <psapi.h>

#include <KvImage.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

double NowMs()
{
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: kvimage_bench <file.jpg> [runs]\n");
        return 2;
    }
    const char* path = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    std::vector<unsigned char> header(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* info = reinterpret_cast<BITMAPINFO*>(header.data());
    DWORD size = 0;
    const double queryStart = NowMs();
    if (!DecodeJpgToDib(info, nullptr, path, &size)) {
        std::fprintf(stderr, "size query failed: %s\n", path);
        return 1;
    }
    const double queryMs = NowMs() - queryStart;

    std::vector<unsigned char> pixels(size);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        DWORD capacity = size;
        const double start = NowMs();
        if (!DecodeJpgToDib(info, pixels.data(), path, &capacity)) {
            std::fprintf(stderr, "decode failed: %s\n", path);
            return 1;
        }
        times.push_back(NowMs() - start);
    }
    std::sort(times.begin(), times.end());

    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory));
    std::printf(
        "KvImage.dll  %ld x %ld, %d bits: size query %.2f ms, decode best %.1f ms, median %.1f ms "
        "(%d runs); peak working set %.1f MiB (pixel buffer %.1f MiB)\n",
        info->bmiHeader.biWidth, info->bmiHeader.biHeight, info->bmiHeader.biBitCount, queryMs, times.front(),
        times[times.size() / 2], runs, memory.PeakWorkingSetSize / 1048576.0, size / 1048576.0);
    return 0;
}
