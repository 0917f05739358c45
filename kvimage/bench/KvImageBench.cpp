// Times DecodeJpgToDib on one file: the size query, then full decodes; with a scale, the decode at
// that many eighths of the size (ordinal 3).
// Usage: kvimage_bench <file.jpg> [runs (7)] [reused|fresh (reused)] [scale 1-8 (8)]
//   reused: every decode goes into one buffer, touched by the decodes before it;
//   fresh:  every decode goes into a new zeroed global block, as a wallpaper change allocates it,
//           so the time includes the first touch of each page.
// Prints the median decode time and a line "figure decode-<mode> <ms>" for tools/bench, which also
// takes the process's peak memory from the operating system.
#include <windows.h>

#include <KvImage.h>
#include <UTxUtils.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

double NowMs()
{
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: kvimage_bench <file.jpg> [runs] [reused|fresh] [scale]\n");
        return 2;
    }
    const char* path = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    const bool fresh = argc > 3 && std::strcmp(argv[3], "fresh") == 0;
    const UINT scale = argc > 4 ? static_cast<UINT>(std::atoi(argv[4])) : KVIMAGE_FULL_SCALE;
    const auto decodeScaled =
        reinterpret_cast<KvImageDecodeScaledProc>(reinterpret_cast<void*>(::GetProcAddress(
            ::GetModuleHandleA("KvImage.dll"), MAKEINTRESOURCEA(KVIMAGE_ORDINAL_DECODE_SCALED))));
    const auto decode = [&](BITMAPINFO* info, void* pixels, DWORD* size) {
        return scale == KVIMAGE_FULL_SCALE ? DecodeJpgToDib(info, pixels, path, size)
                                           : decodeScaled && decodeScaled(info, pixels, path, size, scale);
    };

    std::vector<unsigned char> header(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* info = reinterpret_cast<BITMAPINFO*>(header.data());
    DWORD size = 0;
    const double queryStart = NowMs();
    if (!decode(info, nullptr, &size)) {
        std::fprintf(stderr, "size query failed (error %lu): %s\n", ::GetLastError(), path);
        return 1;
    }
    const double queryMs = NowMs() - queryStart;

    std::vector<unsigned char> reused(fresh ? 0 : size);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        DWORD capacity = size;
        const double start = NowMs();
        GlobalBlock block(fresh ? ::GlobalAlloc(GPTR, size) : nullptr);
        void* pixels = fresh ? block.get() : reused.data();
        if (!pixels || !decode(info, pixels, &capacity)) {
            std::fprintf(stderr, "decode failed (error %lu): %s\n", ::GetLastError(), path);
            return 1;
        }
        times.push_back(NowMs() - start);
    }
    const double median = Median(times);
    std::printf(
        "KvImage.dll  %ld x %ld, %d bits: size query %.2f ms, decode into a %s buffer: median %.1f ms, "
        "best %.1f ms (%d runs); pixel buffer %.1f MiB\n",
        info->bmiHeader.biWidth, info->bmiHeader.biHeight, info->bmiHeader.biBitCount, queryMs,
        fresh ? "fresh" : "reused", median, *std::min_element(times.begin(), times.end()), runs,
        size / 1048576.0);
    if (scale == KVIMAGE_FULL_SCALE)
        std::printf("figure decode-%s %.3f\n", fresh ? "fresh" : "reused", median);
    else
        std::printf("figure decode-scaled %.3f\n", median);
    return 0;
}
