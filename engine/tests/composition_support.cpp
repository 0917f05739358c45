#include "composition_support.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kvtest {

namespace {

size_t PaddedRow(int width, int bitCount)
{
    return static_cast<size_t>((width * bitCount + 31) / 32) * 4;
}

void Put16(std::string& out, uint16_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void Put32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

uint32_t Get32(const std::string& in, size_t at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(in[at + i]);
    return v;
}

}  // namespace

std::string ToText(const Bgr& c)
{
    char text[32];
    std::snprintf(text, sizeof text, "rgb(%d,%d,%d)", c.r, c.g, c.b);
    return text;
}

TestDib TestDib::Blank(int width, int height, bool topDown, int bitCount)
{
    TestDib dib;
    dib.m_iWidth = width;
    dib.m_iHeight = height;
    dib.m_bTopDown = topDown;
    dib.m_iBitCount = bitCount;
    dib.m_RowBytes = PaddedRow(width, bitCount);
    auto* info = reinterpret_cast<BITMAPINFOHEADER*>(dib.m_Header.data());
    info->biSize = sizeof(BITMAPINFOHEADER);
    info->biWidth = width;
    info->biHeight = topDown ? -height : height;
    info->biPlanes = 1;
    info->biBitCount = static_cast<WORD>(bitCount);
    info->biCompression = BI_RGB;
    dib.m_Pixels.assign(dib.m_RowBytes * height, 0);
    return dib;
}

BYTE* TestDib::SeenRow(int y)
{
    return m_Pixels.data() + m_RowBytes * (m_bTopDown ? y : m_iHeight - 1 - y);
}

TestDib TestDib::TrueColor(int width, int height, bool topDown, const std::function<Bgr(int, int)>& pixel)
{
    TestDib dib = Blank(width, height, topDown, 24);
    for (int y = 0; y < height; ++y) {
        BYTE* row = dib.SeenRow(y);
        for (int x = 0; x < width; ++x) {
            const Bgr c = pixel(x, y);
            row[3 * x] = c.b;
            row[3 * x + 1] = c.g;
            row[3 * x + 2] = c.r;
        }
    }
    return dib;
}

TestDib TestDib::Indexed(int width, int height, bool topDown, const std::function<Bgr(int)>& palette,
                         const std::function<BYTE(int, int)>& index)
{
    TestDib dib = Blank(width, height, topDown, 8);
    auto* colors = reinterpret_cast<RGBQUAD*>(dib.m_Header.data() + sizeof(BITMAPINFOHEADER));
    for (int i = 0; i < 256; ++i) {
        const Bgr c = palette(i);
        colors[i] = RGBQUAD{c.b, c.g, c.r, 0};
    }
    for (int y = 0; y < height; ++y) {
        BYTE* row = dib.SeenRow(y);
        for (int x = 0; x < width; ++x)
            row[x] = index(x, y);
    }
    return dib;
}

const BYTE* TestDib::Row(int memoryRow) const
{
    return m_Pixels.data() + m_RowBytes * memoryRow;
}

Bgr TestDib::At(int x, int y) const
{
    const BYTE* row = Row(m_bTopDown ? y : m_iHeight - 1 - y);
    if (m_iBitCount == 8) {
        const auto* colors = reinterpret_cast<const RGBQUAD*>(m_Header.data() + sizeof(BITMAPINFOHEADER));
        const RGBQUAD& q = colors[row[x]];
        return Bgr{q.rgbBlue, q.rgbGreen, q.rgbRed};
    }
    return Bgr{row[3 * x], row[3 * x + 1], row[3 * x + 2]};
}

std::string BmpFileBytes(const TestDib& dib)
{
    const uint32_t palette = dib.BitCount() == 8 ? 1024 : 0;
    const uint32_t pixels = static_cast<uint32_t>(dib.RowBytes() * dib.Height());
    std::string out;
    out += "BM";
    Put32(out, 14 + 40 + palette + pixels);
    Put32(out, 0);
    Put32(out, 14 + 40 + palette);
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(dib.Width()));
    Put32(out, static_cast<uint32_t>(dib.Height()));
    Put16(out, 1);
    Put16(out, static_cast<uint16_t>(dib.BitCount()));
    Put32(out, BI_RGB);
    Put32(out, pixels);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    if (palette) {
        const char* colors = reinterpret_cast<const char*>(dib.Info()) + 40;
        out.append(colors, 1024);
    }
    for (int y = dib.Height() - 1; y >= 0; --y) {
        const int memoryRow = dib.TopDown() ? y : dib.Height() - 1 - y;
        out.append(reinterpret_cast<const char*>(dib.Row(memoryRow)), dib.RowBytes());
    }
    return out;
}

BmpImage ParseBmp(const std::string& bytes)
{
    BmpImage image;
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') {
        image.error = "not a bitmap file";
        return image;
    }
    image.fileSize = Get32(bytes, 2);
    image.pixelOffset = Get32(bytes, 10);
    std::memcpy(&image.info, bytes.data() + 14, sizeof image.info);
    if (image.info.biBitCount != 24 || image.info.biHeight <= 0 || image.info.biWidth <= 0) {
        image.error = "not a bottom-up 24-bit bitmap";
        return image;
    }
    image.width = image.info.biWidth;
    image.height = image.info.biHeight;
    const size_t rowBytes = PaddedRow(image.width, 24);
    if (bytes.size() < image.pixelOffset + rowBytes * image.height) {
        image.error = "pixels cut short";
        return image;
    }
    image.pixels.resize(static_cast<size_t>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) {
        const size_t row = image.pixelOffset + rowBytes * (image.height - 1 - y);
        for (int x = 0; x < image.width; ++x) {
            const size_t at = row + 3 * static_cast<size_t>(x);
            image.pixels[static_cast<size_t>(y) * image.width + x] =
                Bgr{static_cast<BYTE>(bytes[at]), static_cast<BYTE>(bytes[at + 1]),
                    static_cast<BYTE>(bytes[at + 2])};
        }
        for (size_t pad = 3 * static_cast<size_t>(image.width); pad < rowBytes; ++pad)
            if (bytes[row + pad] != 0) image.paddingZero = false;
    }
    image.ok = true;
    return image;
}

std::vector<Bgr> TintedTexture(const TestDib& texture, double strength, COLORREF average)
{
    std::vector<unsigned> v;
    for (int y = 0; y < texture.Height(); ++y)
        for (int x = 0; x < texture.Width(); ++x) {
            const Bgr c = texture.At(x, y);
            v.push_back(unsigned{c.b} + c.g + c.r);
        }
    unsigned lo = 765, hi = 0, sum = 0;
    for (unsigned b : v) {
        lo = std::min(lo, b);
        hi = std::max(hi, b);
        sum += b;
    }
    const double m = (sum / static_cast<unsigned>(v.size()) - 382.5) / 765;
    auto channel = [](double value) { return static_cast<BYTE>(value > 255 ? 255 : value < 0 ? 0 : value); };
    std::vector<Bgr> out;
    for (unsigned b : v) {
        const unsigned stretched = hi != lo ? (b - lo) * 765 / (hi - lo) : b;
        const double f = ((stretched - 382.5) / 765 - m) * strength + 1;
        out.push_back(Bgr{channel(GetBValue(average) * f), channel(GetGValue(average) * f),
                          channel(GetRValue(average) * f)});
    }
    return out;
}

std::string SourceFolder(const char* unixPath)
{
    std::string path = "Z:";
    path += unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    if (path.back() != '\\') path += '\\';
    return path;
}

}  // namespace kvtest
