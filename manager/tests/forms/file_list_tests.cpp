// The image browser over a small image database, with a stand-in decoder that the test holds: which
// selections are decoded, that closing waits for the loader, what exclusion writes, where the
// preview is drawn.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Ffilelist.h"
#include "KvTestSupport.h"
#include "ManagerFormsTestSupport.h"
#include "ManagerEngine.h"
#include "UiTestKit.h"

using namespace manager;

namespace {

void SetHeader(BITMAPINFO* info, int w, int h)
{
    info->bmiHeader = {};
    info->bmiHeader.biSize = sizeof info->bmiHeader;
    info->bmiHeader.biWidth = w;
    info->bmiHeader.biHeight = h;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = 24;
}

constexpr COLORREF kImageColor = RGB(200, 30, 40);
constexpr COLORREF kAverageColor = RGB(40, 60, 90);

// Decodes every file to a solid picture of the size it is set to; decodes wait while the gate is
// closed. Records the paths whose pixels it delivered.
class StandInDecoder {
public:
    StandInDecoder()
        : m_started(::CreateEventA(nullptr, FALSE, FALSE, nullptr)),
          m_open(::CreateEventA(nullptr, TRUE, TRUE, nullptr))
    {
        m_engine->loadBmpFromJpgFile = [this](BITMAPINFO* info, void* bits, const char* path, DWORD* size,
                                              BOOL, FILETIME*) -> BOOL {
            int w, h;
            {
                std::lock_guard<std::mutex> lock(m_lock);
                w = width;
                h = height;
                if (failing == path) return FALSE;
            }
            const DWORD bytes = static_cast<DWORD>(((w * 24 + 31) / 32) * 4 * h);
            if (!info) {
                *size = bytes;
                return TRUE;
            }
            bool stuck = false;
            {
                std::lock_guard<std::mutex> lock(m_lock);
                stuck = stickOnce == path;
                if (stuck) stickOnce.clear();
            }
            ::SetEvent(m_started.get());
            // A stuck decode ignores every cancel until the test lets it go.
            if (stuck) ::WaitForSingleObject(m_stuck.get(), testsupport::ScaledMs(60000));
            ::WaitForSingleObject(m_open.get(), testsupport::ScaledMs(20000));
            {
                std::lock_guard<std::mutex> lock(m_lock);
                roomTold = size ? *size : 0;
                if (growTo > 0) {
                    // The file grew since its size was asked for: the header tells the new size, and
                    // only the room the caller gave is written.
                    SetHeader(info, growTo, growTo);
                    std::memset(bits, 0x7F, roomTold);
                    return TRUE;
                }
            }
            if (size && *size < bytes) return FALSE;
            SetHeader(info, w, h);
            auto* p = static_cast<BYTE*>(bits);
            for (DWORD i = 0; i + 2 < bytes; i += 3) {
                p[i] = GetBValue(kImageColor);
                p[i + 1] = GetGValue(kImageColor);
                p[i + 2] = GetRValue(kImageColor);
            }
            std::lock_guard<std::mutex> lock(m_lock);
            decoded.push_back(path);
            return TRUE;
        };
        m_engine->getAverageRgbValue = [](BITMAPINFO*, void*) { return kAverageColor; };
    }

    void Close()
    {
        ::ResetEvent(m_open.get());
        ::ResetEvent(m_started.get());
    }
    void Open() { ::SetEvent(m_open.get()); }
    bool WaitStarted()
    {
        return ::WaitForSingleObject(m_started.get(), testsupport::ScaledMs(10000)) == WAIT_OBJECT_0;
    }
    std::vector<std::string> Decoded()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return decoded;
    }
    void SetSize(int w, int h)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        width = w;
        height = h;
    }
    void SetGrowing(int side)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        growTo = side;
    }
    DWORD RoomTold()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return roomTold;
    }
    // The next decode of `path` hangs, whatever cancel it is told, until ReleaseStuck.
    void StickOnce(const std::string& path)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        stickOnce = path;
        ::ResetEvent(m_stuck.get());
        ::ResetEvent(m_started.get());
    }
    void ReleaseStuck() { ::SetEvent(m_stuck.get()); }
    void SetFailing(const std::string& path)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        failing = path;
    }

private:
    std::mutex m_lock;
    std::vector<std::string> decoded;
    int width = 200;
    int height = 100;
    std::string failing;
    std::string stickOnce;
    int growTo = 0;
    DWORD roomTold = 0;
    Handle m_started;
    Handle m_open;
    Handle m_stuck{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    ManagerEngineOverride m_engine;
};

class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 6; ++i)
            ASSERT_TRUE(
                testsupport::WriteFileBytes(folder / ("img" + std::to_string(i) + ".jpg"), "not decoded"));
        CImageFolder imageFolder;
        imageFolder.Path = folder.Path().c_str();
        imageFolder.AddFilesToCollection(files);
        ASSERT_EQ(files.GetCount(), 6);
        record.Display.bRotateByExif = 1;
        ASSERT_TRUE(form.Create());
    }

    std::string PathOf(int row) { return folder.Path() + "\\img" + std::to_string(row) + ".jpg"; }

    // Selects only that row, as a click does.
    void SelectOnly(int row)
    {
        for (int i = 0; i < form.ListViewFiles.ItemCount(); ++i)
            if (i != row) form.ListViewFiles.SetSelected(i, false);
        form.ListViewFiles.SetSelected(row, true);
    }

    bool WaitPreviews(int count)
    {
        return testsupport::PumpUntil([&] { return form.PreviewsShown() >= count; }, 10000);
    }

    testsupport::TempFolder folder{"kvbrowser"};
    CFileCollection files;
    RegistryRecord record{};
    StandInDecoder decoder;
    ui::Owner<TFormFileList> form;
};

TEST_F(BrowserTest, FourSelectionsDuringOneDecodeDecodeTheFirstAndTheLast)
{
    uitest::OnNextModal([&](ui::Form&) {
        EXPECT_EQ(form.ListViewFiles.ItemCount(), 6);
        EXPECT_FALSE(form.CheckBoxExclude.IsEnabled());  // nothing selected at the first opening
        decoder.Close();
        SelectOnly(0);
        ASSERT_TRUE(decoder.WaitStarted());
        SelectOnly(1);
        SelectOnly(2);
        SelectOnly(3);
        decoder.Open();
        EXPECT_TRUE(WaitPreviews(1));
        uitest::Settle();
        EXPECT_EQ(form.GetText(), PathOf(3));
        uitest::Click(form.ButtonClose.Handle());
    });
    EXPECT_EQ(form.ShowBrowser(files, record), ui::kModalOk);
    EXPECT_EQ(decoder.Decoded(), (std::vector<std::string>{PathOf(0), PathOf(3)}));
    EXPECT_EQ(form.PreviewsShown(), 1);
}

TEST_F(BrowserTest, ClosingDuringADecodeReturnsOnlyAfterTheLoaderEnded)
{
    std::atomic<bool> released{false};
    std::thread opener;
    uitest::OnNextModal([&](ui::Form&) {
        decoder.Close();
        SelectOnly(0);
        ASSERT_TRUE(decoder.WaitStarted());
        // The decode goes on a while after the close was asked for.
        opener = std::thread([&] {
            ::Sleep(300);
            released = true;
            decoder.Open();
        });
        uitest::Click(form.ButtonClose.Handle());
    });
    form.ShowBrowser(files, record);
    // Read before the opener is joined: only a close that waited for the decode finds it let go.
    const bool releasedBeforeReturn = released.load();
    const bool loaderRunning = form.Loader().IsRunning();
    const std::vector<std::string> decoded = decoder.Decoded();
    opener.join();
    EXPECT_TRUE(releasedBeforeReturn) << "the close returned while the decode still ran";
    EXPECT_FALSE(loaderRunning);
    EXPECT_EQ(decoded, (std::vector<std::string>{PathOf(0)}));
    EXPECT_EQ(form.LastShownImage(), nullptr);
}

// The exclusion flags as the record file holds them, read with the file's layout (144-byte header,
// 80-byte records; flags at 28, name position and length at 12 and 16 in the string file).
std::vector<std::pair<std::string, DWORD>> FlagsOnDisk(const std::string& records, const std::string& strings)
{
    std::vector<std::pair<std::string, DWORD>> result;
    auto u32 = [](const std::string& b, size_t at) { return *reinterpret_cast<const DWORD*>(b.data() + at); };
    const DWORD count = u32(records, 12);
    for (DWORD i = 0; i < count; ++i) {
        const size_t at = 144 + 80 * i;
        const std::string name = strings.substr(u32(records, at + 12), u32(records, at + 16) - 1);
        result.emplace_back(name, u32(records, at + 28));
    }
    return result;
}

TEST_F(BrowserTest, ExcludeOnThreeSelectedRowsWritesTheirFlags)
{
    std::vector<int> states;
    uitest::OnNextModal([&](ui::Form&) {
        SelectOnly(1);
        form.ListViewFiles.SetSelected(2, true);
        form.ListViewFiles.SetSelected(4, true);
        uitest::Click(form.CheckBoxExclude.Handle());
        for (int i = 0; i < 6; ++i)
            states.push_back(static_cast<int>(
                ::SendMessageA(form.ListViewFiles.Handle(), LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK) >> 12));
        uitest::Click(form.ButtonClose.Handle());
    });
    form.ShowBrowser(files, record);
    EXPECT_EQ(states, (std::vector<int>{1, 2, 2, 1, 2, 1}));
    ASSERT_EQ(files.Modified, 1);
    // The main window saves the list at its close.
    ASSERT_TRUE(files.SaveToFile((folder / "FileListDat.dat").c_str(), (folder / "FileListStr.dat").c_str()));
    const auto flags = FlagsOnDisk(testsupport::ReadFileBytes(folder / "FileListDat.dat"),
                                   testsupport::ReadFileBytes(folder / "FileListStr.dat"));
    ASSERT_EQ(flags.size(), 6u);
    for (const auto& [name, value] : flags) {
        const bool excluded = name == "img1.jpg" || name == "img2.jpg" || name == "img4.jpg";
        EXPECT_EQ(value & FLAG_EXCLUDE_IMAGE, excluded ? 1u : 0u) << name;
    }
}

struct RectCase {
    const char* name;
    int w, h;  // the image
    int W, H;  // the box
    bool drawn;
    RECT expected;
};

TEST(PreviewRect, FittedWithOnePixelFree)
{
    const RectCase cases[] = {
        {"wide", 200, 100, 100, 100, true, {1, 26, 99, 74}},
        {"tall", 100, 200, 100, 100, true, {26, 1, 74, 99}},
        {"exact", 200, 100, 100, 50, true, {1, 1, 99, 49}},
        {"tiny panel", 200, 100, 2, 2, false, {}},
        {"flat panel", 200, 100, 3, 1, false, {}},
        {"no image", 0, 100, 100, 100, false, {}},
    };
    for (const auto& c : cases) {
        RECT r = {};
        ASSERT_EQ(PreviewRect(c.w, c.h, c.W, c.H, r), c.drawn) << c.name;
        if (!c.drawn) continue;
        EXPECT_EQ(r.left, c.expected.left) << c.name;
        EXPECT_EQ(r.top, c.expected.top) << c.name;
        EXPECT_EQ(r.right, c.expected.right) << c.name;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.name;
    }
}

// The bounds of what the preview painted on a memory DC filled with magenta; empty when nothing.
RECT PaintedRect(TFormFileList& form, int W, int H)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = W;
    info.bmiHeader.biHeight = -H;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    GdiObject section(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    MemDC dc(::CreateCompatibleDC(nullptr));
    SelectGuard selected(dc.get(), section.get());
    RECT all = {0, 0, W, H};
    GdiObject magenta(::CreateSolidBrush(RGB(255, 0, 255)));
    ::FillRect(dc.get(), &all, static_cast<HBRUSH>(magenta.get()));
    form.PaintBoxPaint(dc.get(), W, H);
    ::GdiFlush();
    RECT found = {W, H, 0, 0};
    const auto* pixels = static_cast<const DWORD*>(bits);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            if ((pixels[y * W + x] & 0xFFFFFF) != 0xFF00FF) {
                found.left = std::min<LONG>(found.left, x);
                found.top = std::min<LONG>(found.top, y);
                found.right = std::max<LONG>(found.right, x + 1);
                found.bottom = std::max<LONG>(found.bottom, y + 1);
            }
    return found;
}

TEST_F(BrowserTest, PaintBoxDrawsTheFittedRectangleOnAMemoryDc)
{
    struct Case {
        int row, w, h, W, H;
        RECT expected;  // empty (left >= right) for nothing drawn
    } const cases[] = {
        {0, 200, 100, 100, 100, {1, 26, 99, 74}},
        {1, 100, 200, 100, 100, {26, 1, 74, 99}},
        {2, 200, 100, 100, 50, {1, 1, 99, 49}},
        {3, 200, 100, 2, 2, {2, 2, 0, 0}},
    };
    std::vector<RECT> painted;
    uitest::OnNextModal([&](ui::Form&) {
        int previews = form.PreviewsShown();
        for (const auto& c : cases) {
            decoder.SetSize(c.w, c.h);
            SelectOnly(c.row);
            ASSERT_TRUE(WaitPreviews(++previews));
            painted.push_back(PaintedRect(form, c.W, c.H));
        }
        uitest::Click(form.ButtonClose.Handle());
    });
    form.ShowBrowser(files, record);
    ASSERT_EQ(painted.size(), 4u);
    for (size_t i = 0; i < painted.size(); ++i) {
        EXPECT_EQ(painted[i].left, cases[i].expected.left) << i;
        EXPECT_EQ(painted[i].top, cases[i].expected.top) << i;
        EXPECT_EQ(painted[i].right, cases[i].expected.right) << i;
        EXPECT_EQ(painted[i].bottom, cases[i].expected.bottom) << i;
    }
}

TEST_F(BrowserTest, AFileThatFailsToDecodeClearsThePreview)
{
    decoder.SetFailing(PathOf(1));
    RECT afterGood = {}, afterBad = {};
    COLORREF shape = 0;
    uitest::OnNextModal([&](ui::Form&) {
        SelectOnly(0);
        ASSERT_TRUE(WaitPreviews(1));
        afterGood = PaintedRect(form, 100, 100);
        SelectOnly(1);
        ASSERT_TRUE(WaitPreviews(2));
        afterBad = PaintedRect(form, 100, 100);
        shape = form.ShapeBackground.brushColor.Value();
        uitest::Click(form.ButtonClose.Handle());
    });
    form.ShowBrowser(files, record);
    EXPECT_LT(afterGood.left, afterGood.right);
    EXPECT_GE(afterBad.left, afterBad.right);  // nothing of the last image is left
    EXPECT_EQ(shape, ::GetSysColor(COLOR_BTNFACE));
}

TEST_F(BrowserTest, AFileThatGrewIsNotReadPastItsBlock)
{
    decoder.SetSize(100, 50);
    decoder.SetGrowing(400);
    RECT painted = {};
    uitest::OnNextModal([&](ui::Form&) {
        SelectOnly(0);
        ASSERT_TRUE(WaitPreviews(1));
        painted = PaintedRect(form, 100, 100);
        uitest::Click(form.ButtonClose.Handle());
    });
    form.ShowBrowser(files, record);
    EXPECT_GE(decoder.RoomTold(), 300u * 50u);  // the decode is told the block's room
    EXPECT_LT(decoder.RoomTold(), 1200u * 400u);
    EXPECT_GE(painted.left, painted.right);  // a header bigger than the block draws nothing
}

TEST_F(BrowserTest, ReopeningSelectsAndPreviewsTheSameImageAgain)
{
    uitest::OnNextModal([&](ui::Form&) {
        SelectOnly(3);
        ASSERT_TRUE(WaitPreviews(1));
        uitest::Click(form.ButtonClose.Handle());
    });
    form.ShowBrowser(files, record);
    int selected = -1;
    uitest::OnNextModal([&](ui::Form&) {
        selected = form.ListViewFiles.FirstSelected();
        EXPECT_TRUE(WaitPreviews(2));
        uitest::Click(form.ButtonClose.Handle());
    });
    form.ShowBrowser(files, record);
    EXPECT_EQ(selected, 3);
    EXPECT_EQ(decoder.Decoded(), (std::vector<std::string>{PathOf(3), PathOf(3)}));
}

TEST_F(BrowserTest, SetAsWallpaperCountsTheImageShown)
{
    std::vector<std::string> calls;
    ManagerEngineOverride engine;
    engine->showProgressWindow = [&] { calls.push_back("show"); };
    engine->hideProgressWindow = [&] { calls.push_back("hide"); };
    engine->setWallpaper = [&](RegistryRecord* r, const char* folderPath, const char* name, const char*,
                               COLORREF) {
        calls.push_back(std::string(folderPath) + "\\" + name + (r->Display.bRotateByExif ? " rotate" : ""));
        return TRUE;
    };
    uitest::OnNextModal([&](ui::Form&) {
        SelectOnly(2);
        uitest::Click(form.ButtonSetAsWallpaper.Handle());
        uitest::Click(form.ButtonClose.Handle());
    });
    form.ShowBrowser(files, record);
    EXPECT_EQ(calls, (std::vector<std::string>{"show", PathOf(2) + " rotate", "hide"}));
    EXPECT_EQ(files.FileAt(2)->ShownCount, 1u);
    EXPECT_EQ(files.Modified, 1);
}

TEST_F(BrowserTest, ALoaderStuckInADecodeDelaysTheCloseAtMostTenSecondsAndTheNextShowingPreviews)
{
    int cancels = 0;
    ManagerEngineOverride engine;
    engine->cancelCurrentOperation = [&] { ++cancels; };
    decoder.StickOnce(PathOf(0));
    DWORD closeAsked = 0;
    uitest::OnNextModal([&](ui::Form&) {
        SelectOnly(0);
        ASSERT_TRUE(decoder.WaitStarted());
        closeAsked = ::GetTickCount();
        uitest::Click(form.ButtonClose.Handle());
    });
    form.ShowBrowser(files, record);
    const DWORD closeTook = ::GetTickCount() - closeAsked;
    EXPECT_LE(closeTook, CPreviewLoader::kStopLimitMs + testsupport::ScaledMs(1000));
    EXPECT_GE(closeTook, CPreviewLoader::kCancelAfterMs);  // the decode had its chance to finish
    EXPECT_EQ(cancels, 1);
    EXPECT_FALSE(form.Loader().IsRunning());
    EXPECT_EQ(CPreviewLoader::LiveThreads(), 1);  // the stuck one, left to end on its own

    // Reopened while the old decode still hangs: a new loader previews the images.
    bool newLoaderRan = false;
    RECT painted = {};
    uitest::OnNextModal([&](ui::Form&) {
        newLoaderRan = form.Loader().IsRunning();
        SelectOnly(2);
        EXPECT_TRUE(testsupport::PumpUntil(
            [&] {
                const auto decoded = decoder.Decoded();
                return !decoded.empty() && decoded.back() == PathOf(2) && form.PreviewsShown() >= 1;
            },
            10000));
        painted = PaintedRect(form, 100, 100);
        uitest::Click(form.ButtonClose.Handle());
    });
    form.ShowBrowser(files, record);
    EXPECT_TRUE(newLoaderRan);
    EXPECT_LT(painted.left, painted.right);
    uitest::Settle();  // what the ended new loader had posted
    const int previews = form.PreviewsShown();

    // Let go, the old loader ends without telling the window anything.
    decoder.ReleaseStuck();
    EXPECT_TRUE(testsupport::PumpUntil([] { return CPreviewLoader::LiveThreads() == 0; }, 30000));
    uitest::Settle();  // a message it had posted before it ended would be handled now
    EXPECT_EQ(form.PreviewsShown(), previews);
}

TEST_F(BrowserTest, ARepaintDuringADecodeShowsTheLastFinishedPreviewAtOnce)
{
    decoder.SetSize(320, 200);
    uitest::Picture shot;
    DWORD repaintTook = 0;
    uitest::OnNextModal([&](ui::Form&) {
        SelectOnly(0);
        ASSERT_TRUE(WaitPreviews(1));
        decoder.Close();
        SelectOnly(1);
        ASSERT_TRUE(decoder.WaitStarted());
        const DWORD start = ::GetTickCount();
        ::RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        shot = uitest::Capture(form.Handle());
        repaintTook = ::GetTickCount() - start;
        decoder.Open();
        EXPECT_TRUE(WaitPreviews(2));
        uitest::Click(form.ButtonClose.Handle());
    });
    form.ShowBrowser(files, record);
    EXPECT_LT(repaintTook, testsupport::ScaledMs(500));
    ASSERT_FALSE(shot.Empty());
    EXPECT_TRUE(shot.SavePng(uitest::ShotPath("manager_browser_during_decode.png")));
    // The middle of the paint box shows the image decoded before.
    const RECT box = form.PaintBox.GetWindowRect();
    const RECT window = form.GetWindowRect();
    EXPECT_EQ(shot.Pixel((box.left + box.right) / 2 - window.left, (box.top + box.bottom) / 2 - window.top),
              kImageColor);
}

TEST_F(BrowserTest, HelpOpensTheHelpFileBesideTheProgram)
{
    mftest::TakeMessageBoxes();
    uitest::OnNextModal([&](ui::Form&) {
        uitest::Click(form.ButtonHelp.Handle());
        uitest::Click(form.ButtonClose.Handle());
    });
    form.ShowBrowser(files, record);
    const auto boxes = mftest::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "open: " + testsupport::ExeFolder() + "Kestrova.chm");
}

TEST_F(BrowserTest, Picture)
{
    decoder.SetSize(320, 200);
    uitest::Picture shot;
    uitest::OnNextModal([&](ui::Form&) {
        SelectOnly(1);
        ASSERT_TRUE(WaitPreviews(1));
        ::RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        shot = uitest::Capture(form.Handle());
        uitest::Click(form.ButtonClose.Handle());
    });
    form.ShowBrowser(files, record);
    ASSERT_FALSE(shot.Empty());
    EXPECT_TRUE(shot.SavePng(uitest::ShotPath("manager_browser.png")));
    // The middle of the paint box shows the image.
    const RECT box = form.PaintBox.GetWindowRect();
    const RECT window = form.GetWindowRect();
    EXPECT_EQ(shot.Pixel((box.left + box.right) / 2 - window.left, (box.top + box.bottom) / 2 - window.top),
              kImageColor);
    // Above the picture, which is wider than the screen, the miniature screen shows the average colour.
    EXPECT_EQ(shot.Pixel((box.left + box.right) / 2 - window.left, box.top + 4 - window.top), kAverageColor);
}

// The real engine behind the browser: a JPEG turned by its EXIF orientation is previewed upright,
// a broken one clears the preview.
TEST(BrowserRealEngine, DecodesThroughKvApi)
{
    testsupport::TempFolder folder("kvrealbrowser");
    const std::string fixtures = testsupport::ExeFolder() + "jpeg_fixtures\\";
    for (const char* name : {"exif_o6_be_640x480.jpg", "broken.jpg", "plain_64x48.jpg"})
        ASSERT_TRUE(::CopyFileA((fixtures + name).c_str(), (folder / name).c_str(), FALSE)) << name;
    CFileCollection files;
    CImageFolder imageFolder;
    imageFolder.Path = folder.Path().c_str();
    imageFolder.AddFilesToCollection(files);
    ASSERT_EQ(files.GetCount(), 3);
    RegistryRecord record{};
    record.Display.bRotateByExif = 1;
    ui::Owner<TFormFileList> form;
    ASSERT_TRUE(form.Create());
    std::vector<RECT> painted;
    uitest::OnNextModal([&](ui::Form&) {
        int previews = 0;
        for (const char* name : {"exif_o6_be_640x480.jpg", "broken.jpg", "plain_64x48.jpg"}) {
            int row = 0;
            while (row < form.ListViewFiles.ItemCount() && form.ListViewFiles.ItemText(row) != name)
                ++row;
            for (int i = 0; i < form.ListViewFiles.ItemCount(); ++i)
                form.ListViewFiles.SetSelected(i, i == row);
            ASSERT_TRUE(testsupport::PumpUntil([&] { return form.PreviewsShown() > previews; }, 20000))
                << name;
            ++previews;
            painted.push_back(PaintedRect(form, 100, 100));
        }
        uitest::Click(form.ButtonClose.Handle());
    });
    form.ShowBrowser(files, record);
    ASSERT_EQ(painted.size(), 3u);
    // 480 x 640 upright in a square box: 73 x 98 pixels, centred.
    EXPECT_EQ(painted[0].left, 13);
    EXPECT_EQ(painted[0].top, 1);
    EXPECT_EQ(painted[0].right, 86);
    EXPECT_EQ(painted[0].bottom, 99);
    EXPECT_GE(painted[1].left, painted[1].right);
    // 64 x 48: 98 x 73 pixels, centred.
    EXPECT_EQ(painted[2].left, 1);
    EXPECT_EQ(painted[2].top, 13);
    EXPECT_EQ(painted[2].right, 99);
    EXPECT_EQ(painted[2].bottom, 86);
}

}  // namespace
