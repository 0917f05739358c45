#include "imaging_testutil.h"

#include <cstdio>

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
    // Made once per test program and removed when it ends (the tests delete their own files).
    struct Folder {
        std::string path;
        Folder()
        {
            char temp[MAX_PATH];
            ::GetTempPathA(MAX_PATH, temp);
            path = std::string(temp) + "kv_imaging_tests_" + std::to_string(::GetCurrentProcessId());
            ::CreateDirectoryA(path.c_str(), nullptr);
        }
        ~Folder() { ::RemoveDirectoryA(path.c_str()); }
    };
    static Folder folder;
    return folder.path;
}

std::string ScratchPath(const std::string& name)
{
    return ScratchDir() + "\\" + name;
}

bool WriteFileBytes(const std::string& path, const std::vector<BYTE>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

std::vector<BYTE> ReadFileBytes(const std::string& path)
{
    std::vector<BYTE> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    BYTE buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return bytes;
}

std::string FixturePath(const std::string& name)
{
    char module[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string dir(module, n);
    dir.erase(dir.find_last_of('\\') + 1);
    return dir + "imaging_fixtures\\" + name;
}

}  // namespace imaging_test
