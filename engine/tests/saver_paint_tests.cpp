// The screen saver's painting: the fit as a table, transitions on a visible window of this process
// (their length, what they leave, a cancel), and the whole step through the real KvApi.dll with the
// window's pixels, the database's bits and the log lines read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "KvTestSupport.h"
#include "UDatabase.h"
#include "Udib.h"
#include "Upaintabledib.h"
#include "Uscreensaver.h"
#include "Usync.h"
#include "Utransition.h"
#include "WpApi.h"
#include "saver_window_support.h"
#include "selection_support.h"

using namespace selection_test;
using saver_test::DecodedImage;
using saver_test::PaintWindow;

namespace {

constexpr COLORREF kMarker = RGB(255, 0, 255);  // what no step paints

// ---- The fit -----------------------------------------------------------------------------------

struct FitCase {
    const char* name;
    int width, height, dstWidth, dstHeight;
    bool shrinkOnly;
    bool resample;
    int newWidth, newHeight;
};

const FitCase kFits[] = {
    {"the window's own size", 640, 480, 640, 480, false, false, 640, 480},
    {"smaller, shrink only", 560, 420, 640, 480, true, false, 560, 420},
    {"smaller, enlarged at its ratio", 560, 420, 640, 480, false, true, 640, 480},
    {"wider: the height adapts", 800, 400, 640, 480, false, true, 640, 320},
    {"taller: the width adapts", 300, 600, 640, 480, true, true, 240, 480},
    {"taller by a third of a pixel: truncated", 1000, 751, 640, 480, false, true, 639, 480},
    {"wider than tall, shrink only but too wide", 700, 100, 640, 480, true, true, 640, 91},
    {"a line across: never 0 rows", 30000, 2, 640, 480, false, true, 640, 1},
    {"a line down: never 0 columns", 2, 30000, 640, 480, false, true, 1, 480},
};

TEST(SaverFit, ImageSizesInTheWindow)
{
    for (const FitCase& c : kFits) {
        const CImageFit fit = FitScreenSaverImage(c.width, c.height, c.dstWidth, c.dstHeight, c.shrinkOnly);
        EXPECT_EQ(fit.bResample, c.resample) << c.name;
        EXPECT_EQ(fit.iNewWidth, c.newWidth) << c.name;
        EXPECT_EQ(fit.iNewHeight, c.newHeight) << c.name;
    }
}

// ---- Transitions in this process ---------------------------------------------------------------

// A 24-bit bottom-up canvas whose every pixel differs from its neighbours.
class TestCanvas {
public:
    TestCanvas(int width, int height) : m_Canvas(width, height)
    {
        m_Canvas.CreateCanvas();
        BYTE* bits = static_cast<BYTE*>(m_Canvas.GetBits());
        const size_t rowBytes = GetDibLineIncrement(m_Canvas.GetBitmapInfo());
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                BYTE* p = bits + static_cast<size_t>(y) * rowBytes + 3 * static_cast<size_t>(x);
                p[0] = static_cast<BYTE>(x * 7);
                p[1] = static_cast<BYTE>(y * 5);
                p[2] = static_cast<BYTE>((x + y) | 0x80);
            }
    }
    const BITMAPINFO* Info() const { return m_Canvas.GetBitmapInfo(); }
    const void* Bits() const { return m_Canvas.GetBits(); }
    DecodedImage Image() const
    {
        DecodedImage image;
        image.width = m_Canvas.GetWidth();
        image.height = m_Canvas.GetHeight();
        const auto* bits = static_cast<const BYTE*>(Bits());
        const size_t rowBytes = GetDibLineIncrement(Info());
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                const BYTE* p = bits + static_cast<size_t>(y) * rowBytes + 3 * static_cast<size_t>(x);
                image.pixels.push_back(RGB(p[2], p[1], p[0]));
            }
        return image;
    }

private:
    CPaintableDib m_Canvas;
};

size_t Differences(const PaintWindow::Picture& picture, const DecodedImage& expected)
{
    size_t differences = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            differences += picture.At(x, y) != expected.At(x, y) ? 1 : 0;
    return differences;
}

TransitionPattern g_ForcedPattern{0, 0};
TransitionPattern ForcedPattern()
{
    return g_ForcedPattern;
}

// Clears a cancel request left behind: taking the lock does.
void ClearCancel()
{
    g_Synchronization.Enter();
    g_Synchronization.Leave();
}

TEST(SaverTransition, ATransitionLastsAboutASecondAndLeavesTheWholeImage)
{
    PaintWindow window(640, 480);
    ASSERT_NE(window.Handle(), nullptr);
    const TestCanvas canvas(640, 480);
    const DecodedImage expected = canvas.Image();
    ClearCancel();
    // One pattern of each length of wait: 33 steps of 30 ms, 34 of 29 ms and 122 of 8 ms.
    const TransitionPattern patterns[] = {{0, 0}, {3, 2}, {4, 1}};
    std::vector<double> seconds;
    const TransitionPatternSource drawn = SetTransitionPatternSource(&ForcedPattern);
    for (const TransitionPattern& pattern : patterns) {
        window.Fill(kMarker);
        g_ForcedPattern = pattern;
        LARGE_INTEGER frequency, start, end;
        ::QueryPerformanceFrequency(&frequency);
        ::QueryPerformanceCounter(&start);
        const bool painted = PaintDibWithTransition(window.Handle(), canvas.Info(), canvas.Bits());
        ::QueryPerformanceCounter(&end);
        seconds.push_back(static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
        EXPECT_TRUE(painted) << "pattern " << pattern.iPattern;
        const PaintWindow::Picture picture = window.Capture();
        EXPECT_EQ(Differences(picture, expected), 0u) << "pattern " << pattern.iPattern;
    }
    SetTransitionPatternSource(drawn);
    std::vector<double> sorted = seconds;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_GE(sorted[1], 0.8) << seconds[0] << " " << seconds[1] << " " << seconds[2];
    EXPECT_LE(sorted[1], 1.6) << seconds[0] << " " << seconds[1] << " " << seconds[2];
    std::printf("transition lengths: %.3f s, %.3f s, %.3f s\n", seconds[0], seconds[1], seconds[2]);
}

TEST(SaverTransition, ACancelBeforeTheTransitionMakesThePaintingFalseButTheTransitionTrue)
{
    PaintWindow window(640, 480);
    window.Fill(kMarker);
    const TestCanvas canvas(640, 480);
    RegistryRecord record{};
    SetRegistryDefaults(nullptr, &record, true, false);
    g_Synchronization.Cancel();
    const std::string folder = testsupport::ExeFolder() + "selection_fixtures";
    const bool painted = PaintScreenSaverImage(window.Handle(), folder.c_str(), "good_b.jpg", "", record);
    const bool transition = PaintDibWithTransition(window.Handle(), canvas.Info(), canvas.Bits());
    ClearCancel();
    EXPECT_FALSE(painted);
    EXPECT_TRUE(transition);
    const PaintWindow::Picture picture = window.Capture();
    EXPECT_EQ(std::count(picture.pixels.begin(), picture.pixels.end(), kMarker),
              static_cast<std::ptrdiff_t>(picture.pixels.size()))
        << "nothing painted";
    // Without the cancel the same image paints; a file that is no JPEG paints nothing.
    EXPECT_TRUE(PaintScreenSaverImage(window.Handle(), folder.c_str(), "good_b.jpg", "", record));
    window.Fill(kMarker);
    EXPECT_FALSE(PaintScreenSaverImage(window.Handle(), folder.c_str(), "broken.jpg", "", record));
    EXPECT_EQ(window.Pixel(320, 240), kMarker);
}

// Where an image lands: the box of non-black pixels on a black background.
struct Box {
    int left = -1, top = -1, right = -1, bottom = -1;  // right and bottom inclusive
};
Box InkBox(const PaintWindow::Picture& picture)
{
    Box box;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            if (picture.At(x, y) == RGB(0, 0, 0)) continue;
            if (box.left < 0 || x < box.left) box.left = x;
            if (box.top < 0) box.top = y;
            box.right = std::max(box.right, x);
            box.bottom = y;
        }
    return box;
}

TEST(SaverTransition, TurnedAndGreyImagesAreFittedAndCentred)
{
    PaintWindow window(640, 480);
    RegistryRecord record{};
    SetRegistryDefaults(nullptr, &record, true, false);
    record.Display.bRotateByExif = 1;
    record.ScreenSaver.bBlackBackground = 1;
    record.ScreenSaver.bShrinkOnly = 1;
    record.ScreenSaver.bShowFileName = 0;
    ClearCancel();
    const std::string folder = testsupport::ExeFolder() + "imaging_fixtures";

    // 640 x 480 turned clockwise is 480 x 640: too tall, so 360 x 480 in the middle. Its dark
    // corner block, top left as stored, is top right as shown.
    window.Fill(kMarker);
    ASSERT_TRUE(PaintScreenSaverImage(window.Handle(), folder.c_str(), "exif_o6_be_640x480.jpg", "", record));
    PaintWindow::Picture picture = window.Capture();
    PaintWindow::SaveShot(picture, "saver_turned");
    Box box = InkBox(picture);
    EXPECT_EQ(box.left, 140);
    EXPECT_EQ(box.right, 499);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.bottom, 479);
    EXPECT_LT(GetBValue(picture.At(490, 10)), 128) << "the dark corner at the top right";
    EXPECT_GT(GetBValue(picture.At(150, 10)), 128);

    // A grey 37 x 23 image turned to 23 x 37 fits: drawn at its own size through its palette.
    window.Fill(kMarker);
    ASSERT_TRUE(PaintScreenSaverImage(window.Handle(), folder.c_str(), "exif_o6_gray_37x23.jpg", "", record));
    picture = window.Capture();
    box = InkBox(picture);
    EXPECT_EQ(box.left, (640 - 23) / 2);
    EXPECT_EQ(box.top, (480 - 37) / 2);
    EXPECT_EQ(box.right - box.left + 1, 23);
    EXPECT_EQ(box.bottom - box.top + 1, 37);
    for (int y = box.top; y <= box.bottom; ++y)
        for (int x = box.left; x <= box.right; ++x) {
            const COLORREF c = picture.At(x, y);
            ASSERT_TRUE(GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c)) << x << "," << y;
        }
}

// ---- The whole step through KvApi.dll ----------------------------------------------------------

constexpr int kImageWidth = 560;  // good_b.jpg
constexpr int kImageHeight = 420;
constexpr int kWindowHeight = 480;

class SaverDll : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteSettingsKey();
        ASSERT_TRUE(receiver.IsOpen());
        ASSERT_TRUE(CopyFixture("good_b.jpg", images.Path(), "Boats_at_dawn.jpg"));
        paths = DatabaseIn(data.Path());
        ASSERT_TRUE(BuildDatabase(images.Path(), paths));
        record = TestRecord(paths);
        record.ScreenSaver.bRandomSelection = 1;
        record.ScreenSaver.bShrinkOnly = 1;
        record.ScreenSaver.bShowFileName = 1;
        record.ScreenSaver.dwFileFontSize = 10;
        record.ScreenSaver.dwFileNamePosition = 1;  // bottom right
        record.ScreenSaver.dwFileNameVerMargin = 10;
        record.ScreenSaver.dwFileNameHorMargin = 5;
        ASSERT_TRUE(WriteSettings(record, true, 1));
        // The library looks for the log receiver once, when it is loaded.
        engine = ::LoadLibraryA((testsupport::ExeFolder() + "KvApi.dll").c_str());
        ASSERT_NE(engine, nullptr);
        replace = Export<PFN_WpApi_ScreenSaverReplaceImage>("WpApi_ScreenSaverReplaceImage");
        cancel = Export<PFN_WpApi_CancelCurrentOperation>("WpApi_CancelCurrentOperation");
        ASSERT_TRUE(replace && cancel);
        image = Decoded(images / "Boats_at_dawn.jpg");
        ASSERT_EQ(image.width, kImageWidth);
        ASSERT_EQ(image.height, kImageHeight);
    }
    void TearDown() override
    {
        if (engine) ::FreeLibrary(engine);
        DeleteSettingsKey();
    }

    template <typename T> T Export(const char* name)
    {
        return reinterpret_cast<T>(reinterpret_cast<void*>(::GetProcAddress(engine, name)));
    }
    // The image as the engine's own export decodes it.
    DecodedImage Decoded(const std::string& path)
    {
        const auto load = Export<PFN_WpApi_LoadBmpFromJpgFile>("WpApi_LoadBmpFromJpgFile");
        DibHeaderBlock header{};
        DWORD size = 0;
        if (!load || !load(header.Info(), nullptr, path.c_str(), &size, TRUE, nullptr)) return {};
        std::vector<BYTE> pixels(size);
        if (!load(header.Info(), pixels.data(), path.c_str(), &size, TRUE, nullptr)) return {};
        return saver_test::FromDib(header.Info(), pixels.data());
    }
    bool Logged(const std::string& text) const
    {
        for (const std::string& line : receiver.Texts())
            if (line.find(text) != std::string::npos) return true;
        return false;
    }
    DWORD RandomBit() const
    {
        const std::vector<StoredImage> stored = ReadStoredImages(paths.recordFile, paths.stringFile);
        return stored.size() == 1 ? stored[0].screenSaverFlags & FLAG_SHOWN_RANDOM : 0xFF;
    }

    // What the window must show once the step is done: the image centred on the background.
    COLORREF Expected(int x, int y, int windowWidth, COLORREF background) const
    {
        const int left = (windowWidth - kImageWidth) / 2;
        const int top = (kWindowHeight - kImageHeight) / 2;
        if (x < left || y < top || x >= left + kImageWidth || y >= top + kImageHeight) return background;
        return image.At(x - left, y - top);
    }

    testsupport::LogReceiver receiver;
    testsupport::TempFolder images{"ssdllimg"};
    testsupport::TempFolder data{"ssdlldb"};
    DatabasePaths paths;
    RegistryRecord record{};
    HMODULE engine = nullptr;
    PFN_WpApi_ScreenSaverReplaceImage replace = nullptr;
    PFN_WpApi_CancelCurrentOperation cancel = nullptr;
    DecodedImage image;
};

struct WindowCase {
    const char* name;
    int width;
    bool blackBackground;
    bool caption;
};

const WindowCase kWindows[] = {
    {"black_640", 640, true, true},
    {"average_640", 640, false, true},
    {"black_599", 599, true, false},
};

TEST_F(SaverDll, TheImageIsCentredOnItsBackgroundWithTheCaptionOnlyInAWideWindow)
{
    const COLORREF average = image.Average();
    int call = 0;
    for (const WindowCase& c : kWindows) {
        PaintWindow window(c.width, kWindowHeight);
        window.Fill(kMarker);
        record.ScreenSaver.bBlackBackground = c.blackBackground ? 1 : 0;
        receiver.Clear();
        EXPECT_EQ(replace(window.Handle(), &record), TRUE) << c.name;
        testsupport::PumpMessages();
        // One image in the cycle: from the second call on, each call starts a new one.
        EXPECT_EQ(Logged("All files displayed, resetting all flags..."), call++ > 0) << c.name;
        EXPECT_EQ(RandomBit(), static_cast<DWORD>(FLAG_SHOWN_RANDOM)) << c.name;

        const PaintWindow::Picture picture = window.Capture();
        PaintWindow::SaveShot(picture, std::string("saver_") + c.name);
        const COLORREF background = c.blackBackground ? RGB(0, 0, 0) : average;
        const int imageBottom = (kWindowHeight + kImageHeight) / 2;
        size_t wrong = 0;
        int inkLeft = c.width, inkRight = -1, inkBottom = -1;
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                const COLORREF shown = picture.At(x, y);
                if (shown == Expected(x, y, c.width, background)) continue;
                // Below the image only the caption may differ from the background.
                if (y >= imageBottom && shown != kMarker) {
                    inkLeft = std::min(inkLeft, x);
                    inkRight = std::max(inkRight, x);
                    inkBottom = std::max(inkBottom, y);
                    continue;
                }
                ++wrong;
            }
        }
        EXPECT_EQ(wrong, 0u) << c.name << ": pixels other than the image on its background and the caption";
        if (c.caption) {
            ASSERT_GE(inkRight, 0) << c.name << ": no caption";
            // Bottom right, 10 pixels from the side and 5 from the bottom.
            EXPECT_GE(inkLeft, c.width / 2) << c.name;
            EXPECT_LE(inkRight, c.width - 10) << c.name;
            EXPECT_LE(inkBottom, kWindowHeight - 5) << c.name;
        } else {
            EXPECT_EQ(inkRight, -1) << c.name << ": a caption in a window narrower than 600";
        }
    }
}

TEST_F(SaverDll, RefusalsPaintNothingAndSayWhy)
{
    PaintWindow window(640, kWindowHeight);
    window.Fill(kMarker);
    ASSERT_TRUE(WriteRegistryRoot(false, 1));
    receiver.Clear();
    EXPECT_EQ(replace(window.Handle(), &record), FALSE);
    EXPECT_TRUE(Logged("!Not yet configured"));
    ASSERT_TRUE(WriteRegistryRoot(true, 0));
    receiver.Clear();
    EXPECT_EQ(replace(window.Handle(), &record), FALSE);
    EXPECT_TRUE(Logged("!List of files is empty"));
    const PaintWindow::Picture picture = window.Capture();
    EXPECT_EQ(std::count(picture.pixels.begin(), picture.pixels.end(), kMarker),
              static_cast<std::ptrdiff_t>(picture.pixels.size()));
    EXPECT_EQ(RandomBit(), 0u) << "nothing selected";

    // A client area with no pixels, and one wider than any canvas can be.
    ASSERT_TRUE(WriteRegistryRoot(true, 1));
    struct SizeCase {
        int width, height;
        const char* line;
    };
    const SizeCase sizes[] = {{0, 0, "! iDstWidth=0, iDstHeight=0"},
                              {40000, 8, "! iDstWidth=40000, iDstHeight=8"}};
    for (const SizeCase& s : sizes) {
        PaintWindow odd(s.width, s.height);
        RECT client{};
        ::GetClientRect(odd.Handle(), &client);
        ASSERT_EQ(client.right, s.width) << "the window system gave another size";
        ASSERT_EQ(client.bottom, s.height);
        receiver.Clear();
        EXPECT_EQ(replace(odd.Handle(), &record), FALSE) << s.line;
        EXPECT_TRUE(Logged(s.line)) << s.line;
    }
}

TEST_F(SaverDll, ACancelFromAnotherThreadStopsTheTransitionAndTheStepStillSucceeds)
{
    PaintWindow window(640, kWindowHeight);
    window.Fill(kMarker);
    std::atomic<int> result{-1};
    std::thread painter([&] { result = replace(window.Handle(), &record); });
    // Probe points across the window; the first painted one shows that the transition is running.
    const auto anyPainted = [&] {
        for (int y = 4; y < kWindowHeight; y += 40)
            for (int x = 4; x < 640; x += 40)
                if (window.Pixel(x, y) != kMarker) return true;
        return false;
    };
    const bool started = testsupport::PumpUntil(anyPainted, 20000);
    cancel();
    const bool ended = testsupport::PumpUntil([&] { return result.load() != -1; }, 20000);
    if (!ended) cancel();
    painter.join();
    ASSERT_TRUE(started) << "nothing was painted";
    EXPECT_EQ(result.load(), TRUE);

    const PaintWindow::Picture picture = window.Capture();
    PaintWindow::SaveShot(picture, "saver_cancelled");
    size_t unpainted = 0, right = 0, wrong = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const COLORREF shown = picture.At(x, y);
            if (shown == kMarker) {
                ++unpainted;
            } else if (shown == Expected(x, y, 640, RGB(0, 0, 0)) ||
                       y >= (kWindowHeight + kImageHeight) / 2) {
                ++right;  // the image, its background, or the caption below it
            } else {
                ++wrong;
            }
        }
    EXPECT_GT(right, 0u);
    EXPECT_GT(unpainted, picture.pixels.size() / 4) << "the rest of the window stays as it was";
    EXPECT_EQ(wrong, 0u);
}

}  // namespace
