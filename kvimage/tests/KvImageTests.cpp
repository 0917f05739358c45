// DecodeJpgToDib driven through the import library, as the engine calls it: the fixture table
// against djpeg's references, the size and capacity contract, and the limits on hostile files.
#include <windows.h>

#include <KvImage.h>
#include "KvTestSupport.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "TestFiles.h"

namespace {

constexpr std::size_t kHeaderBlock = sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD);  // 1064
constexpr std::size_t kGuard = 64;
constexpr std::uint8_t kHeaderFill = 0xEE;
constexpr std::uint8_t kPixelFill = 0xA5;
constexpr DWORD kSizeSentinel = 0x12345678;

// A header block and a pixel buffer, each followed by guard bytes that nothing may write.
struct Dib {
    Bytes header = Bytes(kHeaderBlock + kGuard, kHeaderFill);
    Bytes pixels;

    explicit Dib(std::size_t pixelBytes = 0) : pixels(pixelBytes + kGuard, kPixelFill) {}
    BITMAPINFO* info() { return reinterpret_cast<BITMAPINFO*>(header.data()); }
    const BITMAPINFOHEADER& h() const { return *reinterpret_cast<const BITMAPINFOHEADER*>(header.data()); }
    const RGBQUAD* palette() const
    {
        return reinterpret_cast<const RGBQUAD*>(header.data() + sizeof(BITMAPINFOHEADER));
    }
    bool GuardsIntact() const
    {
        auto intact = [](const Bytes& b, std::size_t from, std::uint8_t fill) {
            return std::all_of(b.begin() + static_cast<std::ptrdiff_t>(from), b.end(),
                               [fill](std::uint8_t v) { return v == fill; });
        };
        return intact(header, kHeaderBlock, kHeaderFill) &&
               intact(pixels, pixels.size() - kGuard, kPixelFill);
    }
    bool PixelsUntouched() const
    {
        return std::all_of(pixels.begin(), pixels.end(), [](std::uint8_t v) { return v == kPixelFill; });
    }
    bool HeaderUntouched() const
    {
        return std::all_of(header.begin(), header.end(), [](std::uint8_t v) { return v == kHeaderFill; });
    }
};

std::uint32_t RowBytes(int width, int bitCount)
{
    return (static_cast<std::uint32_t>(width) * bitCount / 8 + 3) & ~3u;
}

// Size query, then a decode with exactly that capacity.
bool DecodeFile(const std::string& path, Dib& dib)
{
    DWORD size = 0;
    if (!DecodeJpgToDib(nullptr, nullptr, path.c_str(), &size)) return false;
    dib = Dib(size);
    DWORD capacity = size;
    return DecodeJpgToDib(dib.info(), dib.pixels.data(), path.c_str(), &capacity) && capacity == size;
}

// The CMYK fixtures: four 8-pixel-wide patches of these ink amounts (0 none, 255 full), as the
// fixture generator writes them.
const std::uint8_t kPatchInk[4][4] = {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 128, 255, 64}, {50, 100, 150, 200}};

enum class Check { Reference, Patches, ReferenceAndPatches };

struct FixtureCase {
    const char* file;
    bool decodes;
    int width;
    int height;
    int bitCount;
    Check check;
    bool greyAtBottom;  // cut off inside the image: libjpeg fills the missing rows with mid grey
};

const FixtureCase kFixtures[] = {
    {"baseline-444-33x17.jpg", true, 33, 17, 24, Check::Reference, false},
    {"baseline-422-33x17.jpg", true, 33, 17, 24, Check::Reference, false},
    {"baseline-420-35x19.jpg", true, 35, 19, 24, Check::Reference, false},
    {"baseline-440-29x21.jpg", true, 29, 21, 24, Check::Reference, false},
    {"baseline-411-37x13.jpg", true, 37, 13, 24, Check::Reference, false},
    {"optimized-33x17.jpg", true, 33, 17, 24, Check::Reference, false},
    {"rgb-33x17.jpg", true, 33, 17, 24, Check::Reference, false},
    {"progressive-61x45.jpg", true, 61, 45, 24, Check::Reference, false},
    {"restart-40x40.jpg", true, 40, 40, 24, Check::Reference, false},
    {"arithmetic-45x29.jpg", true, 45, 29, 24, Check::Reference, false},
    {"arithmetic-progressive-45x29.jpg", true, 45, 29, 24, Check::Reference, false},
    {"gray-31x23.jpg", true, 31, 23, 8, Check::Reference, false},
    {"gray-progressive-31x23.jpg", true, 31, 23, 8, Check::Reference, false},
    {"cmyk-adobe-32x16.jpg", true, 32, 16, 24, Check::ReferenceAndPatches, false},
    {"ycck-adobe-32x16.jpg", true, 32, 16, 24, Check::ReferenceAndPatches, false},
    {"cmyk-plain-32x16.jpg", true, 32, 16, 24, Check::Patches, false},
    {"truncated-half-120x90.jpg", true, 120, 90, 24, Check::Reference, true},
    {"progressive-truncated-120x90.jpg", true, 120, 90, 24, Check::Reference, false},
    {"corrupt-entropy-120x90.jpg", true, 120, 90, 24, Check::Reference, false},
    {"junk-after-eoi-120x90.jpg", true, 120, 90, 24, Check::Reference, false},
    {"png-named.jpg", false, 0, 0, 0, Check::Reference, false},
    {"empty.jpg", false, 0, 0, 0, Check::Reference, false},
    {"five-bytes.jpg", false, 0, 0, 0, Check::Reference, false},
    {"precision12.jpg", false, 0, 0, 0, Check::Reference, false},
    {"lossless-sof3.jpg", false, 0, 0, 0, Check::Reference, false},
    {"two-components-16x16.jpg", false, 0, 0, 0, Check::Reference, false},
};

void ExpectHeader(const Dib& dib, const FixtureCase& c, DWORD size)
{
    const BITMAPINFOHEADER& h = dib.h();
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, c.width);
    EXPECT_EQ(h.biHeight, c.height);  // positive: bottom-up
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, c.bitCount);
    EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(h.biSizeImage, size);
    EXPECT_EQ(h.biClrUsed, 0u);
    if (c.bitCount == 8) {
        bool identity = true;
        for (int i = 0; i < 256; ++i) {
            const RGBQUAD& q = dib.palette()[i];
            identity = identity && q.rgbBlue == i && q.rgbGreen == i && q.rgbRed == i && q.rgbReserved == 0;
        }
        EXPECT_TRUE(identity) << "the palette of an 8-bit image is the identity grey ramp";
    } else {
        EXPECT_TRUE(std::all_of(dib.header.begin() + sizeof(BITMAPINFOHEADER), dib.header.end(),
                                [](std::uint8_t v) { return v == kHeaderFill; }))
            << "the palette area of a 24-bit image is left alone";
    }
}

std::string Stem(const FixtureCase& c)
{
    return std::string(c.file, std::strlen(c.file) - 4);
}

// The pixels equal those of djpeg's .bmp `reference` of a width x height image.
void ExpectMatchesReference(const Dib& dib, const std::string& reference, int width, int height, int bitCount)
{
    BmpFile ref;
    ASSERT_TRUE(ReadBmpFile(ReferencePath(reference), ref)) << "no djpeg reference " << reference;
    ASSERT_EQ(ref.width, width);
    ASSERT_EQ(std::abs(ref.height), height);
    ASSERT_EQ(ref.bitCount, bitCount);
    if (bitCount == 8) {
        ASSERT_EQ(ref.palette.size(), 256u);
        for (int i = 0; i < 256; ++i)
            ASSERT_TRUE(ref.palette[i].rgbRed == i && ref.palette[i].rgbGreen == i &&
                        ref.palette[i].rgbBlue == i)
                << "djpeg's grey palette is the identity ramp, so its indices are grey levels";
    }
    const std::uint32_t stride = RowBytes(width, bitCount);
    const std::size_t used = static_cast<std::size_t>(width) * bitCount / 8;
    for (int y = 0; y < height; ++y) {  // y counts image rows from the top
        const std::uint8_t* ours = dib.pixels.data() + std::size_t(height - 1 - y) * stride;
        const int refRow = ref.height > 0 ? height - 1 - y : y;
        const std::uint8_t* theirs = ref.pixels.data() + std::size_t(refRow) * ref.rowBytes;
        ASSERT_EQ(std::memcmp(ours, theirs, used), 0) << "image row " << y;
    }
}

void ExpectPatches(const Dib& dib, const FixtureCase& c)
{
    const std::uint32_t stride = RowBytes(c.width, 24);
    for (int p = 0; p < 4; ++p) {
        const std::uint8_t* px = dib.pixels.data() + std::size_t(c.height / 2) * stride + (p * 8 + 4) * 3;
        const int k = kPatchInk[p][3];
        const int expected[3] = {(255 - kPatchInk[p][2]) * (255 - k) / 255,   // blue from yellow ink
                                 (255 - kPatchInk[p][1]) * (255 - k) / 255,   // green from magenta
                                 (255 - kPatchInk[p][0]) * (255 - k) / 255};  // red from cyan
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(px[i], expected[i], 3) << "patch " << p << " byte " << i;
    }
}

}  // namespace

TEST(Fixtures, DecodeAsDjpegDoes)
{
    for (const FixtureCase& c : kFixtures) {
        if (!c.decodes) continue;
        SCOPED_TRACE(c.file);
        const std::string path = FixturePath(c.file);
        const DWORD expectedSize = RowBytes(c.width, c.bitCount) * static_cast<DWORD>(c.height);

        DWORD size = 0;
        ASSERT_TRUE(DecodeJpgToDib(nullptr, nullptr, path.c_str(), &size));
        EXPECT_EQ(size, expectedSize);

        Dib query;
        DWORD querySize = 0;
        ASSERT_TRUE(DecodeJpgToDib(query.info(), nullptr, path.c_str(), &querySize));
        EXPECT_EQ(querySize, expectedSize);
        ExpectHeader(query, c, expectedSize);
        EXPECT_TRUE(query.GuardsIntact());

        Dib dib(expectedSize);
        DWORD capacity = expectedSize;
        ASSERT_TRUE(DecodeJpgToDib(dib.info(), dib.pixels.data(), path.c_str(), &capacity));
        EXPECT_EQ(capacity, expectedSize);
        EXPECT_TRUE(dib.GuardsIntact());
        EXPECT_EQ(dib.header, query.header) << "the decode fills the header as the query did";

        const std::uint32_t stride = RowBytes(c.width, c.bitCount);
        const std::size_t used = static_cast<std::size_t>(c.width) * c.bitCount / 8;
        bool padZero = true;
        for (int row = 0; row < c.height; ++row)
            for (std::size_t i = used; i < stride; ++i)
                padZero = padZero && dib.pixels[row * stride + i] == 0;
        EXPECT_TRUE(padZero) << "row padding is written as zeros";

        if (c.check != Check::Patches)
            ExpectMatchesReference(dib, Stem(c) + ".bmp", c.width, c.height, c.bitCount);
        if (c.check != Check::Reference) ExpectPatches(dib, c);
        if (c.greyAtBottom) {
            const std::uint8_t* bottom = dib.pixels.data();  // the last image row comes first
            EXPECT_TRUE(std::all_of(bottom, bottom + used, [](std::uint8_t v) { return v == 128; }));
        }
    }
}

TEST(Fixtures, RefusedFilesFailEveryCallAndWriteNothing)
{
    for (const FixtureCase& c : kFixtures) {
        if (c.decodes) continue;
        SCOPED_TRACE(c.file);
        const std::string path = FixturePath(c.file);
        ASSERT_TRUE(FileExists(path));
        EXPECT_FALSE(DecodeJpgToDib(nullptr, nullptr, path.c_str(), nullptr));

        DWORD size = kSizeSentinel;
        Dib query;
        EXPECT_FALSE(DecodeJpgToDib(query.info(), nullptr, path.c_str(), &size));
        EXPECT_EQ(size, kSizeSentinel);
        EXPECT_TRUE(query.HeaderUntouched());

        Dib dib(4096);
        DWORD capacity = 4096;
        EXPECT_FALSE(DecodeJpgToDib(dib.info(), dib.pixels.data(), path.c_str(), &capacity));
        EXPECT_TRUE(dib.HeaderUntouched());
        EXPECT_TRUE(dib.PixelsUntouched());
    }
}

TEST(Contract, SizeQueryNeedsNeitherHeaderNorBuffer)
{
    const std::string path = FixturePath("baseline-420-35x19.jpg");
    DWORD size = 0;
    EXPECT_TRUE(DecodeJpgToDib(nullptr, nullptr, path.c_str(), &size));
    EXPECT_EQ(size, RowBytes(35, 24) * 19u);
    EXPECT_TRUE(DecodeJpgToDib(nullptr, nullptr, path.c_str(), nullptr));

    Dib query;
    EXPECT_TRUE(DecodeJpgToDib(query.info(), nullptr, path.c_str(), nullptr));
    EXPECT_EQ(query.h().biSizeImage, size);
}

TEST(Contract, TooSmallCapacityLeavesEverythingUntouched)
{
    const std::string path = FixturePath("progressive-61x45.jpg");
    const DWORD needed = RowBytes(61, 24) * 45u;
    for (DWORD capacity : {DWORD{1}, needed / 2, needed - 1}) {
        Dib dib(needed);
        DWORD size = capacity;
        EXPECT_FALSE(DecodeJpgToDib(dib.info(), dib.pixels.data(), path.c_str(), &size)) << capacity;
        EXPECT_EQ(size, needed) << "the needed size is written back";
        EXPECT_TRUE(dib.PixelsUntouched());
        EXPECT_TRUE(dib.HeaderUntouched());
    }
    Dib dib(needed);
    DWORD size = needed + 1000;  // a larger buffer is fine
    EXPECT_TRUE(DecodeJpgToDib(dib.info(), dib.pixels.data(), path.c_str(), &size));
    EXPECT_EQ(size, needed);
    EXPECT_TRUE(dib.GuardsIntact());
}

TEST(Contract, NoCapacityTrustsTheBuffer)
{
    const std::string path = FixturePath("baseline-422-33x17.jpg");
    Dib reference;
    ASSERT_TRUE(DecodeFile(path, reference));
    const std::size_t needed = reference.pixels.size() - kGuard;

    Dib withoutSize(needed);
    EXPECT_TRUE(DecodeJpgToDib(withoutSize.info(), withoutSize.pixels.data(), path.c_str(), nullptr));
    EXPECT_EQ(withoutSize.pixels, reference.pixels);

    Dib zeroSize(needed);
    DWORD size = 0;
    EXPECT_TRUE(DecodeJpgToDib(nullptr, zeroSize.pixels.data(), path.c_str(), &size));
    EXPECT_EQ(size, needed);
    EXPECT_EQ(zeroSize.pixels, reference.pixels);
    EXPECT_TRUE(zeroSize.HeaderUntouched());
}

TEST(Contract, MissingFileOrPathFails)
{
    DWORD size = kSizeSentinel;
    EXPECT_FALSE(DecodeJpgToDib(nullptr, nullptr, nullptr, &size));
    EXPECT_FALSE(DecodeJpgToDib(nullptr, nullptr, "", &size));
    EXPECT_FALSE(DecodeJpgToDib(nullptr, nullptr, FixturePath("no-such-file.jpg").c_str(), &size));
    EXPECT_FALSE(DecodeJpgToDib(nullptr, nullptr, KVIMAGE_FIXTURES, &size));  // a folder
    EXPECT_EQ(size, kSizeSentinel);
}

TEST(Contract, ReadsAFileAnotherProgramHasOpenForWriting)
{
    const TempFile copy(ReadWholeFile(FixturePath("gray-31x23.jpg")));
    const HANDLE writer =
        ::CreateFileA(copy.path().c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    Dib dib;
    EXPECT_TRUE(DecodeFile(copy.path(), dib));
    ::CloseHandle(writer);
}

// Segments far longer than the read buffer are seeked over; the image is the same.
TEST(Streaming, LargeSegmentsBeforeTheFrameAreSkipped)
{
    const Bytes original = ReadWholeFile(FixturePath("baseline-420-35x19.jpg"));
    ASSERT_FALSE(original.empty());
    Bytes padded(original.begin(), original.begin() + 2);
    for (std::uint8_t marker : {0xE1, 0xE2, 0xFE, 0xED}) {
        padded.insert(padded.end(), {0xFF, marker, 0xFF, 0xFF});
        for (int i = 0; i < 0xFFFF - 2; ++i)
            padded.push_back(static_cast<std::uint8_t>(i * 7));
    }
    padded.insert(padded.end(), original.begin() + 2, original.end());
    const TempFile file(padded);

    Dib expected, got;
    ASSERT_TRUE(DecodeFile(FixturePath("baseline-420-35x19.jpg"), expected));
    ASSERT_TRUE(DecodeFile(file.path(), got));
    EXPECT_EQ(got.header, expected.header);
    EXPECT_EQ(got.pixels, expected.pixels);
}

TEST(Streaming, SegmentLongerThanTheFileFails)
{
    Bytes data = {0xFF, 0xD8, 0xFF, 0xE1, 0xF0, 0x00};
    data.resize(200, 0x41);
    const TempFile file(data);
    DWORD size = kSizeSentinel;
    EXPECT_FALSE(DecodeJpgToDib(nullptr, nullptr, file.path().c_str(), &size));
    EXPECT_EQ(size, kSizeSentinel);
}

namespace {

// A fixture with its frame's dimensions replaced.
Bytes WithDimensions(const char* fixture, std::uint16_t width, std::uint16_t height)
{
    Bytes data = ReadWholeFile(FixturePath(fixture));
    const std::size_t sof = FindSof(data);
    if (sof == 0) return {};
    data[sof + 5] = static_cast<std::uint8_t>(height >> 8);
    data[sof + 6] = static_cast<std::uint8_t>(height);
    data[sof + 7] = static_cast<std::uint8_t>(width >> 8);
    data[sof + 8] = static_cast<std::uint8_t>(width);
    return data;
}

}  // namespace

// Sizes are computed in 64 bits and capped at 512 MiB; a size query reads only the header, so it
// answers at once for any size. An empty frame is refused.
TEST(Limits, FrameSizeIsCheckedAndCappedAt512MiB)
{
    struct SizeCase {
        const char* fixture;
        std::uint16_t width, height;
        bool accepted;
        DWORD size;
    };
    const SizeCase cases[] = {
        {"gray-31x23.jpg", 32768, 16384, true, 512u << 20},  // exactly the cap
        {"gray-31x23.jpg", 32768, 16385, false, 0},
        {"baseline-444-33x17.jpg", 12000, 9000, true, 36000u * 9000u},
        // 131076 bytes a row x 32768 rows wraps to 128 KiB in 32 bits.
        {"baseline-444-33x17.jpg", 43692, 32768, false, 0},
        {"baseline-444-33x17.jpg", 65500, 65500, false, 0},
        // A height of 0 would be defined later by a DNL marker, which libjpeg does not support.
        {"baseline-444-33x17.jpg", 33, 0, false, 0},
        {"baseline-444-33x17.jpg", 0, 17, false, 0},
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const TempFile file(WithDimensions(c.fixture, c.width, c.height));
        DWORD size = kSizeSentinel;
        Dib query;
        const DWORD start = ::GetTickCount();
        EXPECT_EQ(DecodeJpgToDib(query.info(), nullptr, file.path().c_str(), &size) != FALSE, c.accepted);
        EXPECT_LT(::GetTickCount() - start, testsupport::ScaledMs(1000));
        if (c.accepted) {
            EXPECT_EQ(size, c.size);
            EXPECT_EQ(query.h().biWidth, c.width);
            EXPECT_EQ(query.h().biHeight, c.height);
        } else {
            EXPECT_EQ(size, kSizeSentinel);
            EXPECT_TRUE(query.HeaderUntouched());
        }
    }
}

namespace {

// The progressive fixture with its last scan repeated until the file holds `scans` scans.
Bytes WithScans(int scans)
{
    const Bytes data = ReadWholeFile(FixturePath("progressive-61x45.jpg"));
    std::vector<std::size_t> sos;
    for (std::size_t i = 0; i + 1 < data.size(); ++i)
        if (data[i] == 0xFF && data[i + 1] == 0xDA) sos.push_back(i);
    const std::size_t eoi = data.size() - 2;
    if (sos.empty() || data[eoi] != 0xFF || data[eoi + 1] != 0xD9) return {};
    Bytes out(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(eoi));
    for (int n = static_cast<int>(sos.size()); n < scans; ++n)
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(sos.back()),
                   data.begin() + static_cast<std::ptrdiff_t>(eoi));
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

}  // namespace

TEST(Limits, ProgressiveScansAreCappedAt100)
{
    for (const auto& [scans, decodes] :
         {std::pair{100, true}, std::pair{101, false}, std::pair{5000, false}}) {
        SCOPED_TRACE(std::to_string(scans) + " scans");
        const TempFile file(WithScans(scans));
        Dib dib;
        DWORD size = 0;
        ASSERT_TRUE(DecodeJpgToDib(nullptr, nullptr, file.path().c_str(), &size)) << "the header is fine";
        dib = Dib(size);
        EXPECT_EQ(DecodeJpgToDib(dib.info(), dib.pixels.data(), file.path().c_str(), &size) != FALSE,
                  decodes);
        EXPECT_TRUE(dib.GuardsIntact());
    }
}

// The DLL keeps no state between calls, so threads may decode at the same time.
TEST(Concurrency, ThreadsDecodeAtTheSameTime)
{
    const char* files[] = {"progressive-61x45.jpg", "baseline-420-35x19.jpg", "gray-31x23.jpg",
                           "cmyk-adobe-32x16.jpg"};
    std::vector<Dib> expected(std::size(files));
    for (std::size_t i = 0; i < std::size(files); ++i)
        ASSERT_TRUE(DecodeFile(FixturePath(files[i]), expected[i]));

    std::vector<int> mismatches(8, 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < mismatches.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 25; ++round) {
                const std::size_t i = (t + round) % std::size(files);
                Dib dib;
                if (!DecodeFile(FixturePath(files[i]), dib) || dib.pixels != expected[i].pixels)
                    ++mismatches[t];
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(mismatches, std::vector<int>(mismatches.size(), 0));
}

namespace {

// Decodes damaged data as the engine would (query, then decode with that capacity) into `dib`.
// Returns whether the query succeeded; the decode must then succeed too when `decodeMustSucceed`.
bool DecodeDamaged(ScratchFile& scratch, const Bytes& data, bool decodeMustSucceed, const std::string& label,
                   Dib& dib)
{
    const std::string& path = scratch.Write(data);
    DWORD size = 0;
    if (!DecodeJpgToDib(nullptr, nullptr, path.c_str(), &size)) return false;
    dib = Dib(size);
    DWORD capacity = size;
    const bool decoded = DecodeJpgToDib(dib.info(), dib.pixels.data(), path.c_str(), &capacity) != FALSE;
    EXPECT_TRUE(dib.GuardsIntact()) << label;
    if (decodeMustSucceed) {
        EXPECT_TRUE(decoded) << label;
    }
    if (decoded) {
        EXPECT_EQ(capacity, size) << label;
    }
    return true;
}

}  // namespace

// Cut off anywhere after the first scan's header, a file still decodes (the rest grey); before
// it, every call fails. Cut inside a segment between two scans, it decodes as if cut just before
// that segment. Nothing is ever written past the buffer.
TEST(Damage, TruncationAtEveryLength)
{
    ScratchFile scratch;
    for (const char* name : {"baseline-420-35x19.jpg", "progressive-61x45.jpg", "cmyk-adobe-32x16.jpg"}) {
        const Bytes whole = ReadWholeFile(FixturePath(name));
        ASSERT_FALSE(whole.empty());
        const std::vector<JpegSegment> header = HeaderSegments(whole);
        const std::size_t firstScanData = header.back().offset + header.back().length;
        std::vector<Dib> decoded(whole.size());
        for (std::size_t length = 0; length < whole.size(); ++length) {
            const std::string label = std::string(name) + " cut at " + std::to_string(length);
            const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
            const bool headerRead = DecodeDamaged(scratch, cut, true, label, decoded[length]);
            EXPECT_EQ(headerRead, length >= firstScanData) << label;
        }
        for (const JpegSegment& s : AllSegments(whole)) {
            if (s.offset < firstScanData || s.marker == 0xD9) continue;
            for (std::size_t length = s.offset + 1; length < s.offset + s.length; ++length)
                EXPECT_EQ(decoded[length].pixels, decoded[s.offset].pixels)
                    << name << " cut at " << length << " inside the segment at " << s.offset;
        }
    }
}

// Random bytes overwritten (a fixed sequence, so every run sees the same files): any result is
// acceptable except a crash, a hang or a write outside the buffer.
TEST(Damage, OverwrittenBytesNeverOverrunTheBuffer)
{
    ScratchFile scratch;
    std::uint32_t random = 12345;
    auto next = [&random] { return random = random * 1103515245u + 12345u, random >> 8; };
    for (const char* name : {"baseline-420-35x19.jpg", "progressive-61x45.jpg", "arithmetic-45x29.jpg",
                             "gray-31x23.jpg", "ycck-adobe-32x16.jpg", "restart-40x40.jpg"}) {
        const Bytes whole = ReadWholeFile(FixturePath(name));
        ASSERT_FALSE(whole.empty());
        for (int variant = 0; variant < 80; ++variant) {
            Bytes damaged = whole;
            const int edits = 1 + static_cast<int>(next() % 4);
            for (int e = 0; e < edits; ++e)
                damaged[next() % damaged.size()] = static_cast<std::uint8_t>(next());
            Dib dib;
            DecodeDamaged(scratch, damaged, false, std::string(name) + " variant " + std::to_string(variant),
                          dib);
        }
    }
}

namespace {

// The last error a call leaves, after a sentinel that any refusal must overwrite.
constexpr DWORD kErrorSentinel = 0xE0001234;

DWORD LastErrorOf(BOOL (*call)(const std::string&), const std::string& path)
{
    ::SetLastError(kErrorSentinel);
    if (call(path)) return ERROR_SUCCESS;
    return ::GetLastError();
}

BOOL QueryCall(const std::string& path)
{
    DWORD size = 0;
    return DecodeJpgToDib(nullptr, nullptr, path.c_str(), &size);
}

// A decode after a successful query, into a buffer of the queried size.
BOOL DecodeCall(const std::string& path)
{
    DWORD size = 0;
    if (!DecodeJpgToDib(nullptr, nullptr, path.c_str(), &size)) return TRUE;  // the query must pass
    Dib dib(size);
    return DecodeJpgToDib(dib.info(), dib.pixels.data(), path.c_str(), &size);
}

// A decode into a buffer one byte short of the image.
BOOL ShortBufferCall(const std::string& path)
{
    DWORD size = 0;
    if (!DecodeJpgToDib(nullptr, nullptr, path.c_str(), &size)) return TRUE;
    Dib dib(size);
    --size;
    return DecodeJpgToDib(dib.info(), dib.pixels.data(), path.c_str(), &size);
}

// The system's own code for opening this path, read without KvImage.
DWORD OpenError(const std::string& path)
{
    const HANDLE file =
        ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ::CloseHandle(file);
        return ERROR_SUCCESS;
    }
    return ::GetLastError();
}

}  // namespace

// Every refusal tells its reason through the last error, one code per reason, so the engine's log
// can say why a photo was not shown.
TEST(LastError, EachReasonHasItsOwnCode)
{
    const TempFile tooLarge(WithDimensions("gray-31x23.jpg", 32768, 16385));
    const TempFile tooLargeInBytes(WithDimensions("baseline-444-33x17.jpg", 43692, 32768));
    const TempFile manyScans(WithScans(101));
    Bytes longSegment = {0xFF, 0xD8, 0xFF, 0xE1, 0xF0, 0x00};
    longSegment.resize(200, 0x41);
    const TempFile cutSegment(longSegment);
    const std::string missing = FixturePath("no-such-file.jpg");
    const std::string missingFolder = FixturePath("no-such-folder\\photo.jpg");

    struct ReasonCase {
        const char* what;
        std::string path;
        BOOL (*call)(const std::string&);
        DWORD error;
    };
    const ReasonCase cases[] = {
        {"missing file", missing, QueryCall, ERROR_FILE_NOT_FOUND},
        {"missing folder", missingFolder, QueryCall, ERROR_PATH_NOT_FOUND},
        {"a folder", KVIMAGE_FIXTURES, QueryCall, OpenError(KVIMAGE_FIXTURES)},
        {"not a JPEG", FixturePath("png-named.jpg"), QueryCall, KVIMAGE_ERROR_DATA},
        {"empty file", FixturePath("empty.jpg"), QueryCall, KVIMAGE_ERROR_DATA},
        {"five bytes", FixturePath("five-bytes.jpg"), QueryCall, KVIMAGE_ERROR_DATA},
        {"segment past the end", cutSegment.path(), QueryCall, KVIMAGE_ERROR_DATA},
        {"12-bit", FixturePath("precision12.jpg"), QueryCall, KVIMAGE_ERROR_UNSUPPORTED},
        {"lossless", FixturePath("lossless-sof3.jpg"), QueryCall, KVIMAGE_ERROR_UNSUPPORTED},
        {"two components", FixturePath("two-components-16x16.jpg"), QueryCall, KVIMAGE_ERROR_UNSUPPORTED},
        {"101 scans", manyScans.path(), DecodeCall, KVIMAGE_ERROR_UNSUPPORTED},
        {"above 512 MiB", tooLarge.path(), QueryCall, KVIMAGE_ERROR_TOO_LARGE},
        {"wraps 32 bits", tooLargeInBytes.path(), QueryCall, KVIMAGE_ERROR_TOO_LARGE},
        {"buffer one byte short", FixturePath("progressive-61x45.jpg"), ShortBufferCall,
         KVIMAGE_ERROR_BUFFER_TOO_SMALL},
        {"gray buffer one byte short", FixturePath("gray-31x23.jpg"), ShortBufferCall,
         KVIMAGE_ERROR_BUFFER_TOO_SMALL},
    };
    EXPECT_EQ(OpenError(missing), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << "the system agrees";
    EXPECT_EQ(OpenError(missingFolder), static_cast<DWORD>(ERROR_PATH_NOT_FOUND)) << "the system agrees";
    for (const ReasonCase& c : cases)
        EXPECT_EQ(LastErrorOf(c.call, c.path), c.error) << c.what;

    for (const char* path : {static_cast<const char*>(nullptr), ""}) {
        ::SetLastError(kErrorSentinel);
        EXPECT_FALSE(DecodeJpgToDib(nullptr, nullptr, path, nullptr));
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << (path ? "empty" : "NULL");
    }
}

namespace {

// Ordinal 3, looked up the way the engine binds it.
KvImageDecodeScaledProc ScaledDecode()
{
    return reinterpret_cast<KvImageDecodeScaledProc>(reinterpret_cast<void*>(::GetProcAddress(
        ::GetModuleHandleA("KvImage.dll"), MAKEINTRESOURCEA(KVIMAGE_ORDINAL_DECODE_SCALED))));
}

int ScaledSide(int side, UINT scale)
{
    return (side * static_cast<int>(scale) + 7) / 8;
}

}  // namespace

// Every fixture at every reduced scale gives djpeg -scale M/8's pixels, through the same two calls
// as the full-size decode; scale 8 is the full-size decode itself.
TEST(Scaled, DecodeAsDjpegScaleDoes)
{
    const KvImageDecodeScaledProc decode = ScaledDecode();
    ASSERT_NE(decode, nullptr);
    for (const FixtureCase& c : kFixtures) {
        if (!c.decodes) continue;
        for (UINT scale = 1; scale <= 8; ++scale) {
            SCOPED_TRACE(std::string(c.file) + " at " + std::to_string(scale) + "/8");
            const std::string path = FixturePath(c.file);
            const int width = ScaledSide(c.width, scale);
            const int height = ScaledSide(c.height, scale);
            const DWORD expectedSize = RowBytes(width, c.bitCount) * static_cast<DWORD>(height);

            DWORD size = 0;
            ASSERT_TRUE(decode(nullptr, nullptr, path.c_str(), &size, scale));
            EXPECT_EQ(size, expectedSize);
            Dib query;
            ASSERT_TRUE(decode(query.info(), nullptr, path.c_str(), nullptr, scale));
            EXPECT_EQ(query.h().biWidth, width);
            EXPECT_EQ(query.h().biHeight, height);
            EXPECT_EQ(query.h().biBitCount, c.bitCount);
            EXPECT_EQ(query.h().biSizeImage, expectedSize);

            Dib dib(expectedSize);
            DWORD capacity = expectedSize;
            ASSERT_TRUE(decode(dib.info(), dib.pixels.data(), path.c_str(), &capacity, scale));
            EXPECT_EQ(capacity, expectedSize);
            EXPECT_TRUE(dib.GuardsIntact());
            EXPECT_EQ(dib.header, query.header) << "the decode fills the header as the query did";

            if (scale == KVIMAGE_FULL_SCALE) {
                Dib full;
                ASSERT_TRUE(DecodeFile(path, full));
                EXPECT_EQ(dib.header, full.header);
                EXPECT_EQ(dib.pixels, full.pixels);
            } else if (c.check != Check::Patches) {
                ExpectMatchesReference(dib, Stem(c) + "@" + std::to_string(scale) + ".bmp", width, height,
                                       c.bitCount);
            }
            if (c.check != Check::Reference && scale >= 4) {
                // The 8-pixel patches are still 4 or more pixels wide: read their middles.
                const std::uint32_t stride = RowBytes(width, 24);
                for (int p = 0; p < 4; ++p) {
                    const std::uint8_t* px = dib.pixels.data() + std::size_t(height / 2) * stride +
                                             (ScaledSide(p * 8 + 4, scale)) * 3;
                    const int k = kPatchInk[p][3];
                    EXPECT_NEAR(px[2], (255 - kPatchInk[p][0]) * (255 - k) / 255, 3) << "patch " << p;
                }
            }
        }
    }
}

// The same refusals as the full-size decode, and a scale outside 1 to 8 is refused before the file
// is opened; nothing is written on any refusal.
TEST(Scaled, RefusalsWriteNothingAndTellWhy)
{
    const KvImageDecodeScaledProc decode = ScaledDecode();
    ASSERT_NE(decode, nullptr);
    const std::string good = FixturePath("progressive-61x45.jpg");
    struct RefusalCase {
        const char* what;
        std::string path;
        UINT scale;
        DWORD capacity;
        DWORD error;
    };
    const RefusalCase cases[] = {
        {"scale 0", good, 0, 0, ERROR_INVALID_PARAMETER},
        {"scale 9", good, 9, 0, ERROR_INVALID_PARAMETER},
        {"not a JPEG", FixturePath("png-named.jpg"), 4, 0, KVIMAGE_ERROR_DATA},
        {"12-bit", FixturePath("precision12.jpg"), 2, 0, KVIMAGE_ERROR_UNSUPPORTED},
        {"missing file", FixturePath("no-such-file.jpg"), 2, 0, ERROR_FILE_NOT_FOUND},
        // 61 x 45 at 4/8 is 31 x 23.
        {"buffer one byte short", good, 4, RowBytes(31, 24) * 23u - 1, KVIMAGE_ERROR_BUFFER_TOO_SMALL},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.what);
        Dib dib(4096);
        DWORD size = c.capacity;
        ::SetLastError(kErrorSentinel);
        EXPECT_FALSE(decode(dib.info(), dib.pixels.data(), c.path.c_str(), &size, c.scale));
        EXPECT_EQ(::GetLastError(), c.error);
        EXPECT_TRUE(dib.HeaderUntouched());
        EXPECT_TRUE(dib.PixelsUntouched());
    }
}

// The 512 MiB cap applies to the image as decoded: a frame too large at full size is decoded at a
// scale where it fits.
TEST(Scaled, SizeCapAppliesToTheReducedImage)
{
    const KvImageDecodeScaledProc decode = ScaledDecode();
    ASSERT_NE(decode, nullptr);
    const TempFile file(WithDimensions("baseline-444-33x17.jpg", 20000, 10000));
    DWORD size = kSizeSentinel;
    ::SetLastError(kErrorSentinel);
    EXPECT_FALSE(DecodeJpgToDib(nullptr, nullptr, file.path().c_str(), &size));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(KVIMAGE_ERROR_TOO_LARGE));
    EXPECT_FALSE(decode(nullptr, nullptr, file.path().c_str(), &size, 8));
    EXPECT_EQ(size, kSizeSentinel);

    struct ScaleCase {
        UINT scale;
        DWORD size;  // 0: refused
    };
    const ScaleCase cases[] = {
        {1, RowBytes(2500, 24) * 1250u},
        {4, RowBytes(10000, 24) * 5000u},
        {7, RowBytes(17500, 24) * 8750u},  // 459 MB, still below the cap
    };
    for (const ScaleCase& c : cases) {
        SCOPED_TRACE(c.scale);
        Dib query;
        size = 0;
        ASSERT_TRUE(decode(query.info(), nullptr, file.path().c_str(), &size, c.scale));
        EXPECT_EQ(size, c.size);
        EXPECT_EQ(query.h().biWidth, ScaledSide(20000, c.scale));
        EXPECT_EQ(query.h().biHeight, ScaledSide(10000, c.scale));
    }
}
