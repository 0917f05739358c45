// The canvas and the bitmap helpers: headers, .bmp files read back byte by byte, rectangles, and
// drawing on a real DIB section read back from its pixels.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Udib.h"
#include "Ujpegload.h"
#include "Upaintabledib.h"
#include "KvTestSupport.h"
#include "UTxUtils.h"
#include "imaging_testutil.h"

using namespace imaging_test;

namespace {

// A pixel of a canvas (24 bits, top-down) as a COLORREF.
COLORREF CanvasPixel(CPaintableDib& canvas, int x, int y)
{
    const BYTE* bits = static_cast<const BYTE*>(canvas.GetBits());
    const size_t row = (static_cast<size_t>(canvas.GetWidth()) * 3 + 3) / 4 * 4;
    const BYTE* p = bits + static_cast<size_t>(y) * row + static_cast<size_t>(x) * 3;
    return RGB(p[2], p[1], p[0]);
}

COLORREF DibPixel(const TestDib& d, int x, int y)
{
    return RGB(d.Seen(x, y, 2), d.Seen(x, y, 1), d.Seen(x, y, 0));
}

template <typename T> T At(const std::vector<BYTE>& bytes, size_t offset)
{
    T v;
    std::memcpy(&v, bytes.data() + offset, sizeof(T));
    return v;
}

bool NoTemporaryFilesIn(const std::string& dir)
{
    WIN32_FIND_DATAA fd;
    const HANDLE h = ::FindFirstFileA((dir + "\\*.tmp").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return true;
    ::FindClose(h);
    return false;
}

}  // namespace

TEST(ImagingDibHelpers, FillDibHeaderPerDepth)
{
    struct Case {
        int depth;
        WORD bitCount;
        DWORD compression;
        DWORD sizeImage;  // for 5 x 3
    };
    const Case cases[] = {
        {1, 1, BI_RGB, 12},         {4, 4, BI_RGB, 12},   {8, 8, BI_RGB, 24},   {15, 16, BI_RGB, 36},
        {16, 16, BI_BITFIELDS, 36}, {24, 24, BI_RGB, 48}, {32, 32, BI_RGB, 60}, {7, 7, BI_RGB, 0},
    };
    for (const Case& c : cases)
        for (bool topDown : {false, true}) {
            std::vector<BYTE> block(1064, 0xEE);
            auto* info = reinterpret_cast<BITMAPINFO*>(block.data());
            FillDibHeader(info, 5, 3, c.depth, topDown);
            const BITMAPINFOHEADER& h = info->bmiHeader;
            EXPECT_EQ(h.biSize, 40u) << c.depth;
            EXPECT_EQ(h.biWidth, 5) << c.depth;
            EXPECT_EQ(h.biHeight, topDown ? -3 : 3) << c.depth;
            EXPECT_EQ(h.biPlanes, 1) << c.depth;
            EXPECT_EQ(h.biBitCount, c.bitCount) << c.depth;
            EXPECT_EQ(h.biCompression, c.compression) << c.depth;
            EXPECT_EQ(h.biSizeImage, c.sizeImage) << c.depth;
            EXPECT_EQ(h.biXPelsPerMeter, 9600) << c.depth;
            EXPECT_EQ(h.biYPelsPerMeter, 9600) << c.depth;
            EXPECT_EQ(h.biClrUsed, 0u) << c.depth;
            EXPECT_EQ(h.biClrImportant, 0u) << c.depth;

            const RGBQUAD* e = info->bmiColors;
            auto grey = [](const RGBQUAD& q, int v) {
                return q.rgbBlue == v && q.rgbGreen == v && q.rgbRed == v && q.rgbReserved == 0;
            };
            size_t written = 0;
            if (c.depth == 1) {
                EXPECT_TRUE(grey(e[0], 0) && grey(e[1], 255));
                written = 2 * 4;
            } else if (c.depth == 4) {
                for (int i = 0; i < 16; ++i)
                    EXPECT_TRUE(grey(e[i], 16 * i)) << i;
                written = 16 * 4;
            } else if (c.depth == 8) {
                for (int i = 0; i < 256; ++i)
                    EXPECT_TRUE(grey(e[i], i)) << i;
                written = 1024;
            } else if (c.depth == 16) {
                EXPECT_EQ(At<DWORD>(block, 40), 0xF800u);
                EXPECT_EQ(At<DWORD>(block, 44), 0x07E0u);
                EXPECT_EQ(At<DWORD>(block, 48), 0x001Fu);
                written = 12;
            }
            // Entries not written keep what the block held.
            for (size_t i = 40 + written; i < block.size(); ++i)
                ASSERT_EQ(block[i], 0xEE) << c.depth << " at " << i;
        }
    FillDibHeader(nullptr, 5, 3, 24, true);
}

TEST(ImagingDibHelpers, LineIncrementAndArea)
{
    struct Case {
        int width, height, bits;
        DWORD line, area;
    };
    const Case cases[] = {
        {5, 3, 1, 4, 12},    {5, -3, 4, 4, 12},  {5, 3, 8, 8, 24},  {5, 3, 16, 12, 36},
        {5, -3, 24, 16, 48}, {5, 3, 32, 20, 60}, {1, 7, 24, 4, 28}, {5, 3, 2, 20, 60},
    };
    for (const Case& c : cases) {
        TestDib d;
        d.Header().biWidth = c.width;
        d.Header().biHeight = c.height;
        d.Header().biBitCount = static_cast<WORD>(c.bits);
        EXPECT_EQ(GetDibLineIncrement(d.Info()), c.line) << c.bits;
        EXPECT_EQ(GetDibArea(d.Info()), c.area) << c.bits;
    }
    EXPECT_EQ(GetDibLineIncrement(nullptr), 0u);
    EXPECT_EQ(GetDibArea(nullptr), 0u);
}

TEST(ImagingDibHelpers, SaveToBmpFileLayout)
{
    struct Case {
        const char* name;
        TestDib dib;
        DWORD headerBytes;  // H
    };
    TestDib masks = MakeDib(3, 2, 16, true);
    masks.Header().biCompression = BI_BITFIELDS;
    const DWORD maskValues[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(masks.Info()->bmiColors, maskValues, sizeof(maskValues));
    const Case cases[] = {
        {"24 bits top-down", MakeDib(5, 3, 24, true), 40},
        {"24 bits bottom-up", MakeDib(5, 3, 24, false), 40},
        {"8 bits bottom-up", MakeDib(3, 4, 8, false), 40 + 1024},
        {"8 bits top-down", MakeDib(3, 4, 8, true), 40 + 1024},
        {"16 bits with masks", masks, 40 + 12},
        {"1 pixel wide", MakeDib(1, 6, 24, true), 40},
    };
    const std::string path = ScratchPath("saved.bmp");
    for (const Case& c : cases) {
        const TestDib before = c.dib;
        ASSERT_TRUE(SaveToBmpFile(path.c_str(), c.dib.Info(), c.dib.bits.data())) << c.name;
        EXPECT_EQ(std::memcmp(before.header.data(), c.dib.header.data(), 1064), 0)
            << c.name << ": header changed";

        const std::vector<BYTE> file = ReadFileBytes(path);
        const DWORD S = static_cast<DWORD>(c.dib.RowBytes() * c.dib.Rows());
        ASSERT_EQ(file.size(), 14 + c.headerBytes + S) << c.name;
        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(file[1], 'M');
        EXPECT_EQ(At<DWORD>(file, 2), 14 + c.headerBytes + S) << c.name;
        EXPECT_EQ(At<DWORD>(file, 6), 0u) << c.name;
        EXPECT_EQ(At<DWORD>(file, 10), 14 + c.headerBytes) << c.name;
        // The header as held in memory, with a positive height, then the colour table or masks.
        BITMAPINFOHEADER expected = c.dib.Header();
        expected.biHeight = c.dib.Rows();
        EXPECT_EQ(std::memcmp(file.data() + 14, &expected, 40), 0) << c.name;
        EXPECT_EQ(std::memcmp(file.data() + 54, c.dib.header.data() + 40, c.headerBytes - 40), 0) << c.name;
        // Rows bottom-up.
        for (int y = 0; y < c.dib.Rows(); ++y) {
            const size_t fileRow =
                14 + c.headerBytes + static_cast<size_t>(c.dib.Rows() - 1 - y) * c.dib.RowBytes();
            for (int x = 0; x < c.dib.Width() * c.dib.BytesPerPixel(); ++x)
                ASSERT_EQ(file[fileRow + x],
                          c.dib.Seen(x / c.dib.BytesPerPixel(), y, x % c.dib.BytesPerPixel()))
                    << c.name << " row " << y;
        }

        // What the engine loads back is the same image.
        if (c.dib.Header().biBitCount == 8 || c.dib.Header().biBitCount == 24) {
            BITMAPINFO* info = nullptr;
            void* bits = nullptr;
            ASSERT_TRUE(LoadBmpFromFile(path.c_str(), &info, &bits)) << c.name;
            EXPECT_EQ(info->bmiHeader.biHeight, c.dib.Rows()) << c.name;
            EXPECT_EQ(std::memcmp(bits, file.data() + 14 + c.headerBytes, S), 0) << c.name;
            ::GlobalFree(info);
        }
    }
    EXPECT_TRUE(NoTemporaryFilesIn(ScratchDir()));
    ::DeleteFileA(path.c_str());
}

TEST(ImagingDibHelpers, SaveToBmpFileFailureKeepsTheOldFile)
{
    const TestDib dib = MakeDib(4, 4, 24, false);
    EXPECT_FALSE(SaveToBmpFile(ScratchPath("no-such-folder\\x.bmp").c_str(), dib.Info(), dib.bits.data()));
    EXPECT_FALSE(SaveToBmpFile(ScratchPath("x.bmp").c_str(), nullptr, dib.bits.data()));
    EXPECT_FALSE(SaveToBmpFile(ScratchPath("x.bmp").c_str(), dib.Info(), nullptr));

    // A target that cannot be replaced (held open without sharing) stays as it was.
    const std::string path = ScratchPath("held.bmp");
    ASSERT_TRUE(WriteFileBytes(path, {'o', 'l', 'd'}));
    const HANDLE held = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(SaveToBmpFile(path.c_str(), dib.Info(), dib.bits.data()));
    ::CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(path), (std::vector<BYTE>{'o', 'l', 'd'}));
    EXPECT_TRUE(NoTemporaryFilesIn(ScratchDir()));
    ::DeleteFileA(path.c_str());
}

// Copies of the work bitmap that saves which ended before their move left behind go with the next
// save once they are a minute old; a young one of a program that runs may be its save in progress.
TEST(ImagingDibHelpers, SaveToBmpFileRemovesCopiesLeftByEndedSaves)
{
    const TestDib dib = MakeDib(4, 4, 24, false);
    const std::string path = ScratchPath("work.bmp");
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const ULONGLONG twoMinutesAgo = testsupport::FileTimeUnits(now) - 120ull * 10000000ull;
    struct LeftoverCase {
        std::string name;
        ULONGLONG written;  // 0: now
        bool removed;
    };
    char running[16];  // this program's process id, as a writer names its copy
    std::snprintf(running, sizeof running, "%lx", static_cast<unsigned long>(::GetCurrentProcessId()));
    const LeftoverCase cases[] = {
        {"work.bmp.1a2b-3.tmp", twoMinutesAgo, true},
        {std::string("work.bmp.") + running + "-7.tmp", 0, false},
        {"work.bmp.backup.tmp", twoMinutesAgo, false},
    };
    for (const LeftoverCase& c : cases) {
        ASSERT_TRUE(WriteFileBytes(ScratchPath(c.name), {'x'}));
        if (c.written) {
            FileHandle file(::CreateFileA(ScratchPath(c.name).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
            const FILETIME time = testsupport::FileTimeFromUnits(c.written);
            ASSERT_TRUE(file && ::SetFileTime(file.get(), nullptr, nullptr, &time)) << c.name;
        }
    }
    ASSERT_TRUE(SaveToBmpFile(path.c_str(), dib.Info(), dib.bits.data()));
    for (const LeftoverCase& c : cases) {
        EXPECT_EQ(testsupport::PathExists(ScratchPath(c.name)), !c.removed) << c.name;
        ::DeleteFileA(ScratchPath(c.name).c_str());
    }
    ::DeleteFileA(path.c_str());
}

TEST(ImagingDibHelpers, CopyBmpRectFromBmp)
{
    struct Case {
        const char* name;
        int x, y, w, h;
        bool ok;
        int copiedX, copiedY, copiedW, copiedH;
    };
    const Case cases[] = {
        {"inside", 2, 1, 3, 2, true, 2, 1, 3, 2},
        {"negative x copies from column 0", -5, 0, 4, 2, true, 0, 0, 4, 2},
        {"negative y copies from row 0", 1, -3, 2, 2, true, 1, 0, 2, 2},
        {"clipped right and bottom", 5, 3, 10, 10, true, 5, 3, 2, 2},
        {"x at the width", 7, 0, 2, 2, false, 0, 0, 0, 0},
        {"y at the height", 0, 5, 2, 2, false, 0, 0, 0, 0},
        {"zero width", 1, 1, 0, 2, false, 0, 0, 0, 0},
    };
    for (int bits : {8, 24, 32})
        for (bool topDown : {false, true}) {
            const TestDib src = MakeDib(7, 5, bits, topDown);
            for (const Case& c : cases) {
                TestDib dst;
                dst.bits.assign(7 * 5 * 4, 0xEE);
                int w = c.w, h = c.h;
                ASSERT_EQ(CopyBmpRectFromBmp(src.Info(), src.bits.data(), dst.Info(), dst.bits.data(), c.x,
                                             c.y, &w, &h),
                          c.ok)
                    << c.name;
                if (!c.ok) continue;
                EXPECT_EQ(w, c.copiedW) << c.name;
                EXPECT_EQ(h, c.copiedH) << c.name;
                EXPECT_EQ(dst.Header().biWidth, c.copiedW) << c.name;
                EXPECT_EQ(dst.Header().biHeight, -c.copiedH) << c.name;
                EXPECT_EQ(dst.Header().biBitCount, bits) << c.name;
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        for (int k = 0; k < bits / 8; ++k)
                            ASSERT_EQ(dst.Seen(x, y, k), src.Seen(c.copiedX + x, c.copiedY + y, k)) << c.name;
                // An 8-bit cut-out gets the grey table.
                if (bits == 8) {
                    EXPECT_EQ(dst.Info()->bmiColors[77].rgbRed, 77) << c.name;
                }
            }
        }
    const TestDib odd = MakeDib(4, 4, 16, false);
    TestDib dst;
    dst.bits.assign(64, 0);
    int w = 2, h = 2;
    EXPECT_FALSE(CopyBmpRectFromBmp(odd.Info(), odd.bits.data(), dst.Info(), dst.bits.data(), 0, 0, &w, &h));
}

TEST(ImagingPaintableDib, ClearFillAndContexts)
{
    CPaintableDib canvas(37, 23);
    ASSERT_TRUE(canvas.CreateCanvas());
    EXPECT_EQ(canvas.GetBitmapInfo()->bmiHeader.biHeight, -23);
    canvas.Clear(RGB(10, 20, 30));
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x)
            ASSERT_EQ(CanvasPixel(canvas, x, y), RGB(10, 20, 30)) << x << "," << y;

    // Up to, not including, the right column and the bottom row of the rectangle.
    canvas.FillRect(RGB(200, 0, 0), 2, 3, 4, 5);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x) {
            const bool inside = x >= 2 && x < 5 && y >= 3 && y < 7;
            ASSERT_EQ(CanvasPixel(canvas, x, y), inside ? RGB(200, 0, 0) : RGB(10, 20, 30)) << x << "," << y;
        }

    // While a context is out, a second one cannot hold the section; drawing goes through the first.
    const HDC dc = canvas.GetDC();
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(canvas.GetDC(), nullptr);
    canvas.Clear(RGB(1, 2, 3));
    EXPECT_EQ(CanvasPixel(canvas, 36, 22), RGB(1, 2, 3));
    canvas.ReleaseDC(dc);
    canvas.ReleaseDC(nullptr);
    const HDC again = canvas.GetDC();
    EXPECT_NE(again, nullptr);
    canvas.ReleaseDC(again);
}

TEST(ImagingPaintableDib, WithoutSectionNothingHappens)
{
    CPaintableDib canvas(100000, 100000);
    EXPECT_FALSE(canvas.CreateCanvas());
    EXPECT_EQ(canvas.GetDC(), nullptr);
    canvas.Clear(RGB(1, 2, 3));
    canvas.FillRect(RGB(1, 2, 3), 0, 0, 10, 10);
    const TestDib img = MakeDib(4, 4, 24, false);
    canvas.PaintDib(img.Info(), img.bits.data(), 0, 0);
    canvas.TextOutOutlined(nullptr, "text", 0, 0);
    EXPECT_FALSE(canvas.SaveToBmpFile(ScratchPath("none.bmp").c_str()));
}

// The limit cuts the image by the same amount on both sides, in either row order.
TEST(ImagingPaintableDib, PaintDibCutsSymmetrically)
{
    struct Case {
        const char* name;
        int x, y;
        bool limit;
        POINT at;
        int xs, ys;  // the cut on each side
    };
    const Case cases[] = {
        {"no limit", 3, 2, false, {0, 0}, 0, 0},
        {"limit above and left", 3, 2, true, {1, 0}, 0, 0},
        {"cut in both directions", 3, 2, true, {5, 4}, 2, 2},
        {"cut in height only", 3, 2, true, {0, 5}, 0, 3},
        {"cut in width only", 0, 0, true, {4, 0}, 4, 0},
    };
    for (bool topDown : {false, true}) {
        const TestDib img = MakeDib(10, 9, 24, topDown, 5);
        for (const Case& c : cases) {
            const std::string name = std::string(c.name) + (topDown ? ", top-down" : ", bottom-up");
            CPaintableDib canvas(20, 16);
            ASSERT_TRUE(canvas.CreateCanvas());
            canvas.Clear(RGB(0, 0, 0));
            canvas.PaintDib(img.Info(), img.bits.data(), c.x, c.y, c.limit ? &c.at : nullptr);
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 20; ++x) {
                    const int ix = x - c.x, iy = y - c.y;
                    const bool shown = ix >= c.xs && ix < 10 - c.xs && iy >= c.ys && iy < 9 - c.ys;
                    ASSERT_EQ(CanvasPixel(canvas, x, y), shown ? DibPixel(img, ix, iy) : RGB(0, 0, 0))
                        << name << " at " << x << "," << y;
                }
        }
        // A cut that leaves nothing paints nothing.
        CPaintableDib canvas(20, 16);
        ASSERT_TRUE(canvas.CreateCanvas());
        canvas.Clear(RGB(0, 0, 0));
        const POINT beyond = {9, 9};
        canvas.PaintDib(img.Info(), img.bits.data(), 0, 0, &beyond);
        EXPECT_EQ(CanvasPixel(canvas, 9, 9), RGB(0, 0, 0));
    }
}

// Eight copies in the outline colour around the text, then the text itself: with the font's
// smoothing off, the outline is exactly the text's pixels grown by one in every direction.
TEST(ImagingPaintableDib, OutlinedText)
{
    const COLORREF text = RGB(255, 255, 255), outline = RGB(255, 0, 0), back = RGB(0, 0, 0);
    auto draw = [&](CPaintableDib& canvas, bool outlined) {
        ASSERT_TRUE(canvas.CreateCanvas());
        canvas.Clear(back);
        const HDC dc = canvas.GetDC();
        ASSERT_NE(dc, nullptr);
        canvas.SetFont(dc, "Arial", 14, DEFAULT_CHARSET, text, outline, true, false, false, false, false);
        if (outlined) {
            canvas.TextOutOutlined(dc, "Kx8", 6, 4);
        } else {
            canvas.TextOutColor(dc, "Kx8", 6, 4, false);
        }
        SIZE extent{};
        canvas.GetTextExtent(dc, "Kx8", &extent);
        EXPECT_GT(extent.cx, 0);
        EXPECT_GT(extent.cy, 0);
        canvas.ReleaseDC(dc);
    };
    CPaintableDib plain(60, 36), outlined(60, 36);
    draw(plain, false);
    draw(outlined, true);

    int glyph = 0;
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 60; ++x) {
            const bool inText = CanvasPixel(plain, x, y) == text;
            glyph += inText;
            bool nearText = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < 60 && ny < 36 && CanvasPixel(plain, nx, ny) == text)
                        nearText = true;
                }
            const COLORREF expected = inText ? text : nearText ? outline : back;
            ASSERT_EQ(CanvasPixel(outlined, x, y), expected) << x << "," << y;
        }
    EXPECT_GT(glyph, 20) << "no text was drawn";
}

TEST(ImagingPaintableDib, SaveToBmpFileOfTheCanvas)
{
    CPaintableDib canvas(33, 7);
    ASSERT_TRUE(canvas.CreateCanvas());
    canvas.Clear(RGB(9, 8, 7));
    canvas.FillRect(RGB(250, 128, 1), 0, 0, 5, 4);
    const std::string path = ScratchPath("canvas.bmp");
    ASSERT_TRUE(canvas.SaveToBmpFile(path.c_str()));
    EXPECT_EQ(canvas.GetBitmapInfo()->bmiHeader.biHeight, -7);

    const std::vector<BYTE> file = ReadFileBytes(path);
    const size_t row = (33 * 3 + 3) / 4 * 4;
    ASSERT_EQ(file.size(), 54 + row * 7);
    EXPECT_EQ(At<DWORD>(file, 10), 54u);
    EXPECT_EQ(At<LONG>(file, 22), 7);
    EXPECT_EQ(At<DWORD>(file, 34), row * 7);  // biSizeImage as FillDibHeader set it
    EXPECT_EQ(At<LONG>(file, 38), 9600);

    BITMAPINFO* info = nullptr;
    void* bits = nullptr;
    ASSERT_TRUE(LoadBmpFromFile(path.c_str(), &info, &bits));
    const BYTE* canvasBits = static_cast<const BYTE*>(canvas.GetBits());
    for (int y = 0; y < 7; ++y) {
        EXPECT_EQ(std::memcmp(static_cast<const BYTE*>(bits) + (6 - y) * row, canvasBits + y * row, row), 0)
            << y;
    }
    const BYTE* top = static_cast<const BYTE*>(bits) + 6 * row;
    EXPECT_EQ(RGB(top[2], top[1], top[0]), RGB(250, 128, 1));
    ::GlobalFree(info);
    ::DeleteFileA(path.c_str());
}
