// Helpers of the imaging tests: synthetic DIB pairs, files in a scratch folder, and the pixels of an
// image as it is seen (row 0 at the top), independent of the code under test.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "KvTestSupport.h"

namespace imaging_test {

using testsupport::FileTimeUnits;

// A DIB pair held by the test: a 1064-byte header block and the pixels.
struct TestDib {
    std::vector<BYTE> header = std::vector<BYTE>(1064, 0);
    std::vector<BYTE> bits;

    BITMAPINFO* Info() { return reinterpret_cast<BITMAPINFO*>(header.data()); }
    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(header.data()); }
    BITMAPINFOHEADER& Header() { return Info()->bmiHeader; }
    const BITMAPINFOHEADER& Header() const { return Info()->bmiHeader; }
    int Width() const { return Header().biWidth; }
    int Rows() const { return Header().biHeight < 0 ? -Header().biHeight : Header().biHeight; }
    int BytesPerPixel() const { return Header().biBitCount / 8; }
    size_t RowBytes() const { return (static_cast<size_t>(Width()) * Header().biBitCount + 31) / 32 * 4; }
    // Byte c of the pixel at column x of the row seen at position y from the top.
    BYTE& Seen(int x, int y, int c = 0);
    BYTE Seen(int x, int y, int c = 0) const;
};

// A width x height image of bitCount bits (8, 24 or 32), filled with a pattern that differs per
// pixel and channel; bottom-up unless topDown. The 8-bit palette is a non-grey ramp, so a lost
// palette shows.
TestDib MakeDib(int width, int height, int bitCount, bool topDown, unsigned seed = 1);

// A DIB pair of the size with every byte of the pixels taken from fill(x, yFromTop, channel).
template <typename F> TestDib MakeDibWith(int width, int height, int bitCount, bool topDown, F fill)
{
    TestDib d = MakeDib(width, height, bitCount, topDown);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < bitCount / 8; ++c)
                d.Seen(x, y, c) = static_cast<BYTE>(fill(x, y, c));
    return d;
}

// The image turned by 90 degrees as seen, built straight from the definition.
TestDib TurnSeen(const TestDib& src, bool clockwise);

// A fresh scratch folder for this test program (removed when the program ends is not needed:
// it lives in the build tree's Wine prefix temp folder).
std::string ScratchDir();
std::string ScratchPath(const std::string& name);
bool WriteFileBytes(const std::string& path, const std::vector<BYTE>& bytes);
std::vector<BYTE> ReadFileBytes(const std::string& path);
// A fixture of the imaging tests, copied beside the test program.
std::string FixturePath(const std::string& name);
// The FILETIME units of a wall-clock time, taken as it stands.
ULONGLONG WallClock(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second);

}  // namespace imaging_test
