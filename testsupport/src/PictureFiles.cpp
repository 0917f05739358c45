// Pictures kept as files to look at: .bmp and .png written without any image library.
#include <algorithm>
#include <cstdint>

#include "KvTestSupport.h"
#include "KvWindowPicture.h"

namespace testsupport {

namespace {

void PutLe(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutBe(std::string& out, uint32_t value)
{
    for (int i = 3; i >= 0; --i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t Crc32(const std::string& data, size_t from)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = from; i < data.size(); ++i) {
        crc ^= static_cast<unsigned char>(data[i]);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void PutChunk(std::string& png, const char* type, const std::string& data)
{
    PutBe(png, static_cast<uint32_t>(data.size()));
    const size_t start = png.size();
    png.append(type, 4);
    png += data;
    PutBe(png, Crc32(png, start));
}

}  // namespace

COLORREF WindowPicture::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
    return At(x, y);
}

bool WindowPicture::SaveBmp(const std::string& path) const
{
    if (Empty()) return false;
    const uint32_t imageSize = static_cast<uint32_t>(pixels.size() * 4);
    std::string bmp = "BM";
    PutLe(bmp, 14 + 40 + imageSize, 4);
    PutLe(bmp, 0, 4);
    PutLe(bmp, 14 + 40, 4);
    PutLe(bmp, 40, 4);
    PutLe(bmp, static_cast<uint32_t>(width), 4);
    PutLe(bmp, static_cast<uint32_t>(-height), 4);  // top-down rows
    PutLe(bmp, 1, 2);
    PutLe(bmp, 32, 2);
    PutLe(bmp, BI_RGB, 4);
    PutLe(bmp, imageSize, 4);
    PutLe(bmp, 2835, 4);
    PutLe(bmp, 2835, 4);
    PutLe(bmp, 0, 4);
    PutLe(bmp, 0, 4);
    for (COLORREF c : pixels)
        PutLe(bmp, (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c), 4);  // blue in the low byte
    return WriteFileBytes(path, bmp);
}

bool WindowPicture::SavePng(const std::string& path) const
{
    if (Empty()) return false;
    // RGB rows behind a filter byte of 0, kept in stored (uncompressed) deflate blocks.
    std::string raw;
    raw.reserve(static_cast<size_t>(height) * (1 + width * 3));
    for (int y = 0; y < height; ++y) {
        raw += '\0';
        for (int x = 0; x < width; ++x) {
            const COLORREF c = At(x, y);
            raw += static_cast<char>(GetRValue(c));
            raw += static_cast<char>(GetGValue(c));
            raw += static_cast<char>(GetBValue(c));
        }
    }
    std::string zlib = "\x78\x01";
    for (size_t at = 0; at < raw.size() || at == 0;) {
        const size_t length = std::min<size_t>(65535, raw.size() - at);
        const bool last = at + length >= raw.size();
        zlib += static_cast<char>(last ? 1 : 0);
        PutLe(zlib, static_cast<uint32_t>(length), 2);
        PutLe(zlib, static_cast<uint32_t>(~length & 0xFFFF), 2);
        zlib.append(raw, at, length);
        at += length;
        if (last) break;
    }
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBe(zlib, (b << 16) | a);

    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    PutBe(header, static_cast<uint32_t>(width));
    PutBe(header, static_cast<uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter set, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", std::string());
    return WriteFileBytes(path, png);
}

std::string ShotPath(const std::string& name)
{
    const std::string folder = KV_SHOTS_DIR;
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\" + name;
}

}  // namespace testsupport
