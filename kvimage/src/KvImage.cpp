// The exports of KvImage.dll: the full-size decode and the decode at a reduced scale. See
// include/KvImage.h for the call contract.
#include "KvImage.h"

#include <UTxUtils.h>

#include <cstdint>
#include <new>

#include "DibLayout.h"
#include "JpegDecoder.h"

namespace kvimage {
namespace {

// 0 on success, else the reason for the caller's last error (see KvImage.h).
DWORD Decode(BITMAPINFO* header, void* pixels, const char* path, DWORD* size, UINT scaleEighths)
{
    if (!path || !*path) return ERROR_INVALID_PARAMETER;
    if (scaleEighths < 1 || scaleEighths > KVIMAGE_FULL_SCALE) return ERROR_INVALID_PARAMETER;
    // Others may keep the file open for writing (an editor, a sync tool): we only read it.
    FileHandle file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return FileErrorCode(::GetLastError());

    JpegDecoder decoder;
    DibGeometry geometry;
    if (!decoder.ReadHeader(file.get(), scaleEighths, geometry)) return decoder.Error();

    if (pixels) {
        // The file may have changed since the caller sized its buffer: a nonzero size going in is
        // the buffer's capacity, and an image that needs more is refused before any byte is written.
        if (size && *size != 0 && *size < geometry.pixelBytes) {
            *size = geometry.pixelBytes;
            return KVIMAGE_ERROR_BUFFER_TOO_SMALL;
        }
        if (!decoder.DecodeInto(static_cast<std::uint8_t*>(pixels))) return decoder.Error();
    }
    if (header) FillDibHeader(*header, geometry);
    if (size) *size = geometry.pixelBytes;
    return 0;
}

// The result of an export: nothing thrown crosses it, and the reason of a failure is the last error.
BOOL Export(BITMAPINFO* header, void* pixels, const char* path, DWORD* size, UINT scaleEighths)
{
    DWORD error = 0;
    try {
        error = Decode(header, pixels, path, size, scaleEighths);
    } catch (const std::bad_alloc&) {
        error = KVIMAGE_ERROR_TOO_LARGE;
    } catch (...) {
        error = KVIMAGE_ERROR_DATA;
    }
    if (error == 0) return TRUE;
    // Set last, once the file and the decoder are closed, so nothing they call can change it.
    ::SetLastError(error);
    return FALSE;
}

}  // namespace
}  // namespace kvimage

extern "C" BOOL __stdcall DecodeJpgToDib(BITMAPINFO* header, void* pixels, const char* path, DWORD* size)
{
    return kvimage::Export(header, pixels, path, size, KVIMAGE_FULL_SCALE);
}

extern "C" BOOL __stdcall DecodeJpgToDibScaled(BITMAPINFO* header, void* pixels, const char* path,
                                               DWORD* size, UINT scaleEighths)
{
    return kvimage::Export(header, pixels, path, size, scaleEighths);
}
