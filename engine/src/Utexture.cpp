#include "Utexture.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "UTxDiskApi.h"
#include "UTxLog.h"
#include "Udib.h"
#include "Uenvironment.h"
#include "Ujpegload.h"
#include "Upaintabledib.h"
#include "Uselection.h"

namespace {

constexpr int kTexturePathLimit = 500;
constexpr char kTextureMask[] = "texture???.bmp";
constexpr int kMaxBrightness = 765;  // blue + green + red
// The brightness sum stops growing before it could wrap.
constexpr uint32_t kSumLimit = 4294966295u;

// What LoadBmpFromFile hands out: one global block from the info header on, owned here, and the
// pixels inside it. It takes only plain 8- and 24-bit bitmaps whose pixels lie wholly in the block.
struct BmpFileBlock {
    GlobalBlock block;
    BITMAPINFO* header = nullptr;
    BYTE* pixels = nullptr;
};

size_t RowBytes(int width, WORD bitCount)
{
    return static_cast<size_t>(DibRowBytes(width, bitCount));
}

// A 24-bit copy of an 8-bit texture, in the same row order, each pixel its palette entry.
struct TrueColorTexture {
    std::vector<BYTE> headerBlock = std::vector<BYTE>(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    std::vector<BYTE> pixels;
    BITMAPINFO* header() { return reinterpret_cast<BITMAPINFO*>(headerBlock.data()); }
};

// False, nothing converted, when the copy would be larger than any DIB may be or finds no memory:
// the texture is then left out and the flat background stays.
bool ConvertToTrueColor(const BmpFileBlock& source, TrueColorTexture& target)
{
    const BITMAPINFOHEADER& info = source.header->bmiHeader;
    const int width = info.biWidth;
    const int height = info.biHeight < 0 ? -info.biHeight : info.biHeight;
    if (DibRowBytes(width, 24) * static_cast<ULONGLONG>(height) > kMaxDibPixelBytes) return false;
    FillDibHeader(target.header(), width, height, 24, info.biHeight < 0);
    const RGBQUAD* palette =
        reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(source.header) + info.biSize);
    const size_t sourceRow = RowBytes(width, 8);
    const size_t targetRow = RowBytes(width, 24);
    try {
        target.pixels.assign(targetRow * height, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int row = 0; row < height; ++row) {
        const BYTE* in = source.pixels + sourceRow * row;
        BYTE* out = target.pixels.data() + targetRow * row;
        for (int x = 0; x < width; ++x) {
            const RGBQUAD& entry = palette[in[x]];
            out[3 * x] = entry.rgbBlue;
            out[3 * x + 1] = entry.rgbGreen;
            out[3 * x + 2] = entry.rgbRed;
        }
    }
    return true;
}

int TintChannel(int channel, double factor)
{
    const double value = channel * factor;
    if (value > 255.0) return 255;
    if (value < 0.0) return 0;
    return static_cast<int>(value);
}

// The tinted texture repeated from the top-left corner over the whole canvas. Painting it tile by
// tile would take one drawing context per tile, hundreds of thousands for a tiny texture; a strip
// of whole tile rows across the canvas, at least kStripRows high, is painted instead.
constexpr int kStripRows = 128;

void PaintTiled(CPaintableDib& canvas, const BITMAPINFO* texture, const BYTE* pixels)
{
    const int width = texture->bmiHeader.biWidth;
    const bool topDown = texture->bmiHeader.biHeight < 0;
    const int height = topDown ? -texture->bmiHeader.biHeight : texture->bmiHeader.biHeight;
    const int canvasWidth = canvas.GetWidth();
    const int canvasHeight = canvas.GetHeight();
    if (canvasWidth < 1 || canvasHeight < 1) return;

    // Rows below the canvas never show: a texture taller than the canvas is cut to it, so the strip
    // stays within the canvas's size whatever the texture's.
    const int tileRows = (kStripRows + height - 1) / height;
    const int stripHeight = std::min(height * tileRows, canvasHeight);
    std::vector<BYTE> headerBlock(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    BITMAPINFO* header = reinterpret_cast<BITMAPINFO*>(headerBlock.data());
    FillDibHeader(header, canvasWidth, stripHeight, 24, true);
    const size_t textureRow = RowBytes(width, 24);
    const size_t stripRow = RowBytes(canvasWidth, 24);
    std::vector<BYTE> strip(stripRow * stripHeight, 0);

    for (int y = 0; y < stripHeight; ++y) {
        const int visibleRow = y % height;
        const BYTE* in = pixels + textureRow * (topDown ? visibleRow : height - 1 - visibleRow);
        BYTE* out = strip.data() + stripRow * y;
        for (int x = 0; x < canvasWidth; x += width) {
            const int count = canvasWidth - x < width ? canvasWidth - x : width;
            std::memcpy(out + 3 * static_cast<size_t>(x), in, 3 * static_cast<size_t>(count));
        }
    }
    for (int y = 0; y < canvasHeight; y += stripHeight)
        canvas.PaintDib(header, strip.data(), 0, y);
}

}  // namespace

double TextureStrength(DWORD textureMode)
{
    switch (textureMode) {
    case 0:
        return 0.0;
    case 1:
        return 0.2;
    case 3:
        return 0.5;
    default:
        return 0.3;
    }
}

bool GetRandomTextureFileName(const char* folder, char* out, int maxLength)
{
    if (out && maxLength > 0) out[0] = '\0';
    if (!folder || !*folder || !out || maxLength <= 0) return false;

    // One pass: a folder that changes between counting and choosing cannot move the choice.
    std::vector<std::string> names;
    TxFindFile search;
    for (bool found = search.FindFirst(folder, kTextureMask); found; found = search.FindNext()) {
        if (search.IsDirectory()) continue;
        TxString name;
        search.GetName(name);
        names.emplace_back(name.GetText());
    }
    LogF("Found texture files: %d", static_cast<int>(names.size()));
    if (names.empty()) return false;

    std::string path(folder);
    path += '\\';
    // A generator of its own, seeded from the clock: the C runtime's is shared with the host
    // program, and an Agent that just started would draw the same first texture at every log-on.
    CSelectionRandom random(ClockSeed());
    path += names[random.NextBelow(static_cast<unsigned>(names.size()))];
    if (path.size() + 1 > static_cast<size_t>(maxLength)) {
        LogF("GetRandomTextureFileName: Path too long = %s", path.c_str());
        return false;
    }
    LogF("Selected texture: %s", path.c_str());
    std::memcpy(out, path.c_str(), path.size() + 1);
    return true;
}

bool GetRandomTextureFileName(char* out, int maxLength)
{
    const std::string folder = DesktopEnvironment().GetTextureFolder();
    return GetRandomTextureFileName(folder.c_str(), out, maxLength);
}

void TintTexture(const BITMAPINFOHEADER& header, BYTE* pixels, double strength, COLORREF color)
{
    const int width = header.biWidth;
    const int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    if (width < 1 || height < 1 || !pixels) return;
    const size_t rowBytes = RowBytes(width, 24);

    uint32_t minimum = kMaxBrightness;
    uint32_t maximum = 0;
    uint32_t sum = 0;
    uint32_t count = 0;
    for (int row = 0; row < height; ++row) {
        const BYTE* p = pixels + rowBytes * row;
        for (int x = 0; x < width; ++x, p += 3) {
            const uint32_t v = uint32_t{p[0]} + p[1] + p[2];
            if (v < minimum) minimum = v;
            if (v > maximum) maximum = v;
            if (sum < kSumLimit) {
                sum += v;
                ++count;
            }
        }
    }
    const uint32_t range = maximum - minimum;
    const uint32_t mean = count ? sum / count : 0;
    const double m = (mean - 382.5) / kMaxBrightness;

    const int red = GetRValue(color);
    const int green = GetGValue(color);
    const int blue = GetBValue(color);
    for (int row = 0; row < height; ++row) {
        BYTE* p = pixels + rowBytes * row;
        for (int x = 0; x < width; ++x, p += 3) {
            uint32_t v = uint32_t{p[0]} + p[1] + p[2];
            if (range != 0) v = (v - minimum) * kMaxBrightness / range;
            const double l = (v - 382.5) / kMaxBrightness;
            const double factor = (l - m) * strength + 1.0;
            p[0] = static_cast<BYTE>(TintChannel(blue, factor));
            p[1] = static_cast<BYTE>(TintChannel(green, factor));
            p[2] = static_cast<BYTE>(TintChannel(red, factor));
        }
    }
}

void PaintTexture(DWORD textureMode, CPaintableDib* canvas, COLORREF color)
{
    const double strength = TextureStrength(textureMode);
    if (strength == 0.0 || !canvas) return;

    char path[kTexturePathLimit];
    if (!GetRandomTextureFileName(path, sizeof path)) return;

    BmpFileBlock file;
    void* data = nullptr;
    BITMAPINFOHEADER refused{};
    const bool loaded = LoadBmpFromFile(path, &file.header, &data, &refused);
    file.block.reset(static_cast<HGLOBAL>(file.header));
    file.pixels = static_cast<BYTE*>(data);
    if (!loaded && refused.biSize != 0) {
        // A bitmap, but not one of those textures are made of: what it describes is named.
        LogF("PaintTexture: Invalid bitmap parameters: iWidth=%d, iHeight=%d, biBitCount=%d",
             static_cast<int>(refused.biWidth), static_cast<int>(DibRowCount(refused.biHeight)),
             static_cast<int>(refused.biBitCount));
        return;
    }
    if (!loaded) {
        LogF("PaintTexture: Could nor read file %s", path);
        return;
    }
    const BITMAPINFOHEADER& info = file.header->bmiHeader;

    TrueColorTexture converted;
    BITMAPINFO* texture = file.header;
    BYTE* pixels = file.pixels;
    if (info.biBitCount == 8) {
        if (!ConvertToTrueColor(file, converted)) {
            LogF("PaintTexture: no room for a 24-bit copy of %s (%ld x %ld)", path,
                 static_cast<long>(info.biWidth), static_cast<long>(info.biHeight));
            return;
        }
        texture = converted.header();
        pixels = converted.pixels.data();
    }

    TintTexture(texture->bmiHeader, pixels, strength, color);
    PaintTiled(*canvas, texture, pixels);
}
