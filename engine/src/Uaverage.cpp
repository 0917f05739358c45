// The average colour of an image, for the background around it.
#include "Ujpegload.h"

#include "UTxLog.h"
#include "Udib.h"
#include "Usync.h"

namespace {

constexpr COLORREF kNoImageColor = 0x7F7F7F;

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

    ULONGLONG sum0 = 0, sum1 = 0, sum2 = 0;
    for (size_t y = 0; y < rows; ++y) {
        if (g_Synchronization.IsCancelled()) break;
        const BYTE* p = bits + y * rowBytes;
        if (h.biBitCount == 24) {
            ULONGLONG r0 = 0, r1 = 0, r2 = 0;
            for (size_t x = 0; x < width; ++x, p += 3) {
                r0 += p[0];
                r1 += p[1];
                r2 += p[2];
            }
            sum0 += r0;
            sum1 += r1;
            sum2 += r2;
        } else {
            ULONGLONG r0 = 0;
            for (size_t x = 0; x < width; ++x) r0 += p[x];
            sum0 += r0;
        }
    }

    const double count = static_cast<double>(width) * static_cast<double>(rows);
    const int mean0 = static_cast<int>(static_cast<double>(sum0) / count);
    if (h.biBitCount == 8) return RGB(mean0, mean0, mean0);
    const int mean1 = static_cast<int>(static_cast<double>(sum1) / count);
    const int mean2 = static_cast<int>(static_cast<double>(sum2) / count);
    return RGB(mean2, mean1, mean0);
}
