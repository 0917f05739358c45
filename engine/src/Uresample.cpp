// Nearest-neighbour and interpolating resizing of a DIB pair.
//
// The interpolating resampler is defined on an upsampled line: the source line is placed at every
// k-th sample of a line of L = W x k samples (plus the last pixel once more at the end), each gap
// is filled by midpoint subdivision, and output pixel x' is sample x' x L / w. Only the samples
// that are picked are ever needed, and each is a function of the two source pixels around its gap
// and of its place j in the gap: halving the gap towards j, with the same rounding at every step,
// gives exactly the value the full subdivision gives there. So each output position has a tap
// (left pixel, right pixel, path to j) computed once per pass, and the passes run row by row.
#include "Uresample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "UTxLog.h"
#include "Udib.h"
#include "UCancelPoll.h"

namespace {

struct Geometry {
    int b;            // bytes per pixel
    LONG W, H;        // source width and |height|
    LONG w, h;        // new width and height
    size_t srcRow;    // source row bytes
    size_t dstRow;    // row bytes of the new width
    size_t dstBytes;  // the pixel block
};

// Checks the arguments and fills the geometry; the outputs are cleared first.
bool CheckArguments(const char* szName, const BITMAPINFO* pSrcInfo, const void* pSrcBits,
                    BITMAPINFO** ppDstInfo, void** ppDstBits, int iNewWidth, int iNewHeight,
                    bool bRoomForSource, Geometry& g)
{
    if (ppDstInfo) *ppDstInfo = nullptr;
    if (ppDstBits) *ppDstBits = nullptr;
    if (!pSrcInfo || !pSrcBits || !ppDstInfo || !ppDstBits) {
        LogF("%s: NULL argument", szName);
        return false;
    }
    const BITMAPINFOHEADER& s = pSrcInfo->bmiHeader;
    if (s.biBitCount != 8 && s.biBitCount != 24) {
        LogF("%s: %d bits per pixel - unsupported", szName, static_cast<int>(s.biBitCount));
        return false;
    }
    if (s.biWidth < 1 || s.biHeight == 0 || iNewWidth < 1 || iNewHeight < 1) {
        LogF("%s: cannot resize %ldx%ld to %dx%d", szName, static_cast<long>(s.biWidth),
             static_cast<long>(s.biHeight), iNewWidth, iNewHeight);
        return false;
    }
    const ULONGLONG rows = DibRowCount(s.biHeight);
    const ULONGLONG dstRow = DibRowBytes(iNewWidth, s.biBitCount);
    const ULONGLONG dstRows = bRoomForSource ? std::max<ULONGLONG>(rows, iNewHeight) : iNewHeight;
    if (DibPixelBytes(s) > kMaxDibPixelBytes || dstRow * dstRows > kMaxDibPixelBytes) {
        LogF("%s: %ldx%ld to %dx%d is too large", szName, static_cast<long>(s.biWidth),
             static_cast<long>(s.biHeight), iNewWidth, iNewHeight);
        return false;
    }
    g.b = s.biBitCount / 8;
    g.W = s.biWidth;
    g.H = static_cast<LONG>(rows);
    g.w = iNewWidth;
    g.h = iNewHeight;
    g.srcRow = static_cast<size_t>(DibRowBytes(s.biWidth, s.biBitCount));
    g.dstRow = static_cast<size_t>(dstRow);
    g.dstBytes = static_cast<size_t>(dstRow * dstRows);
    return true;
}

// The new header block (a copy of the source's header, and of its palette for 8 bits) and a zeroed
// pixel block; false without either when memory is short.
bool AllocateResult(const char* szName, const BITMAPINFO* pSrcInfo, const Geometry& g, CDibPair& result)
{
    GlobalBlock header = AllocDibBlock(kDibHeaderBlockSize);
    GlobalBlock pixels = AllocDibBlock(g.dstBytes);
    if (!header || !pixels) {
        LogF("%s: no memory for %lu bytes", szName, static_cast<unsigned long>(g.dstBytes));
        return false;
    }
    auto* block = static_cast<DibHeaderBlock*>(static_cast<void*>(header.get()));
    block->bmiHeader = pSrcInfo->bmiHeader;
    if (g.b == 1) std::memcpy(block->bmiColors, pSrcInfo->bmiColors, sizeof(block->bmiColors));
    block->bmiHeader.biWidth = g.w;
    block->bmiHeader.biHeight = pSrcInfo->bmiHeader.biHeight < 0 ? -g.h : g.h;
    block->bmiHeader.biSizeImage = 0;
    result.Reset(static_cast<BITMAPINFO*>(static_cast<void*>(header.release())), pixels.release());
    return true;
}

void HandOver(CDibPair& result, BITMAPINFO** ppDstInfo, void** ppDstBits)
{
    *ppDstInfo = result.Info();
    *ppDstBits = result.Bits();
    result.Release();
}

// ---- where each output pixel reads ----

// One side of an image decoded at a reduced scale, on the same side at full size.
struct ReducedAxis {
    LONG fullLength;
    UINT scale;
    double origin;
};

// The sample of the upsampled line that output pixel i takes: i x L / w.
std::vector<ULONGLONG> PlainSamples(LONG srcLength, LONG newLength)
{
    ULONGLONG L = 0;
    GetUpsampling(srcLength, newLength, &L, nullptr);
    std::vector<ULONGLONG> samples(static_cast<size_t>(newLength));
    for (LONG i = 0; i < newLength; ++i)
        samples[static_cast<size_t>(i)] = static_cast<ULONGLONG>(i) * L / static_cast<ULONGLONG>(newLength);
    return samples;
}

// The place on the reduced side (its pixel j at j) of a place on the full-size side (pixel x at x):
// reduced pixel j is the mean of the full-size pixels it covers, centred on their middle.
double ReducedPlace(const ReducedAxis& axis, double fullPlace)
{
    return (fullPlace - axis.origin + 0.5) * axis.scale / 8 - 0.5;
}

LONGLONG Clamp(LONGLONG value, LONGLONG last)
{
    return std::min(std::max(value, LONGLONG{0}), last);
}

// The sample of the reduced side's upsampled line nearest to where the interpolating resampler of
// the full-size side reads for output pixel i.
std::vector<ULONGLONG> ReducedSamples(LONG srcLength, LONG newLength, const ReducedAxis& axis)
{
    ULONGLONG fullLine = 0, fullFactor = 0, k = 0;
    GetUpsampling(axis.fullLength, newLength, &fullLine, &fullFactor);
    GetUpsampling(srcLength, newLength, nullptr, &k);
    std::vector<ULONGLONG> samples(static_cast<size_t>(newLength));
    for (LONG i = 0; i < newLength; ++i) {
        const ULONGLONG fullSample = static_cast<ULONGLONG>(i) * fullLine / static_cast<ULONGLONG>(newLength);
        // Without upsampling a sample is the mean of a pixel and its right neighbour: half a pixel on.
        const double fullPlace = fullFactor == 1
                                     ? static_cast<double>(fullSample) + 0.5
                                     : static_cast<double>(fullSample) / static_cast<double>(fullFactor);
        const double place = ReducedPlace(axis, fullPlace);
        samples[static_cast<size_t>(i)] =
            k == 1 ? static_cast<ULONGLONG>(Clamp(std::llround(place - 0.5), srcLength - 1))
                   : static_cast<ULONGLONG>(Clamp(std::llround(place * static_cast<double>(k)),
                                                  (srcLength - 1) * static_cast<LONGLONG>(k)));
    }
    return samples;
}

// The source pixel that nearest-neighbour output pixel i takes: W x i / w, or on a reduced side the
// pixel nearest to that place of the full-size side.
std::vector<size_t> NearestPixels(LONG srcLength, LONG newLength, const ReducedAxis* axis)
{
    std::vector<size_t> pixels(static_cast<size_t>(newLength));
    const LONG fullLength = axis ? axis->fullLength : srcLength;
    for (LONG i = 0; i < newLength; ++i) {
        const ULONGLONG fullPixel =
            static_cast<ULONGLONG>(fullLength) * i / static_cast<ULONGLONG>(newLength);
        pixels[static_cast<size_t>(i)] =
            axis ? static_cast<size_t>(Clamp(static_cast<LONGLONG>(std::floor(
                                                 ReducedPlace(*axis, static_cast<double>(fullPixel)) + 0.5)),
                                             srcLength - 1))
                 : static_cast<size_t>(fullPixel);
    }
    return pixels;
}

// ---- nearest neighbour ----

// `columns` holds the byte offset of each output column's source pixel, `rows` each output row's
// source row.
template <int B>
void StretchRows(const BYTE* src, BYTE* dst, const Geometry& g, const std::vector<size_t>& columns,
                 const std::vector<size_t>& rows)
{
    CCancelPoll poll(g.dstRow);
    for (LONG y = 0; y < g.h; ++y) {
        if (poll.Cancelled()) return;
        const BYTE* s = src + rows[static_cast<size_t>(y)] * g.srcRow;
        BYTE* d = dst + static_cast<size_t>(y) * g.dstRow;
        for (LONG x = 0; x < g.w; ++x, d += B) {
            const BYTE* p = s + columns[x];
            d[0] = p[0];
            if constexpr (B == 3) {
                d[1] = p[1];
                d[2] = p[2];
            }
        }
    }
}

// ---- interpolation ----

// How one output sample comes from the two source pixels around its gap: starting from the two,
// each level takes the midpoint and keeps the half that holds the sample; once the sample is the
// midpoint, both ends become it. A sample that is a source pixel itself has both ends on it.
struct Tap {
    DWORD left;        // index of the left source pixel (or row)
    DWORD right;       // the next one (the last one again at the end), or left itself
    DWORD midToLeft;   // bit q: level q moves the left end to the midpoint
    DWORD midToRight;  // bit q: level q moves the right end to the midpoint
};

struct TapTable {
    std::vector<Tap> taps;
    int levels;  // log2 of the factor k, at least 1
};

int Log2(ULONGLONG k)
{
    int d = 0;
    while ((1ull << d) < k)
        ++d;
    return d;
}

// Output pixel i takes sample samples[i] of the upsampled line (GetUpsampling).
TapTable BuildTaps(LONG srcLength, LONG newLength, const std::vector<ULONGLONG>& samples)
{
    ULONGLONG k = 0;
    GetUpsampling(srcLength, newLength, nullptr, &k);
    const int d = Log2(k);
    TapTable table{std::vector<Tap>(static_cast<size_t>(newLength)), std::max(d, 1)};
    const DWORD allLevels = table.levels >= 32 ? 0xFFFFFFFFu : (1u << table.levels) - 1;
    for (LONG i = 0; i < newLength; ++i) {
        const ULONGLONG sample = samples[static_cast<size_t>(i)];
        const ULONGLONG x = sample >> d;
        const ULONGLONG j = sample & (k - 1);
        Tap& t = table.taps[static_cast<size_t>(i)];
        t.left = static_cast<DWORD>(x);
        t.right = static_cast<DWORD>(std::min<ULONGLONG>(x + 1, static_cast<ULONGLONG>(srcLength - 1)));
        t.midToLeft = allLevels;
        t.midToRight = allLevels;
        if (k == 1) continue;  // a shrink by five or more: the mean of the pixel and its right neighbour
        if (j == 0) {
            t.right = t.left;
            continue;
        }
        // Level q looks at bit d - 1 - q of j: 1 keeps the right half, 0 the left one. The level of
        // the lowest set bit of j finds the sample at the midpoint.
        for (int q = 0; q < d; ++q) {
            const int bit = d - 1 - q;
            if ((j & ((1ull << bit) - 1)) == 0) break;  // found at this level: both ends move
            if ((j >> bit) & 1) {
                t.midToRight &= ~(1u << q);
            } else {
                t.midToLeft &= ~(1u << q);
            }
        }
    }
    return table;
}

inline unsigned Midpoint(unsigned l, unsigned r)
{
    return (l + r) >> 1;
}

// The halvings without branches: every tap of a pass runs the same number of levels.
inline unsigned Evaluate(unsigned l, unsigned r, const Tap& t, int levels)
{
    for (int q = 0; q < levels; ++q) {
        const unsigned m = Midpoint(l, r);
        const unsigned toLeft = 0u - ((t.midToLeft >> q) & 1u);
        const unsigned toRight = 0u - ((t.midToRight >> q) & 1u);
        l = (m & toLeft) | (l & ~toLeft);
        r = (m & toRight) | (r & ~toRight);
    }
    return l;
}

// The result of each distinct way of halving (the taps share a few: one per place j in the gap),
// for every pair of ends: one lookup per byte in place of a loop over the levels.
struct HalvingTables {
    std::vector<BYTE> values;        // 65536 per way: [left << 8 | right]
    std::vector<unsigned> tapTable;  // per tap: the offset of its way's table in values
};

// Worth building when the lookups save more than the tables cost: a table is 65536 evaluations,
// a pass evaluates every byte of the intermediate image once.
bool MakeHalvingTables(const TapTable& table, ULONGLONG bytesEvaluated, HalvingTables& out)
{
    std::vector<std::pair<DWORD, DWORD>> ways;
    out.tapTable.reserve(table.taps.size());
    for (const Tap& t : table.taps) {
        const std::pair<DWORD, DWORD> way(t.midToLeft, t.midToRight);
        const auto found = std::find(ways.begin(), ways.end(), way);
        out.tapTable.push_back(static_cast<unsigned>(found - ways.begin()) << 16);
        if (found == ways.end()) ways.push_back(way);
        if (static_cast<ULONGLONG>(ways.size()) * 65536 * 4 > bytesEvaluated) return false;
    }
    out.values.resize(ways.size() * 65536);
    for (size_t n = 0; n < ways.size(); ++n) {
        const Tap way{0, 0, ways[n].first, ways[n].second};
        BYTE* v = out.values.data() + (n << 16);
        for (unsigned l = 0; l < 256; ++l)
            for (unsigned r = 0; r < 256; ++r)
                v[l << 8 | r] = static_cast<BYTE>(Evaluate(l, r, way, table.levels));
    }
    return true;
}

// Intermediate row y (the new width) from source row y, for every source row. With one level (a
// shrink, the common case) every sample is the midpoint of its two ends.
template <int B> void HorizontalPass(const BYTE* src, BYTE* dst, const Geometry& g, const TapTable& table)
{
    HalvingTables lookup;
    const bool bLookup =
        table.levels > 1 && MakeHalvingTables(table, static_cast<ULONGLONG>(g.H) * g.w * B, lookup);
    CCancelPoll poll(g.srcRow);
    for (LONG y = 0; y < g.H; ++y) {
        if (poll.Cancelled()) return;
        const BYTE* s = src + static_cast<size_t>(y) * g.srcRow;
        BYTE* d = dst + static_cast<size_t>(y) * g.dstRow;
        if (table.levels == 1) {
            for (const Tap& t : table.taps) {
                const BYTE* l = s + static_cast<size_t>(t.left) * B;
                const BYTE* r = s + static_cast<size_t>(t.right) * B;
                for (int c = 0; c < B; ++c)
                    d[c] = static_cast<BYTE>(Midpoint(l[c], r[c]));
                d += B;
            }
        } else if (bLookup) {
            const BYTE* values = lookup.values.data();
            for (size_t i = 0; i < table.taps.size(); ++i) {
                const Tap& t = table.taps[i];
                const BYTE* l = s + static_cast<size_t>(t.left) * B;
                const BYTE* r = s + static_cast<size_t>(t.right) * B;
                const BYTE* v = values + lookup.tapTable[i];
                for (int c = 0; c < B; ++c)
                    d[c] = v[l[c] << 8 | r[c]];
                d += B;
            }
        } else {
            for (const Tap& t : table.taps) {
                const BYTE* l = s + static_cast<size_t>(t.left) * B;
                const BYTE* r = s + static_cast<size_t>(t.right) * B;
                for (int c = 0; c < B; ++c)
                    d[c] = static_cast<BYTE>(Evaluate(l[c], r[c], t, table.levels));
                d += B;
            }
        }
    }
}

// Output row from the two intermediate rows of its tap, byte by byte over the whole row; the
// halvings run over the row in scratch lines so that every loop is a plain one.
void BlendRow(const BYTE* l, const BYTE* r, BYTE* out, size_t n, const Tap& t, int levels,
              std::vector<BYTE>& lineL, std::vector<BYTE>& lineR)
{
    if (l == r) {
        if (out != l) std::memmove(out, l, n);
        return;
    }
    if (levels > 1) {
        BYTE* a = lineL.data();
        BYTE* b = lineR.data();
        std::memcpy(a, l, n);
        std::memcpy(b, r, n);
        for (int q = 0; q < levels; ++q) {
            const bool toLeft = (t.midToLeft >> q) & 1;
            const bool toRight = (t.midToRight >> q) & 1;
            if (toLeft && toRight) {
                for (size_t i = 0; i < n; ++i)
                    out[i] = static_cast<BYTE>(Midpoint(a[i], b[i]));
                return;
            }
            BYTE* keep = toLeft ? a : b;
            for (size_t i = 0; i < n; ++i)
                keep[i] = static_cast<BYTE>(Midpoint(a[i], b[i]));
        }
        return;  // not reached: the last level always finds the sample
    }
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<BYTE>(Midpoint(l[i], r[i]));
}

// In place: output row y' reads intermediate rows at or after y' when the image shrinks and at or
// before it when it grows, so the rows are written in the order that never overwrites a row that
// is still to be read.
void VerticalPass(BYTE* block, const Geometry& g, const TapTable& table)
{
    const size_t n = static_cast<size_t>(g.w) * g.b;
    std::vector<BYTE> lineL(n), lineR(n);
    const bool bGrows = g.h >= g.H;
    CCancelPoll poll(g.dstRow);
    for (LONG i = 0; i < g.h; ++i) {
        if (poll.Cancelled()) return;
        const LONG y = bGrows ? g.h - 1 - i : i;
        const Tap& t = table.taps[static_cast<size_t>(y)];
        BlendRow(block + static_cast<size_t>(t.left) * g.dstRow,
                 block + static_cast<size_t>(t.right) * g.dstRow, block + static_cast<size_t>(y) * g.dstRow,
                 n, t, table.levels, lineL, lineR);
    }
}

}  // namespace

void GetUpsampling(int iSrcLength, int iNewLength, ULONGLONG* pLineLength, ULONGLONG* pFactor)
{
    ULONGLONG L = static_cast<ULONGLONG>(std::max(iSrcLength, 1));
    const ULONGLONG target = static_cast<ULONGLONG>(std::max(iNewLength, 1));
    ULONGLONG k = 1;
    while (L < target) {
        L *= 2;
        k *= 2;
    }
    while (L / target < 5) {
        L *= 2;
        k *= 2;
    }
    if (pLineLength) *pLineLength = L;
    if (pFactor) *pFactor = k;
}

namespace {

// The two sides of a reduced grid.
struct ReducedAxes {
    ReducedAxis columns;
    ReducedAxis rows;
};

ReducedAxes AxesOf(const CReducedGrid& grid)
{
    return ReducedAxes{ReducedAxis{grid.iFullWidth, grid.uScale, grid.dOriginX},
                       ReducedAxis{grid.iFullHeight, grid.uScale, grid.dOriginY}};
}

bool Stretch(const BITMAPINFO* pSrcInfo, const void* pSrcBits, BITMAPINFO** ppDstInfo, void** ppDstBits,
             int iNewWidth, int iNewHeight, const ReducedAxes* reduced)
{
    CLogScope scope("StretchBitmap");
    Geometry g{};
    if (!CheckArguments("StretchBitmap", pSrcInfo, pSrcBits, ppDstInfo, ppDstBits, iNewWidth, iNewHeight,
                        false, g)) {
        return false;
    }
    try {
        std::vector<size_t> columns = NearestPixels(g.W, g.w, reduced ? &reduced->columns : nullptr);
        for (size_t& column : columns)
            column *= static_cast<size_t>(g.b);
        const std::vector<size_t> rows = NearestPixels(g.H, g.h, reduced ? &reduced->rows : nullptr);
        CDibPair result;
        if (!AllocateResult("StretchBitmap", pSrcInfo, g, result)) return false;
        const BYTE* src = static_cast<const BYTE*>(pSrcBits);
        BYTE* dst = static_cast<BYTE*>(result.Bits());
        if (g.b == 1) {
            StretchRows<1>(src, dst, g, columns, rows);
        } else {
            StretchRows<3>(src, dst, g, columns, rows);
        }
        HandOver(result, ppDstInfo, ppDstBits);
        return true;
    } catch (const std::bad_alloc&) {
        LogText("StretchBitmap: out of memory");
        return false;
    }
}

bool Interpolate(const BITMAPINFO* pSrcInfo, const void* pSrcBits, BITMAPINFO** ppDstInfo, void** ppDstBits,
                 int iNewWidth, int iNewHeight, const ReducedAxes* reduced)
{
    CLogScope scope("InterpolativeStretchBitmap");
    Geometry g{};
    if (!CheckArguments("InterpolativeStretchBitmap", pSrcInfo, pSrcBits, ppDstInfo, ppDstBits, iNewWidth,
                        iNewHeight, true, g)) {
        return false;
    }
    try {
        const TapTable columnTaps = BuildTaps(
            g.W, g.w, reduced ? ReducedSamples(g.W, g.w, reduced->columns) : PlainSamples(g.W, g.w));
        const TapTable rowTaps =
            BuildTaps(g.H, g.h, reduced ? ReducedSamples(g.H, g.h, reduced->rows) : PlainSamples(g.H, g.h));
        CDibPair result;
        if (!AllocateResult("InterpolativeStretchBitmap", pSrcInfo, g, result)) return false;
        const BYTE* src = static_cast<const BYTE*>(pSrcBits);
        BYTE* block = static_cast<BYTE*>(result.Bits());
        if (g.b == 1) {
            HorizontalPass<1>(src, block, g, columnTaps);
        } else {
            HorizontalPass<3>(src, block, g, columnTaps);
        }
        VerticalPass(block, g, rowTaps);
        HandOver(result, ppDstInfo, ppDstBits);
        return true;
    } catch (const std::bad_alloc&) {
        LogText("InterpolativeStretchBitmap: out of memory");
        return false;
    }
}

}  // namespace

bool StretchBitmap(const BITMAPINFO* pSrcInfo, const void* pSrcBits, BITMAPINFO** ppDstInfo, void** ppDstBits,
                   int iNewWidth, int iNewHeight)
{
    return Stretch(pSrcInfo, pSrcBits, ppDstInfo, ppDstBits, iNewWidth, iNewHeight, nullptr);
}

bool InterpolativeStretchBitmap(const BITMAPINFO* pSrcInfo, const void* pSrcBits, BITMAPINFO** ppDstInfo,
                                void** ppDstBits, int iNewWidth, int iNewHeight)
{
    return Interpolate(pSrcInfo, pSrcBits, ppDstInfo, ppDstBits, iNewWidth, iNewHeight, nullptr);
}

bool ResampleDib(const BITMAPINFO* pSrcInfo, const void* pSrcBits, int iNewWidth, int iNewHeight,
                 bool bInterpolate, const CReducedGrid* reduced, CDibPair& resampled)
{
    const bool bReduced = reduced && reduced->uScale < 8;
    const ReducedAxes axes = bReduced ? AxesOf(*reduced) : ReducedAxes{};
    BITMAPINFO* newInfo = nullptr;
    void* newBits = nullptr;
    const bool done = bInterpolate ? Interpolate(pSrcInfo, pSrcBits, &newInfo, &newBits, iNewWidth,
                                                 iNewHeight, bReduced ? &axes : nullptr)
                                   : Stretch(pSrcInfo, pSrcBits, &newInfo, &newBits, iNewWidth, iNewHeight,
                                             bReduced ? &axes : nullptr);
    resampled.Reset(newInfo, newBits);
    return done && resampled;
}
