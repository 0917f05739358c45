// The wallpaper from a reduced-scale decode: which scale covers the fit, how close the wallpaper
// comes to the one composed from the whole image (real photographs, upright and turned by EXIF),
// an image too large to decode whole becoming the wallpaper, and the full-size decode beside a
// KvImage.dll that has no reduced-scale decode.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "KvTestSupport.h"
#include "UTxUtils.h"
#include "Ucompose.h"
#include "Ucoverload.h"
#include "Ufit.h"
#include "Ujpegload.h"
#include "Usync.h"
#include "composition_support.h"
#include "selection_support.h"

namespace {

// A baseline JPEG written here bit by bit, so that any size costs only the time to write its bits:
// 4:2:0, every 8 x 8 block flat (its DC coefficient only), no colour, the grey level of each block
// from `level`. Decoded at 1/8, each block is one pixel of its level.
class FlatBlockJpeg {
public:
    static std::string Make(int width, int height, const std::function<int(int blockX, int blockY)>& level)
    {
        FlatBlockJpeg jpeg;
        jpeg.Headers(width, height);
        const int mcusAcross = (width + 15) / 16;
        const int mcusDown = (height + 15) / 16;
        int previous = 0;  // the DC is coded as the difference to the last luminance block's
        for (int my = 0; my < mcusDown; ++my)
            for (int mx = 0; mx < mcusAcross; ++mx) {
                for (int b = 0; b < 4; ++b) {
                    const int value = level(mx * 2 + b % 2, my * 2 + b / 2) - 128;
                    jpeg.Block(value - previous);
                    previous = value;
                }
                jpeg.Block(0);  // Cb and Cr stay neutral
                jpeg.Block(0);
            }
        jpeg.Flush();
        jpeg.m_Out += "\xFF\xD9";
        return jpeg.m_Out;
    }

private:
    // The standard luminance DC table; the AC table knows only the end of block, code 0.
    static constexpr unsigned char kDcBits[16] = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};

    void Byte(int b) { m_Out += static_cast<char>(b); }
    void Word(int w)
    {
        Byte(w >> 8);
        Byte(w & 255);
    }
    void Headers(int width, int height)
    {
        m_Out = "\xFF\xD8";
        Word(0xFFDB), Word(67), Byte(0);  // DQT: 8 everywhere, so a DC of v gives the level v + 128
        for (int i = 0; i < 64; ++i)
            Byte(8);
        Word(0xFFC0), Word(17), Byte(8), Word(height), Word(width), Byte(3);
        Byte(1), Byte(0x22), Byte(0), Byte(2), Byte(0x11), Byte(0), Byte(3), Byte(0x11), Byte(0);
        Word(0xFFC4), Word(3 + 16 + 12), Byte(0x00);
        for (unsigned char n : kDcBits)
            Byte(n);
        for (int i = 0; i < 12; ++i)
            Byte(i);
        Word(0xFFC4), Word(3 + 16 + 1), Byte(0x10), Byte(1);
        for (int i = 1; i < 16; ++i)
            Byte(0);
        Byte(0);
        Word(0xFFDA), Word(12), Byte(3), Byte(1), Byte(0), Byte(2), Byte(0), Byte(3), Byte(0);
        Byte(0), Byte(63), Byte(0);
        // Canonical codes of the DC categories, shortest first.
        int code = 0, category = 0;
        for (int length = 1; length <= 16; ++length, code <<= 1)
            for (int i = 0; i < kDcBits[length - 1]; ++i, ++code, ++category)
                m_DcCode[category] = {code, length};
    }
    void Bits(unsigned value, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            m_Byte = (m_Byte << 1) | ((value >> i) & 1);
            if (++m_Filled == 8) {
                Byte(m_Byte);
                if (m_Byte == 0xFF) Byte(0);  // stuffed, as in every entropy-coded segment
                m_Byte = 0;
                m_Filled = 0;
            }
        }
    }
    void Block(int difference)
    {
        const unsigned magnitude = static_cast<unsigned>(difference < 0 ? -difference : difference);
        int category = 0;
        while ((magnitude >> category) != 0)
            ++category;
        Bits(static_cast<unsigned>(m_DcCode[category].first), m_DcCode[category].second);
        if (category) Bits(difference < 0 ? difference + (1 << category) - 1 : difference, category);
        Bits(0, 1);  // end of block
    }
    void Flush()
    {
        if (m_Filled) Bits(0x7F, 8 - m_Filled);
    }

    std::string m_Out;
    std::pair<int, int> m_DcCode[12];
    int m_Byte = 0;
    int m_Filled = 0;
};

// The JPEG with an EXIF block that says "turn clockwise" (orientation 6) after its SOI.
std::string TurnedByExif(const std::string& jpeg)
{
    const unsigned char app1[] = {0xFF, 0xE1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0,    0, 'I', 'I',
                                  42,   0,    8,    0,    0,   0,   1,   0,   0x12, 1, 3,   0,
                                  1,    0,    0,    0,    6,   0,   0,   0,   0,    0, 0,   0};
    return jpeg.substr(0, 2) + std::string(reinterpret_cast<const char*>(app1), sizeof app1) + jpeg.substr(2);
}

double Psnr(double squaredError, double samples)
{
    return squaredError == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 * samples / squaredError);
}

// The pixel (x, y as seen) of a decoded bottom-up pair of 8 (grey) or 24 bits.
kvtest::Bgr DecodedAt(const BITMAPINFOHEADER& h, const std::vector<BYTE>& pixels, int x, int y)
{
    const int bytes = h.biBitCount / 8;
    const size_t row = (static_cast<size_t>(h.biWidth) * bytes + 3) / 4 * 4;
    const BYTE* p =
        pixels.data() + (static_cast<size_t>(h.biHeight) - 1 - y) * row + static_cast<size_t>(x) * bytes;
    return bytes == 1 ? kvtest::Bgr{p[0], p[0], p[0]} : kvtest::Bgr{p[0], p[1], p[2]};
}

// The decoded image shrunk to width x height by the mean of each pixel's source area: a reference
// without the aliasing of a resampler that picks samples.
std::vector<kvtest::Bgr> AreaMean(const BITMAPINFOHEADER& h, const std::vector<BYTE>& pixels, int width,
                                  int height)
{
    std::vector<kvtest::Bgr> out;
    for (int y = 0; y < height; ++y) {
        const int y0 = static_cast<int>(static_cast<long long>(y) * h.biHeight / height);
        const int y1 =
            std::max(y0 + 1, static_cast<int>(static_cast<long long>(y + 1) * h.biHeight / height));
        for (int x = 0; x < width; ++x) {
            const int x0 = static_cast<int>(static_cast<long long>(x) * h.biWidth / width);
            const int x1 =
                std::max(x0 + 1, static_cast<int>(static_cast<long long>(x + 1) * h.biWidth / width));
            unsigned long sum[3] = {0, 0, 0};
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx) {
                    const kvtest::Bgr c = DecodedAt(h, pixels, sx, sy);
                    sum[0] += c.b, sum[1] += c.g, sum[2] += c.r;
                }
            const unsigned long n = static_cast<unsigned long>((y1 - y0) * (x1 - x0));
            out.push_back(kvtest::Bgr{static_cast<BYTE>((sum[0] + n / 2) / n),
                                      static_cast<BYTE>((sum[1] + n / 2) / n),
                                      static_cast<BYTE>((sum[2] + n / 2) / n)});
        }
    }
    return out;
}

}  // namespace

TEST(ReducedDecode, SmallestScaleThatCoversTheFit)
{
    struct ScaleCase {
        int width, height, coverWidth, coverHeight;
        UINT scale;
    };
    const ScaleCase cases[] = {
        {6000, 4000, 1300, 867, 2},   // 1500 x 1000
        {6000, 4000, 1501, 867, 3},   // one column more than 2/8 gives
        {6000, 4000, 1500, 1001, 3},  // one row more
        {4000, 3000, 500, 375, 1},    // exactly 1/8
        {4000, 3000, 4000, 3000, 8},  // the whole image
        {4000, 3000, 2000, 1500, 4},  // exactly 4/8
        {4000, 3000, 2001, 1500, 8},  // 5/8 would cover it, but decodes slower than the whole
        {2560, 1600, 1387, 867, 8},   // a 2560 x 1600 photo on 1920 x 1080: the same
        {1025, 769, 1024, 768, 8},    // enlarging or nearly the whole: no reduced decode
        {1, 1, 1, 1, 1},              // ceil(1 / 8) is still a pixel
        {20000, 10000, 984, 492, 1},
    };
    for (const ScaleCase& c : cases)
        EXPECT_EQ(CoveringScale(c.width, c.height, c.coverWidth, c.coverHeight), c.scale)
            << c.width << "x" << c.height << " to cover " << c.coverWidth << "x" << c.coverHeight;
}

// What the loader answers besides an image, as the screen saver's painting tells its steps apart.
TEST(ReducedDecode, LoaderTellsWhyNoImageCame)
{
    testsupport::TempFolder scratch("reducedload");
    const std::string photo = scratch / "photo.jpg";
    ASSERT_TRUE(
        testsupport::WriteFileBytes(photo, FlatBlockJpeg::Make(640, 480, [](int, int) { return 90; })));
    const std::string notJpeg = scratch / "text.jpg";
    ASSERT_TRUE(testsupport::WriteFileBytes(notJpeg, "not a JPEG at all"));
    const CoverFitRule quarter = [](int w, int h, CImageFit& fit) {
        fit.bResample = true;
        fit.iNewWidth = w / 4;
        fit.iNewHeight = h / 4;
        return true;
    };
    const CoverFitRule refuse = [](int, int, CImageFit&) { return false; };

    struct LoadCase {
        const char* what;
        std::string path;
        const CoverFitRule* rule;
        bool cancel, stopOnCancel;
        CoverLoad result;
    };
    const LoadCase cases[] = {
        {"a quarter: 2/8", photo, &quarter, false, true, CoverLoad::Loaded},
        {"not a JPEG", notJpeg, &quarter, false, true, CoverLoad::HeaderFailed},
        {"missing", scratch / "missing.jpg", &quarter, false, true, CoverLoad::HeaderFailed},
        {"refused by the fit", photo, &refuse, false, true, CoverLoad::Refused},
        {"cancelled", photo, &quarter, true, true, CoverLoad::Cancelled},
        {"a cancel not asked for", photo, &quarter, true, false, CoverLoad::Loaded},
    };
    for (const LoadCase& c : cases) {
        const CSynchronizationGuard lock;  // clears any cancel request
        if (c.cancel) g_Synchronization.Cancel();
        CCoverImage out;
        EXPECT_EQ(LoadJpgToCover("test", c.path.c_str(), true, c.stopOnCancel, *c.rule, out), c.result)
            << c.what;
        EXPECT_EQ(static_cast<bool>(out.image), c.result == CoverLoad::Loaded) << c.what;
        if (c.result == CoverLoad::Loaded) {
            EXPECT_EQ(out.grid.uScale, 2u) << c.what;
            EXPECT_EQ(out.image.Info()->bmiHeader.biWidth, 160) << c.what;
            EXPECT_EQ(out.image.Info()->bmiHeader.biHeight, 120) << c.what;
        }
    }
}

// Every photograph of the system's sample backgrounds, upright and turned by EXIF, composed on a
// 1920 x 1080 and on an 800 x 600 desktop through the reduced decode and from the whole image: the
// image areas agree to at least 38 dB, or the reduced one is the closer to the photo's area means.
TEST(ReducedDecode, WallpaperAgreesWithTheWholeImageDecode)
{
    const std::string folder = "Z:\\usr\\share\\backgrounds\\mate\\";
    std::vector<std::string> photos;
    for (const char* sub : {"abstract", "desktop", "nature"})
        for (const std::string& name : testsupport::FilesMatching(folder + sub, "*.jpg"))
            photos.push_back(folder + sub + "\\" + name);
    if (photos.empty()) GTEST_SKIP() << "no photographs in " << folder;

    testsupport::TempFolder scratch("reduced");
    // Two of them again, turned: the turn is done on the reduced image.
    for (size_t i : {size_t{0}, photos.size() / 2}) {
        const std::string turned = scratch / ("turned" + std::to_string(i) + ".jpg");
        ASSERT_TRUE(testsupport::WriteFileBytes(turned, TurnedByExif(testsupport::ReadFileBytes(photos[i]))));
        photos.push_back(turned);
    }

    // The photographs on a desktop of today's size mostly decode at 3/8 to 8/8, on a small one at
    // 2/8 to 4/8.
    for (const SIZE screen : {SIZE{1920, 1080}, SIZE{800, 600}}) {
        // A task bar of 40 pixels.
        const RECT work = {0, 0, screen.cx, screen.cy - 40};
        kvtest::FixedEnvironment environment(screen.cx, screen.cy, work);
        const CDesktopEnvironmentOverride use(environment);
        RegistryRecord settings{};
        SetRegistryDefaults(nullptr, &settings, true, false);
        settings.Display.dwTextures = 0;
        settings.Display.bShowFileName = 0;
        settings.Calendar.bShow = 0;
        const std::string reducedBmp = scratch / "reduced.bmp";
        const std::string wholeBmp = scratch / "whole.bmp";
        CTargetArea area;
        ASSERT_TRUE(CalculateTargetArea(settings.Display, work, area));
        const CSynchronizationGuard lock;

        for (const std::string& photo : photos) {
            SCOPED_TRACE(photo + " on " + std::to_string(screen.cx) + "x" + std::to_string(screen.cy));
            // The decode the composition makes, to learn its scale and the fit.
            CCoverImage cover;
            const CoverFitRule fit = [&](int w, int h, CImageFit& f) {
                return FitImage(settings.Display, w, h, area.iDstWidth, area.iDstHeight, f);
            };
            ASSERT_EQ(LoadJpgToCover("test", photo.c_str(), true, false, fit, cover), CoverLoad::Loaded);

            lstrcpynA(settings.Files.szWorkBmpFile, reducedBmp.c_str(), kPathSize);
            COLORREF average = 0xFFFFFFFF;
            ASSERT_TRUE(ComposeBackgroundBitmap(&settings, photo.c_str(), "p.jpg", "", &average));

            // The whole image, decoded and turned as before, composed from the decoded pair.
            DibHeaderBlock header{};
            DWORD size = 0;
            ASSERT_TRUE(LoadBmpFromJpgFileEx(header.Info(), nullptr, photo.c_str(), &size, TRUE, nullptr));
            std::vector<BYTE> pixels(size);
            ASSERT_TRUE(
                LoadBmpFromJpgFileEx(header.Info(), pixels.data(), photo.c_str(), &size, TRUE, nullptr));
            lstrcpynA(settings.Files.szWorkBmpFile, wholeBmp.c_str(), kPathSize);
            average = 0xFFFFFFFF;
            ASSERT_TRUE(ComposeBackgroundBitmapFromDib(settings, header.Info(), pixels.data(), photo.c_str(),
                                                       "p.jpg", "", &average));

            const kvtest::BmpImage reduced = kvtest::ParseBmp(testsupport::ReadFileBytes(reducedBmp));
            const kvtest::BmpImage whole = kvtest::ParseBmp(testsupport::ReadFileBytes(wholeBmp));
            ASSERT_TRUE(reduced.ok && whole.ok);
            const int left = area.iLeft + (area.iDstWidth - cover.fit.iNewWidth) / 2;
            const int top = area.iTop + (area.iDstHeight - cover.fit.iNewHeight) / 2;
            const std::vector<kvtest::Bgr> mean =
                AreaMean(header.bmiHeader, pixels, cover.fit.iNewWidth, cover.fit.iNewHeight);
            double reducedToWhole = 0, reducedToMean = 0, wholeToMean = 0;
            auto add = [](double& sum, kvtest::Bgr a, kvtest::Bgr b) {
                for (int d : {a.b - b.b, a.g - b.g, a.r - b.r})
                    sum += d * d;
            };
            for (int y = 0; y < cover.fit.iNewHeight; ++y)
                for (int x = 0; x < cover.fit.iNewWidth; ++x) {
                    const kvtest::Bgr a = reduced.At(left + x, top + y), b = whole.At(left + x, top + y);
                    const kvtest::Bgr m = mean[static_cast<size_t>(y) * cover.fit.iNewWidth + x];
                    add(reducedToWhole, a, b);
                    add(reducedToMean, a, m);
                    add(wholeToMean, b, m);
                }
            const double samples = 3.0 * cover.fit.iNewWidth * cover.fit.iNewHeight;
            const double psnr = Psnr(reducedToWhole, samples);
            std::printf(
                "  %-58s %5ldx%-5ld at %u/8 for %4dx%-4d PSNR %5.1f dB; to the area mean: reduced %5.1f, "
                "whole %5.1f\n",
                photo.c_str(), static_cast<long>(header.bmiHeader.biWidth),
                static_cast<long>(header.bmiHeader.biHeight), cover.grid.uScale, cover.fit.iNewWidth,
                cover.fit.iNewHeight, psnr, Psnr(reducedToMean, samples), Psnr(wholeToMean, samples));
            // Fine patterns (the line art of the abstract backgrounds) alias in the whole image's
            // resample; there the reduced decode must be at least as close to the area mean.
            EXPECT_TRUE(psnr >= 38.0 || reducedToMean <= wholeToMean) << psnr << " dB";
            if (header.bmiHeader.biWidth >= 2 * cover.fit.iNewWidth) {
                EXPECT_LT(cover.grid.uScale, 8u);
            }
        }
    }
}

namespace {

// A wallpaper change in a process of its own, as the Agent makes it: KvApi.dll and a KvImage.dll
// in a program folder, the database and settings written here, the result read back.
class ReducedChange : public ::testing::Test {
protected:
    void SetUp() override
    {
        selection_test::DeleteSettingsKey();
        paths = selection_test::DatabaseIn(data.Path());
    }
    void TearDown() override { selection_test::DeleteSettingsKey(); }

    // Installs KvApi.dll with the KvImage.dll of `kvImageFolder` (relative to the test program).
    void Install(const std::string& kvImageFolder)
    {
        ASSERT_TRUE(::CopyFileA((testsupport::ExeFolder() + "KvApi.dll").c_str(),
                                (program / "KvApi.dll").c_str(), FALSE));
        ASSERT_TRUE(::CopyFileA((testsupport::ExeFolder() + kvImageFolder + "KvImage.dll").c_str(),
                                (program / "KvImage.dll").c_str(), FALSE));
    }

    // One image in the folder and the database; no caption or calendar, so that two changes of the
    // same image give the same bitmap.
    void UseImage(const std::string& name, const std::string& jpeg)
    {
        ASSERT_TRUE(testsupport::WriteFileBytes(images / name, jpeg));
        ASSERT_TRUE(selection_test::BuildDatabase(images.Path(), paths));
        RegistryRecord record = selection_test::TestRecord(paths);
        record.Display.dwMaxSize = 30000;
        record.Display.dwMinRatio = 40;  // 2:1 is just outside the default
        record.Display.bShowFileName = 0;
        record.Calendar.bShow = 0;
        ASSERT_TRUE(selection_test::WriteSettings(record, true, 1));
    }

    DWORD SetRandomWallpaper()
    {
        testsupport::ChildProcess child;
        const std::string command = "\"" + testsupport::ExeFolder() + "operations_agent_probe.exe\" \"" +
                                    program.Path() + "\" WpApi_SetRandomWallpaper";
        EXPECT_TRUE(child.Start(command));
        EXPECT_TRUE(child.WaitPumping(60000));
        return child.ExitCode();
    }

    std::string WallpaperSet() const
    {
        return selection_test::ReadRegValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper").Text();
    }

    testsupport::TempFolder program{"rdprog"};
    testsupport::TempFolder images{"rdimg"};
    testsupport::TempFolder data{"rddb"};
    selection_test::DatabasePaths paths;
};

// Grey blocks: darker on the left half, lighter on the right, a little lighter towards the bottom.
std::function<int(int, int)> HalvesPattern(int blocksAcross, int blocksDown)
{
    return [=](int bx, int by) { return (bx < blocksAcross / 2 ? 40 : 200) + by * 40 / blocksDown; };
}

}  // namespace

// 20000 x 10000 pixels of 24 bits are 600 MB, above the decoder's cap: the whole image is refused
// as before, the reduced decode shows it.
TEST_F(ReducedChange, ImageTooLargeToDecodeWholeBecomesTheWallpaper)
{
    UseImage("huge.jpg", FlatBlockJpeg::Make(20000, 10000, HalvesPattern(2500, 1250)));
    Install("");
    ASSERT_EQ(SetRandomWallpaper(), 1u);
    EXPECT_EQ(WallpaperSet(), paths.workBmp);
    EXPECT_EQ(selection_test::ReadSettingsValue("CurrentImage", "ImageName").Text(), "huge.jpg");

    const kvtest::BmpImage wallpaper = kvtest::ParseBmp(testsupport::ReadFileBytes(paths.workBmp));
    ASSERT_TRUE(wallpaper.ok) << wallpaper.error;
    EXPECT_EQ(wallpaper.width, ::GetSystemMetrics(SM_CXSCREEN));
    // The image fills the width between the margins, half as high: the middle of its left and right
    // quarters, at half its height, are grey 40 + 20 and 200 + 20.
    const int middle = wallpaper.height / 2;
    const kvtest::Bgr dark = wallpaper.At(wallpaper.width / 4, middle);
    const kvtest::Bgr light = wallpaper.At(wallpaper.width * 3 / 4, middle);
    EXPECT_NEAR(dark.g, 60, 6) << kvtest::ToText(dark);
    EXPECT_NEAR(light.g, 220, 6) << kvtest::ToText(light);
    EXPECT_EQ(dark.r, dark.g);
    EXPECT_EQ(light.b, light.g);
}

// Beside a KvImage.dll without the reduced-scale decode the change decodes the whole image and
// still succeeds; the image too large for that is refused there, as it always was.
TEST_F(ReducedChange, KvImageWithoutTheReducedDecodeStillChangesTheWallpaper)
{
    UseImage("photo.jpg",
             FlatBlockJpeg::Make(4000, 3000, [](int bx, int by) { return (bx * 7 + by * 5) % 200 + 20; }));
    Install("");
    ASSERT_EQ(SetRandomWallpaper(), 1u);
    const std::string reduced = testsupport::ReadFileBytes(paths.workBmp);
    ASSERT_TRUE(::DeleteFileA(paths.workBmp.c_str()));

    Install("kvimage_fullsizeonly\\");
    ASSERT_EQ(SetRandomWallpaper(), 1u);
    EXPECT_EQ(WallpaperSet(), paths.workBmp);
    const std::string whole = testsupport::ReadFileBytes(paths.workBmp);
    EXPECT_TRUE(kvtest::ParseBmp(whole).ok);
    EXPECT_NE(whole, reduced) << "the whole image was decoded, not the reduced one";

    ASSERT_TRUE(::DeleteFileA((images / "photo.jpg").c_str()));
    UseImage("huge.jpg", FlatBlockJpeg::Make(20000, 10000, HalvesPattern(2500, 1250)));
    EXPECT_EQ(SetRandomWallpaper(), 0u);
}
