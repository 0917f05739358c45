// The in-memory DIB that DecodeJpgToDib produces: its geometry, size limit and header.
#pragma once

#include <windows.h>

#include <cstdint>

namespace kvimage {

// Above this the caller's buffer and the decoder's own memory no longer fit a 32-bit process safely.
constexpr std::uint64_t kMaxPixelBytes = std::uint64_t{512} << 20;

struct DibGeometry {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bitCount = 0;    // 8 or 24
    std::uint32_t rowBytes = 0;    // padded to 4 bytes
    std::uint32_t pixelBytes = 0;  // rowBytes x height
};

// False when the image would need more than kMaxPixelBytes (computed in 64 bits, so nothing wraps).
bool MakeDibGeometry(std::uint32_t width, std::uint32_t height, std::uint16_t bitCount, DibGeometry& out);

// Writes the 40-byte header for a bottom-up DIB and, for 8 bits, the identity grey palette. The
// palette area of a 24-bit image is not touched.
void FillDibHeader(BITMAPINFO& info, const DibGeometry& geometry);

}  // namespace kvimage
