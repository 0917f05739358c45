// Turning a DIB by 90 degrees as it is seen, for both row orders.
#include <algorithm>
#include <cstring>

#include "Fprogress.h"
#include "UTxLog.h"
#include "Udib.h"
#include "Ujpegload.h"
#include "UCancelPoll.h"

namespace {

// The image is turned in square tiles: a tile's source rows and destination rows are each read
// or written in whole cache lines while they are at hand, instead of a stride over the whole
// destination for every pixel.
constexpr LONG kBandRows = 128;
constexpr LONG kTileColumns = 8;

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
    CCancelPoll poll(srcRow);

    for (LONG m0 = 0; m0 < h; m0 += kBandRows) {
        const LONG n = std::min<LONG>(kBandRows, h - m0);
        const BYTE* rows[kBandRows];
        for (LONG i = 0; i < n; ++i) {
            if (poll.Cancelled()) return;
            rows[i] = src + static_cast<size_t>(m0 + i) * srcRow;
        }
        // The band's first row goes to this destination column; the next ones beside it.
        const LONG firstColumn = bColumnIsRow ? m0 : h - 1 - m0;
        const ptrdiff_t along = bColumnIsRow ? B : -B;
        BYTE* const bandStart = firstRow + static_cast<size_t>(firstColumn) * B;
        for (LONG c0 = 0; c0 < w; c0 += kTileColumns) {
            const LONG c1 = std::min<LONG>(w, c0 + kTileColumns);
            BYTE* d = bandStart + static_cast<ptrdiff_t>(c0) * step;
            for (LONG c = c0; c < c1; ++c, d += step) {
                const size_t at = static_cast<size_t>(c) * B;
                BYTE* p = d;
                for (LONG i = 0; i < n; ++i, p += along) {
                    const BYTE* s = rows[i] + at;
                    if constexpr (B == 1) {
                        *p = *s;
                    } else if constexpr (B == 3) {
                        p[0] = s[0];
                        p[1] = s[1];
                        p[2] = s[2];
                    } else {
                        std::memcpy(p, s, B);
                    }
                }
            }
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
        LogF("RotateBitmap90: pBmpHeader->biBitCount is %d - unsupported",
             static_cast<int>(pBmpHeader->biBitCount));
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
    if (w < 1 || rows < 1 || srcRow * rows > kMaxDibPixelBytes ||
        dstRow * static_cast<ULONGLONG>(w) > kMaxDibPixelBytes) {
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
    case 1:
        CopyRotated<1>(src, dst, w, h, s, e, bClockwise, bBottomUp);
        break;
    case 2:
        CopyRotated<2>(src, dst, w, h, s, e, bClockwise, bBottomUp);
        break;
    case 3:
        CopyRotated<3>(src, dst, w, h, s, e, bClockwise, bBottomUp);
        break;
    default:
        CopyRotated<4>(src, dst, w, h, s, e, bClockwise, bBottomUp);
        break;
    }
    return true;
}
