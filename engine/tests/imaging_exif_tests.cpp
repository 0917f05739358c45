// The EXIF reader on files built here byte by byte: well-formed blocks of both byte orders, the
// date forms, and a table of damaged blocks that must end quickly without reading outside.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KvTestSupport.h"
#include "Uexif.h"
#include "imaging_testutil.h"

using namespace imaging_test;

namespace {

constexpr WORD kOrientation = 274, kDateTime = 306, kExifIfd = 34665, kDateTimeOriginal = 36867,
               kDateTimeDigitized = 36868;
constexpr WORD kAscii = 2, kShort = 3, kLong = 4;

struct Entry {
    WORD tag, type;
    DWORD count, value;
};

// TIFF data in either byte order; offsets are relative to its start, as in the file.
class Tiff {
public:
    explicit Tiff(bool bigEndian, DWORD ifd0 = 8) : m_Big(bigEndian)
    {
        bytes = {static_cast<BYTE>(bigEndian ? 'M' : 'I'), static_cast<BYTE>(bigEndian ? 'M' : 'I')};
        Put16(42);
        Put32(ifd0);
    }
    void Put16(DWORD v)
    {
        if (m_Big) {
            bytes.push_back(static_cast<BYTE>(v >> 8));
            bytes.push_back(static_cast<BYTE>(v));
        } else {
            bytes.push_back(static_cast<BYTE>(v));
            bytes.push_back(static_cast<BYTE>(v >> 8));
        }
    }
    void Put32(DWORD v)
    {
        if (m_Big) {
            Put16(v >> 16);
            Put16(v & 0xFFFF);
        } else {
            Put16(v & 0xFFFF);
            Put16(v >> 16);
        }
    }
    void Set32(size_t at, DWORD v)
    {
        std::vector<BYTE> tail(bytes.begin() + static_cast<long>(at) + 4, bytes.end());
        bytes.resize(at);
        Put32(v);
        bytes.insert(bytes.end(), tail.begin(), tail.end());
    }
    DWORD Here() const { return static_cast<DWORD>(bytes.size()); }
    // An IFD at the current end; returns the position of its next-IFD field.
    size_t AddIfd(const std::vector<Entry>& entries, DWORD next = 0)
    {
        Put16(static_cast<DWORD>(entries.size()));
        for (const Entry& e : entries) {
            Put16(e.tag);
            Put16(e.type);
            Put32(e.count);
            if (e.type == kShort) {
                Put16(e.value);
                Put16(0);
            } else {
                Put32(e.value);
            }
        }
        const size_t at = bytes.size();
        Put32(next);
        return at;
    }
    // A text with its terminator at the current end; returns its offset.
    DWORD AddText(const std::string& text)
    {
        const DWORD at = Here();
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(0);
        return at;
    }

    std::vector<BYTE> bytes;

private:
    bool m_Big;
};

Entry Orientation(DWORD v)
{
    return {kOrientation, kShort, 1, v};
}
Entry Text(WORD tag, DWORD offset, const std::string& text)
{
    return {tag, kAscii, static_cast<DWORD>(text.size() + 1), offset};
}

// SOI, an optional JFIF APP0, the APP1 segment (declared length: the real one unless given), EOI.
std::vector<BYTE> JpegWith(const std::vector<BYTE>& tiff, bool app0First = false, long declaredLength = -1)
{
    std::vector<BYTE> f = {0xFF, 0xD8};
    if (app0First) {
        const BYTE app0[] = {0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
        f.insert(f.end(), app0, app0 + sizeof(app0));
    }
    const DWORD length =
        declaredLength >= 0 ? static_cast<DWORD>(declaredLength) : static_cast<DWORD>(8 + tiff.size());
    const BYTE head[] = {
        0xFF, 0xE1, static_cast<BYTE>(length >> 8), static_cast<BYTE>(length), 'E', 'x', 'i', 'f', 0, 0};
    f.insert(f.end(), head, head + sizeof(head));
    f.insert(f.end(), tiff.begin(), tiff.end());
    f.push_back(0xFF);
    f.push_back(0xD9);
    return f;
}

// A TIFF with one IFD holding the orientation and a DateTime text.
std::vector<BYTE> SimpleTiff(bool big, DWORD orientation, const std::string& date)
{
    Tiff t(big);
    const DWORD textAt = 8 + 2 + 2 * 12 + 4;
    t.AddIfd({Orientation(orientation), Text(kDateTime, textAt, date)});
    t.AddText(date);
    return t.bytes;
}

struct Result {
    bool bRead;
    DWORD dwOrientation;
    bool bDate;
    FILETIME ftDate;
};

Result ReadExif(const std::vector<BYTE>& file, const char* name)
{
    const std::string path = ScratchPath(std::string("exif_") + name + ".jpg");
    EXPECT_TRUE(WriteFileBytes(path, file));
    CExif exif;
    Result r{};
    r.bRead = exif.ReadFromFile(path.c_str());
    r.dwOrientation = exif.GetOrientation();
    r.bDate = exif.GetDateTime(&r.ftDate);
    ::DeleteFileA(path.c_str());
    return r;
}

}  // namespace

TEST(ImagingExif, WellFormedBlocks)
{
    struct Case {
        const char* name;
        std::vector<BYTE> file;
        DWORD orientation;
        ULONGLONG date;  // 0: no date
    };
    const ULONGLONG july = WallClock(2004, 7, 15, 18, 30, 5);

    Tiff subIfd(false);
    {
        // IFD0: orientation, DateTime, pointer to the Exif sub-IFD that holds DateTimeOriginal.
        const DWORD subAt = 8 + 2 + 3 * 12 + 4;
        const DWORD textAt = subAt + 2 + 12 + 4;
        subIfd.AddIfd(
            {Orientation(8), Text(kDateTime, textAt, "2004:07:15 18:30:05"), {kExifIfd, kLong, 1, subAt}});
        subIfd.AddIfd({Text(kDateTimeOriginal, textAt + 20, "1999:01:01 00:00:00")});
        subIfd.AddText("2004:07:15 18:30:05");
        subIfd.AddText("1999:01:01 00:00:00");
    }
    Tiff ifd1(true);
    {
        // The thumbnail's IFD1 comes later in the chain, and its orientation replaces IFD0's.
        const size_t next = ifd1.AddIfd({Orientation(6)});
        ifd1.Set32(next, ifd1.Here());
        ifd1.AddIfd({Orientation(1)});
    }
    Tiff original(false);
    {
        const DWORD textAt = 8 + 2 + 3 * 12 + 4;
        original.AddIfd({Text(kDateTime, textAt, "2020:01:01 00:00:00"),
                         Text(kDateTimeOriginal, textAt + 20, "2004:07:15 18:30:05"),
                         Text(kDateTimeDigitized, textAt + 40, "2010:01:01 00:00:00")});
        original.AddText("2020:01:01 00:00:00");
        original.AddText("2004:07:15 18:30:05");
        original.AddText("2010:01:01 00:00:00");
    }
    Tiff digitizedOnly(false);
    {
        const DWORD textAt = 8 + 2 + 2 * 12 + 4;
        digitizedOnly.AddIfd({Orientation(3), Text(kDateTimeDigitized, textAt, "2004:07:15 18:30:05")});
        digitizedOnly.AddText("2004:07:15 18:30:05");
    }
    std::vector<BYTE> unknownOrder = SimpleTiff(false, 6, "2004:07:15 18:30:05");
    unknownOrder[0] = 'X';
    unknownOrder[1] = 'Y';

    const Case cases[] = {
        {"little-endian", JpegWith(SimpleTiff(false, 6, "2004:07:15 18:30:05")), 6, july},
        {"big-endian", JpegWith(SimpleTiff(true, 6, "2004:07:15 18:30:05")), 6, july},
        {"after a JFIF segment", JpegWith(SimpleTiff(true, 8, "2004:07:15 18:30:05"), true), 8, july},
        {"sub-IFD not entered", JpegWith(subIfd.bytes), 8, july},
        {"IFD1 replaces IFD0", JpegWith(ifd1.bytes), 1, 0},
        {"DateTimeOriginal wins, Digitized unused", JpegWith(original.bytes), 0, july},
        {"DateTimeDigitized alone is no date", JpegWith(digitizedOnly.bytes), 3, 0},
        {"unknown byte order read little-endian", JpegWith(unknownOrder), 6, july},
    };
    for (const Case& c : cases) {
        const Result r = ReadExif(c.file, "wellformed");
        EXPECT_TRUE(r.bRead) << c.name;
        EXPECT_EQ(r.dwOrientation, c.orientation) << c.name;
        EXPECT_EQ(r.bDate, c.date != 0) << c.name;
        EXPECT_EQ(FileTimeUnits(r.ftDate), c.date) << c.name;
    }
}

TEST(ImagingExif, DateTexts)
{
    struct Case {
        const char* text;
        ULONGLONG date;  // 0: false and a zero FILETIME
    };
    const std::string longTail = "2004:07:15 18:30:05" + std::string(200, '7');
    const Case cases[] = {
        {"2004:07:15 18:30:05", WallClock(2004, 7, 15, 18, 30, 5)},
        {"1999:12:31 23:59:59", WallClock(1999, 12, 31, 23, 59, 59)},
        {"2004:7:5 8:3:5", WallClock(2004, 7, 5, 8, 3, 5)},
        {"0000:00:00 00:00:00", 0},
        {"    :  :     :  :  ", 0},
        {"2004-07-15 18:30:05", 0},
        {"2004:07:15T18:30:05", 0},
        {"2004:07:15 18:30", 0},
        {"2004:02:30 10:00:00", 0},
        {"2004:13:01 10:00:00", 0},
        {"99999:01:01 00:00:00", 0},
        {"", 0},
        // Only the first 99 characters are parsed: the seconds run into the digits after them.
        {longTail.c_str(), 0},
    };
    for (const Case& c : cases) {
        const Result r = ReadExif(JpegWith(SimpleTiff(false, 1, c.text)), "date");
        EXPECT_TRUE(r.bRead) << c.text;
        EXPECT_EQ(r.bDate, c.date != 0) << c.text;
        EXPECT_EQ(FileTimeUnits(r.ftDate), c.date) << c.text;
    }
}

TEST(ImagingExif, NoExifBlock)
{
    const std::vector<BYTE> noSoi = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const std::vector<BYTE> noApp1 = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F',  0,
                                      1,    1,    0,    0,    1, 0,  1,   0,   0,   0xFF, 0xD9};
    EXPECT_FALSE(ReadExif(noSoi, "nosoi").bRead);
    EXPECT_FALSE(ReadExif(noApp1, "noapp1").bRead);

    CExif missing;
    EXPECT_FALSE(missing.ReadFromFile(ScratchPath("does-not-exist.jpg").c_str()));
    FILETIME ft{1, 1};
    EXPECT_FALSE(missing.GetDateTime(&ft));
    EXPECT_EQ(FileTimeUnits(ft), 0u);
    EXPECT_EQ(missing.GetOrientation(), 0u);
}

// The file's pattern may lie beyond a chunk boundary of the reader, and far into the file.
TEST(ImagingExif, SegmentFarIntoTheFile)
{
    for (size_t junk : {size_t{65536 - 4}, size_t{65536 - 9}, size_t{65536 + 3}, size_t{300000}}) {
        std::vector<BYTE> file = JpegWith(SimpleTiff(true, 6, "2004:07:15 18:30:05"));
        file.insert(file.begin() + 2, junk, 0x00);
        const Result r = ReadExif(file, "far");
        EXPECT_TRUE(r.bRead) << junk;
        EXPECT_EQ(r.dwOrientation, 6u) << junk;
        EXPECT_TRUE(r.bDate) << junk;
    }
}

TEST(ImagingExif, DamagedBlocksEndQuickly)
{
    struct Case {
        const char* name;
        std::vector<BYTE> file;
        bool read;
        DWORD orientation;
        bool date = false;
    };
    std::vector<Case> cases;
    cases.push_back({"empty file", {}, false, 0});
    cases.push_back({"one byte", {0xFF}, false, 0});
    cases.push_back({"only SOI", {0xFF, 0xD8}, false, 0});
    cases.push_back({"five bytes", {0xFF, 0xD8, 0xFF, 0xE1, 0x00}, false, 0});
    cases.push_back({"pattern in the last twelve bytes",
                     {0xFF, 0xD8, 0xFF, 0xE1, 0, 16, 'E', 'x', 'i', 'f', 0, 0},
                     false,
                     0});

    // Segment lengths: shorter than the fixed header, and reaching past the end of the file.
    cases.push_back({"segment length 10", JpegWith(SimpleTiff(false, 6, "x"), false, 10), false, 0});
    {
        std::vector<BYTE> f = JpegWith(SimpleTiff(false, 6, "2004:07:15 18:30:05"), false, 0xFFFF);
        cases.push_back({"segment length past the end", f, true, 6, true});
    }
    {
        std::vector<BYTE> tiff = SimpleTiff(false, 6, "2004:07:15 18:30:05");
        tiff.resize(8);  // byte order, 42 and the IFD0 offset, nothing more
        cases.push_back({"segment of 16 bytes", JpegWith(tiff), true, 0});
    }
    {
        Tiff t(false, 0xFFFFFFF0u);
        t.AddIfd({Orientation(6)});
        cases.push_back({"IFD0 offset past the end", JpegWith(t.bytes), true, 0});
    }
    {
        Tiff t(false);
        t.AddIfd({Orientation(6)}, 0x7FFFFFF0u);
        cases.push_back({"next IFD past the end", JpegWith(t.bytes), true, 6});
    }
    {
        // Ten entries declared, two present: the walk keeps what lies inside.
        Tiff t(false);
        t.Put16(10);
        for (DWORD v : {6u, 7u}) {
            t.Put16(kOrientation);
            t.Put16(kShort);
            t.Put32(1);
            t.Put16(v);
            t.Put16(0);
        }
        cases.push_back({"truncated IFD", JpegWith(t.bytes), true, 7});
    }
    {
        Tiff t(true);
        t.Put16(0xFFFF);
        t.Put16(kOrientation);
        t.Put16(kShort);
        t.Put32(1);
        t.Put16(8);
        t.Put16(0);
        cases.push_back({"huge entry count", JpegWith(t.bytes), true, 8});
    }
    {
        Tiff t(false);
        t.AddIfd({Orientation(6)}, 8);  // points back at itself
        cases.push_back({"IFD pointing at itself", JpegWith(t.bytes), true, 6});
    }
    {
        Tiff t(false);
        const size_t next = t.AddIfd({Orientation(6)});
        t.Set32(next, t.Here());
        t.AddIfd({Orientation(8)}, 8);  // and back to the first
        cases.push_back({"two IFDs in a loop", JpegWith(t.bytes), true, 8});
    }
    {
        // Forty IFDs in a chain, each with its number as orientation: the walk stops after 32.
        Tiff t(false);
        for (DWORD i = 1; i <= 40; ++i) {
            const size_t next = t.AddIfd({Orientation(i)});
            if (i < 40) t.Set32(next, t.Here());
        }
        cases.push_back({"chain of forty IFDs", JpegWith(t.bytes), true, 32});
    }
    {
        // A date whose count is huge and whose text has no terminator before the end.
        Tiff t(false);
        t.AddIfd({Orientation(6), {kDateTime, kAscii, 0xFFFFFFFFu, 8 + 2 + 2 * 12 + 4}});
        t.bytes.insert(t.bytes.end(), 6000, '7');
        cases.push_back({"date without terminator", JpegWith(t.bytes), true, 6});
    }
    {
        Tiff t(true);
        t.AddIfd({Orientation(6), {kDateTimeOriginal, kAscii, 20, 0xFFFFFFF8u}});
        cases.push_back({"date offset past the end", JpegWith(t.bytes), true, 6});
    }
    {
        Tiff t(true);
        t.AddIfd({Orientation(6), {kDateTimeOriginal, kAscii, 0, 8}});
        cases.push_back({"date count 0", JpegWith(t.bytes), true, 6});
    }

    for (const Case& c : cases) {
        const ULONGLONG start = ::GetTickCount64();
        const Result r = ReadExif(c.file, "damaged");
        EXPECT_LT(::GetTickCount64() - start, testsupport::ScaledMs(1000)) << c.name;
        EXPECT_EQ(r.bRead, c.read) << c.name;
        EXPECT_EQ(r.dwOrientation, c.orientation) << c.name;
        EXPECT_EQ(r.bDate, c.date) << c.name;
        if (!c.date) {
            EXPECT_EQ(FileTimeUnits(r.ftDate), 0u) << c.name;
        }
    }
}
