// Background textures: which file is chosen, how it is tinted and tiled, which files are refused,
// and the textures the build puts beside the programs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "KvTestSupport.h"
#include "UTxLog.h"
#include "UTxUtils.h"
#include "Ujpegload.h"
#include "Upaintabledib.h"
#include "Utexture.h"
#include "composition_support.h"

using kvtest::Bgr;
using kvtest::TestDib;

namespace {

Bgr Rgb(int r, int g, int b)
{
    return Bgr{static_cast<BYTE>(b), static_cast<BYTE>(g), static_cast<BYTE>(r)};
}

TEST(CompositionTexture, StrengthOfEachMode)
{
    const struct {
        DWORD mode;
        double strength;
    } cases[] = {{0, 0.0}, {1, 0.2}, {2, 0.3}, {3, 0.5}, {4, 0.3}, {99, 0.3}, {0xFFFFFFFF, 0.3}};
    for (const auto& c : cases)
        EXPECT_EQ(TextureStrength(c.mode), c.strength) << c.mode;
}

TEST(CompositionTexture, ChoosesOnlyMatchingFiles)
{
    testsupport::TempFolder folder("textures");
    char path[500];

    EXPECT_FALSE(GetRandomTextureFileName((folder / "missing").c_str(), path, sizeof path));
    EXPECT_STREQ(path, "");
    EXPECT_FALSE(GetRandomTextureFileName(folder.Path().c_str(), path, sizeof path));

    // Neither a different name, nor a name of another length, nor a folder counts.
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / "other.bmp", "x"));
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / "texture1.bmp", "x"));
    ASSERT_TRUE(::CreateDirectoryA((folder / "texture002.bmp").c_str(), nullptr));
    EXPECT_FALSE(GetRandomTextureFileName(folder.Path().c_str(), path, sizeof path));

    ASSERT_TRUE(testsupport::WriteFileBytes(folder / "texture007.bmp", "x"));
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(GetRandomTextureFileName(folder.Path().c_str(), path, sizeof path));
        EXPECT_EQ(std::string(path), folder / "texture007.bmp");
    }

    // The path and its terminating zero must fit.
    const int length = static_cast<int>((folder / "texture007.bmp").size());
    EXPECT_TRUE(GetRandomTextureFileName(folder.Path().c_str(), path, length + 1));
    EXPECT_FALSE(GetRandomTextureFileName(folder.Path().c_str(), path, length));
    EXPECT_STREQ(path, "");
}

TEST(CompositionTexture, PicksAmongAllFiles)
{
    testsupport::TempFolder folder("textures");
    for (const char* name : {"texture001.bmp", "texture002.bmp", "texture003.bmp"})
        ASSERT_TRUE(testsupport::WriteFileBytes(folder / name, "x"));
    std::vector<std::string> seen;
    char path[500];
    for (int i = 0; i < 60; ++i) {
        ASSERT_TRUE(GetRandomTextureFileName(folder.Path().c_str(), path, sizeof path));
        if (std::find(seen.begin(), seen.end(), path) == seen.end()) seen.emplace_back(path);
    }
    EXPECT_EQ(seen.size(), 3u);
}

// The C runtime's generator starts alike in every new thread, and so in every Agent started at
// log-on: the first choice of each fresh thread must still vary.
TEST(CompositionTexture, TheFirstChoiceOfEachNewThreadVaries)
{
    testsupport::TempFolder folder("textures");
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(testsupport::WriteFileBytes(folder / ("texture00" + std::to_string(i) + ".bmp"), "x"));
    std::set<std::string> firstChoices;
    for (int i = 0; i < 8; ++i) {
        std::string chosen;
        std::thread([&] {
            char path[500] = {};
            if (GetRandomTextureFileName(folder.Path().c_str(), path, sizeof path)) chosen = path;
        }).join();
        ASSERT_FALSE(chosen.empty());
        firstChoices.insert(chosen);
    }
    EXPECT_GT(firstChoices.size(), 1u);
}

// A canvas cleared to the colour, then painted with the one texture in a folder.
class TextureCanvas {
public:
    TextureCanvas(int width, int height, COLORREF color)
        : m_Environment(width, height, RECT{0, 0, width, height})
    {
        m_Environment.SetTextureFolder(m_Folder.Path());
        m_pCanvas = std::make_unique<CPaintableDib>(width, height);
        EXPECT_TRUE(m_pCanvas->CreateCanvas());
        m_pCanvas->Clear(color);
    }
    void Place(const std::string& bytes) { ASSERT_TRUE(testsupport::WriteFileBytes(TexturePath(), bytes)); }
    std::string TexturePath() const { return m_Folder / "texture001.bmp"; }
    void Paint(DWORD mode, COLORREF color)
    {
        const CDesktopEnvironmentOverride use(m_Environment);
        PaintTexture(mode, m_pCanvas.get(), color);
    }
    Bgr At(int x, int y) const
    {
        const BYTE* bits = static_cast<const BYTE*>(m_pCanvas->GetBits());
        const size_t row = (3 * static_cast<size_t>(m_pCanvas->GetWidth()) + 3) / 4 * 4;
        const BYTE* p = bits + row * y + 3 * static_cast<size_t>(x);
        return Bgr{p[0], p[1], p[2]};
    }
    bool AllEqual(Bgr c) const
    {
        for (int y = 0; y < m_pCanvas->GetHeight(); ++y)
            for (int x = 0; x < m_pCanvas->GetWidth(); ++x)
                if (At(x, y) != c) return false;
        return true;
    }

private:
    testsupport::TempFolder m_Folder{"textures"};
    kvtest::FixedEnvironment m_Environment;
    std::unique_ptr<CPaintableDib> m_pCanvas;
};

TEST(CompositionTexture, TintsAndTilesFromTheTopLeft)
{
    const COLORREF color = RGB(120, 80, 40);
    const struct {
        const char* name;
        TestDib texture;
        DWORD mode;
        double strength;
        // clang-format off
    } cases[] = {
        {"8 bits, bottom-up, odd width", TestDib::Indexed(5, 3, false, [](int i) { return Rgb(i * 5, i * 11, i * 17); },
                                                           [](int x, int y) { return static_cast<BYTE>(y * 5 + x); }),
         2, 0.3},
        {"24 bits, top-down", TestDib::TrueColor(4, 3, true, [](int x, int y) { return Rgb(x * 60, y * 90, 30 + x * y); }),
         1, 0.2},
        {"24 bits, bottom-up, strong", TestDib::TrueColor(3, 2, false, [](int x, int y) { return Rgb(200 - x * 70, y * 200, 90); }),
         3, 0.5},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TextureCanvas canvas(11, 7, color);
        canvas.Place(kvtest::BmpFileBytes(c.texture));
        canvas.Paint(c.mode, color);
        const std::vector<Bgr> tinted = kvtest::TintedTexture(c.texture, c.strength, color);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 11; ++x) {
                const Bgr expected =
                    tinted[(y % c.texture.Height()) * c.texture.Width() + x % c.texture.Width()];
                ASSERT_EQ(kvtest::ToText(canvas.At(x, y)), kvtest::ToText(expected)) << x << "," << y;
            }
    }
}

TEST(CompositionTexture, UniformTextureGivesTheColourItself)
{
    const COLORREF color = RGB(13, 170, 250);
    TextureCanvas canvas(9, 5, RGB(0, 0, 0));
    canvas.Place(
        kvtest::BmpFileBytes(TestDib::TrueColor(4, 4, false, [](int, int) { return Rgb(77, 77, 77); })));
    canvas.Paint(2, color);
    EXPECT_TRUE(canvas.AllEqual(kvtest::FromColorRef(color)));
}

TEST(CompositionTexture, ATinyTextureCoversAWholeDesktop)
{
    const COLORREF color = RGB(200, 10, 99);
    TextureCanvas canvas(1920, 1080, RGB(0, 0, 0));
    canvas.Place(
        kvtest::BmpFileBytes(TestDib::TrueColor(1, 1, false, [](int, int) { return Rgb(5, 6, 7); })));
    const DWORD start = ::GetTickCount();
    canvas.Paint(3, color);
    EXPECT_LT(::GetTickCount() - start, testsupport::ScaledMs(2000));
    EXPECT_TRUE(canvas.AllEqual(kvtest::FromColorRef(color)));
}

TEST(CompositionTexture, LargerThanTheCanvasIsCut)
{
    const COLORREF color = RGB(100, 100, 100);
    const TestDib texture =
        TestDib::TrueColor(20, 12, true, [](int x, int y) { return Rgb(x * 12, y * 20, 5); });
    TextureCanvas canvas(7, 5, RGB(0, 0, 0));
    canvas.Place(kvtest::BmpFileBytes(texture));
    canvas.Paint(2, color);
    const std::vector<Bgr> tinted = kvtest::TintedTexture(texture, 0.3, color);
    EXPECT_EQ(canvas.At(0, 0), tinted[0]);
    EXPECT_EQ(canvas.At(6, 4), tinted[4 * 20 + 6]);
}

// A narrow texture much taller than the canvas: only the rows that show are laid out, so the
// strip stays the canvas's size instead of canvas width x texture height (gigabytes here).
TEST(CompositionTexture, ATallNarrowTextureIsCutToTheCanvas)
{
    const COLORREF color = RGB(100, 100, 100);
    const int rows = 40000;
    const TestDib texture = TestDib::TrueColor(1, rows, true, [](int, int y) { return Rgb(y % 256, 7, 9); });
    TextureCanvas canvas(30000, 10, RGB(0, 0, 0));
    canvas.Place(kvtest::BmpFileBytes(texture));
    ASSERT_NO_THROW(canvas.Paint(2, color));
    const std::vector<Bgr> tinted = kvtest::TintedTexture(texture, 0.3, color);
    for (int y = 0; y < 10; ++y) {
        EXPECT_EQ(canvas.At(0, y), tinted[y]) << y;
        EXPECT_EQ(canvas.At(29999, y), tinted[y]) << y;
    }
}

std::string Patched(std::string bytes, size_t at, const std::string& with)
{
    bytes.replace(at, with.size(), with);
    return bytes;
}

TEST(CompositionTexture, RefusedFilesLeaveTheFlatBackground)
{
    const COLORREF color = RGB(50, 60, 70);
    const std::string good =
        kvtest::BmpFileBytes(TestDib::TrueColor(6, 4, false, [](int x, int y) { return Rgb(x * 40, y, 9); }));
    const std::string indexed = kvtest::BmpFileBytes(TestDib::Indexed(
        6, 4, false, [](int i) { return Rgb(i, i, i); }, [](int x, int) { return static_cast<BYTE>(x); }));
    const std::string unreadable = "PaintTexture: Could nor read file ";
    const std::string invalid = "PaintTexture: Invalid bitmap parameters: ";
    const struct {
        const char* name;
        std::string bytes;
        std::string logLine;  // a bitmap header that is refused is named, with what it describes
        // clang-format off
    } cases[] = {
        {"not a bitmap", "hello, this is no bitmap at all, just some text to fill the file up", unreadable},
        {"cut short", good.substr(0, good.size() - 10), unreadable},
        {"palette cut short", indexed.substr(0, 54 + 200), unreadable},
        {"4 bits", Patched(good, 28, std::string("\x04\x00", 2)), invalid + "iWidth=6, iHeight=4, biBitCount=4"},
        {"32 bits", Patched(good, 28, std::string("\x20\x00", 2)), invalid + "iWidth=6, iHeight=4, biBitCount=32"},
        {"run-length compressed", Patched(good, 30, std::string("\x01\x00\x00\x00", 4)),
         invalid + "iWidth=6, iHeight=4, biBitCount=24"},
        {"no rows", Patched(good, 22, std::string("\x00\x00\x00\x00", 4)), invalid + "iWidth=6, iHeight=0, biBitCount=24"},
        {"height beyond the pixels", Patched(good, 22, std::string("\x40\x00\x00\x00", 4)),
         invalid + "iWidth=6, iHeight=64, biBitCount=24"},
        {"width beyond the pixels", Patched(good, 18, std::string("\x00\x01\x00\x00", 4)),
         invalid + "iWidth=256, iHeight=4, biBitCount=24"},
        {"file size below the header", Patched(good, 2, std::string("\x05\x00\x00\x00", 4)), unreadable},
    };
    // clang-format on
    testsupport::TempFolder logFolder("texturelog");
    const std::string logPath = logFolder / "paint.log";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TextureCanvas canvas(9, 5, color);
        canvas.Place(c.bytes);
        ASSERT_TRUE(g_Log.OpenFile(logPath.c_str()));
        canvas.Paint(2, color);
        g_Log.CloseFile();
        EXPECT_TRUE(canvas.AllEqual(kvtest::FromColorRef(color)));
        const std::string log = testsupport::ReadFileBytes(logPath);
        EXPECT_NE(log.find(c.logLine), std::string::npos) << log;
        ::DeleteFileA(logPath.c_str());
    }
}

// An 8-bit texture whose 24-bit copy would be larger than any DIB may be: the file is valid and
// loads, the copy is refused before it is allocated, and the flat background stays.
TEST(CompositionTexture, AnIndexedTextureTooLargeToCopyLeavesTheFlatBackground)
{
    const LONG width = 16000;
    const LONG height = 11300;  // 181 MB of indices, 542 MB as 24 bits
    const DWORD pixelOffset = 14 + 40 + 256 * 4;
    const DWORD fileSize = pixelOffset + static_cast<DWORD>(width) * static_cast<DWORD>(height);
    std::string start(pixelOffset, '\0');
    start.reserve(pixelOffset + 5 * static_cast<size_t>(width));
    auto put32 = [&start](size_t at, DWORD value) { std::memcpy(&start[at], &value, 4); };
    start[0] = 'B';
    start[1] = 'M';
    put32(2, fileSize);
    put32(10, pixelOffset);
    put32(14, 40);
    put32(18, static_cast<DWORD>(width));
    put32(22, static_cast<DWORD>(-height));  // top-down: the rows that would show come first
    put32(26, 1 | (8 << 16));                // one plane, 8 bits
    put32(54, 0x00FFFFFF);                   // palette: 0 white, 1 black
    // A striped top-left corner, so that a painted texture would show on the canvas.
    for (LONG row = 0; row < 5; ++row) {
        for (LONG x = 0; x < 9; ++x)
            start.push_back(x % 2 ? 1 : 0);
        start.append(static_cast<size_t>(width) - 9, '\0');
    }

    const COLORREF color = RGB(50, 60, 70);
    TextureCanvas canvas(9, 5, color);
    canvas.Place(start);
    {
        // The rest of the rows are zeros: the file is extended, not written.
        const std::string path = canvas.TexturePath();
        const FileHandle file(
            ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file);
        LARGE_INTEGER end{};
        end.QuadPart = fileSize;
        ASSERT_TRUE(::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN));
        ASSERT_TRUE(::SetEndOfFile(file.get()));
    }
    canvas.Paint(2, color);
    EXPECT_TRUE(canvas.AllEqual(kvtest::FromColorRef(color)));
}

TEST(CompositionTexture, ModeZeroAndNoFolderLeaveTheCanvas)
{
    const COLORREF color = RGB(1, 2, 3);
    TextureCanvas canvas(5, 5, color);
    canvas.Place(
        kvtest::BmpFileBytes(TestDib::TrueColor(2, 2, false, [](int x, int) { return Rgb(x * 200, 0, 0); })));
    canvas.Paint(0, RGB(200, 100, 50));
    EXPECT_TRUE(canvas.AllEqual(kvtest::FromColorRef(color)));

    CPaintableDib plain(5, 5);
    ASSERT_TRUE(plain.CreateCanvas());
    plain.Clear(color);
    kvtest::FixedEnvironment environment(5, 5, RECT{0, 0, 5, 5});
    environment.SetTextureFolder("C:\\no\\such\\folder");
    const CDesktopEnvironmentOverride use(environment);
    PaintTexture(2, &plain, RGB(200, 100, 50));
    const BYTE* bits = static_cast<const BYTE*>(plain.GetBits());
    EXPECT_EQ((Bgr{bits[0], bits[1], bits[2]}), kvtest::FromColorRef(color));
}

// How different two columns (or two rows) are, on average over the other direction and channels.
struct Steps {
    const BITMAPINFO* info;
    const BYTE* bits;
    int Width() const { return info->bmiHeader.biWidth; }
    int Height() const { return std::abs(info->bmiHeader.biHeight); }
    int Bytes() const { return info->bmiHeader.biBitCount / 8; }
    size_t Row() const { return (static_cast<size_t>(Width()) * Bytes() + 3) / 4 * 4; }
    int At(int x, int y, int k) const { return bits[Row() * y + static_cast<size_t>(x) * Bytes() + k]; }
    double Columns(int a, int b) const
    {
        double total = 0;
        for (int y = 0; y < Height(); ++y)
            for (int k = 0; k < Bytes(); ++k)
                total += std::abs(At(a, y, k) - At(b, y, k));
        return total / (static_cast<double>(Height()) * Bytes());
    }
    double Rows(int a, int b) const
    {
        double total = 0;
        for (int x = 0; x < Width(); ++x)
            for (int k = 0; k < Bytes(); ++k)
                total += std::abs(At(x, a, k) - At(x, b, k));
        return total / (static_cast<double>(Width()) * Bytes());
    }
};

TEST(CompositionTexture, ShippedTexturesLieBesideTheProgram)
{
    const std::string folder = testsupport::ExeFolder() + "Textures";
    WIN32_FIND_DATAA found;
    const HANDLE search = ::FindFirstFileA((folder + "\\texture???.bmp").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << folder;
    std::vector<std::string> names;
    do
        names.emplace_back(found.cFileName);
    while (::FindNextFileA(search, &found));
    ::FindClose(search);
    EXPECT_GE(names.size(), 3u);

    bool eightBits = false, trueColor = false;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        BITMAPINFO* info = nullptr;
        void* bits = nullptr;
        ASSERT_TRUE(LoadBmpFromFile((folder + "\\" + name).c_str(), &info, &bits));
        const int width = info->bmiHeader.biWidth;
        const int height = std::abs(info->bmiHeader.biHeight);
        EXPECT_GE(width, 32);
        EXPECT_GE(height, 32);
        eightBits |= info->bmiHeader.biBitCount == 8;
        trueColor |= info->bmiHeader.biBitCount == 24;
        // Tileable: where copies meet (last column against the first, last row against the first)
        // the texture is no rougher than anywhere between its own neighbouring columns and rows.
        const Steps steps{info, static_cast<const BYTE*>(bits)};
        double columns = 0, rows = 0;
        for (int x = 0; x + 1 < width; ++x)
            columns = std::max(columns, steps.Columns(x, x + 1));
        for (int y = 0; y + 1 < height; ++y)
            rows = std::max(rows, steps.Rows(y, y + 1));
        EXPECT_LE(steps.Columns(width - 1, 0), columns);
        EXPECT_LE(steps.Rows(height - 1, 0), rows);
        ::GlobalFree(info);
    }
    EXPECT_TRUE(eightBits);
    EXPECT_TRUE(trueColor);
}

}  // namespace
