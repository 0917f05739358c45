// Fixtures of the composition, texture and calendar tests: a fixed desktop environment, synthetic
// DIB pairs, an independent .bmp writer and reader, and colours in the byte order of the pixels.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Uenvironment.h"

namespace kvtest {

// A desktop of any size with the task bar where the test wants it, a fixed day and a texture
// folder of the test's choosing.
class FixedEnvironment : public CDesktopEnvironment {
public:
    FixedEnvironment(int screenWidth, int screenHeight, RECT workArea)
    {
        m_Geometry.iScreenWidth = screenWidth;
        m_Geometry.iScreenHeight = screenHeight;
        m_Geometry.rcWorkArea = workArea;
        m_Date = SYSTEMTIME{2025, 6, 0, 15, 12, 0, 0, 0};
    }
    CScreenGeometry GetScreenGeometry() const override { return m_Geometry; }
    SYSTEMTIME GetLocalDate() const override { return m_Date; }
    std::string GetTextureFolder() const override { return m_sTextureFolder; }

    void SetDate(int year, int month, int day)
    {
        m_Date = SYSTEMTIME{
            static_cast<WORD>(year), static_cast<WORD>(month), 0, static_cast<WORD>(day), 12, 0, 0, 0};
    }
    void SetTextureFolder(const std::string& folder) { m_sTextureFolder = folder; }

private:
    CScreenGeometry m_Geometry;
    SYSTEMTIME m_Date;
    std::string m_sTextureFolder;
};

// A colour as the three bytes blue, green, red of a 24-bit pixel, compared as one number.
struct Bgr {
    BYTE b = 0, g = 0, r = 0;
    bool operator==(const Bgr& o) const { return b == o.b && g == o.g && r == o.r; }
    bool operator!=(const Bgr& o) const { return !(*this == o); }
};
inline Bgr FromColorRef(COLORREF c)
{
    return Bgr{GetBValue(c), GetGValue(c), GetRValue(c)};
}
std::string ToText(const Bgr& c);

// A DIB pair made by the test: the 1064-byte header block and the padded pixel rows.
class TestDib {
public:
    // 24 bits; pixel(x, y) with y counted from the top as the image is seen.
    static TestDib TrueColor(int width, int height, bool topDown, const std::function<Bgr(int, int)>& pixel);
    // 8 bits; the palette and the index of each pixel as seen.
    static TestDib Indexed(int width, int height, bool topDown, const std::function<Bgr(int)>& palette,
                           const std::function<BYTE(int, int)>& index);

    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(m_Header.data()); }
    const BYTE* Bits() const { return m_Pixels.data(); }
    int Width() const { return m_iWidth; }
    int Height() const { return m_iHeight; }
    bool TopDown() const { return m_bTopDown; }
    int BitCount() const { return m_iBitCount; }
    // The colour of the pixel (x, y) as seen (from the palette for 8 bits).
    Bgr At(int x, int y) const;
    // The pixel bytes of row `memoryRow` as it lies in memory.
    const BYTE* Row(int memoryRow) const;
    size_t RowBytes() const { return m_RowBytes; }

private:
    // Header set, pixels zeroed; the factories fill them.
    static TestDib Blank(int width, int height, bool topDown, int bitCount);
    // The row y (counted from the top as seen) where it lies in memory.
    BYTE* SeenRow(int y);

    std::vector<BYTE> m_Header = std::vector<BYTE>(1064, 0);
    std::vector<BYTE> m_Pixels;
    int m_iWidth = 0;
    int m_iHeight = 0;
    bool m_bTopDown = false;
    int m_iBitCount = 24;
    size_t m_RowBytes = 0;
};

// The bytes of a plain .bmp file of the DIB (bottom-up rows as the file format has them).
std::string BmpFileBytes(const TestDib& dib);

// A .bmp file read independently of the engine: its header fields and its pixels as seen.
struct BmpImage {
    bool ok = false;
    std::string error;
    uint32_t fileSize = 0;
    uint32_t pixelOffset = 0;
    BITMAPINFOHEADER info = {};
    int width = 0;
    int height = 0;
    bool paddingZero = true;
    std::vector<Bgr> pixels;  // width x height, the top row first
    Bgr At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
BmpImage ParseBmp(const std::string& bytes);

// The texture's pixels (as seen, the top row first) after tinting with `average`, computed from the
// rules alone: each pixel's brightness stretched to 0..765, and the colour moved by
// (brightness - mean) x strength.
std::vector<Bgr> TintedTexture(const TestDib& texture, double strength, COLORREF average);

// The folder holding the test's source tree files (goldens), as a Windows path with a trailing '\'.
std::string SourceFolder(const char* unixPath);

}  // namespace kvtest
