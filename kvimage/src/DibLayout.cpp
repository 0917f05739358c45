#include "DibLayout.h"

namespace kvimage {

bool MakeDibGeometry(std::uint32_t width, std::uint32_t height, std::uint16_t bitCount, DibGeometry& out)
{
    if (width == 0 || height == 0 || (bitCount != 8 && bitCount != 24)) return false;
    const std::uint64_t rowBytes = (std::uint64_t{width} * (bitCount / 8) + 3) & ~std::uint64_t{3};
    const std::uint64_t pixelBytes = rowBytes * height;
    if (pixelBytes > kMaxPixelBytes) return false;
    out.width = width;
    out.height = height;
    out.bitCount = bitCount;
    out.rowBytes = static_cast<std::uint32_t>(rowBytes);
    out.pixelBytes = static_cast<std::uint32_t>(pixelBytes);
    return true;
}

void FillDibHeader(BITMAPINFO& info, const DibGeometry& geometry)
{
    BITMAPINFOHEADER& h = info.bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = static_cast<LONG>(geometry.width);
    h.biHeight = static_cast<LONG>(geometry.height);  // positive: rows bottom-up
    h.biPlanes = 1;
    h.biBitCount = geometry.bitCount;
    h.biCompression = BI_RGB;
    h.biSizeImage = geometry.pixelBytes;
    h.biXPelsPerMeter = 0;
    h.biYPelsPerMeter = 0;
    h.biClrUsed = 0;
    h.biClrImportant = 0;
    if (geometry.bitCount != 8) return;

    // BITMAPINFO declares one RGBQUAD; the caller's block holds 256.
    RGBQUAD* palette = info.bmiColors;
    for (int i = 0; i < 256; ++i) {
        const BYTE level = static_cast<BYTE>(i);
        palette[i] = RGBQUAD{level, level, level, 0};
    }
}

}  // namespace kvimage
