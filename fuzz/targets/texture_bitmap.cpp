// A texture bitmap's headers on any bytes. An accepted image is then read as the texture painter
// reads it, every pixel of every row and, for 8 bits, the palette entry it names, from a block of
// exactly the size the file gave, so a layout that reaches past the block is caught. What the
// parser reports is compared with a second, deliberately plain reading of the same bytes: one
// field at a time, each byte named by its offset, so a wrong byte inside the block shows too.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "BmpHeader.h"

using namespace BmpHeader;

namespace {

void Check(bool condition)
{
    if (!condition) std::abort();
}

// Little-endian numbers, a byte at a time.
std::uint64_t Plain(const std::vector<std::uint8_t>& bytes, std::size_t at, int count)
{
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value * 256 + bytes[at + i];
    return value;
}

// The second reading of an info header at the start of `block`, for one that FindPixels accepted.
void CompareWithPlainReading(const std::vector<std::uint8_t>& block, std::uint32_t pixelStart,
                             const PixelLayout& layout)
{
    const std::uint64_t headerSize = Plain(block, 0, 4);
    std::int64_t width = static_cast<std::int64_t>(Plain(block, 4, 4));
    if (width >= 0x80000000ll) width -= 0x100000000ll;
    std::int64_t height = static_cast<std::int64_t>(Plain(block, 8, 4));
    if (height >= 0x80000000ll) height -= 0x100000000ll;
    const std::uint64_t bits = Plain(block, 14, 2);
    const std::uint64_t compression = Plain(block, 16, 4);
    const std::uint64_t colours = Plain(block, 32, 4);
    Check(layout.width == width && layout.height == height && layout.bitCount == bits);
    Check(headerSize >= 40 && width >= 1 && height != 0 && (bits == 8 || bits == 24));
    Check(compression == 0 || (compression == 3 && bits == 24));
    if (compression == 3) {
        Check(Plain(block, 40, 4) == 0xFF0000 && Plain(block, 44, 4) == 0xFF00 &&
              Plain(block, 48, 4) == 0xFF);
    }
    const std::uint64_t palette = headerSize == 40 && compression == 3 ? 52 : headerSize;
    Check(layout.paletteOffset == palette);
    const std::uint64_t entries = bits == 8 ? (colours == 0 ? 256 : colours) : 0;
    Check(layout.paletteEntries == entries && entries <= 256);
    Check(layout.pixelOffset == pixelStart && palette + 4 * entries <= pixelStart);
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
    const std::uint64_t rows = height < 0 ? -height : height;
    Check(layout.rowBytes == rowBytes && layout.pixelBytes == rowBytes * rows);
    Check(pixelStart + rowBytes * rows <= block.size());
}

unsigned ReadPixels(const std::vector<std::uint8_t>& block, std::uint32_t pixelStart)
{
    PixelLayout layout;
    if (!FindPixels(block.data(), block.size(), pixelStart, layout)) return 0;
    CompareWithPlainReading(block, pixelStart, layout);
    const std::uint64_t rows = layout.height < 0 ? 0ull - static_cast<std::int64_t>(layout.height)
                                                 : static_cast<std::uint64_t>(layout.height);
    const std::uint8_t* pixels = block.data() + layout.pixelOffset;
    const std::uint8_t* palette = block.data() + layout.paletteOffset;
    unsigned sum = 0;
    for (std::uint64_t y = 0; y < rows; ++y) {
        const std::uint8_t* row = pixels + y * layout.rowBytes;
        for (std::int32_t x = 0; x < layout.width; ++x) {
            if (layout.bitCount == 8) {
                // The loader copies the palette the file holds; indices past it name black.
                if (row[x] >= layout.paletteEntries) continue;
                const std::uint8_t* entry = palette + 4u * row[x];
                sum += entry[0] + entry[1] + entry[2];
            } else {
                sum += row[3 * x] + row[3 * x + 1] + row[3 * x + 2];
            }
        }
    }
    return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::uint32_t declared = 0, blockSize = 0, pixelStart = 0;
    const FileCheck check = CheckFileHeader(data, size, size, declared, blockSize, pixelStart);
    const std::vector<std::uint8_t> file(data, data + size);
    if (size >= 14 && file[0] == 'B' && file[1] == 'M') {
        const std::uint64_t size2 = Plain(file, 2, 4);
        const std::uint64_t offset = Plain(file, 10, 4);
        const FileCheck expected = size2 < 54 || size2 > size      ? FileCheck::SizeMismatch
                                   : offset < 54 || offset > size2 ? FileCheck::BadOffset
                                                                   : FileCheck::Bitmap;
        Check(check == expected);
        if (check != FileCheck::SizeMismatch) Check(declared == size2);
        if (check == FileCheck::Bitmap) Check(blockSize == size2 - 14 && pixelStart == offset - 14);
    } else {
        Check(check == FileCheck::NotBitmap);
    }
    if (check == FileCheck::Bitmap) {
        const std::vector<std::uint8_t> block(data + kFileHeaderSize, data + kFileHeaderSize + blockSize);
        volatile unsigned sink = ReadPixels(block, pixelStart);
        (void)sink;
    }
    // The info header on its own, so that the fuzzer need not keep a file header right; the pixel
    // offset comes from the input's last bytes.
    const std::vector<std::uint8_t> block(data, data + size);
    const std::uint32_t start = size >= 2 ? static_cast<std::uint32_t>(Plain(file, size - 2, 2)) : 0;
    volatile unsigned sink = ReadPixels(block, start);
    (void)sink;
    return 0;
}
