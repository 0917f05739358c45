// The file-name caption: its text, and where its ink lands on the wallpaper for each corner. Glyph
// pixels depend on the fonts installed, so the position is checked against the text's extent
// measured here, not against a picture.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "KvTestSupport.h"
#include "Ucompose.h"
#include "Wcommon.h"
#include "composition_support.h"

using kvtest::Bgr;
using kvtest::TestDib;

namespace {

DisplaySettings Display()
{
    RegistryRecord record = {};
    SetRegistryDefaults(nullptr, &record, false, false);
    return record.Display;
}

TEST(CompositionCaption, Text)
{
    const struct {
        bool showPath, addDate;
        const char* path;
        const char* name;
        const char* date;
        std::string text;
        // clang-format off
    } cases[] = {
        {false, false, "C:\\P\\Holiday_photo.JPG", "Holiday_photo.JPG", "", "Holiday photo"},
        {false, false, "", "pic.jpeg", "", "pic"},
        {false, false, "", "my_pic.JPEG", "", "my pic"},
        // Only the last ".jpg" goes, wherever it stands; ".jpeg" only when there is no ".jpg".
        {false, false, "", "a.jpg.old.jpeg", "", "a.old.jpeg"},
        {false, false, "", "a.jpeg.jpg", "", "a.jpeg"},
        {false, false, "", "no_extension", "", "no extension"},
        {false, true, "", "pic.jpg", "1.2.2025", "pic, 1.2.2025"},
        {true, false, "C:\\My_Pics\\my_pic.jpg", "my_pic.jpg", "", "C:\\My_Pics\\my_pic.jpg"},
        {true, true, "C:\\P\\x.jpg", "x.jpg", "3.4.2001", "C:\\P\\x.jpg, 3.4.2001"},
        {false, true, nullptr, nullptr, nullptr, ", "},
    };
    // clang-format on
    for (const auto& c : cases) {
        DisplaySettings display = Display();
        display.bShowFilePath = c.showPath;
        display.bFileNameAddDate = c.addDate;
        EXPECT_EQ(BuildCaptionText(display, c.path, c.name, c.date), c.text) << c.text;
    }

    // A path of any length and a long date are kept whole: the caption has no fixed buffer.
    DisplaySettings display = Display();
    display.bShowFilePath = 1;
    display.bFileNameAddDate = 1;
    const std::string path = "C:\\" + std::string(700, 'p') + ".jpg";
    const std::string date(99, 'd');
    EXPECT_EQ(BuildCaptionText(display, path.c_str(), "x", date.c_str()), path + ", " + date);
}

// The extent of the caption in the caption's font, measured without the canvas.
SIZE Extent(const char* text, const char* face, int points)
{
    const HDC dc = ::CreateCompatibleDC(nullptr);
    const HFONT font =
        ::CreateFontA(-::MulDiv(points, ::GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE,
                      FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                      ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
    const HGDIOBJ old = ::SelectObject(dc, font);
    SIZE size = {};
    ::GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
    ::SelectObject(dc, old);
    ::DeleteObject(font);
    ::DeleteDC(dc);
    return size;
}

TEST(CompositionCaption, InkLandsInItsCorner)
{
    constexpr COLORREF kBackground = RGB(20, 40, 60);  // dark: the text is white
    const RECT work = {20, 10, 200, 100};              // task bars on the left and at the top
    const int fromSide = 10, fromEdge = 5;
    const char* caption = "Holiday photo, 12.5.2024";
    const SIZE extent = Extent(caption, "Arial", 8);
    ASSERT_GT(extent.cx, 0);
    const int right = (work.right - work.left) - extent.cx - fromSide;
    const int bottom = (work.bottom - work.top) - extent.cy - fromEdge;
    const struct {
        DWORD position;
        int x, y;
    } cases[] = {{0, right, fromEdge},
                 {1, right, bottom},
                 {2, fromSide, fromEdge},
                 {3, fromSide, bottom},
                 {7, fromSide, bottom}};

    testsupport::TempFolder folder("caption");
    kvtest::FixedEnvironment environment(220, 110, work);
    const CDesktopEnvironmentOverride use(environment);
    // A one-pixel image in the background colour itself: every other colour is the caption's.
    const TestDib image =
        TestDib::TrueColor(1, 1, false, [](int, int) { return kvtest::FromColorRef(kBackground); });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.position);
        RegistryRecord settings = {};
        SetRegistryDefaults(nullptr, &settings, false, false);
        settings.Display.bShrinkOnly = 1;
        settings.Display.dwTextures = 0;
        settings.Display.bShowFileName = 1;
        settings.Display.bFileNameAddDate = 1;
        lstrcpyA(settings.Display.szFileFontName, "Arial");
        settings.Display.dwFileFontSize = 8;
        settings.Display.dwFileNamePosition = c.position;
        settings.Display.dwFileNameVerMargin = fromSide;
        settings.Display.dwFileNameHorMargin = fromEdge;
        settings.Calendar.bShow = 0;
        const std::string target = folder / "work.bmp";
        lstrcpyA(settings.Files.szWorkBmpFile, target.c_str());
        COLORREF average = kBackground;
        ASSERT_TRUE(ComposeBackgroundBitmapFromDib(settings, image.Info(), image.Bits(),
                                                   "C:\\P\\Holiday_photo.jpg", "Holiday_photo.jpg",
                                                   "12.5.2024", &average));

        const kvtest::BmpImage bmp = kvtest::ParseBmp(testsupport::ReadFileBytes(target));
        ASSERT_TRUE(bmp.ok) << bmp.error;
        const RECT box = {work.left + c.x - 1, work.top + c.y - 1, work.left + c.x + extent.cx + 1,
                          work.top + c.y + extent.cy + 1};
        int ink = 0, outside = 0;
        for (int y = 0; y < bmp.height; ++y)
            for (int x = 0; x < bmp.width; ++x) {
                if (bmp.At(x, y) == kvtest::FromColorRef(kBackground)) continue;
                ++ink;
                if (x < box.left || x >= box.right || y < box.top || y >= box.bottom) ++outside;
            }
        EXPECT_GT(ink, 20);
        EXPECT_EQ(outside, 0);
    }
}

}  // namespace
