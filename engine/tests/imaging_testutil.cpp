#include "imaging_testutil.h"

namespace imaging_test {

BYTE& TestDib::Seen(int x, int y, int c)
{
    const int row = Header().biHeight < 0 ? y : Rows() - 1 - y;
    return bits[static_cast<size_t>(row) * RowBytes() + static_cast<size_t>(x) * BytesPerPixel() + c];
}

BYTE TestDib::Seen(int x, int y, int c) const
{
    return const_cast<TestDib*>(this)->Seen(x, y, c);
}

TestDib MakeDib(int width, int height, int bitCount, bool topDown, unsigned seed)
{
    TestDib d;
    BITMAPINFOHEADER& h = d.Header();
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = topDown ? -height : height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bitCount);
    h.biCompression = BI_RGB;
    if (bitCount == 8) {
        for (int i = 0; i < 256; ++i) {
            d.Info()->bmiColors[i] =
                RGBQUAD{static_cast<BYTE>(255 - i), static_cast<BYTE>(i), static_cast<BYTE>(i / 2), 0};
        }
    }
    d.bits.assign(d.RowBytes() * static_cast<size_t>(height), 0);
    h.biSizeImage = static_cast<DWORD>(d.bits.size());
    unsigned v = seed;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < bitCount / 8; ++c) {
                v = v * 1103515245u + 12345u;
                d.Seen(x, y, c) = static_cast<BYTE>(v >> 16);
            }
    return d;
}

TestDib TurnSeen(const TestDib& src, bool clockwise)
{
    const int w = src.Width();
    const int h = src.Rows();
    TestDib d;
    d.header = src.header;
    BITMAPINFOHEADER& dh = d.Header();
    dh.biWidth = h;
    dh.biHeight = src.Header().biHeight < 0 ? -w : w;
    d.bits.assign(d.RowBytes() * static_cast<size_t>(w), 0);
    dh.biSizeImage = static_cast<DWORD>(d.bits.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < src.BytesPerPixel(); ++c) {
                // Clockwise, the top row becomes the right column read downwards.
                if (clockwise) {
                    d.Seen(h - 1 - y, x, c) = src.Seen(x, y, c);
                } else {
                    d.Seen(y, w - 1 - x, c) = src.Seen(x, y, c);
                }
            }
    return d;
}

std::string ScratchDir()
{
    // Made once per test program and removed with what is left in it when the program ends.
    static const testsupport::TempFolder folder("imaging");
    return folder.Path();
}

std::string ScratchPath(const std::string& name)
{
    return ScratchDir() + "\\" + name;
}

bool WriteFileBytes(const std::string& path, const std::vector<BYTE>& bytes)
{
    return testsupport::WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
}

std::vector<BYTE> ReadFileBytes(const std::string& path)
{
    const std::string bytes = testsupport::ReadFileBytes(path);
    return std::vector<BYTE>(bytes.begin(), bytes.end());
}

std::string FixturePath(const std::string& name)
{
    return testsupport::ExeFolder() + "imaging_fixtures\\" + name;
}

ULONGLONG WallClock(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    return testsupport::FileTimeUnits(testsupport::CalendarFileTime(year, month, day, hour, minute, second));
}

}  // namespace imaging_test
