// LoadBmpFromFile on .bmp files written here, good ones and a table of damaged ones.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Ujpegload.h"
#include "imaging_testutil.h"

using namespace imaging_test;

namespace {

// A .bmp file: file header, the info header, the palette (8 bits), the pixels.
std::vector<BYTE> BmpFile(const TestDib& dib)
{
    const DWORD palette = dib.Header().biBitCount == 8 ? 1024 : 0;
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = 14 + 40 + palette;
    fh.bfSize = static_cast<DWORD>(fh.bfOffBits + dib.bits.size());
    std::vector<BYTE> f(fh.bfSize);
    std::memcpy(f.data(), &fh, 14);
    std::memcpy(f.data() + 14, dib.header.data(), 40 + palette);
    std::memcpy(f.data() + fh.bfOffBits, dib.bits.data(), dib.bits.size());
    return f;
}

struct Loaded {
    bool ok;
    BITMAPINFO* info;
    void* bits;
};

Loaded LoadFromBytes(const std::vector<BYTE>& file)
{
    const std::string path = ScratchPath("texture.bmp");
    EXPECT_TRUE(WriteFileBytes(path, file));
    Loaded r{false, reinterpret_cast<BITMAPINFO*>(1), reinterpret_cast<void*>(1)};
    r.ok = LoadBmpFromFile(path.c_str(), &r.info, &r.bits);
    ::DeleteFileA(path.c_str());
    return r;
}

}  // namespace

TEST(ImagingBmpFile, LoadsGoodFiles)
{
    const TestDib dibs[] = {MakeDib(5, 3, 24, false), MakeDib(5, 3, 24, true), MakeDib(3, 2, 8, false),
                            MakeDib(1, 7, 8, true)};
    for (const TestDib& dib : dibs) {
        const Loaded r = LoadFromBytes(BmpFile(dib));
        ASSERT_TRUE(r.ok);
        const BITMAPINFOHEADER& h = r.info->bmiHeader;
        EXPECT_EQ(h.biWidth, dib.Header().biWidth);
        EXPECT_EQ(h.biHeight, dib.Header().biHeight);
        EXPECT_EQ(h.biBitCount, dib.Header().biBitCount);
        const size_t offset = dib.Header().biBitCount == 8 ? 1064 : 40;
        EXPECT_EQ(static_cast<BYTE*>(r.bits) - reinterpret_cast<BYTE*>(r.info),
                  static_cast<ptrdiff_t>(offset));
        EXPECT_EQ(std::memcmp(r.bits, dib.bits.data(), dib.bits.size()), 0);
        if (dib.Header().biBitCount == 8) {
            EXPECT_EQ(std::memcmp(r.info->bmiColors, dib.Info()->bmiColors, 1024), 0);
        }
        EXPECT_GE(::GlobalSize(::GlobalHandle(r.info)), offset + dib.bits.size());
        ::GlobalFree(r.info);
    }
}

TEST(ImagingBmpFile, RefusesDamagedFiles)
{
    const std::vector<BYTE> good24 = BmpFile(MakeDib(5, 3, 24, false));
    const std::vector<BYTE> good8 = BmpFile(MakeDib(4, 4, 8, false));
    auto with = [](std::vector<BYTE> f, size_t at, const void* value, size_t n) {
        std::memcpy(f.data() + at, value, n);
        return f;
    };
    auto dword = [&](const std::vector<BYTE>& f, size_t at, DWORD v) { return with(f, at, &v, 4); };
    auto word = [&](const std::vector<BYTE>& f, size_t at, WORD v) { return with(f, at, &v, 2); };
    // Offsets in the file: bfSize 2, biSize 14, biWidth 18, biHeight 22, biBitCount 28, biCompression 30.
    std::vector<BYTE> truncated = good24;
    truncated.resize(truncated.size() - 5);
    std::vector<BYTE> shortPalette = good8;  // a 16-entry palette: the pixels would lie past the block
    shortPalette.erase(shortPalette.begin() + 54 + 64, shortPalette.begin() + 54 + 1024);
    shortPalette = dword(shortPalette, 2, static_cast<DWORD>(shortPalette.size()));

    struct Case {
        const char* name;
        std::vector<BYTE> file;
    };
    const Case cases[] = {
        {"empty", {}},
        {"ten bytes", std::vector<BYTE>(good24.begin(), good24.begin() + 10)},
        {"no BM", word(good24, 0, 0x4142)},
        {"bfSize below the headers", dword(good24, 2, 20)},
        {"bfSize below 14", dword(good24, 2, 3)},
        {"bfSize past the file", dword(good24, 2, static_cast<DWORD>(good24.size() + 1))},
        {"truncated pixels", dword(truncated, 2, static_cast<DWORD>(truncated.size()))},
        {"core header", dword(good24, 14, 12)},
        {"V5 header", dword(good24, 14, 124)},
        {"4 bits", word(good24, 28, 4)},
        {"32 bits", word(good24, 28, 32)},
        {"RLE", dword(good8, 30, BI_RLE8)},
        {"no width", dword(good24, 18, 0)},
        {"negative width", dword(good24, 18, static_cast<DWORD>(-5))},
        {"no rows", dword(good24, 22, 0)},
        {"more rows than pixels", dword(good24, 22, 100)},
        {"short palette", shortPalette},
    };
    for (const Case& c : cases) {
        const Loaded r = LoadFromBytes(c.file);
        EXPECT_FALSE(r.ok) << c.name;
        EXPECT_EQ(r.info, nullptr) << c.name;
        EXPECT_EQ(r.bits, nullptr) << c.name;
    }

    BITMAPINFO* info = reinterpret_cast<BITMAPINFO*>(1);
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_FALSE(LoadBmpFromFile(ScratchPath("missing.bmp").c_str(), &info, &bits));
    EXPECT_EQ(info, nullptr);
    EXPECT_EQ(bits, nullptr);
}

namespace {

// How a writer may lay a .bmp file out: the info header's length, colour masks, a palette of fewer
// colours, and bytes between the headers and the pixels; bfOffBits says where the pixels begin.
struct Layout {
    DWORD headerSize = 40;
    DWORD compression = BI_RGB;
    bool masksAfterHeader = false;  // the 12 bytes of masks a 40-byte header is followed by
    DWORD paletteEntries = 256;     // 8 bits: biClrUsed (256 written as 0)
    DWORD gap = 0;
};

constexpr DWORD kMasks[] = {0x00FF0000, 0x0000FF00, 0x000000FF};

std::vector<BYTE> LaidOut(const TestDib& dib, const Layout& l, DWORD offsetChange = 0)
{
    const bool eight = dib.Header().biBitCount == 8;
    const DWORD masks = l.masksAfterHeader ? 12 : 0;
    const DWORD palette = eight ? 4 * l.paletteEntries : 0;
    const DWORD pixels = 14 + l.headerSize + masks + palette + l.gap;
    std::vector<BYTE> f(pixels + dib.bits.size(), 0xCD);  // the gap holds bytes no pixel has
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfSize = static_cast<DWORD>(f.size());
    fh.bfOffBits = pixels + offsetChange;
    std::memcpy(f.data(), &fh, 14);
    std::memset(f.data() + 14, 0, l.headerSize);
    BITMAPINFOHEADER h = dib.Header();
    h.biSize = l.headerSize;
    h.biCompression = l.compression;
    h.biClrUsed = eight && l.paletteEntries != 256 ? l.paletteEntries : 0;
    std::memcpy(f.data() + 14, &h, 40);
    // A longer header keeps the masks in its own bytes 40 to 51.
    if (l.headerSize >= 52 || masks) std::memcpy(f.data() + 14 + 40, kMasks, sizeof kMasks);
    std::memcpy(f.data() + 14 + l.headerSize + masks, dib.Info()->bmiColors, palette);
    std::memcpy(f.data() + pixels, dib.bits.data(), dib.bits.size());
    return f;
}

}  // namespace

// Files whose pixels do not follow the header directly: they are read where bfOffBits puts them,
// and the loader hands out the engine's usual layout (a 40-byte header, a full palette, the rows).
TEST(ImagingBmpFile, ReadsPixelsWhereTheFileHeaderSays)
{
    struct Case {
        const char* name;
        int bits;
        Layout layout;
    };
    const Case cases[] = {
        {"24 bits, a gap of 6 bytes", 24, {40, BI_RGB, false, 256, 6}},
        {"24 bits, V4 header", 24, {108, BI_RGB, false, 256, 0}},
        {"24 bits, V5 header and a gap", 24, {124, BI_RGB, false, 256, 4}},
        {"24 bits, masks after the header", 24, {40, BI_BITFIELDS, true, 256, 0}},
        {"24 bits, V5 header with masks", 24, {124, BI_BITFIELDS, false, 256, 0}},
        {"24 bits, masks left after a plain header", 24, {40, BI_RGB, true, 256, 0}},
        {"8 bits, a gap of 2 bytes", 8, {40, BI_RGB, false, 256, 2}},
        {"8 bits, V5 header", 8, {124, BI_RGB, false, 256, 0}},
        {"8 bits, 16 colours", 8, {40, BI_RGB, false, 16, 0}},
    };
    for (const Case& c : cases) {
        // 8 bits: the pattern's indices stay below 16, so the short palette names them all.
        const TestDib dib =
            c.bits == 8 ? MakeDibWith(3, 4, 8, false, [](int x, int y, int) { return (x + 3 * y) % 16; })
                        : MakeDib(5, 3, 24, true);
        const Loaded r = LoadFromBytes(LaidOut(dib, c.layout));
        ASSERT_TRUE(r.ok) << c.name;
        const BITMAPINFOHEADER& h = r.info->bmiHeader;
        EXPECT_EQ(h.biSize, 40u) << c.name;
        EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB)) << c.name;
        EXPECT_EQ(h.biWidth, dib.Header().biWidth) << c.name;
        EXPECT_EQ(h.biHeight, dib.Header().biHeight) << c.name;
        const size_t offset = c.bits == 8 ? 1064 : 40;
        EXPECT_EQ(static_cast<BYTE*>(r.bits) - reinterpret_cast<BYTE*>(r.info),
                  static_cast<ptrdiff_t>(offset))
            << c.name;
        EXPECT_EQ(std::memcmp(r.bits, dib.bits.data(), dib.bits.size()), 0) << c.name;
        if (c.bits == 8) {
            const DWORD held = 4 * c.layout.paletteEntries;
            EXPECT_EQ(std::memcmp(r.info->bmiColors, dib.Info()->bmiColors, held), 0) << c.name;
            const std::vector<BYTE> black(1024 - held, 0);
            EXPECT_EQ(
                std::memcmp(reinterpret_cast<BYTE*>(r.info->bmiColors) + held, black.data(), black.size()), 0)
                << c.name;
        }
        ::GlobalFree(r.info);
    }
}

// An offset that points into the headers or past the end, masks of another pixel order, and a
// palette that runs into the pixels are refused.
TEST(ImagingBmpFile, RefusesPixelOffsetsOutsideTheFile)
{
    const TestDib dib24 = MakeDib(5, 3, 24, false);
    const TestDib dib8 = MakeDib(3, 2, 8, false);
    const Layout plain;
    std::vector<BYTE> otherMasks = LaidOut(dib24, {40, BI_BITFIELDS, true, 256, 0});
    const DWORD swapped = 0x000000FF;
    std::memcpy(otherMasks.data() + 14 + 40, &swapped, 4);
    struct Case {
        const char* name;
        std::vector<BYTE> file;
    };
    const Case cases[] = {
        {"offset in the file header", LaidOut(dib24, plain, static_cast<DWORD>(-50))},
        {"offset in the info header", LaidOut(dib24, plain, static_cast<DWORD>(-4))},
        {"offset one past the pixels", LaidOut(dib24, plain, 1)},
        {"offset past the end", LaidOut(dib24, plain, 0x10000000)},
        {"offset wrapping", LaidOut(dib24, plain, 0xFFFFFFF0u)},
        {"V5 header past the offset", LaidOut(dib24, {124, BI_RGB, false, 256, 0}, static_cast<DWORD>(-84))},
        {"masks of another order", otherMasks},
        {"masks without their bytes", LaidOut(dib24, {40, BI_BITFIELDS, false, 256, 0})},
        {"masks on 8 bits", LaidOut(dib8, {40, BI_BITFIELDS, true, 256, 0})},
        {"palette into the pixels", LaidOut(dib8, {40, BI_RGB, false, 256, 0}, static_cast<DWORD>(-4))},
        {"more than 256 colours", LaidOut(dib8, {40, BI_RGB, false, 257, 0})},
    };
    for (const Case& c : cases) {
        const Loaded r = LoadFromBytes(c.file);
        EXPECT_FALSE(r.ok) << c.name;
        EXPECT_EQ(r.info, nullptr) << c.name;
    }
}
