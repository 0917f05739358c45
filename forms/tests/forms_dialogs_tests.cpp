// The system's own dialogs behind the replaceable set: each opens and gives back what it was
// answered (a helper thread presses OK in the dialog, as a user would).
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "KvTestSupport.h"
#include "UiDialogs.h"

namespace {

// Presses OK in the next dialog window of this process while it lives.
class DialogCloser {
public:
    // `look` sees the dialog once it shows, before OK is pressed.
    explicit DialogCloser(std::function<void(HWND dialog)> look = {})
        : m_Look(std::move(look)), m_Thread([this] {
              const DWORD start = ::GetTickCount();
              while (!m_bStop && ::GetTickCount() - start < testsupport::ScaledMs(20000)) {
                  if (HWND dialog = OwnDialog()) {
                      if (m_Look) m_Look(dialog);
                      ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
                      ++m_iPressed;
                      return;
                  }
                  ::Sleep(20);
              }
          })
    {
    }
    ~DialogCloser() { Pressed(); }
    int Pressed()
    {
        m_bStop = true;
        if (m_Thread.joinable()) m_Thread.join();
        return m_iPressed;
    }

private:
    static HWND OwnDialog()
    {
        for (HWND wnd = ::FindWindowExA(nullptr, nullptr, "#32770", nullptr); wnd;
             wnd = ::FindWindowExA(nullptr, wnd, "#32770", nullptr)) {
            DWORD process = 0;
            ::GetWindowThreadProcessId(wnd, &process);
            if (process == ::GetCurrentProcessId() && ::IsWindowVisible(wnd)) return wnd;
        }
        return nullptr;
    }

    std::function<void(HWND)> m_Look;
    std::atomic<bool> m_bStop{false};
    std::atomic<int> m_iPressed{0};
    std::thread m_Thread;
};

TEST(FormsDialogs, SystemDialogsOpenAndAnswer)
{
    const ui::Dialogs dialogs = ui::SystemDialogs();
    testsupport::TempFolder folder("formsdlg");
    const std::string existing = folder / "existing.txt";
    ASSERT_TRUE(testsupport::WriteFileBytes(existing, "x"));
    {
        DialogCloser closer;
        EXPECT_EQ(dialogs.messageBox(nullptr, "Text", "Caption", MB_OK | MB_ICONINFORMATION), IDOK);
        EXPECT_EQ(closer.Pressed(), 1);
    }
    {
        DialogCloser closer;
        COLORREF color = RGB(10, 20, 30);
        EXPECT_TRUE(dialogs.pickColor(nullptr, color));
        EXPECT_EQ(color, RGB(10, 20, 30));
        EXPECT_EQ(closer.Pressed(), 1);
    }
    {
        DialogCloser closer;
        ui::FontSpec font;
        COLORREF color = RGB(0, 0, 0);
        EXPECT_TRUE(dialogs.pickFont(nullptr, font, color, ui::FontEffects{}));
        EXPECT_EQ(font.face, "MS Sans Serif");
        EXPECT_EQ(closer.Pressed(), 1);
    }
    {
        DialogCloser closer;
        ui::FileDialogOptions open;
        open.title = "Open a list";
        open.filter = "Texts|*.txt|All files|*.*";
        open.fileName = existing;
        EXPECT_TRUE(dialogs.pickOpenFile(nullptr, open));
        EXPECT_EQ(open.fileName, existing);
        EXPECT_EQ(closer.Pressed(), 1);
    }
    {
        DialogCloser closer;
        ui::FileDialogOptions save;
        save.defaultExt = "txt";
        save.fileName = folder / "new";
        EXPECT_TRUE(dialogs.pickSaveFile(nullptr, save));
        EXPECT_EQ(save.fileName, folder / "new.txt");
        EXPECT_EQ(closer.Pressed(), 1);
    }
}

TEST(FormsDialogs, StartProcessRunsTheCommandLine)
{
    testsupport::TempFolder folder("formsrun");
    const std::string marker = folder / "started.txt";
    EXPECT_TRUE(
        ui::SystemDialogs().startProcess("cmd.exe /c echo started>\"" + marker + "\"", folder.Path()));
    EXPECT_TRUE(testsupport::PumpUntil(
        [&] { return testsupport::ReadFileBytes(marker).find("started") == 0; }, 20000));
    EXPECT_FALSE(ui::SystemDialogs().startProcess("\"" + folder / "missing.exe\"", ""));
}

// The font dialog shows only the effects its caller keeps, and gives back only those.
TEST(FormsDialogs, FontDialogOffersOnlyTheEffectsAskedFor)
{
    const ui::Dialogs dialogs = ui::SystemDialogs();
    const struct {
        const char* name;
        ui::FontEffects offered;
    } cases[] = {
        {"all", {true, true, true}},
        {"underline only", {true, false, false}},
        {"none", {false, false, false}},
    };
    for (const auto& c : cases) {
        bool strikeoutShown = false, underlineShown = false, colorShown = false;
        DialogCloser closer([&](HWND dialog) {
            const auto shown = [dialog](int id) {
                const HWND control = ::GetDlgItem(dialog, id);
                return control && (::GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
            };
            strikeoutShown = shown(0x410);
            underlineShown = shown(0x411);
            colorShown = shown(0x473);
        });
        ui::FontSpec font;
        font.strikeout = true;  // kept as it was when the dialog does not offer it
        COLORREF color = RGB(1, 2, 3);
        ASSERT_TRUE(dialogs.pickFont(nullptr, font, color, c.offered)) << c.name;
        ASSERT_EQ(closer.Pressed(), 1) << c.name;
        EXPECT_EQ(strikeoutShown, c.offered.strikeout) << c.name;
        EXPECT_EQ(underlineShown, c.offered.underline) << c.name;
        EXPECT_EQ(colorShown, c.offered.color) << c.name;
        EXPECT_TRUE(font.strikeout) << c.name;
        if (!c.offered.color) {
            EXPECT_EQ(color, RGB(1, 2, 3)) << c.name;
        }
    }
}

}  // namespace
