// Sizes, headers, .bmp files and rectangles of the in-memory DIB pair.
#include <algorithm>
#include <cstring>
#include <exception>
#include <vector>

#include "UTxDiskApi.h"
#include "UTxLog.h"
#include "Udib.h"
#include "Upaintabledib.h"

namespace {

constexpr LONG kPixelsPerMeter = 9600;
constexpr DWORD kFileHeaderSize = 14;
constexpr DWORD kBitfieldMasksSize = 3 * sizeof(DWORD);
// Rows of a top-down image are turned over through a staging buffer of about this size.
constexpr size_t kStagingBytes = 1 << 20;

DWORD Saturate(ULONGLONG value)
{
    return value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(value);
}

bool IsStandardBitCount(WORD bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24;
}

// Bytes of the colour table that follows the header in a .bmp file: a full table for the palette
// depths, the three masks for bit fields.
DWORD ColorTableBytes(const BITMAPINFOHEADER& h)
{
    DWORD bytes = 0;
    if (h.biBitCount == 1 || h.biBitCount == 4 || h.biBitCount == 8)
        bytes += (1u << h.biBitCount) * sizeof(RGBQUAD);
    if (h.biCompression == BI_BITFIELDS) bytes += kBitfieldMasksSize;
    return bytes;
}

}  // namespace

DWORD GetDibLineIncrement(const BITMAPINFO* pHeader)
{
    if (!pHeader) {
        LogText("GetDibLineIncrement: pHeader is NULL, returning 0");
        return 0;
    }
    const BITMAPINFOHEADER& h = pHeader->bmiHeader;
    if (h.biWidth < 1) return 0;
    if (IsStandardBitCount(h.biBitCount)) return Saturate(DibRowBytes(h.biWidth, h.biBitCount));
    return Saturate(static_cast<ULONGLONG>(h.biWidth) * 4);
}

DWORD GetDibArea(const BITMAPINFO* pHeader)
{
    if (!pHeader) {
        LogText("GetDibArea: pHeader is NULL, returning 0");
        return 0;
    }
    return Saturate(static_cast<ULONGLONG>(GetDibLineIncrement(pHeader)) *
                    DibRowCount(pHeader->bmiHeader.biHeight));
}

void FillDibHeader(BITMAPINFO* pHeader, int iWidth, int iHeight, int iDepth, bool bTopDown)
{
    if (!pHeader) return;
    BITMAPINFOHEADER& h = pHeader->bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = iWidth;
    h.biHeight = bTopDown ? -iHeight : iHeight;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(iDepth == 15 ? 16 : iDepth);
    h.biCompression = iDepth == 16 ? BI_BITFIELDS : BI_RGB;
    h.biXPelsPerMeter = kPixelsPerMeter;
    h.biYPelsPerMeter = kPixelsPerMeter;
    h.biClrUsed = 0;
    h.biClrImportant = 0;

    const LONGLONG w = iWidth;
    const LONGLONG rows = iHeight;
    LONGLONG sizeImage = 0;
    RGBQUAD* colors = pHeader->bmiColors;
    switch (iDepth) {
    case 1:
        colors[0] = RGBQUAD{0, 0, 0, 0};
        colors[1] = RGBQUAD{255, 255, 255, 0};
        sizeImage = (w + 31) / 32 * 4 * rows;
        break;
    case 4:
        for (int i = 0; i < 16; ++i) {
            const BYTE v = static_cast<BYTE>(16 * i);
            colors[i] = RGBQUAD{v, v, v, 0};
        }
        sizeImage = (4 * w + 31) / 32 * 4 * rows;
        break;
    case 8:
        for (int i = 0; i < 256; ++i) {
            const BYTE v = static_cast<BYTE>(i);
            colors[i] = RGBQUAD{v, v, v, 0};
        }
        sizeImage = (w + 3) / 4 * 4 * rows;
        break;
    case 15:
        sizeImage = (2 * w + 3) / 4 * 4 * rows;
        break;
    case 16: {
        const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
        std::memcpy(colors, masks, sizeof(masks));
        sizeImage = (2 * w + 3) / 4 * 4 * rows;
        break;
    }
    case 24:
        sizeImage = (3 * w + 3) / 4 * 4 * rows;
        break;
    case 32:
        sizeImage = 4 * w * rows;
        break;
    default:
        sizeImage = 0;
        break;
    }
    h.biSizeImage = static_cast<DWORD>(sizeImage);
}

// The file is bottom-up: a top-down image goes out row by row from its last row, with a positive
// height in the file's copy of the header.
bool SaveToBmpFile(const char* szPath, const BITMAPINFO* pHeader, const void* pBits)
{
    CLogScope scope("SaveToBmpFile");
    if (!szPath || !pHeader || !pBits) {
        LogText("SaveToBmpFile: NULL argument");
        return false;
    }
    const BITMAPINFOHEADER& h = pHeader->bmiHeader;
    if (h.biSize != sizeof(BITMAPINFOHEADER) || h.biWidth < 1 || h.biHeight == 0 ||
        (!IsStandardBitCount(h.biBitCount) && h.biBitCount != 32)) {
        LogF("SaveToBmpFile: unsupported image %ldx%ld, %d bits", static_cast<long>(h.biWidth),
             static_cast<long>(h.biHeight), static_cast<int>(h.biBitCount));
        return false;
    }
    const size_t rowBytes = static_cast<size_t>(DibRowBytes(h.biWidth, h.biBitCount));
    const size_t rows = static_cast<size_t>(std::min<ULONGLONG>(DibRowCount(h.biHeight), kMaxDibPixelBytes));
    const ULONGLONG pixelBytes = DibPixelBytes(h);
    if (pixelBytes > kMaxDibPixelBytes) {
        LogF("SaveToBmpFile: image of %ldx%ld is too large", static_cast<long>(h.biWidth),
             static_cast<long>(h.biHeight));
        return false;
    }

    try {
        const DWORD headerBytes = h.biSize + ColorTableBytes(h);
        std::vector<BYTE> header(headerBytes);
        std::memcpy(header.data(), pHeader, headerBytes);
        auto* fileInfo = reinterpret_cast<BITMAPINFOHEADER*>(header.data());
        if (fileInfo->biHeight < 0) fileInfo->biHeight = -fileInfo->biHeight;

        BITMAPFILEHEADER fh{};
        static_assert(sizeof(fh) == kFileHeaderSize, "file header layout");
        fh.bfType = 0x4D42;  // "BM"
        fh.bfSize = static_cast<DWORD>(kFileHeaderSize + headerBytes + pixelBytes);
        fh.bfOffBits = kFileHeaderSize + headerBytes;

        TxPendingFile pending(szPath);
        TxFile& file = pending.File();
        file.Write(&fh, kFileHeaderSize);
        file.Write(header.data(), headerBytes);

        const BYTE* bits = static_cast<const BYTE*>(pBits);
        if (h.biHeight > 0) {
            file.Write(bits, static_cast<DWORD>(pixelBytes));
        } else {
            const size_t rowsPerWrite = std::max<size_t>(1, kStagingBytes / rowBytes);
            std::vector<BYTE> staging(std::min(rowsPerWrite, rows) * rowBytes);
            for (size_t done = 0; done < rows;) {
                const size_t count = std::min(rowsPerWrite, rows - done);
                for (size_t i = 0; i < count; ++i) {
                    std::memcpy(staging.data() + i * rowBytes, bits + (rows - 1 - (done + i)) * rowBytes,
                                rowBytes);
                }
                file.Write(staging.data(), static_cast<DWORD>(count * rowBytes));
                done += count;
            }
        }
        return pending.Commit();
    } catch (const TxException& e) {
        LogF("SaveToBmpFile: %s", e.Message());
    } catch (const std::exception& e) {
        LogF("SaveToBmpFile: %s", e.what());
    }
    return false;
}

bool CopyBmpRectFromBmp(const BITMAPINFO* pSrcHeader, const void* pSrcBits, BITMAPINFO* pDstHeader,
                        void* pDstBits, int iX, int iY, int* piWidth, int* piHeight)
{
    if (!pSrcHeader || !pSrcBits || !pDstHeader || !pDstBits || !piWidth || !piHeight) {
        LogText("CopyBmpRectFromBmp: NULL argument");
        return false;
    }
    const BITMAPINFOHEADER& s = pSrcHeader->bmiHeader;
    const LONGLONG srcWidth = s.biWidth;
    const LONGLONG srcHeight = static_cast<LONGLONG>(DibRowCount(s.biHeight));
    const LONGLONG x = std::max(iX, 0);
    const LONGLONG y = std::max(iY, 0);
    LONGLONG w = *piWidth;
    LONGLONG h = *piHeight;

    if (x + w > srcWidth) w = srcWidth - x;
    if (w <= 0) {
        LogF("CopyBmpRectFromBmp: Invalid iXOffset=%d", static_cast<int>(x));
        return false;
    }
    if (y + h > srcHeight) h = srcHeight - y;
    if (h <= 0) {
        LogF("CopyBmpRectFromBmp: Invalid iYOffset=%d", static_cast<int>(y));
        return false;
    }
    if (s.biBitCount != 8 && s.biBitCount != 24 && s.biBitCount != 32) {
        LogF("CopyBmpRectFromBmp: Unsupported bit depth: %d", static_cast<int>(s.biBitCount));
        return false;
    }

    FillDibHeader(pDstHeader, static_cast<int>(w), static_cast<int>(h), s.biBitCount, true);
    const size_t pixelBytes = s.biBitCount / 8;
    const size_t srcRow = GetDibLineIncrement(pSrcHeader);
    const size_t dstRow = GetDibLineIncrement(pDstHeader);
    const BYTE* src = static_cast<const BYTE*>(pSrcBits);
    BYTE* dst = static_cast<BYTE*>(pDstBits);
    for (LONGLONG i = 0; i < h; ++i) {
        const LONGLONG row = s.biHeight < 0 ? y + i : srcHeight - y - i - 1;
        std::memcpy(dst + static_cast<size_t>(i) * dstRow,
                    src + static_cast<size_t>(row) * srcRow + static_cast<size_t>(x) * pixelBytes,
                    static_cast<size_t>(w) * pixelBytes);
    }
    *piWidth = static_cast<int>(w);
    *piHeight = static_cast<int>(h);
    return true;
}
