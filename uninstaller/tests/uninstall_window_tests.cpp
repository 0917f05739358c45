// The uninstaller's window in the test's own process: its texts, its gradient in a picture, Start
// clicked as a user would, and the states after a missing log.
#include "Fmain.h"
#include "KvTestSupport.h"
#include "UiTestKit.h"
#include "Uinstallvalues.h"
#include "uninstall_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using uninstalltest::MachineKeyExists;
using uninstalltest::SetMachineValue;

// Pixels of `colour` within a control's bounds in a picture of the whole window.
int CountIn(const uitest::Picture& shot, const ui::Window& control, COLORREF colour)
{
    const RECT bounds = control.GetWindowRect();
    RECT window = {};
    ::GetWindowRect(::GetAncestor(control.Handle(), GA_ROOT), &window);
    int count = 0;
    for (int y = bounds.top - window.top; y < bounds.bottom - window.top; ++y)
        for (int x = bounds.left - window.left; x < bounds.right - window.left; ++x)
            count += shot.Pixel(x, y) == colour;
    return count;
}

const std::string kKestrovaEntry = std::string(kUninstallKey) + "Kestrova";

class UninstallWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(s_WindowClass.Register()); }
    static void TearDownTestSuite() { s_WindowClass.Unregister(); }
    void SetUp() override
    {
        uninstalltest::DeleteMachineKey(kLanguageKey);
        uninstalltest::DeleteMachineKey(kKestrovaEntry.c_str());
        uninstalltest::DeleteMachineKey(kSetupKey);
    }
    void TearDown() override
    {
        m_Form.Destroy();
        uninstalltest::DeleteMachineKey(kLanguageKey);
        uninstalltest::DeleteMachineKey(kKestrovaEntry.c_str());
        uninstalltest::DeleteMachineKey(kSetupKey);
    }

    void Open(const std::string& folder)
    {
        m_Form.parameters = folder;
        m_Form.mainForm = false;  // the test's own loop goes on after the window
        ASSERT_TRUE(m_Form.Create(s_WindowClass));
        m_Form.Show();
        uitest::Settle();
    }

    // Every part of the window painted now (WM_PAINT waits behind posted messages), then pictured.
    uitest::Picture Picture()
    {
        ::RedrawWindow(m_Form.Handle(), nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
        return uitest::Capture(m_Form.Handle());
    }

    static ui::WindowClass s_WindowClass;
    testsupport::TempFolder m_Folder{"Kv  Window"};
    ui::Owner<TFormMain> m_Form;
};

ui::WindowClass UninstallWindow::s_WindowClass("TFormMainUninstallTest");

TEST_F(UninstallWindow, ReadyWithItsTextsAndGradientThenStartRemovesWhatTheLogLists)
{
    const std::string program = m_Folder / "KvManag.exe";
    ASSERT_TRUE(testsupport::WriteFileBytes(program, "MZ"));
    ASSERT_TRUE(testsupport::WriteFileBytes(
        m_Folder / "Install.log", "S_PRGFILE " + program + "\r\nS_PRGFILE " + m_Folder / "Install.log" +
                                      "\r\nS_TIME___ 01.01.2026 10:00\r\n"));
    SetMachineValue(kLanguageKey, "Language", REG_SZ, std::string("English", 8));
    SetMachineValue(kLanguageKey, "glu_Start", REG_SZ, std::string("Start now", 10));
    // The registered installation: the language texts, which all installations share, are its own.
    SetMachineValue(kSetupKey, kInstalledPrgDir, REG_SZ, m_Folder.Path() + '\0');
    Open(m_Folder.Path());

    EXPECT_EQ(m_Form.GetText(), "Kestrova Uninstall Program");
    EXPECT_EQ(m_Form.LabelNote.GetText(), UninstallDefaultText(glu_Usage));
    EXPECT_EQ(m_Form.ButtonStart.GetText(), "Start now");
    EXPECT_EQ(m_Form.ButtonCancel.GetText(), "Cancel");
    EXPECT_TRUE(m_Form.LabelNote.IsVisible());
    EXPECT_FALSE(m_Form.MemoProgress.IsVisible());
    EXPECT_FALSE(m_Form.LabelBye.IsVisible());
    const RECT client = m_Form.GetClientRect();
    EXPECT_EQ(client.right, 609);
    EXPECT_EQ(client.bottom, 197);

    // 197 rows: bands one pixel high, row y painted with blue y. Column 4 lies left of every control.
    EXPECT_EQ(TFormMain::GradientBandHeight(197), 1);
    EXPECT_EQ(TFormMain::GradientBandHeight(512), 3);
    const uitest::Picture shot = Picture();
    ASSERT_FALSE(shot.Empty());
    EXPECT_TRUE(shot.SavePng(uitest::ShotPath("uninstall.png")));
    POINT origin = {0, 0};
    ::ClientToScreen(m_Form.Handle(), &origin);
    const RECT outer = m_Form.GetWindowRect();
    const int dx = origin.x - outer.left;
    const int dy = origin.y - outer.top;
    for (int y : {0, 1, 50, 100, 150, 196})
        EXPECT_EQ(shot.Pixel(dx + 4, dy + y), RGB(0, 0, y)) << "row " << y;
    // The white note text lies on the gradient.
    EXPECT_GT(CountIn(shot, m_Form.LabelNote, RGB(255, 255, 255)), 100);

    uitest::Click(m_Form.ButtonStart.Handle());
    EXPECT_EQ(m_Form.MemoProgress.GetText(),
              "Deleted file " + m_Folder / "Install.log" + "\r\nDeleted file " + program);
    EXPECT_FALSE(testsupport::PathExists(program));
    EXPECT_TRUE(m_Form.MemoProgress.IsVisible());
    EXPECT_FALSE(m_Form.LabelNote.IsVisible());
    EXPECT_FALSE(m_Form.ButtonStart.IsVisible());
    EXPECT_TRUE(m_Form.LabelBye.IsVisible());
    EXPECT_EQ(m_Form.LabelBye.GetText(), "Uninstallation Complete");
    EXPECT_EQ(m_Form.ButtonCancel.GetText(), "Close");
    EXPECT_TRUE(m_Form.ButtonCancel.IsEnabled());
    EXPECT_FALSE(MachineKeyExists(kLanguageKey));
    const uitest::Picture complete = Picture();
    EXPECT_TRUE(complete.SavePng(uitest::ShotPath("uninstall-complete.png")));
    EXPECT_GT(CountIn(complete, m_Form.LabelBye, RGB(255, 255, 0)), 20);

    uitest::Click(m_Form.ButtonCancel.Handle());
    uitest::Settle();
    EXPECT_FALSE(m_Form.IsVisible());
}

TEST_F(UninstallWindow, AMissingLogOffersOnlyCloseAndRemovesNothing)
{
    SetMachineValue(kKestrovaEntry.c_str(), "DisplayName", REG_SZ, std::string("Kestrova", 9));
    SetMachineValue(kLanguageKey, "Language", REG_SZ, std::string("English", 8));
    Open(m_Folder.Path());
    EXPECT_EQ(m_Form.MemoProgress.GetText(),
              "The installation history file is missing: " + m_Folder.Path() + "\\Install.log");
    EXPECT_TRUE(m_Form.MemoProgress.IsVisible());
    EXPECT_EQ(m_Form.LabelBye.GetText(), "Cannot uninstall.");
    EXPECT_TRUE(m_Form.LabelBye.IsVisible());
    EXPECT_FALSE(m_Form.LabelNote.IsVisible());
    EXPECT_FALSE(m_Form.ButtonStart.IsVisible());
    EXPECT_EQ(m_Form.ButtonCancel.GetText(), "Close");
    EXPECT_TRUE(m_Form.ButtonCancel.IsEnabled());
    // Without the log nothing is known to be this installation's, its uninstall entry neither.
    EXPECT_TRUE(MachineKeyExists(kKestrovaEntry.c_str()));
    EXPECT_TRUE(MachineKeyExists(kLanguageKey));
    const uitest::Picture shot = Picture();
    EXPECT_TRUE(shot.SavePng(uitest::ShotPath("uninstall-missing-log.png")));
    EXPECT_GT(CountIn(shot, m_Form.LabelBye, RGB(255, 255, 0)), 20);
}

TEST_F(UninstallWindow, TheProgressOfALargeInstallCutShortIsKeptWholeAndSaysSo)
{
    // 160 lines of about 260 characters: more than the edit control takes by default (32 K). The
    // installation stopped before its time line.
    std::string log;
    std::string expected = UninstallDefaultText(glu_LogIncomplete);
    for (int i = 0; i < 160; ++i) {
        const std::string path =
            m_Folder / (std::to_string(i) + std::string(250 - m_Folder.Path().size(), 'x') + ".jpg");
        log = "S_PRGFILE " + path + "\r\n" + log;
        expected += "\r\nFile " + path + " not found.";
    }
    ASSERT_TRUE(testsupport::WriteFileBytes(m_Folder / "Install.log", log));
    Open(m_Folder.Path());
    uitest::Click(m_Form.ButtonStart.Handle());
    EXPECT_GT(expected.size(), 40000u);
    EXPECT_EQ(m_Form.MemoProgress.GetText(), expected);
    EXPECT_EQ(m_Form.LabelBye.GetText(), UninstallDefaultText(glu_LogIncomplete));
}

}  // namespace
