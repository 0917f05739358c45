// Both resamplers: hand-computed cases, and whole images against reference versions written here
// straight from the definition (the interpolating one upsamples every line in full).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "Udib.h"
#include "Uresample.h"
#include "Usync.h"
#include "imaging_testutil.h"

using namespace imaging_test;

namespace {

using Resampler = bool (*)(const BITMAPINFO*, const void*, BITMAPINFO**, void**, int, int);

struct Output {
    bool ok = false;
    CDibPair pair;
    const BITMAPINFOHEADER& Header() const { return pair.Info()->bmiHeader; }
    // Byte c of the pixel seen at (x, y), y from the top.
    BYTE Seen(int x, int y, int c = 0) const
    {
        const BITMAPINFOHEADER& h = Header();
        const int rows = h.biHeight < 0 ? -h.biHeight : h.biHeight;
        const size_t rowBytes = (static_cast<size_t>(h.biWidth) * h.biBitCount + 31) / 32 * 4;
        const int row = h.biHeight < 0 ? y : rows - 1 - y;
        return static_cast<const BYTE*>(
            pair.Bits())[row * rowBytes + static_cast<size_t>(x) * (h.biBitCount / 8) + c];
    }
};

Output Resize(Resampler f, const TestDib& src, int w, int h)
{
    Output o;
    BITMAPINFO* info = reinterpret_cast<BITMAPINFO*>(1);
    void* bits = reinterpret_cast<void*>(1);
    o.ok = f(src.Info(), src.bits.data(), &info, &bits, w, h);
    if (o.ok) {
        o.pair.Reset(info, bits);
    } else {
        EXPECT_EQ(info, nullptr);
        EXPECT_EQ(bits, nullptr);
    }
    return o;
}

// ---- the interpolating resampler as defined: the whole line upsampled, then sampled ----

void Subdivide(std::vector<int>& s, size_t a, size_t n)
{
    if (n < 2) return;
    const size_t m = a + n / 2;
    s[m] = (s[a] + s[a + n]) >> 1;
    Subdivide(s, a, n / 2);
    Subdivide(s, m, n - n / 2);
}

std::vector<int> ReferenceLine(const std::vector<int>& src, int newLength)
{
    const size_t W = src.size();
    unsigned long long L = W, k = 1;
    while (L < static_cast<unsigned long long>(newLength))
        L *= 2, k *= 2;
    while (L / newLength < 5)
        L *= 2, k *= 2;
    std::vector<int> s(L + 1);
    for (size_t x = 0; x < W; ++x)
        s[x * k] = src[x];
    s[W * k] = src[W - 1];
    if (k >= 2) {
        for (size_t x = 0; x < W; ++x)
            Subdivide(s, x * k, k);
    } else {
        for (size_t x = 0; x < W; ++x)
            s[x] = (s[x] + s[x + 1]) >> 1;
    }
    std::vector<int> out(static_cast<size_t>(newLength));
    for (int x = 0; x < newLength; ++x) {
        const long double at = static_cast<long double>(x) * static_cast<long double>(L) / newLength;
        out[static_cast<size_t>(x)] = s[static_cast<size_t>(at)];
    }
    return out;
}

// Memory-order rows, as the resampler works (row 0 is the bottom row of a bottom-up image).
std::vector<std::vector<std::vector<int>>> Channels(const TestDib& d)
{
    const int b = d.BytesPerPixel();
    std::vector<std::vector<std::vector<int>>> rows(static_cast<size_t>(b));
    for (int c = 0; c < b; ++c)
        for (int r = 0; r < d.Rows(); ++r) {
            std::vector<int> line;
            for (int x = 0; x < d.Width(); ++x)
                line.push_back(d.bits[r * d.RowBytes() + x * b + c]);
            rows[c].push_back(line);
        }
    return rows;
}

void ExpectInterpolatedLikeReference(const TestDib& src, const Output& out, int w, int h,
                                     const std::string& name)
{
    const int b = src.BytesPerPixel();
    const auto channels = Channels(src);
    const size_t dstRow = (static_cast<size_t>(w) * b + 3) / 4 * 4;
    int mismatches = 0;
    for (int c = 0; c < b; ++c) {
        std::vector<std::vector<int>> inter;
        for (const auto& line : channels[c])
            inter.push_back(ReferenceLine(line, w));
        for (int x = 0; x < w; ++x) {
            std::vector<int> column;
            for (const auto& row : inter)
                column.push_back(row[x]);
            const std::vector<int> result = ReferenceLine(column, h);
            for (int y = 0; y < h; ++y) {
                const BYTE got = static_cast<const BYTE*>(out.pair.Bits())[y * dstRow + x * b + c];
                if (got != result[y] && mismatches++ < 5) {
                    ADD_FAILURE() << name << ": memory row " << y << " column " << x << " channel " << c
                                  << " is " << int(got) << ", expected " << result[y];
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0) << name;
}

void ExpectNearestLikeReference(const TestDib& src, const Output& out, int w, int h, const std::string& name)
{
    const int b = src.BytesPerPixel();
    const size_t dstRow = (static_cast<size_t>(w) * b + 3) / 4 * 4;
    int mismatches = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < b; ++c) {
                const long long sy = static_cast<long long>(src.Rows()) * y / h;
                const long long sx = static_cast<long long>(src.Width()) * x / w;
                const BYTE want = src.bits[sy * src.RowBytes() + sx * b + c];
                const BYTE got = static_cast<const BYTE*>(out.pair.Bits())[y * dstRow + x * b + c];
                if (got != want) ++mismatches;
            }
    EXPECT_EQ(mismatches, 0) << name;
}

}  // namespace

TEST(ImagingResample, UpsamplingFactors)
{
    struct Case {
        int from, to;
        unsigned long long L, k;
    };
    const Case cases[] = {
        {100, 1000, 6400, 64},  // 1600 reaches the width, then 3200 / 1000 = 3 and 6400 / 1000 = 6
        {3000, 600, 3000, 1},   // a shrink by five: no upsampling
        {2999, 600, 5998, 2},  {2, 4, 32, 16}, {1, 1, 8, 8}, {6000, 1920, 12000, 2},
    };
    for (const Case& c : cases) {
        ULONGLONG L = 0, k = 0;
        GetUpsampling(c.from, c.to, &L, &k);
        EXPECT_EQ(L, c.L) << c.from << " to " << c.to;
        EXPECT_EQ(k, c.k) << c.from << " to " << c.to;
    }
}

TEST(ImagingResample, HandComputedCases)
{
    // A row [0, 255] enlarged to 4: samples 0, 8, 16 and 24 of 32; the last two repeat the end.
    const TestDib ramp = MakeDibWith(2, 1, 8, false, [](int x, int, int) { return x ? 255 : 0; });
    const Output grown = Resize(InterpolativeStretchBitmap, ramp, 4, 1);
    ASSERT_TRUE(grown.ok);
    EXPECT_EQ(grown.Seen(0, 0), 0);
    EXPECT_EQ(grown.Seen(1, 0), 127);
    EXPECT_EQ(grown.Seen(2, 0), 255);
    EXPECT_EQ(grown.Seen(3, 0), 255);

    // 3000 to 600: output x is the rounded-down mean of source pixels 5x and 5x + 1.
    const TestDib wide = MakeDib(3000, 1, 8, false, 7);
    const Output shrunk = Resize(InterpolativeStretchBitmap, wide, 600, 1);
    ASSERT_TRUE(shrunk.ok);
    for (int x = 0; x < 600; ++x) {
        const int mean = (wide.Seen(5 * x, 0) + wide.Seen(5 * x + 1, 0)) >> 1;
        ASSERT_EQ(shrunk.Seen(x, 0), mean) << x;
    }

    // In an enlargement the right-most column and the last row repeat the last source pixel.
    const TestDib small =
        MakeDibWith(3, 2, 24, true, [](int x, int y, int c) { return 10 * x + 100 * y + c; });
    const Output big = Resize(InterpolativeStretchBitmap, small, 10, 7);
    ASSERT_TRUE(big.ok);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(big.Seen(9, 6, c), small.Seen(2, 1, c));
        EXPECT_EQ(big.Seen(0, 0, c), small.Seen(0, 0, c));
    }

    // Nearest neighbour, 3 to 7 columns: source columns 0 0 0 1 1 2 2.
    const TestDib three = MakeDibWith(3, 1, 8, false, [](int x, int, int) { return 50 + x; });
    const Output nearest = Resize(StretchBitmap, three, 7, 2);
    ASSERT_TRUE(nearest.ok);
    const int expected[7] = {50, 50, 50, 51, 51, 52, 52};
    for (int x = 0; x < 7; ++x) {
        EXPECT_EQ(nearest.Seen(x, 0), expected[x]);
        EXPECT_EQ(nearest.Seen(x, 1), expected[x]);
    }
}

TEST(ImagingResample, HeaderOrderAndPalette)
{
    for (Resampler f : {&StretchBitmap, &InterpolativeStretchBitmap})
        for (int bits : {8, 24})
            for (bool topDown : {false, true}) {
                const TestDib src = MakeDib(9, 5, bits, topDown);
                const Output out = Resize(f, src, 4, 11);
                ASSERT_TRUE(out.ok);
                const BITMAPINFOHEADER& h = out.Header();
                EXPECT_EQ(h.biWidth, 4);
                EXPECT_EQ(h.biHeight, topDown ? -11 : 11);
                EXPECT_EQ(h.biBitCount, bits);
                EXPECT_EQ(h.biSizeImage, 0u);
                EXPECT_EQ(h.biSize, 40u);
                if (bits == 8) {
                    EXPECT_EQ(std::memcmp(out.pair.Info()->bmiColors, src.Info()->bmiColors, 1024), 0);
                }
                EXPECT_GE(::GlobalSize(::GlobalHandle(out.pair.Bits())), (4u * bits / 8 + 3) / 4 * 4 * 11);
            }
}

TEST(ImagingResample, LikeTheDefinition)
{
    struct Case {
        int W, H, w, h;
    };
    const Case cases[] = {
        {13, 7, 40, 21},
        {40, 21, 13, 7},
        {100, 3, 1000, 5},
        {3000, 2, 600, 2},
        {17, 33, 17, 33},
        {64, 48, 7, 5},
        {5, 5, 1, 1},
        {1, 1, 9, 4},
        {31, 17, 62, 9},
        {7, 40, 30, 3},
        // Large enough for the lookup tables of the halvings (24 bits): a mild shrink, k = 8.
        {1200, 800, 1000, 700},
    };
    for (const Case& c : cases)
        for (int bits : {8, 24})
            for (bool topDown : {false, true}) {
                const TestDib src = MakeDib(c.W, c.H, bits, topDown, static_cast<unsigned>(c.W * 31 + c.h));
                const std::string name = std::to_string(c.W) + "x" + std::to_string(c.H) + " to " +
                                         std::to_string(c.w) + "x" + std::to_string(c.h) + ", " +
                                         std::to_string(bits) + " bits" + (topDown ? ", top-down" : "");
                const Output interpolated = Resize(InterpolativeStretchBitmap, src, c.w, c.h);
                ASSERT_TRUE(interpolated.ok) << name;
                ExpectInterpolatedLikeReference(src, interpolated, c.w, c.h, name);
                const Output nearest = Resize(StretchBitmap, src, c.w, c.h);
                ASSERT_TRUE(nearest.ok) << name;
                ExpectNearestLikeReference(src, nearest, c.w, c.h, name);
            }
}

TEST(ImagingResample, Refusals)
{
    struct Case {
        const char* name;
        TestDib src;
        int w, h;
    };
    const TestDib good = MakeDib(6, 4, 24, false);
    const Case cases[] = {
        {"32 bits", MakeDib(6, 4, 32, false), 3, 2},
        {"16 bits", MakeDib(6, 4, 16, false), 3, 2},
        {"new width 0", good, 0, 2},
        {"new height 0", good, 3, 0},
        {"negative new width", good, -3, 2},
        {"source width 0",
         [&] {
             TestDib d = good;
             d.Header().biWidth = 0;
             return d;
         }(),
         3, 2},
        {"source height 0",
         [&] {
             TestDib d = good;
             d.Header().biHeight = 0;
             return d;
         }(),
         3, 2},
        {"too large", good, 40000, 40000},
    };
    for (Resampler f : {&StretchBitmap, &InterpolativeStretchBitmap})
        for (const Case& c : cases)
            EXPECT_FALSE(Resize(f, c.src, c.w, c.h).ok) << c.name;

    BITMAPINFO* info = nullptr;
    void* bits = nullptr;
    EXPECT_FALSE(StretchBitmap(nullptr, good.bits.data(), &info, &bits, 3, 2));
    EXPECT_FALSE(InterpolativeStretchBitmap(good.Info(), nullptr, &info, &bits, 3, 2));
    EXPECT_FALSE(InterpolativeStretchBitmap(good.Info(), good.bits.data(), nullptr, &bits, 3, 2));
}

TEST(ImagingResample, CancelStillGivesAResult)
{
    const TestDib src = MakeDib(50, 40, 24, false);
    for (Resampler f : {&StretchBitmap, &InterpolativeStretchBitmap}) {
        g_Synchronization.Cancel();
        const Output out = Resize(f, src, 20, 70);
        {
            CSynchronizationGuard clear;
        }
        ASSERT_TRUE(out.ok);
        EXPECT_EQ(out.Header().biWidth, 20);
    }
}

namespace {

// The full-size image shrunk as a decode at M/8 shrinks it: each reduced pixel is the mean of the
// 8 / M x 8 / M full-size pixels it covers, counted as seen from the top-left corner, with the
// last pixel of a side repeated where the image ends inside the last block (as the encoder pads).
TestDib ReduceByMeans(const TestDib& full, int factor)
{
    const int w = (full.Width() + factor - 1) / factor;
    const int h = (full.Rows() + factor - 1) / factor;
    return MakeDibWith(w, h, 8, false, [&](int x, int y, int) {
        int sum = 0;
        for (int dy = 0; dy < factor; ++dy)
            for (int dx = 0; dx < factor; ++dx)
                sum += full.Seen(std::min(x * factor + dx, full.Width() - 1),
                                 std::min(y * factor + dy, full.Rows() - 1));
        return (sum + factor * factor / 2) / (factor * factor);
    });
}

double MeanDifference(const Output& a, const Output& b, int w, int h)
{
    double sum = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            sum += std::abs(a.Seen(x, y) - b.Seen(x, y));
    return sum / (static_cast<double>(w) * h);
}

}  // namespace

// A reduced decode shows every detail where the full-size decode shows it: waves across and down
// a bottom-up image come out of both resamplers where they come out of the full-size image, for
// sides that are and are not whole multiples of the reduction, and for a side the EXIF turn
// reversed (its first pixel is the decoder's last one).
TEST(ImagingResample, ReducedImageIsReadWhereTheFullSizeImageIsRead)
{
    struct Case {
        const char* what;
        int width, height, scale, newWidth, newHeight;
        bool columnsReversed;
    };
    const Case cases[] = {
        {"2/8, sides whole multiples", 1024, 768, 2, 200, 150, false},
        {"2/8, last block partial", 1030, 770, 2, 200, 150, false},
        {"1/8, shrunk by more than five", 1600, 1200, 1, 160, 120, false},
        {"4/8, turned: columns reversed", 723, 501, 4, 330, 228, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int factor = 8 / c.scale;
        // Waves of 16 reduced pixels across and 12 down, as seen; a reversed side has them
        // mirrored in the decoder's order, which is how the reduction below must see them.
        const auto wave = [&](int x, int y) {
            return 128 + 60 * std::sin(2 * 3.14159265 * x / (16 * factor)) +
                   60 * std::sin(2 * 3.14159265 * y / (12 * factor));
        };
        const TestDib full =
            MakeDibWith(c.width, c.height, 8, false, [&](int x, int y, int) { return wave(x, y); });
        const TestDib stored = MakeDibWith(c.width, c.height, 8, false, [&](int x, int y, int) {
            return wave(c.columnsReversed ? c.width - 1 - x : x, y);
        });
        const TestDib decoded = ReduceByMeans(stored, factor);
        // The reduced image as delivered: mirrored back when its columns were reversed.
        const TestDib reduced =
            MakeDibWith(decoded.Width(), decoded.Rows(), 8, false, [&](int x, int y, int) {
                return decoded.Seen(c.columnsReversed ? decoded.Width() - 1 - x : x, y);
            });

        CReducedGrid grid;
        grid.uScale = static_cast<UINT>(c.scale);
        grid.iFullWidth = c.width;
        grid.iFullHeight = c.height;
        // Bottom-up rows run against the decoder's order, and so do reversed columns.
        grid.dOriginY = c.height - static_cast<double>(reduced.Rows()) * factor;
        grid.dOriginX = c.columnsReversed ? c.width - static_cast<double>(reduced.Width()) * factor : 0;

        for (bool interpolate : {true, false}) {
            SCOPED_TRACE(interpolate ? "interpolating" : "nearest neighbour");
            const Output whole = Resize(interpolate ? InterpolativeStretchBitmap : StretchBitmap, full,
                                        c.newWidth, c.newHeight);
            CDibPair fromReduced;
            ASSERT_TRUE(ResampleDib(reduced.Info(), reduced.bits.data(), c.newWidth, c.newHeight, interpolate,
                                    &grid, fromReduced));
            Output aligned;
            aligned.ok = true;
            aligned.pair = std::move(fromReduced);
            ASSERT_TRUE(whole.ok);
            const double alignedDifference = MeanDifference(whole, aligned, c.newWidth, c.newHeight);
            const Output plain = Resize(interpolate ? InterpolativeStretchBitmap : StretchBitmap, reduced,
                                        c.newWidth, c.newHeight);
            const double plainDifference = MeanDifference(whole, plain, c.newWidth, c.newHeight);
            // Read as a full-size image, the reduced one is shifted by up to half a reduced pixel.
            // Nearest neighbour then picks the same pixels wherever the reduced sides are exact
            // fractions of the full ones, and better ones where they are not.
            if (interpolate) {
                EXPECT_LE(alignedDifference, 4.0) << plainDifference;
                EXPECT_LT(alignedDifference, plainDifference / 2);
            } else {
                EXPECT_LE(alignedDifference, plainDifference);
            }
        }
    }
}
