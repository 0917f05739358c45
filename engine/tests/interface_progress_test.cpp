// The progress window and callback, in this process: what windows really exist, where they stand,
// what their label says and which texts reach the callback.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "Fprogress.h"
#include "UTxUtils.h"
#include "Uexport.h"
#include "Usync.h"

namespace {

std::vector<std::string> g_Received;
void __stdcall Receive(const char* text)
{
    g_Received.push_back(text ? text : "(null)");
}

BOOL CALLBACK CollectProgressWindow(HWND wnd, LPARAM param)
{
    char name[64] = {};
    ::GetClassNameA(wnd, name, sizeof name);
    if (std::string(name) == "TFormProgress") reinterpret_cast<std::vector<HWND>*>(param)->push_back(wnd);
    return TRUE;
}

std::vector<HWND> ProgressWindowsOfThisThread()
{
    std::vector<HWND> windows;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectProgressWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND OnlyProgressWindow()
{
    const std::vector<HWND> windows = ProgressWindowsOfThisThread();
    return windows.size() == 1 ? windows[0] : nullptr;
}

HWND LabelOf(HWND form)
{
    return ::FindWindowExA(form, nullptr, "Static", nullptr);
}

std::string TextOf(HWND wnd)
{
    char text[1024] = {};
    ::GetWindowTextA(wnd, text, sizeof text);
    return text;
}

class InterfaceProgress : public ::testing::Test {
protected:
    void SetUp() override { g_Received.clear(); }
    void TearDown() override
    {
        CSynchronizationGuard lock;
        SetProgressProc(nullptr);
        HideProgressWindow();
        EXPECT_TRUE(ProgressWindowsOfThisThread().empty());
    }
};

TEST_F(InterfaceProgress, ShowTwiceMakesOneWindowAndKeepsItsText)
{
    CSynchronizationGuard lock;
    ShowProgressWindow();
    SetProgressMsg("first");
    ShowProgressWindow();
    HWND form = OnlyProgressWindow();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(ProgressWindowExists());
    EXPECT_TRUE(::IsWindowVisible(form));
    EXPECT_EQ(TextOf(LabelOf(form)), "first");
}

TEST_F(InterfaceProgress, WindowIsCentredWithoutCaption)
{
    CSynchronizationGuard lock;
    ShowProgressWindow();
    HWND form = OnlyProgressWindow();
    ASSERT_NE(form, nullptr);
    const LONG style = ::GetWindowLongA(form, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, 0);
    EXPECT_EQ(style & WS_SYSMENU, 0);

    // The outer size of a 556 x 2 client under a dialog caption, kept when the caption went.
    RECT designed = {0, 0, 556, 2};
    ::AdjustWindowRectEx(&designed, WS_POPUP | WS_CAPTION, FALSE, WS_EX_DLGMODALFRAME);
    RECT outer = {};
    ::GetWindowRect(form, &outer);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    EXPECT_EQ(width, designed.right - designed.left);
    EXPECT_EQ(height, designed.bottom - designed.top);
    EXPECT_EQ(outer.left, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(outer.top, (::GetSystemMetrics(SM_CYSCREEN) - height) / 2);

    // The caption's height became client area, and the label lies inside it.
    RECT client = {};
    ::GetClientRect(form, &client);
    EXPECT_EQ(client.right, 556);
    EXPECT_GE(client.bottom, 18);
    HWND label = LabelOf(form);
    ASSERT_NE(label, nullptr);
    RECT labelRect = {};
    ::GetWindowRect(label, &labelRect);
    ::MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&labelRect), 2);
    EXPECT_EQ(labelRect.left, 2);
    EXPECT_EQ(labelRect.top, 5);
    EXPECT_EQ(labelRect.right - labelRect.left, 553);
    EXPECT_EQ(labelRect.bottom - labelRect.top, 13);
    EXPECT_LE(labelRect.bottom, client.bottom);
    EXPECT_EQ(::GetWindowLongA(label, GWL_STYLE) & SS_TYPEMASK, SS_CENTER);
}

TEST_F(InterfaceProgress, WindowAndLabelUseTheTooltipColours)
{
    CSynchronizationGuard lock;
    ShowProgressWindow();
    HWND form = OnlyProgressWindow();
    ASSERT_NE(form, nullptr);

    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 600;
    bi.bmiHeader.biHeight = -40;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    MemDC dc(::CreateCompatibleDC(nullptr));
    GdiObject bitmap(::CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    ASSERT_TRUE(bits);
    SelectGuard select(dc.get(), bitmap.get());
    ::SendMessageA(form, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0);
    EXPECT_EQ(::GetPixel(dc.get(), 1, 1), ::GetSysColor(COLOR_INFOBK));

    HWND label = LabelOf(form);
    const LRESULT brush = ::SendMessageA(form, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                                         reinterpret_cast<LPARAM>(label));
    EXPECT_NE(brush, 0);
    EXPECT_EQ(::GetTextColor(dc.get()), ::GetSysColor(COLOR_INFOTEXT));
    EXPECT_EQ(::GetBkColor(dc.get()), ::GetSysColor(COLOR_INFOBK));
}

TEST_F(InterfaceProgress, ReportedTextsReachTheLabelAndTheCallback)
{
    CSynchronizationGuard lock;
    ShowProgressWindow();
    HWND form = OnlyProgressWindow();
    ASSERT_NE(form, nullptr);
    ReportProgressF(gld_ReadingS, "C:\\a.jpg");
    EXPECT_EQ(TextOf(LabelOf(form)), "Reading C:\\a.jpg...");

    SetProgressProc(&Receive);  // set while the window is shown: both get the texts
    ReportProgressF(gld_Saving);
    EXPECT_EQ(TextOf(LabelOf(form)), "Saving to BMP file...");
    SetProgressMsg("label only");
    EXPECT_EQ(TextOf(LabelOf(form)), "label only");
    EXPECT_EQ(g_Received, std::vector<std::string>{"Saving to BMP file..."});
    EXPECT_EQ(ProgressWindowsOfThisThread().size(), 1u) << "setting a callback leaves the window";
}

TEST_F(InterfaceProgress, WithCallbackNoWindowAndEveryTextInOrder)
{
    CSynchronizationGuard lock;
    SetProgressProc(&Receive);
    ShowProgressWindow();
    EXPECT_FALSE(ProgressWindowExists());
    EXPECT_TRUE(ProgressWindowsOfThisThread().empty());
    ReportProgressF(gld_ReadingS, "a.jpg");
    ReportProgressF(gld_ResamplingDDDD, 4000, 3000, 1024, 768);
    ReportProgress(nullptr);
    SetProgressMsg("never reaches the callback");
    ReportProgressF(gld_RotatingImage);
    const std::vector<std::string> expected = {"Reading a.jpg...", "Resampling from 4000x3000 to 1024x768...",
                                               "", "Rotating image..."};
    EXPECT_EQ(g_Received, expected);
}

TEST_F(InterfaceProgress, HideWithoutWindowDoesNothing)
{
    CSynchronizationGuard lock;
    HideProgressWindow();
    HideProgressWindow();
    EXPECT_FALSE(ProgressWindowExists());
    SetProgressMsg("nobody");
    ShowProgressWindow();
    HideProgressWindow();
    EXPECT_FALSE(ProgressWindowExists());
    EXPECT_TRUE(ProgressWindowsOfThisThread().empty());
}

TEST_F(InterfaceProgress, TextsFromAThreadWithoutTheLockAreDropped)
{
    {
        CSynchronizationGuard lock;
        SetProgressProc(&Receive);
    }
    ReportProgress("unlocked");
    ReportProgressF(gld_Saving);
    std::thread([] { ReportProgress("other thread"); }).join();
    EXPECT_TRUE(g_Received.empty());
}

TEST_F(InterfaceProgress, WindowOfAnEndedThreadIsForgotten)
{
    std::thread([] {
        CSynchronizationGuard lock;
        ShowProgressWindow();
    }).join();
    CSynchronizationGuard lock;
    EXPECT_FALSE(ProgressWindowExists()) << "the window died with its thread";
    ShowProgressWindow();
    EXPECT_NE(OnlyProgressWindow(), nullptr);
}

TEST_F(InterfaceProgress, HideFromAnotherThreadClosesTheWindowThroughItsOwnThread)
{
    {
        CSynchronizationGuard lock;
        ShowProgressWindow();
    }
    HWND form = OnlyProgressWindow();
    ASSERT_NE(form, nullptr);
    std::thread([] {
        CSynchronizationGuard lock;
        HideProgressWindow();
        EXPECT_FALSE(ProgressWindowExists());
    }).join();
    EXPECT_TRUE(::IsWindow(form)) << "only the window's own thread can destroy it";
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageA(&msg);
    EXPECT_FALSE(::IsWindow(form));
}

struct FailureCase {
    const char* name;
    bool windowBefore;
    bool throws;
    bool windowAfter;
};

const FailureCase kFailureCases[] = {
    {"operation showed the window, then threw", false, true, false},
    {"operation showed the window, then failed", false, false, false},
    {"caller's window stays when the operation threw", true, true, true},
    {"caller's window stays when the operation failed", true, false, true},
};

TEST_F(InterfaceProgress, FailedExportLeavesNoWindowOfItsOwn)
{
    for (const FailureCase& c : kFailureCases) {
        if (c.windowBefore) {
            CSynchronizationGuard lock;
            ShowProgressWindow();
        }
        const bool succeeded = RunLockedExport({"WpApi_Test", ExportLog::AfterLock, true}, [&] {
            ShowProgressWindow();
            ReportProgressF(gld_ErrorCannotReadWrite);
            if (c.throws) throw ExNormal("registry error");
            return false;
        });
        EXPECT_FALSE(succeeded) << c.name;
        EXPECT_EQ(ProgressWindowsOfThisThread().size(), c.windowAfter ? 1u : 0u) << c.name;
        CSynchronizationGuard lock;
        HideProgressWindow();
    }
}

}  // namespace
