// The desktop bitmap, byte for byte: a table of layouts composed from synthetic images at a small
// injected screen (text off, a fixed average colour), each checked three ways: against a picture
// built here from the layout worked out by hand, against hand-placed pixel probes, and against the
// golden file frozen from a verified run (KV_UPDATE_GOLDEN=1 rewrites the goldens after both other
// checks passed).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "Fprogress.h"
#include "KvTestSupport.h"
#include "Ucompose.h"
#include "Udesktop.h"
#include "Usync.h"
#include "Wcommon.h"
#include "composition_support.h"

using kvtest::Bgr;
using kvtest::FromColorRef;
using kvtest::TestDib;
using kvtest::TintedTexture;

namespace {

Bgr Rgb(int r, int g, int b)
{
    return Bgr{static_cast<BYTE>(b), static_cast<BYTE>(g), static_cast<BYTE>(r)};
}

// Source pictures whose every pixel differs from its neighbours, so a shifted or repeated row or
// column shows.
Bgr PatternA(int x, int y)
{
    return Rgb((x * 37 + y * 11) & 255, (x * 13 + y * 29 + 7) & 255, (x * y * 7 + 50) & 255);
}
Bgr PatternB(int x, int y)
{
    return Rgb((x * 5 + y * 60) & 255, (255 - x * 9) & 255, (y * 17 + x * 3) & 255);
}
Bgr Palette(int i)
{
    return Rgb(i, 255 - i, (i * 3) & 255);
}
BYTE Indices(int x, int y)
{
    return static_cast<BYTE>((x * 7 + y * 13 + 1) & 255);
}

// The 5 x 3 texture of the texture row: 8 bits, bottom-up, brightness i * 33 for index i.
Bgr TexturePalette(int i)
{
    return Rgb(i * 5, i * 11, i * 17);
}
BYTE TextureIndex(int x, int y)
{
    return static_cast<BYTE>(y * 5 + x);
}

struct Probe {
    int x, y;
    Bgr color;
};

constexpr RECT kNoFrame = {0, 0, -1, -1};

// One row of the table; a field left out keeps the value shown here.
struct Layout {
    const char* name;
    int screenWidth, screenHeight;
    RECT work;
    // \Display settings that matter here.
    bool useMargins = false;
    DWORD marginLeft = 0, marginRight = 0, marginTop = 0, marginBottom = 0;
    bool frame = false, shrinkOnly = false;
    DWORD fitType = 0, maxAspectRatioDiff = 15;
    bool interpolation = false;
    DWORD textures = 0;
    TestDib (*source)() = nullptr;
    COLORREF average = 0;
    // Worked out by hand from the rules: the new size, where the image's top-left lands, how much
    // is cut from each side, and the rectangle the frame goes round (none when right < left).
    int newWidth = 0, newHeight = 0, x = 0, y = 0, cutX = 0, cutY = 0;
    RECT frameAround = kNoFrame;
    std::vector<Probe> probes;
};

TestDib SourceA()
{
    return TestDib::TrueColor(63, 48, false, PatternA);
}
TestDib SourceB()
{
    return TestDib::Indexed(21, 15, true, Palette, Indices);
}
TestDib SourceC()
{
    return TestDib::TrueColor(30, 10, true, PatternB);
}
TestDib SourceD()
{
    return TestDib::TrueColor(40, 30, false, PatternA);
}
TestDib SourceE()
{
    return TestDib::TrueColor(48, 30, false, PatternB);
}
TestDib SourceF()
{
    return TestDib::Indexed(40, 27, true, Palette, Indices);
}
TestDib SourceG()
{
    return TestDib::TrueColor(30, 30, false, PatternA);
}
TestDib SourceH()
{
    return TestDib::TrueColor(9, 7, true, PatternB);
}
TestDib SourceI()
{
    return TestDib::TrueColor(10, 10, false, [](int, int) { return Rgb(70, 80, 90); });
}

// Nearest neighbour in memory order, as the resampler works: output row r of memory takes source
// row H * r / h, column c takes W * c / w; the row order stays.
Bgr Resampled(const TestDib& src, int newWidth, int newHeight, int x, int y)
{
    if (newWidth == src.Width() && newHeight == src.Height()) return src.At(x, y);
    const int memoryRow = src.TopDown() ? y : newHeight - 1 - y;
    const int sourceMemoryRow = src.Height() * memoryRow / newHeight;
    const int sourceRow = src.TopDown() ? sourceMemoryRow : src.Height() - 1 - sourceMemoryRow;
    return src.At(src.Width() * x / newWidth, sourceRow);
}

TestDib FixtureTexture()
{
    return TestDib::Indexed(5, 3, false, TexturePalette, TextureIndex);
}

class Picture {
public:
    Picture(int width, int height, Bgr fill)
        : m_iWidth(width), m_iHeight(height), m_Pixels(width * height, fill)
    {
    }
    void Set(int x, int y, Bgr c)
    {
        if (x >= 0 && y >= 0 && x < m_iWidth && y < m_iHeight)
            m_Pixels[static_cast<size_t>(y) * m_iWidth + x] = c;
    }
    Bgr At(int x, int y) const { return m_Pixels[static_cast<size_t>(y) * m_iWidth + x]; }
    int Width() const { return m_iWidth; }
    int Height() const { return m_iHeight; }

private:
    int m_iWidth, m_iHeight;
    std::vector<Bgr> m_Pixels;
};

// One-pixel lines drawn without their end points: left edge from the bottom up and the top edge
// in the light pen, right edge from the top down and the bottom edge in the dark pen.
void ExpectedFrame(Picture& picture, RECT r, COLORREF average)
{
    r = RECT{r.left - 5, r.top - 5, r.right + 5, r.bottom + 5};
    for (int j = -2; j <= 2; ++j) {
        const Bgr light = FromColorRef(ScaleColor(average, -10 * j));
        const Bgr dark = FromColorRef(ScaleColor(average, 10 * j));
        for (int y = r.top + 1; y <= r.bottom; ++y)
            picture.Set(r.left, y, light);
        for (int x = r.left; x < r.right; ++x)
            picture.Set(x, r.top, light);
        for (int y = r.top; y < r.bottom; ++y)
            picture.Set(r.right, y, dark);
        for (int x = r.left + 1; x <= r.right; ++x)
            picture.Set(x, r.bottom, dark);
        r = RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    }
}

Picture ExpectedPicture(const Layout& layout)
{
    Picture picture(layout.screenWidth, layout.screenHeight, FromColorRef(layout.average));
    if (layout.textures) {
        const TestDib texture = FixtureTexture();
        const std::vector<Bgr> tinted = TintedTexture(texture, 0.3, layout.average);
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < picture.Width(); ++x)
                picture.Set(x, y, tinted[(y % texture.Height()) * texture.Width() + x % texture.Width()]);
    }
    const TestDib source = layout.source();
    for (int y = layout.cutY; y < layout.newHeight - layout.cutY; ++y)
        for (int x = layout.cutX; x < layout.newWidth - layout.cutX; ++x)
            picture.Set(layout.x + x, layout.y + y,
                        Resampled(source, layout.newWidth, layout.newHeight, x, y));
    if (layout.frameAround.right >= layout.frameAround.left)
        ExpectedFrame(picture, layout.frameAround, layout.average);
    return picture;
}

Bgr Src(TestDib (*source)(), int x, int y)
{
    return source().At(x, y);
}
Bgr Resized(TestDib (*source)(), int w, int h, int x, int y)
{
    return Resampled(source(), w, h, x, y);
}

constexpr COLORREF kAvgB = RGB(100, 150, 200);
constexpr COLORREF kAvgE = RGB(90, 160, 40);

// clang-format off
const std::vector<Layout>& Layouts()
{
    static const std::vector<Layout> layouts = {
        {.name = "no_resampling", .screenWidth = 63, .screenHeight = 48, .work = {0, 0, 63, 48},
         .source = SourceA, .average = RGB(10, 20, 30), .newWidth = 63, .newHeight = 48,
         .probes = {{0, 0, Src(SourceA, 0, 0)}, {62, 47, Src(SourceA, 62, 47)}, {31, 20, Src(SourceA, 31, 20)}}},
        // Target 41 x 28 at (11, 10); the 21 x 15 image keeps its size, centred at (21, 16).
        {.name = "shrink_only_centred_frame", .screenWidth = 63, .screenHeight = 48, .work = {0, 0, 63, 48},
         .useMargins = true, .marginLeft = 6, .marginRight = 6, .marginTop = 5, .marginBottom = 5,
         .frame = true, .shrinkOnly = true, .source = SourceB, .average = kAvgB,
         .newWidth = 21, .newHeight = 15, .x = 21, .y = 16, .frameAround = {21, 16, 41, 30},
         .probes = {{0, 0, FromColorRef(kAvgB)},
                    {16, 11, Rgb(120, 180, 240)},   // outer ring, top-left corner: light pen +20 %
                    {46, 11, Rgb(80, 120, 160)},    // outer ring, top-right corner: dark pen -20 %
                    {46, 35, Rgb(80, 120, 160)},
                    {16, 35, Rgb(120, 180, 240)},   // bottom-left corner belongs to the left edge
                    {25, 12, Rgb(110, 165, 220)},   // second ring, top: +10 %
                    {25, 13, FromColorRef(kAvgB)},  // middle ring: the colour itself
                    {25, 15, Rgb(80, 120, 160)},    // inner ring, top: -20 %
                    {25, 31, Rgb(120, 180, 240)},   // inner ring, bottom: +20 %
                    {21, 16, Src(SourceB, 0, 0)},
                    {41, 30, Src(SourceB, 20, 14)}}},
        // Task bar at the bottom: work area 64 x 40. 30 x 10 is 3:1, so the height becomes 64 / 3.
        {.name = "fit_keep_aspect_taskbar_bottom", .screenWidth = 64, .screenHeight = 48, .work = {0, 0, 64, 40},
         .source = SourceC, .average = RGB(60, 60, 60), .newWidth = 64, .newHeight = 21, .x = 0, .y = 9,
         .probes = {{0, 8, Rgb(60, 60, 60)},
                    {0, 9, Src(SourceC, 0, 0)},
                    {63, 29, Src(SourceC, 29, 9)},
                    {0, 30, Rgb(60, 60, 60)},
                    {10, 44, Rgb(60, 60, 60)}}},
        // Task bar on the left (work x 7..62), margins 3/3/2/2: target 50 x 44 at (10, 2). The image
        // scaled to the target height is 58 wide, 16 % more (< 20 %): clipped, 4 columns cut each side.
        {.name = "clip_width_margins_taskbar_left", .screenWidth = 63, .screenHeight = 48, .work = {7, 0, 63, 48},
         .useMargins = true, .marginLeft = 3, .marginRight = 3, .marginTop = 2, .marginBottom = 2,
         .fitType = 1, .maxAspectRatioDiff = 20, .source = SourceD, .average = RGB(200, 100, 50),
         .newWidth = 58, .newHeight = 44, .x = 6, .y = 2, .cutX = 4,
         .probes = {{9, 10, Rgb(200, 100, 50)},
                    {10, 2, Src(SourceD, 2, 0)},
                    {59, 45, Src(SourceD, 36, 29)},
                    {60, 2, Rgb(200, 100, 50)},
                    {3, 20, Rgb(200, 100, 50)}}},
        // Task bar at the top (work y 6..47), margins 2/2/3/3 and a frame: target 50 x 26 at (7, 14).
        // Scaled to the width the image is 31 high, 19 % more: clipped, 2 rows cut each side, so its
        // visible rows 2..28 start at the target's top; the frame's inner ring covers row 40.
        {.name = "clip_height_margins_frame_taskbar_top", .screenWidth = 64, .screenHeight = 48,
         .work = {0, 6, 64, 48}, .useMargins = true, .marginLeft = 2, .marginRight = 2, .marginTop = 3,
         .marginBottom = 3, .frame = true, .fitType = 1, .maxAspectRatioDiff = 20, .source = SourceE,
         .average = kAvgE, .newWidth = 50, .newHeight = 31, .x = 7, .y = 12, .cutY = 2,
         .frameAround = {7, 14, 56, 39},
         .probes = {{0, 3, FromColorRef(kAvgE)},
                    {7, 14, Resized(SourceE, 50, 31, 0, 2)},
                    {56, 39, Resized(SourceE, 50, 31, 49, 27)},
                    {2, 9, Rgb(108, 192, 48)},
                    {7, 13, Rgb(72, 128, 32)},
                    {30, 40, Rgb(108, 192, 48)}}},
        // 40 x 27 on 63 x 48 differs by 12.9 % (< 15 %): stretched to fill.
        {.name = "stretch_fills", .screenWidth = 63, .screenHeight = 48, .work = {0, 0, 63, 48}, .fitType = 2,
         .source = SourceF, .average = RGB(30, 30, 30), .newWidth = 63, .newHeight = 48,
         .probes = {{0, 0, Src(SourceF, 0, 0)}, {62, 47, Src(SourceF, 39, 26)}}},
        // A square differs by 23.8 % (> 15 %): it keeps its shape, 48 x 48 centred.
        {.name = "stretch_too_far_adapts_width", .screenWidth = 63, .screenHeight = 48, .work = {0, 0, 63, 48},
         .fitType = 2, .source = SourceG, .average = RGB(5, 200, 5), .newWidth = 48, .newHeight = 48, .x = 7,
         .probes = {{6, 0, Rgb(5, 200, 5)},
                    {7, 0, Src(SourceG, 0, 0)},
                    {54, 47, Resized(SourceG, 48, 48, 47, 47)},
                    {55, 10, Rgb(5, 200, 5)}}},
        {.name = "texture_background", .screenWidth = 63, .screenHeight = 48, .work = {0, 0, 63, 48},
         .shrinkOnly = true, .textures = 2, .source = SourceH, .average = RGB(120, 80, 40), .newWidth = 9,
         .newHeight = 7, .x = 27, .y = 20,
         .probes = {{0, 0, TintedTexture(FixtureTexture(), 0.3, RGB(120, 80, 40))[0]},
                    {5, 3, TintedTexture(FixtureTexture(), 0.3, RGB(120, 80, 40))[0]},
                    {62, 47, TintedTexture(FixtureTexture(), 0.3, RGB(120, 80, 40))[2 * 5 + 2]},
                    {27, 20, Src(SourceH, 0, 0)}}},
        // Interpolation of a single colour gives that colour: exact whatever the rounding.
        {.name = "interpolated_uniform", .screenWidth = 63, .screenHeight = 48, .work = {0, 0, 63, 48},
         .interpolation = true, .source = SourceI, .average = RGB(1, 2, 3), .newWidth = 48, .newHeight = 48,
         .x = 7,
         .probes = {{6, 0, Rgb(1, 2, 3)}, {7, 0, Rgb(70, 80, 90)}, {54, 47, Rgb(70, 80, 90)}, {55, 0, Rgb(1, 2, 3)}}},
    };
    return layouts;
}
// clang-format on

RegistryRecord SettingsFor(const Layout& layout, const std::string& workBmp)
{
    RegistryRecord record = {};
    SetRegistryDefaults(nullptr, &record, false, false);
    DisplaySettings& d = record.Display;
    d.bUseMargins = layout.useMargins;
    d.dwMarginLeft = layout.marginLeft;
    d.dwMarginRight = layout.marginRight;
    d.dwMarginTop = layout.marginTop;
    d.dwMarginBottom = layout.marginBottom;
    d.bFrame = layout.frame;
    d.bShrinkOnly = layout.shrinkOnly;
    d.dwFitType = layout.fitType;
    d.dwMaxAspectRatioDiff = layout.maxAspectRatioDiff;
    d.bInterpolation = layout.interpolation;
    d.dwTextures = layout.textures;
    d.bShowFileName = 0;
    record.Calendar.bShow = 0;
    lstrcpynA(record.Files.szWorkBmpFile, workBmp.c_str(), sizeof record.Files.szWorkBmpFile);
    return record;
}

std::string GoldenPath(const char* name)
{
    return kvtest::SourceFolder(KV_ENGINE_TESTS_DIR) + "golden\\" + name + ".bmp";
}

class CompositionGolden : public ::testing::Test {
protected:
    testsupport::TempFolder m_Folder{"compose"};
    testsupport::TempFolder m_Textures{"textures"};

    void SetUp() override
    {
        ASSERT_TRUE(testsupport::WriteFileBytes(m_Textures / "texture001.bmp",
                                                kvtest::BmpFileBytes(FixtureTexture())));
    }

    std::string Compose(const Layout& layout, bool* ok)
    {
        kvtest::FixedEnvironment environment(layout.screenWidth, layout.screenHeight, layout.work);
        environment.SetTextureFolder(m_Textures.Path());
        const CDesktopEnvironmentOverride use(environment);
        const std::string target = m_Folder / (std::string(layout.name) + ".bmp");
        const RegistryRecord settings = SettingsFor(layout, target);
        const TestDib source = layout.source();
        COLORREF average = layout.average;
        *ok = ComposeBackgroundBitmapFromDib(settings, source.Info(), source.Bits(), "C:\\Pictures\\x.jpg",
                                             "x.jpg", "1.1.2025", &average);
        return testsupport::ReadFileBytes(target);
    }
};

TEST_F(CompositionGolden, LayoutsMatchTheRulesTheProbesAndTheGoldens)
{
    const bool update = std::getenv("KV_UPDATE_GOLDEN") != nullptr;
    for (const Layout& layout : Layouts()) {
        SCOPED_TRACE(layout.name);
        bool ok = false;
        const std::string bytes = Compose(layout, &ok);
        ASSERT_TRUE(ok);

        // The file's own layout: 14 + 40 header bytes, bottom-up padded rows, 9600 pixels per metre.
        const kvtest::BmpImage image = kvtest::ParseBmp(bytes);
        ASSERT_TRUE(image.ok) << image.error;
        const uint32_t rowBytes = (3 * layout.screenWidth + 3) / 4 * 4;
        EXPECT_EQ(image.fileSize, 54 + rowBytes * layout.screenHeight);
        EXPECT_EQ(bytes.size(), image.fileSize);
        EXPECT_EQ(image.pixelOffset, 54u);
        EXPECT_EQ(image.info.biSize, 40u);
        EXPECT_EQ(image.width, layout.screenWidth);
        EXPECT_EQ(image.height, layout.screenHeight);
        EXPECT_EQ(image.info.biSizeImage, rowBytes * layout.screenHeight);
        EXPECT_EQ(image.info.biXPelsPerMeter, 9600);
        EXPECT_EQ(image.info.biYPelsPerMeter, 9600);
        EXPECT_TRUE(image.paddingZero);

        for (const Probe& probe : layout.probes)
            EXPECT_EQ(kvtest::ToText(image.At(probe.x, probe.y)), kvtest::ToText(probe.color))
                << "probe at " << probe.x << "," << probe.y;

        const Picture expected = ExpectedPicture(layout);
        int differences = 0;
        std::string first;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                if (image.At(x, y) != expected.At(x, y) && differences++ == 0)
                    first = std::to_string(x) + "," + std::to_string(y) + ": " +
                            kvtest::ToText(image.At(x, y)) + " instead of " +
                            kvtest::ToText(expected.At(x, y));
        EXPECT_EQ(differences, 0) << "first difference at " << first;

        const std::string golden = GoldenPath(layout.name);
        if (update && differences == 0 && !::testing::Test::HasFailure()) {
            ASSERT_TRUE(testsupport::WriteFileBytes(golden, bytes)) << golden;
        } else {
            bool read = false;
            const std::string frozen = testsupport::ReadFileBytes(golden, &read);
            ASSERT_TRUE(read) << "missing golden " << golden;
            EXPECT_TRUE(frozen == bytes) << "differs from " << golden;
        }
    }
}

TEST_F(CompositionGolden, ComputesTheAverageColourWhenItIsUnknown)
{
    const Layout& layout = Layouts()[1];  // shrink only: the colour of the image as it is
    kvtest::FixedEnvironment environment(layout.screenWidth, layout.screenHeight, layout.work);
    const CDesktopEnvironmentOverride use(environment);
    const std::string target = m_Folder / "average.bmp";
    const RegistryRecord settings = SettingsFor(layout, target);
    const TestDib source =
        TestDib::TrueColor(4, 2, true, [](int x, int y) { return Rgb(x * 10, y * 100, 7); });
    COLORREF average = 0xFFFFFFFF;
    ASSERT_TRUE(
        ComposeBackgroundBitmapFromDib(settings, source.Info(), source.Bits(), "p", "n", "d", &average));
    // Means truncated per channel: red (0+10+20+30)/4 = 15, green (0*4+100*4)/8 = 50, blue 7.
    EXPECT_EQ(average, RGB(15, 50, 7));
}

// The texts that reach a progress callback, and a cancel from inside it.
std::vector<std::string> g_Texts;
std::string g_CancelAt;

void __stdcall RecordProgress(const char* text)
{
    g_Texts.emplace_back(text ? text : "");
    if (!g_CancelAt.empty() && g_Texts.back() == g_CancelAt) g_Synchronization.Cancel();
}

class ProgressCallback {
public:
    explicit ProgressCallback(const std::string& cancelAt)
    {
        g_Texts.clear();
        g_CancelAt = cancelAt;
        SetProgressProc(RecordProgress);
    }
    ~ProgressCallback()
    {
        SetProgressProc(nullptr);
        g_CancelAt.clear();
    }
};

TEST_F(CompositionGolden, ReportsItsStepsInOrder)
{
    const Layout& layout = Layouts()[2];  // resampled, colour known
    const ProgressCallback callback("");
    const CSynchronizationGuard lock;
    bool ok = false;
    Compose(layout, &ok);
    ASSERT_TRUE(ok);
    const std::vector<std::string> expected = {"Resampling from 30x-10 to 64x21...", "Saving to BMP file..."};
    EXPECT_EQ(g_Texts, expected);
}

TEST_F(CompositionGolden, CancelLeavesTheOldWorkBitmapByteIdentical)
{
    const struct {
        const char* cancelAt;
        COLORREF average;
    } cases[] = {{"Saving to BMP file...", RGB(1, 2, 3)},
                 {"Calculating background color...", 0xFFFFFFFF},
                 {"Resampling from 30x-10 to 64x21...", RGB(1, 2, 3)}};
    const Layout& layout = Layouts()[2];
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cancelAt);
        kvtest::FixedEnvironment environment(layout.screenWidth, layout.screenHeight, layout.work);
        const CDesktopEnvironmentOverride use(environment);
        const std::string target = m_Folder / "work.bmp";
        const std::string old = "BM the wallpaper of yesterday";
        ASSERT_TRUE(testsupport::WriteFileBytes(target, old));
        const RegistryRecord settings = SettingsFor(layout, target);
        const TestDib source = layout.source();
        COLORREF average = c.average;

        bool ok = true;
        {
            const ProgressCallback callback(c.cancelAt);
            const CSynchronizationGuard lock;
            ok = ComposeBackgroundBitmapFromDib(settings, source.Info(), source.Bits(), "p", "n", "d",
                                                &average);
            EXPECT_TRUE(g_Synchronization.IsCancelled());
        }
        EXPECT_FALSE(ok);
        EXPECT_EQ(testsupport::ReadFileBytes(target), old);
        // A colour computed before the cancel stays with the caller.
        if (c.average == 0xFFFFFFFF) {
            EXPECT_NE(average, 0xFFFFFFFFu);
        }

        // Nothing else is left in the folder: no temporary file of a save that never happened.
        WIN32_FIND_DATAA found;
        const HANDLE search = ::FindFirstFileA((m_Folder / "*").c_str(), &found);
        int files = 0;
        if (search != INVALID_HANDLE_VALUE) {
            do
                files += !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
            while (::FindNextFileA(search, &found));
            ::FindClose(search);
        }
        EXPECT_EQ(files, 1);
        // The next locked call starts without the cancel.
        const CSynchronizationGuard next;
        EXPECT_FALSE(g_Synchronization.IsCancelled());
    }
}

TEST_F(CompositionGolden, RefusesTargetsThatLeaveNoRoom)
{
    const Layout& layout = Layouts()[1];
    kvtest::FixedEnvironment environment(63, 48, RECT{0, 0, 63, 48});
    const CDesktopEnvironmentOverride use(environment);
    const std::string target = m_Folder / "work.bmp";
    ASSERT_TRUE(testsupport::WriteFileBytes(target, "old"));
    RegistryRecord settings = SettingsFor(layout, target);
    settings.Display.dwMarginLeft = 30;
    settings.Display.dwMarginRight = 23;  // 63 - 30 - 23 - 2 x 5 = 0 columns left
    const TestDib source = layout.source();
    COLORREF average = RGB(1, 1, 1);
    EXPECT_FALSE(
        ComposeBackgroundBitmapFromDib(settings, source.Info(), source.Bits(), "p", "n", "d", &average));
    EXPECT_EQ(testsupport::ReadFileBytes(target), "old");
}

TEST_F(CompositionGolden, ASaveThatCannotBeMadeFails)
{
    const Layout& layout = Layouts()[1];
    kvtest::FixedEnvironment environment(layout.screenWidth, layout.screenHeight, layout.work);
    const CDesktopEnvironmentOverride use(environment);
    const RegistryRecord settings = SettingsFor(layout, m_Folder / "no such folder\\work.bmp");
    const TestDib source = layout.source();
    COLORREF average = layout.average;
    EXPECT_FALSE(
        ComposeBackgroundBitmapFromDib(settings, source.Info(), source.Bits(), "p", "n", "d", &average));
}

TEST_F(CompositionGolden, EverythingOnWithAVeryLongCaption)
{
    const Layout& layout = Layouts()[4];
    kvtest::FixedEnvironment environment(layout.screenWidth, layout.screenHeight, layout.work);
    environment.SetTextureFolder(m_Textures.Path());
    const CDesktopEnvironmentOverride use(environment);
    const std::string target = m_Folder / "work.bmp";
    RegistryRecord settings = SettingsFor(layout, target);
    settings.Display.dwTextures = 3;
    settings.Display.bShowFileName = 1;
    settings.Display.bShowFilePath = 1;
    settings.Display.bFileNameAddDate = 1;
    settings.Calendar.bShow = 1;
    const std::string path = "C:\\" + std::string(900, 'p') + ".jpg";
    const TestDib source = layout.source();
    COLORREF average = 0xFFFFFFFF;
    ASSERT_TRUE(ComposeBackgroundBitmapFromDib(settings, source.Info(), source.Bits(), path.c_str(), "x.jpg",
                                               std::string(99, 'd').c_str(), &average));
    EXPECT_TRUE(kvtest::ParseBmp(testsupport::ReadFileBytes(target)).ok);
}

// The whole road from a JPEG file: the decode through KvImage, the EXIF turn, the fit and the save.
TEST_F(CompositionGolden, FromAJpegFile)
{
    kvtest::FixedEnvironment environment(63, 48, RECT{0, 0, 63, 48});
    const CDesktopEnvironmentOverride use(environment);
    const std::string target = m_Folder / "work.bmp";
    RegistryRecord settings = SettingsFor(Layouts()[0], target);
    settings.Display.bShrinkOnly = 1;
    const std::string fixtures = testsupport::ExeFolder() + "imaging_fixtures\\";

    // 640 x 480 stored, orientation 6: upright it is 480 x 640, so it fills the height, 36 wide.
    const std::string turned = fixtures + "exif_o6_be_640x480.jpg";
    COLORREF average = 0xFFFFFFFF;
    {
        const ProgressCallback callback("");
        const CSynchronizationGuard lock;
        ASSERT_TRUE(
            ComposeBackgroundBitmap(&settings, turned.c_str(), "exif_o6_be_640x480.jpg", "d", &average));
        ASSERT_GE(g_Texts.size(), 2u);
        EXPECT_EQ(g_Texts[0], "Reading " + turned + "...");
    }
    EXPECT_NE(average, 0xFFFFFFFFu);
    const kvtest::BmpImage image = kvtest::ParseBmp(testsupport::ReadFileBytes(target));
    ASSERT_TRUE(image.ok) << image.error;
    EXPECT_EQ(image.width, 63);
    EXPECT_EQ(image.height, 48);
    // Background left and right of the 36 columns (at 13..48), image inside.
    EXPECT_EQ(image.At(12, 24), FromColorRef(average));
    EXPECT_EQ(image.At(49, 24), FromColorRef(average));

    // Without the turn the same file lies on its side: 64 wide, 48 high, filling the screen's width.
    settings.Display.bRotateByExif = 0;
    average = RGB(1, 2, 3);
    ASSERT_TRUE(ComposeBackgroundBitmap(&settings, turned.c_str(), "x.jpg", "d", &average));
    const kvtest::BmpImage flat = kvtest::ParseBmp(testsupport::ReadFileBytes(target));
    ASSERT_TRUE(flat.ok);
    EXPECT_NE(flat.At(0, 2), Rgb(1, 2, 3));

    // A missing or broken file fails and leaves the bitmap of the last change.
    const std::string before = testsupport::ReadFileBytes(target);
    const std::string broken = m_Folder / "broken.jpg";
    ASSERT_TRUE(testsupport::WriteFileBytes(broken, "this is not a JPEG file at all"));
    for (const std::string& path : {m_Folder / "missing.jpg", broken}) {
        SCOPED_TRACE(path);
        average = 0xFFFFFFFF;
        EXPECT_FALSE(ComposeBackgroundBitmap(&settings, path.c_str(), "x.jpg", "d", &average));
        EXPECT_EQ(testsupport::ReadFileBytes(target), before);
    }
}

}  // namespace
