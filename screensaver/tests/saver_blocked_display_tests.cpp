// The blocked display, read back as pixels: the saver window is made through the screen-saver
// library in this process, as a child of a test window (nothing drawn into another process's
// window can be read back).
#include "KvTestSupport.h"
#include "SaverBlockedDisplay.h"
#include "ScrSaverWindow.h"
#include "UTxUtils.h"
#include "saver_pictures.h"
#include "saver_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace savertest;

namespace {

constexpr COLORREF kDarkGrey = 0x404040;

// The top of the notice band: the notice is centred in its 200-pixel band, so the middle of the
// rows with text pixels lies 100 pixels below the band's top, give or take what the glyphs leave
// blank in their cells. -1 while no notice is drawn, -2 when it is not centred on a band of 50-pixel
// steps.
int NoticeBandTop(const Picture& picture)
{
    int first = -1;
    int last = -1;
    for (int y = 0; y < picture.height; ++y) {
        if (!picture.RowHas(y, kNoticeTextColor)) continue;
        if (first < 0) first = y;
        last = y;
    }
    if (first < 0) return -1;
    const int top = (first + last) / 2 - kNoticeBandHeight / 2;
    const int step = (top + kNoticeBandStep / 2) / kNoticeBandStep * kNoticeBandStep;
    return std::abs(top - step) <= 6 ? step : -2;
}

// A visible top-level test window whose client area the saver's child fills.
class HostWindow {
public:
    HostWindow(int width, int height)
    {
        RECT frame = {0, 0, width, height};
        ::AdjustWindowRectEx(&frame, WS_POPUP, FALSE, 0);
        m_hWnd = ::CreateWindowExA(0, "STATIC", "Saver host", WS_POPUP | WS_VISIBLE, 0, 0,
                                   frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                   ::GetModuleHandleA(nullptr), nullptr);
    }
    ~HostWindow()
    {
        if (m_hWnd) ::DestroyWindow(m_hWnd);
        testsupport::PumpMessages();
    }
    HWND get() const { return m_hWnd; }

private:
    HWND m_hWnd = nullptr;
};

// Waits until the saver shows its notice and has served the requests of its start (the first timer
// tick and the erase of the first paint, which come in no fixed order): the band then stays put.
bool WaitForSettledNotice(HWND saver, Picture& picture, int& top)
{
    constexpr DWORD kSettledMs = 500;
    DWORD since = 0;
    top = -1;
    return testsupport::PumpUntil(
        [&] {
            picture = Capture(saver);
            const int now = NoticeBandTop(picture);
            if (now < 0 || now != top) {
                top = now;
                since = ::GetTickCount();
                return false;
            }
            return ::GetTickCount() - since >= kSettledMs;
        },
        5000);
}

class BlockedDisplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearAll();
        UseStubEngine();
        WriteDword(HKEY_CURRENT_USER, Key("ScreenSaver"), "ExchangePeriod", 99);  // only our requests
    }
    void TearDown() override { ClearAll(); }

    HWND MakeSaver(const HostWindow& host)
    {
        return scrsaver::CreateSaverWindow(::GetModuleHandleA(nullptr), scrsaver::SaverMode::Preview,
                                           host.get());
    }
};

}  // namespace

TEST_F(BlockedDisplay, TheAgentsBlockShowsTheMovingNoticeAndNoImage)
{
    WriteDword(HKEY_CURRENT_USER, Key("Agent"), "Block", 1);
    const HostWindow host(1024, 300);
    ASSERT_TRUE(host.get());
    const HWND saver = MakeSaver(host);
    ASSERT_TRUE(saver);

    Picture picture;
    int top = -1;
    ASSERT_TRUE(WaitForSettledNotice(saver, picture, top)) << "no notice";
    SaveShot(picture, "saver_blocked_display.bmp");
    EXPECT_EQ(picture.At(0, 0), kDarkGrey);
    EXPECT_EQ(picture.At(picture.width - 1, picture.height - 1), kDarkGrey);
    EXPECT_GT(picture.CountOf(kNoticeTextColor), 100);
    for (int y = 0; y < picture.height; ++y) {
        if (y >= top && y < top + kNoticeBandHeight) continue;
        int others = 0;
        for (int x = 0; x < picture.width; ++x)
            others += picture.At(x, y) != kDarkGrey;
        ASSERT_EQ(others, 0) << "row " << y << " outside the band at " << top;
    }

    // 300 pixels high: the band fits at 0, 50 and 100, then starts again at the top. Each request
    // moves it one step.
    for (int request = 0; request < 4; ++request) {
        const int expected = top + kNoticeBandStep + kNoticeBandHeight > 300 ? 0 : top + kNoticeBandStep;
        ::PostMessageA(saver, WM_TIMER, 1, 0);
        EXPECT_TRUE(testsupport::PumpUntil([&] { return NoticeBandTop(Capture(saver)) == expected; }, 5000))
            << "from " << top << " to " << expected;
        top = expected;
    }

    ::DestroyWindow(saver);
    const std::vector<std::string> calls = StubCalls();
    EXPECT_EQ(CountCalls(calls, "replace "), 0) << "no image while blocked";
    EXPECT_EQ(CountCalls(calls, "free"), 1);
}

TEST_F(BlockedDisplay, ARunningBlockingProgramShowsTheNoticeToo)
{
    // This test program's own visible window is the blocking program's.
    WriteText(HKEY_CURRENT_USER, Key("Agent"), "ConflictingPrgs", "notepad.exe;saver_tests.exe");
    const HostWindow host(1024, 300);
    const HWND saver = MakeSaver(host);
    ASSERT_TRUE(saver);
    Picture picture;
    int top = -1;
    EXPECT_TRUE(WaitForSettledNotice(saver, picture, top)) << "no notice";
    ::DestroyWindow(saver);
    EXPECT_EQ(CountCalls(StubCalls(), "replace "), 0);
}

TEST_F(BlockedDisplay, ANarrowWindowGetsTheGreyOnly)
{
    WriteDword(HKEY_CURRENT_USER, Key("Agent"), "Block", 1);
    const HostWindow host(599, 300);
    const HWND saver = MakeSaver(host);
    ASSERT_TRUE(saver);
    Picture picture;
    EXPECT_TRUE(testsupport::PumpUntil(
        [&] {
            picture = Capture(saver);
            return picture.CountOf(kDarkGrey) == picture.width * picture.height;
        },
        5000));
    SaveShot(picture, "saver_blocked_preview.bmp");
    ::DestroyWindow(saver);
}

TEST_F(BlockedDisplay, EveryRepaintEndsInTheGreyNotInTheEraseBlack)
{
    // Each repaint erases the window black and asks the paint thread for the grey; the grey must be
    // the last thing drawn however the two threads interleave.
    WriteDword(HKEY_CURRENT_USER, Key("Agent"), "Block", 1);
    const HostWindow host(599, 300);
    const HWND saver = MakeSaver(host);
    ASSERT_TRUE(saver);
    const auto allGrey = [&] {
        const Picture picture = Capture(saver);
        return picture.CountOf(kDarkGrey) == picture.width * picture.height;
    };
    ASSERT_TRUE(testsupport::PumpUntil(allGrey, 5000));
    for (int repaint = 0; repaint < 40; ++repaint) {
        ::InvalidateRect(saver, nullptr, TRUE);
        ASSERT_TRUE(testsupport::PumpUntil(allGrey, 3000))
            << "repaint " << repaint << ": top left 0x" << std::hex << Capture(saver).At(0, 0);
    }
    ::DestroyWindow(saver);
}

TEST(BlockedDisplayPainting, TheBandMovesFiftyPixelsAndWrapsBeforeLeavingTheWindow)
{
    const HostWindow host(700, 420);
    ASSERT_TRUE(host.get());
    int top = 0;
    std::vector<int> drawn;
    for (int i = 0; i < 7; ++i) {
        const int next =
            PaintBlockedDisplay(host.get(), top, "Kestrova Screen Saver blocked due to: Kestrova Agent");
        const Picture picture = Capture(host.get());
        drawn.push_back(NoticeBandTop(picture));
        EXPECT_EQ(picture.At(0, 0), kDarkGrey);
        top = next;
    }
    // 420 pixels: 0 to 200 fit (200 + 200 <= 420), 250 would not.
    EXPECT_EQ(drawn, (std::vector<int>{0, 50, 100, 150, 200, 0, 50}));
    EXPECT_EQ(PaintBlockedDisplay(host.get(), 150, nullptr), 150) << "no notice: grey only, band kept";
}
