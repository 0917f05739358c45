// Turning a DIB by 90 degrees as it is seen, for both row orders.
#include <cstring>

#include "Fprogress.h"
#include "UTxLog.h"
#include "Udib.h"
#include "Ujpegload.h"
#include "Usync.h"

namespace {

// Copies every source row into its destination column. The destination column of source memory
// row m, and the direction in which the destination rows follow the source columns, depend on
// the turn and on the row order: seen from above, a bottom-up image is a top-down one flipped.
template <int B>
void CopyRotated(const BYTE* src, BYTE* dst, LONG w, LONG h, size_t srcRow, size_t dstRow, bool bClockwise,
                 bool bBottomUp)
{
    const bool bRowsAscending = bClockwise != bBottomUp;
    const bool bColumnIsRow = bClockwise == bBottomUp;
    const ptrdiff_t step = bRowsAscending ? static_cast<ptrdiff_t>(dstRow) : -static_cast<ptrdiff_t>(dstRow);
    BYTE* const firstRow = bRowsAscending ? dst : dst + static_cast<size_t>(w - 1) * dstRow;

    for (LONG m = 0; m < h; ++m) {
        if (g_Synchronization.IsCancelled()) return;
        const LONG column = bColumnIsRow ? m : h - 1 - m;
        const BYTE* s = src + static_cast<size_t>(m) * srcRow;
        BYTE* d = firstRow + static_cast<size_t>(column) * B;
        for (LONG c = 0; c < w; ++c) {
            if constexpr (B == 1) {
                *d = *s;
            } else if constexpr (B == 3) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
            } else {
                std::memcpy(d, s, B);
            }
            s += B;
            d += step;
        }
    }
}

}  // namespace

bool RotateBitmap90(BITMAPINFOHEADER* pBmpHeader, const void* pSrcBmpData, void* pDstBmpData, bool bClockwise)
{
    if (!pBmpHeader || !pSrcBmpData) {
        LogText("RotateBitmap90: pBmpInfo or pSrcBmpData is NULL");
        return false;
    }
    if (!pDstBmpData) {
        LogText("RotateBitmap90: pDstBmpData is NULL");
        return false;
    }
    if (pBmpHeader->biSize != sizeof(BITMAPINFOHEADER)) {
        LogF("RotateBitmap90: pBmpHeader->biSize is %d - unsupported", static_cast<int>(pBmpHeader->biSize));
        return false;
    }
    if (pBmpHeader->biBitCount < 8 || pBmpHeader->biBitCount > 32) {
        LogF("RotateBitmap90: pBmpHeader->biBitCount is %d - unsupported", static_cast<int>(pBmpHeader->biBitCount));
        return false;
    }
    if (pBmpHeader->biCompression != BI_RGB && pBmpHeader->biCompression != BI_BITFIELDS) {
        LogF("RotateBitmap90: pBmpHeader->biCompression is %d - unsupported",
             static_cast<int>(pBmpHeader->biCompression));
        return false;
    }

    const int b = (pBmpHeader->biBitCount + 7) / 8;
    const LONG w = pBmpHeader->biWidth;
    const ULONGLONG rows = DibRowCount(pBmpHeader->biHeight);
    const ULONGLONG srcRow = (static_cast<ULONGLONG>(w > 0 ? w : 0) * b + 3) / 4 * 4;
    const ULONGLONG dstRow = (rows * b + 3) / 4 * 4;
    if (w < 1 || rows < 1 || srcRow * rows > kMaxDibPixelBytes || dstRow * static_cast<ULONGLONG>(w) > kMaxDibPixelBytes) {
        LogF("RotateBitmap90: image of %ldx%ld - unsupported", static_cast<long>(w),
             static_cast<long>(pBmpHeader->biHeight));
        return false;
    }

    ReportProgressF(gld_RotatingImage);

    const LONG h = static_cast<LONG>(rows);
    const bool bBottomUp = pBmpHeader->biHeight > 0;
    pBmpHeader->biWidth = h;
    pBmpHeader->biHeight = bBottomUp ? w : -w;
    pBmpHeader->biSizeImage = static_cast<DWORD>(dstRow * static_cast<ULONGLONG>(w));

    const BYTE* src = static_cast<const BYTE*>(pSrcBmpData);
    BYTE* dst = static_cast<BYTE*>(pDstBmpData);
    const size_t s = static_cast<size_t>(srcRow);
    const size_t e = static_cast<size_t>(dstRow);
    switch (b) {
    case 1: CopyRotated<1>(src, dst, w, h, s, e, bClockwise, bBottomUp); break;
    case 2: CopyRotated<2>(src, dst, w, h, s, e, bClockwise, bBottomUp); break;
    case 3: CopyRotated<3>(src, dst, w, h, s, e, bClockwise, bBottomUp); break;
    default: CopyRotated<4>(src, dst, w, h, s, e, bClockwise, bBottomUp); break;
    }
    return true;
}
