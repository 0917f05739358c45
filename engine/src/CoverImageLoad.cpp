// LoadJpgToCover: the fit first, on the full size; then the smallest decode that covers it.
#include "Ucoverload.h"

#include "KvImage.h"
#include "UTxLog.h"
#include "Ujpegload.h"
#include "Usync.h"

namespace {

int ScaledSide(int side, UINT scale)
{
    return static_cast<int>((static_cast<LONGLONG>(side) * scale + 7) / 8);
}

// A size query at the scale, then the pixels into blocks of exactly the size it reported.
CoverLoad LoadAtScale(const char* caller, const char* path, DWORD turn, bool stopOnCancel, UINT scale,
                      CDibPair& image)
{
    GlobalBlock header = AllocDibBlock(kDibHeaderBlockSize);
    if (!header) {
        LogF("!%s: out of memory for the image header", caller);
        return CoverLoad::Refused;
    }
    auto* info = static_cast<BITMAPINFO*>(header.get());
    DWORD size = 0;
    if (!LoadScaledBmpFromJpgFile(info, nullptr, path, &size, turn, scale)) return CoverLoad::HeaderFailed;
    if (stopOnCancel && g_Synchronization.IsCancelled()) return CoverLoad::Cancelled;
    if (!IsDecodedImageUsable(info->bmiHeader, size)) {
        LogF("!%s: unusable image: width=%d, height=%d, bits=%d, size=%lu", caller,
             static_cast<int>(info->bmiHeader.biWidth), static_cast<int>(info->bmiHeader.biHeight),
             info->bmiHeader.biBitCount, static_cast<unsigned long>(size));
        return CoverLoad::Refused;
    }
    GlobalBlock pixels = AllocDibBlock(size);
    if (!pixels) {
        LogF("!%s: out of memory for %lu bytes of pixels", caller, static_cast<unsigned long>(size));
        return CoverLoad::Refused;
    }
    // The size is the buffer's capacity: a decode that would need more writes nothing.
    DWORD capacity = size;
    if (!LoadScaledBmpFromJpgFile(info, pixels.get(), path, &capacity, turn, scale) ||
        !IsDecodedImageUsable(info->bmiHeader, size))
        return CoverLoad::DataFailed;
    if (stopOnCancel && g_Synchronization.IsCancelled()) return CoverLoad::Cancelled;
    image.Reset(static_cast<BITMAPINFO*>(header.release()), pixels.release());
    return CoverLoad::Loaded;
}

}  // namespace

bool MeasureTooLargeJpg(const char* path, DWORD turn, DWORD failure, int& width, int& height)
{
    if (failure != KVIMAGE_ERROR_TOO_LARGE || !CanDecodeJpgScaled()) return false;
    DibHeaderBlock header{};
    DWORD size = 0;
    if (!LoadScaledBmpFromJpgFile(header.Info(), nullptr, path, &size, turn, 1)) return false;
    LogF("%s is too large to decode whole; measured at 1/8", path);
    width = header.bmiHeader.biWidth * 8;
    height = static_cast<int>(DibRowCount(header.bmiHeader.biHeight)) * 8;
    return true;
}

bool IsDecodedImageUsable(const BITMAPINFOHEADER& header, ULONGLONG size)
{
    if (header.biBitCount != 8 && header.biBitCount != 24) return false;
    if (header.biWidth < 1 || header.biHeight == 0) return false;
    const ULONGLONG needed = DibPixelBytes(header);
    return needed != 0 && size >= needed && size <= kMaxDibPixelBytes;
}

// Which sides of the delivered image run against the decoder's order of the side they came from:
// a quarter turn reverses one of them, and the rows of a bottom-up DIB run from the bottom.
CReducedGrid GridOf(const BITMAPINFOHEADER& decoded, int fullWidth, int fullHeight, DWORD turn, UINT scale)
{
    CReducedGrid grid;
    grid.uScale = scale;
    grid.iFullWidth = fullWidth;
    grid.iFullHeight = fullHeight;
    const bool columnsReversed = turn == kOrientationClockwise;
    const bool rowsReversed = (turn == kOrientationCounterClockwise) != (decoded.biHeight > 0);
    // A reversed side starts with the decoder's last pixel, which may cover less than 8 / scale.
    auto origin = [scale](bool reversed, int full, LONGLONG reduced) {
        return reversed ? full - static_cast<double>(reduced) * 8 / scale : 0.0;
    };
    grid.dOriginX = origin(columnsReversed, fullWidth, decoded.biWidth);
    grid.dOriginY = origin(rowsReversed, fullHeight, static_cast<LONGLONG>(DibRowCount(decoded.biHeight)));
    return grid;
}

UINT CoveringScale(int iWidth, int iHeight, int iCoverWidth, int iCoverHeight)
{
    for (UINT scale = 1; scale <= kLargestReducedScale; ++scale)
        if (ScaledSide(iWidth, scale) >= iCoverWidth && ScaledSide(iHeight, scale) >= iCoverHeight)
            return scale;
    return KVIMAGE_FULL_SCALE;
}

CoverLoad LoadJpgToCover(const char* caller, const char* path, bool rotateByExif, bool stopOnCancel,
                         const CoverFitRule& fitRule, CCoverImage& out)
{
    out = CCoverImage();
    if (!path) return CoverLoad::HeaderFailed;
    // Read once for the three decoder calls below (a photo without EXIF is scanned to its end).
    const DWORD turn = rotateByExif ? ReadExifTurn(path) : 0;
    DibHeaderBlock header{};
    DWORD size = 0;
    int width = 0, height = 0;
    if (LoadScaledBmpFromJpgFile(header.Info(), nullptr, path, &size, turn, KVIMAGE_FULL_SCALE)) {
        width = header.bmiHeader.biWidth;
        height = static_cast<int>(DibRowCount(header.bmiHeader.biHeight));
    } else if (!MeasureTooLargeJpg(path, turn, ::GetLastError(), width, height)) {
        return CoverLoad::HeaderFailed;
    }
    if (stopOnCancel && g_Synchronization.IsCancelled()) return CoverLoad::Cancelled;
    if (!fitRule(width, height, out.fit)) return CoverLoad::Refused;

    // The turn swaps both sides, so the scale that covers the fit as seen covers it as stored.
    UINT scale = CoveringScale(width, height, out.fit.iNewWidth, out.fit.iNewHeight);
    if (scale < KVIMAGE_FULL_SCALE && !CanDecodeJpgScaled()) {
        LogText("KvImage.dll has no reduced-scale decode: decoding the whole image");
        scale = KVIMAGE_FULL_SCALE;
    }
    if (scale < KVIMAGE_FULL_SCALE)
        LogF("Decoding %dx%d at %u/8 for %dx%d", width, height, scale, out.fit.iNewWidth, out.fit.iNewHeight);
    const CoverLoad result = LoadAtScale(caller, path, turn, stopOnCancel, scale, out.image);
    if (result == CoverLoad::Loaded)
        out.grid = GridOf(out.image.Info()->bmiHeader, width, height, turn, scale);
    return result;
}
