// Checking a .bmp file's headers. The files can be replaced by the user, so every size in them is
// checked against the file and the block before the pixels are handed out.
#include "BmpHeader.h"

namespace BmpHeader {

namespace {

constexpr std::uint16_t kSignature = 0x4D42;   // "BM"
constexpr std::uint32_t kCompressionNone = 0;  // BI_RGB
constexpr std::uint32_t kPaletteBytes = 256 * 4;

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
                          std::uint32_t& declaredSize, std::uint32_t& blockSize)
{
    if (have < kFileHeaderSize || Get16(bytes) != kSignature) return FileCheck::NotBitmap;
    declaredSize = Get32(bytes + 2);
    if (declaredSize < kFileHeaderSize + kInfoHeaderSize || declaredSize > fileSize)
        return FileCheck::SizeMismatch;
    blockSize = declaredSize - kFileHeaderSize;
    return FileCheck::Bitmap;
}

bool FindPixels(const std::uint8_t* block, std::size_t blockSize, PixelLayout& layout)
{
    if (blockSize < kInfoHeaderSize) return false;
    const std::uint32_t headerSize = Get32(block);
    const auto width = static_cast<std::int32_t>(Get32(block + 4));
    const auto height = static_cast<std::int32_t>(Get32(block + 8));
    const std::uint16_t bitCount = Get16(block + 14);
    const std::uint32_t compression = Get32(block + 16);
    if (headerSize != kInfoHeaderSize || width < 1 || height == 0 || (bitCount != 8 && bitCount != 24) ||
        compression != kCompressionNone)
        return false;

    // |height| without the overflow of -INT_MIN.
    const std::uint64_t rows = height < 0 ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(height))
                                          : static_cast<std::uint64_t>(height);
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4;
    const std::uint32_t offset = headerSize + (bitCount == 8 ? kPaletteBytes : 0);
    if (std::uint64_t{offset} + rowBytes * rows > blockSize) return false;

    layout.width = width;
    layout.height = height;
    layout.bitCount = bitCount;
    layout.pixelOffset = offset;
    layout.rowBytes = rowBytes;
    layout.pixelBytes = rowBytes * rows;
    return true;
}

}  // namespace BmpHeader
