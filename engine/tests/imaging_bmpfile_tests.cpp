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
