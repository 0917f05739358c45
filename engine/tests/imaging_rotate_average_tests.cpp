// RotateBitmap90 and GetAverageRgbValue on synthetic images, against the test's own definitions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "Ujpegload.h"
#include "Usync.h"
#include "imaging_testutil.h"

using namespace imaging_test;

TEST(ImagingRotate, TurnsAsSeenInBothRowOrders)
{
    struct Size {
        int w, h;
    };
    const Size sizes[] = {{5, 3}, {7, 2}, {1, 1}, {1, 9}, {9, 1}, {33, 17}};
    for (int bits : {8, 16, 24, 32})
        for (bool topDown : {false, true})
            for (bool clockwise : {true, false})
                for (const Size& s : sizes) {
                    const TestDib src =
                        MakeDib(s.w, s.h, bits, topDown, static_cast<unsigned>(s.w * 100 + s.h));
                    const TestDib expected = TurnSeen(src, clockwise);
                    TestDib header = src;  // the header block is rewritten in place
                    std::vector<BYTE> dst(expected.bits.size(), 0);
                    ASSERT_TRUE(RotateBitmap90(&header.Header(), src.bits.data(), dst.data(), clockwise));
                    const std::string name = std::to_string(bits) + " bits " + std::to_string(s.w) + "x" +
                                             std::to_string(s.h) + (topDown ? " top-down" : " bottom-up") +
                                             (clockwise ? " cw" : " ccw");
                    EXPECT_EQ(header.Header().biWidth, s.h) << name;
                    EXPECT_EQ(header.Header().biHeight, topDown ? -s.w : s.w) << name;
                    EXPECT_EQ(header.Header().biSizeImage, expected.bits.size()) << name;
                    EXPECT_EQ(dst, expected.bits) << name;
                    // The palette stays as it was.
                    EXPECT_TRUE(
                        std::equal(src.header.begin() + 40, src.header.end(), header.header.begin() + 40))
                        << name;
                }
}

TEST(ImagingRotate, Refusals)
{
    const TestDib good = MakeDib(4, 3, 24, false);
    std::vector<BYTE> dst(good.bits.size() + 16, 0);

    struct Case {
        const char* name;
        void (*spoil)(BITMAPINFOHEADER&);
    };
    const Case cases[] = {
        {"biSize 124", [](BITMAPINFOHEADER& h) { h.biSize = 124; }},
        {"4 bits", [](BITMAPINFOHEADER& h) { h.biBitCount = 4; }},
        {"48 bits", [](BITMAPINFOHEADER& h) { h.biBitCount = 48; }},
        {"RLE", [](BITMAPINFOHEADER& h) { h.biCompression = BI_RLE8; }},
        {"no width", [](BITMAPINFOHEADER& h) { h.biWidth = 0; }},
        {"no rows", [](BITMAPINFOHEADER& h) { h.biHeight = 0; }},
        {"negative width", [](BITMAPINFOHEADER& h) { h.biWidth = -4; }},
        {"huge", [](BITMAPINFOHEADER& h) { h.biWidth = 100000, h.biHeight = 100000; }},
    };
    for (const Case& c : cases) {
        TestDib d = good;
        c.spoil(d.Header());
        const BITMAPINFOHEADER before = d.Header();
        EXPECT_FALSE(RotateBitmap90(&d.Header(), d.bits.data(), dst.data(), true)) << c.name;
        EXPECT_EQ(std::memcmp(&before, &d.Header(), sizeof(before)), 0) << c.name;
    }
    TestDib d = good;
    EXPECT_FALSE(RotateBitmap90(nullptr, d.bits.data(), dst.data(), true));
    EXPECT_FALSE(RotateBitmap90(&d.Header(), nullptr, dst.data(), true));
    EXPECT_FALSE(RotateBitmap90(&d.Header(), d.bits.data(), nullptr, true));
    EXPECT_TRUE(std::all_of(dst.begin(), dst.end(), [](BYTE b) { return b == 0; }));
}

TEST(ImagingRotate, CancelStopsTheCopy)
{
    const TestDib src = MakeDib(6, 4, 24, false);
    TestDib header = src;
    std::vector<BYTE> dst(TurnSeen(src, true).bits.size(), 0xAA);
    g_Synchronization.Cancel();
    EXPECT_TRUE(RotateBitmap90(&header.Header(), src.bits.data(), dst.data(), true));
    {
        CSynchronizationGuard clear;
    }  // taking the lock clears the cancel
    EXPECT_TRUE(std::all_of(dst.begin(), dst.end(), [](BYTE b) { return b == 0xAA; }));
    EXPECT_EQ(header.Header().biWidth, 4);
}

TEST(ImagingAverage, MeanColours)
{
    struct Case {
        const char* name;
        TestDib dib;
        COLORREF expected;
    };
    // 24 bits: bytes blue, green, red; the means are truncated.
    auto bgr = [](int x, int y, int c) {
        const int v[2][2][3] = {{{10, 20, 30}, {11, 21, 31}}, {{0, 0, 0}, {255, 255, 255}}};
        return v[y][x][c];
    };
    const Case cases[] = {
        {"24 bits bottom-up", MakeDibWith(2, 2, 24, false, bgr),
         RGB((30 + 31 + 0 + 255) / 4, (20 + 21 + 255) / 4, (10 + 11 + 255) / 4)},
        {"24 bits top-down", MakeDibWith(2, 2, 24, true, bgr), RGB(79, 74, 69)},
        {"padding is not counted",
         [] {
             TestDib d = MakeDibWith(3, 1, 24, false, [](int, int, int c) { return c == 2 ? 200 : 1; });
             std::fill(d.bits.begin() + 9, d.bits.end(), 0xFF);
             return d;
         }(),
         RGB(200, 1, 1)},
        {"truncated mean", MakeDibWith(2, 1, 24, false, [](int x, int, int) { return x; }), RGB(0, 0, 0)},
        {"8 bits: mean index as grey",
         MakeDibWith(3, 2, 8, false, [](int x, int y, int) { return x * 10 + y * 100; }), RGB(60, 60, 60)},
        {"32 bits", MakeDib(4, 4, 32, false), 0},
        {"no width",
         [] {
             TestDib d = MakeDib(2, 2, 24, false);
             d.Header().biWidth = 0;
             return d;
         }(),
         0},
        {"no rows",
         [] {
             TestDib d = MakeDib(2, 2, 24, false);
             d.Header().biHeight = 0;
             return d;
         }(),
         0},
        {"negative width",
         [] {
             TestDib d = MakeDib(2, 2, 24, false);
             d.Header().biWidth = -2;
             return d;
         }(),
         0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetAverageRgbValue(c.dib.Info(), c.dib.bits.data()), c.expected) << c.name;

    const TestDib d = MakeDib(2, 2, 24, false);
    EXPECT_EQ(GetAverageRgbValue(nullptr, d.bits.data()), 0x7F7F7Fu);
    EXPECT_EQ(GetAverageRgbValue(d.Info(), nullptr), 0x7F7F7Fu);
}

TEST(ImagingAverage, CancelStopsTheSum)
{
    const TestDib d = MakeDibWith(8, 8, 24, false, [](int, int, int) { return 200; });
    g_Synchronization.Cancel();
    const COLORREF stopped = GetAverageRgbValue(d.Info(), d.bits.data());
    {
        CSynchronizationGuard clear;
    }
    EXPECT_EQ(stopped, RGB(0, 0, 0));
    EXPECT_EQ(GetAverageRgbValue(d.Info(), d.bits.data()), RGB(200, 200, 200));
}
