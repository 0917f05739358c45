// Checking a .bmp file's headers. The files can be replaced by the user, so every size in them is
// checked against the file and the block before the pixels are handed out.
#include "BmpHeader.h"

namespace BmpHeader {

namespace {

constexpr std::uint16_t kSignature = 0x4D42;        // "BM"
constexpr std::uint32_t kCompressionNone = 0;       // BI_RGB
constexpr std::uint32_t kCompressionBitFields = 3;  // BI_BITFIELDS: three colour masks
constexpr std::uint32_t kMaskBytes = 12;            // after a 40-byte header, inside a longer one
constexpr std::uint32_t kMaxPaletteEntries = 256;
// The masks of plain 24-bit pixels: blue, green and red bytes in this order.
constexpr std::uint32_t kRedMask = 0x00FF0000;
constexpr std::uint32_t kGreenMask = 0x0000FF00;
constexpr std::uint32_t kBlueMask = 0x000000FF;

std::uint16_t Get16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t Get32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

}  // namespace

FileCheck CheckFileHeader(const std::uint8_t* bytes, std::size_t have, std::uint64_t fileSize,
                          std::uint32_t& declaredSize, std::uint32_t& blockSize, std::uint32_t& pixelStart)
{
    if (have < kFileHeaderSize || Get16(bytes) != kSignature) return FileCheck::NotBitmap;
    declaredSize = Get32(bytes + 2);
    if (declaredSize < kFileHeaderSize + kInfoHeaderSize || declaredSize > fileSize)
        return FileCheck::SizeMismatch;
    blockSize = declaredSize - kFileHeaderSize;
    const std::uint32_t offset = Get32(bytes + 10);
    if (offset < kFileHeaderSize + kInfoHeaderSize || offset > declaredSize) return FileCheck::BadOffset;
    pixelStart = offset - kFileHeaderSize;
    return FileCheck::Bitmap;
}

bool FindPixels(const std::uint8_t* block, std::size_t blockSize, std::uint32_t pixelStart,
                PixelLayout& layout)
{
    if (blockSize < kInfoHeaderSize) return false;
    const std::uint32_t headerSize = Get32(block);
    const auto width = static_cast<std::int32_t>(Get32(block + 4));
    const auto height = static_cast<std::int32_t>(Get32(block + 8));
    const std::uint16_t bitCount = Get16(block + 14);
    const std::uint32_t compression = Get32(block + 16);
    const std::uint32_t colorsUsed = Get32(block + 32);
    if (headerSize < kInfoHeaderSize || headerSize > pixelStart || pixelStart > blockSize || width < 1 ||
        height == 0 || (bitCount != 8 && bitCount != 24))
        return false;

    // The palette, or nothing, follows the header and any masks; the pixels may come later still.
    std::uint64_t paletteOffset = headerSize;
    if (compression == kCompressionBitFields) {
        // Masks are read where both kinds of header keep them, right after the first 40 bytes.
        const std::uint64_t masksEnd = kInfoHeaderSize + kMaskBytes;
        if (bitCount != 24 || masksEnd > pixelStart) return false;
        if (Get32(block + 40) != kRedMask || Get32(block + 44) != kGreenMask ||
            Get32(block + 48) != kBlueMask)
            return false;
        if (headerSize == kInfoHeaderSize) paletteOffset = masksEnd;
    } else if (compression != kCompressionNone) {
        return false;
    }
    std::uint32_t paletteEntries = 0;
    if (bitCount == 8) {
        paletteEntries = colorsUsed == 0 ? kMaxPaletteEntries : colorsUsed;
        if (paletteEntries > kMaxPaletteEntries) return false;
        if (paletteOffset + 4ull * paletteEntries > pixelStart) return false;
    }

    // |height| without the overflow of -INT_MIN.
    const std::uint64_t rows = height < 0 ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(height))
                                          : static_cast<std::uint64_t>(height);
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4;
    if (std::uint64_t{pixelStart} + rowBytes * rows > blockSize) return false;

    layout.width = width;
    layout.height = height;
    layout.bitCount = bitCount;
    layout.paletteOffset = static_cast<std::uint32_t>(paletteOffset);
    layout.paletteEntries = paletteEntries;
    layout.pixelOffset = pixelStart;
    layout.rowBytes = rowBytes;
    layout.pixelBytes = rowBytes * rows;
    return true;
}

}  // namespace BmpHeader
