// The average colour of an image, for the background around it.
#include "Ujpegload.h"

#include <algorithm>

#include "UTxLog.h"
#include "Udib.h"
#include "UCancelPoll.h"

namespace {

constexpr COLORREF kNoImageColor = 0x7F7F7F;

// 32-bit partial sums cannot overflow within this many pixels.
constexpr size_t kPixelsPerPartialSum = 1 << 24;

void AddRow24(const BYTE* p, size_t width, ULONGLONG sums[3])
{
    while (width) {
        const size_t n = std::min(width, kPixelsPerPartialSum);
        DWORD s0 = 0, s1 = 0, s2 = 0;
        for (size_t x = 0; x < n; ++x, p += 3) {
            s0 += p[0];
            s1 += p[1];
            s2 += p[2];
        }
        sums[0] += s0;
        sums[1] += s1;
        sums[2] += s2;
        width -= n;
    }
}

void AddRow8(const BYTE* p, size_t width, ULONGLONG sums[3])
{
    while (width) {
        const size_t n = std::min(width, kPixelsPerPartialSum);
        DWORD s0 = 0;
        for (size_t x = 0; x < n; ++x)
            s0 += p[x];
        sums[0] += s0;
        p += n;
        width -= n;
    }
}

}  // namespace

// Sums are kept in integers: every partial sum is a whole number below 2^53, so the means are
// exactly those of double sums.
COLORREF GetAverageRgbValue(const BITMAPINFO* pBmpInfo, const void* pBmpData)
{
    CLogScope scope("GetAverageRgbValue");
    if (!pBmpInfo || !pBmpData) {
        LogText("GetAverageRgbValue: pBmpInfo or pBmpData is NULL");
        return kNoImageColor;
    }
    const BITMAPINFOHEADER& h = pBmpInfo->bmiHeader;
    if (h.biBitCount != 8 && h.biBitCount != 24) return 0;
    if (h.biWidth < 1 || h.biHeight == 0 || DibPixelBytes(h) > kMaxDibPixelBytes) return 0;

    const size_t width = static_cast<size_t>(h.biWidth);
    const size_t rows = static_cast<size_t>(DibRowCount(h.biHeight));
    const size_t rowBytes = static_cast<size_t>(DibRowBytes(h.biWidth, h.biBitCount));
    const BYTE* bits = static_cast<const BYTE*>(pBmpData);

    ULONGLONG sums[3] = {0, 0, 0};
    CCancelPoll poll(rowBytes);
    for (size_t y = 0; y < rows; ++y) {
        if (poll.Cancelled()) break;
        const BYTE* row = bits + y * rowBytes;
        if (h.biBitCount == 24) {
            AddRow24(row, width, sums);
        } else {
            AddRow8(row, width, sums);
        }
    }
    const ULONGLONG sum0 = sums[0], sum1 = sums[1], sum2 = sums[2];

    const double count = static_cast<double>(width) * static_cast<double>(rows);
    const int mean0 = static_cast<int>(static_cast<double>(sum0) / count);
    if (h.biBitCount == 8) return RGB(mean0, mean0, mean0);
    const int mean1 = static_cast<int>(static_cast<double>(sum1) / count);
    const int mean2 = static_cast<int>(static_cast<double>(sum2) / count);
    return RGB(mean2, mean1, mean0);
}
