// The headers of a .bmp file (the background textures) checked as bytes: no file, window or log is
// touched, so the loader reads the file around these, and the checks build on any platform.
#pragma once

#include <cstddef>
#include <cstdint>

namespace BmpHeader {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;

enum class FileCheck {
    Bitmap,        // `blockSize`: the bytes after the file header that the file says it holds
    NotBitmap,     // shorter than the file header, or no "BM"
    SizeMismatch,  // its size field is smaller than both headers or larger than the file
    BadOffset,     // its pixel offset lies inside the file header or the info header, or past the end
};

// `bytes`: the first `have` bytes of a file of `fileSize` bytes. `pixelStart`: where the file says
// its pixels begin, counted from the block's start.
FileCheck CheckFileHeader(const std::uint8_t* bytes, std::size_t have, std::uint64_t fileSize,
                          std::uint32_t& declaredSize, std::uint32_t& blockSize, std::uint32_t& pixelStart);

// Where the pixels of an accepted image lie in the block that follows the file header.
struct PixelLayout {
    std::int32_t width = 0;
    std::int32_t height = 0;  // > 0 bottom-up, < 0 top-down
    std::uint16_t bitCount = 0;
    std::uint32_t paletteOffset = 0;   // from the block's start: after the info header and any masks
    std::uint32_t paletteEntries = 0;  // 8 bits: the colours the file holds (1 to 256); else 0
    std::uint32_t pixelOffset = 0;     // from the block's start: where the file header said
    std::uint64_t rowBytes = 0;        // one row padded to four bytes
    std::uint64_t pixelBytes = 0;      // all rows
};

// An uncompressed 8- or 24-bit image: an info header of at least 40 bytes (the later, longer
// versions too), for 24 bits optionally colour masks that give the plain blue-green-red order, for
// 8 bits a palette of biClrUsed entries (0: 256) between the header and `pixelStart`, and every row
// from `pixelStart` on inside the `blockSize` bytes of `block`.
bool FindPixels(const std::uint8_t* block, std::size_t blockSize, std::uint32_t pixelStart,
                PixelLayout& layout);

}  // namespace BmpHeader
