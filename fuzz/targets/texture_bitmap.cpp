// A texture bitmap's headers on any bytes. An accepted image is then read as the texture painter
// reads it, every pixel of every row and, for 8 bits, the palette entry it names, from a block of
// exactly the size the file gave, so a layout that reaches past the block is caught.
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

unsigned ReadPixels(const std::vector<std::uint8_t>& block)
{
    PixelLayout layout;
    if (!FindPixels(block.data(), block.size(), layout)) return 0;
    Check(layout.width >= 1 && layout.height != 0 && (layout.bitCount == 8 || layout.bitCount == 24));
    Check(layout.pixelOffset + layout.pixelBytes <= block.size());
    const std::uint64_t rows = layout.height < 0 ? 0ull - static_cast<std::int64_t>(layout.height)
                                                 : static_cast<std::uint64_t>(layout.height);
    const std::uint8_t* pixels = block.data() + layout.pixelOffset;
    const std::uint8_t* palette = block.data() + kInfoHeaderSize;
    unsigned sum = 0;
    for (std::uint64_t y = 0; y < rows; ++y) {
        const std::uint8_t* row = pixels + y * layout.rowBytes;
        for (std::int32_t x = 0; x < layout.width; ++x) {
            if (layout.bitCount == 8) {
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
    std::uint32_t declared = 0, blockSize = 0;
    if (CheckFileHeader(data, size, size, declared, blockSize) == FileCheck::Bitmap) {
        Check(declared <= size && blockSize == declared - kFileHeaderSize);
        const std::vector<std::uint8_t> block(data + kFileHeaderSize, data + kFileHeaderSize + blockSize);
        volatile unsigned sink = ReadPixels(block);
        (void)sink;
    }
    // The info header on its own, so that the fuzzer need not keep a file header right.
    const std::vector<std::uint8_t> block(data, data + size);
    volatile unsigned sink = ReadPixels(block);
    (void)sink;
    return 0;
}
