// LoadDecodedImage: a JPEG file into an engine-owned DIB pair, every size and block checked.
#include "UTxLog.h"
#include "Uimageload.h"
#include "Ujpegload.h"
#include "Usync.h"

bool IsDecodedImageUsable(const BITMAPINFOHEADER& header, ULONGLONG size)
{
    if (header.biBitCount != 8 && header.biBitCount != 24) return false;
    if (header.biWidth < 1 || header.biHeight == 0) return false;
    const ULONGLONG needed = DibPixelBytes(header);
    return needed != 0 && size >= needed && size <= kMaxDibPixelBytes;
}

ImageLoad LoadDecodedImage(const char* caller, const char* path, bool rotateByExif, bool stopOnCancel,
                           CDibPair& image)
{
    const BOOL rotate = rotateByExif ? TRUE : FALSE;
    GlobalBlock header = AllocDibBlock(kDibHeaderBlockSize);
    if (!header) {
        LogF("!%s: out of memory for the image header", caller);
        return ImageLoad::Refused;
    }
    auto* info = static_cast<BITMAPINFO*>(header.get());
    DWORD size = 0;
    if (!LoadBmpFromJpgFileEx(info, nullptr, path, &size, rotate, nullptr)) return ImageLoad::HeaderFailed;
    if (stopOnCancel && g_Synchronization.IsCancelled()) return ImageLoad::Cancelled;
    if (!IsDecodedImageUsable(info->bmiHeader, size)) {
        LogF("!%s: unusable image: width=%d, height=%d, bits=%d, size=%lu", caller,
             static_cast<int>(info->bmiHeader.biWidth), static_cast<int>(info->bmiHeader.biHeight),
             info->bmiHeader.biBitCount, static_cast<unsigned long>(size));
        return ImageLoad::Refused;
    }
    GlobalBlock pixels = AllocDibBlock(size);
    if (!pixels) {
        LogF("!%s: out of memory for %lu bytes of pixels", caller, static_cast<unsigned long>(size));
        return ImageLoad::Refused;
    }
    // The size is the buffer's capacity: a decode that would need more writes nothing.
    DWORD capacity = size;
    if (!LoadBmpFromJpgFileEx(info, pixels.get(), path, &capacity, rotate, nullptr) ||
        !IsDecodedImageUsable(info->bmiHeader, size))
        return ImageLoad::DataFailed;
    if (stopOnCancel && g_Synchronization.IsCancelled()) return ImageLoad::Cancelled;
    image.Reset(static_cast<BITMAPINFO*>(header.release()), pixels.release());
    return ImageLoad::Loaded;
}
