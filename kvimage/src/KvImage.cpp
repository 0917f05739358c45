// The one export of KvImage.dll. See include/KvImage.h for the call contract.
#include "KvImage.h"

#include <UTxUtils.h>

#include <cstdint>

#include "DibLayout.h"
#include "JpegDecoder.h"

namespace kvimage {
namespace {

bool Decode(BITMAPINFO* header, void* pixels, const char* path, DWORD* size)
{
    if (!path || !*path) return false;
    // Others may keep the file open for writing (an editor, a sync tool): we only read it.
    FileHandle file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return false;

    JpegDecoder decoder;
    DibGeometry geometry;
    if (!decoder.ReadHeader(file.get(), geometry)) return false;

    if (pixels) {
        // The file may have changed since the caller sized its buffer: a nonzero size going in is
        // the buffer's capacity, and an image that needs more is refused before any byte is written.
        if (size && *size != 0 && *size < geometry.pixelBytes) {
            *size = geometry.pixelBytes;
            return false;
        }
        if (!decoder.DecodeInto(static_cast<std::uint8_t*>(pixels))) return false;
    }
    if (header) FillDibHeader(*header, geometry);
    if (size) *size = geometry.pixelBytes;
    return true;
}

}  // namespace
}  // namespace kvimage

extern "C" BOOL __stdcall DecodeJpgToDib(BITMAPINFO* header, void* pixels, const char* path, DWORD* size)
{
    try {
        return kvimage::Decode(header, pixels, path, size) ? TRUE : FALSE;
    } catch (...) {
        return FALSE;
    }
}
