// The picker of blocking programs, opened as the settings dialog opens it: the list in the caption,
// the running programs listed, Add, Remove, OK and Cancel, and the length the record can hold.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Fprocessenum.h"
#include "KvTestSupport.h"
#include "ManagerFormsTestSupport.h"
#include "ProgramList.h"
#include "UiTestKit.h"
#include "Umanaglang.h"
#include "Uprocessenum.h"

using namespace manager;

namespace {

const char kProbeTitle[] = "kv-picker-probe";

// The probe program with a visible window titled kProbeTitle, for the length of a test.
class ProbeWindow {
public:
    ProbeWindow()
    {
        m_child.Start("\"" + testsupport::ExeFolder() + "PickProbe.EXE\" " + kProbeTitle);
        // Its window is up once the running programs show it.
        m_shown = testsupport::PumpUntil(
            [] { return ::FindWindowA("KvProcessesHelper", kProbeTitle) != nullptr; }, 10000);
    }
    ~ProbeWindow()
    {
        const HWND wnd = ::FindWindowA("KvProcessesHelper", kProbeTitle);
        if (wnd) ::PostMessageA(wnd, WM_CLOSE, 0, 0);
        m_child.WaitPumping(10000);
    }
    bool Shown() const { return m_shown; }

private:
    testsupport::ChildProcess m_child;
    bool m_shown = false;
};

// The row of the list whose window title is the probe's, or -1.
int ProbeRow(TFormProcessEnum& form)
{
    for (int row = 0; row < form.ListViewWindows.ItemCount(); ++row)
        if (form.ListViewWindows.ItemText(row, 1) == kProbeTitle) return row;
    return -1;
}

class PickerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(form.Create());
        mftest::TakeMessageBoxes();
    }
    ui::Owner<TFormProcessEnum> form;
};

TEST_F(PickerTest, ProbeListedAddAndOkGiveTheListInTheCaption)
{
    ProbeWindow probe;
    ASSERT_TRUE(probe.Shown());
    form.SetText(" a.exe ; ;b.exe;");
    std::string shownList;
    std::string probeName;
    bool addEnabled = false;
    bool removeEnabledAfterAdd = true;
    uitest::OnNextModal([&](ui::Form&) {
        shownList = form.EditBlockingPrograms.Text();
        const int row = ProbeRow(form);
        ASSERT_GE(row, 0);
        probeName = form.ListViewWindows.ItemText(row);
        uitest::SelectListItem(form.ListViewWindows.Handle(), row);
        addEnabled = form.ButtonAdd.IsEnabled();
        uitest::Click(form.ButtonAdd.Handle());
        removeEnabledAfterAdd = form.ButtonRemove.IsEnabled() && !form.ButtonAdd.IsEnabled();
        uitest::Click(form.ButtonOk.Handle());
    });
    ASSERT_EQ(form.ShowModal(), ui::kModalOk);
    EXPECT_EQ(shownList, "a.exe;b.exe");
    EXPECT_EQ(probeName, "PickProbe.exe");
    EXPECT_TRUE(addEnabled);
    EXPECT_TRUE(removeEnabledAfterAdd);
    EXPECT_EQ(form.GetText(), "a.exe;b.exe;PickProbe.exe");
    EXPECT_EQ(form.LabelAddLabel.GetText(), "Add PickProbe.exe to list of blocking programs.");
    EXPECT_FALSE(form.Timer.IsRunning());
}

TEST_F(PickerTest, ListedProgramIsFoundWithoutRegardToCaseAndRemovedAlone)
{
    ProbeWindow probe;
    ASSERT_TRUE(probe.Shown());
    form.SetText("PICKPROBE.EXE;notepad.exe");
    bool removeEnabled = false;
    bool addEnabled = true;
    uitest::OnNextModal([&](ui::Form&) {
        uitest::SelectListItem(form.ListViewWindows.Handle(), ProbeRow(form));
        removeEnabled = form.ButtonRemove.IsEnabled();
        addEnabled = form.ButtonAdd.IsEnabled();
        uitest::Click(form.ButtonRemove.Handle());
        uitest::Click(form.ButtonOk.Handle());
    });
    ASSERT_EQ(form.ShowModal(), ui::kModalOk);
    EXPECT_TRUE(removeEnabled);
    EXPECT_FALSE(addEnabled);
    EXPECT_EQ(form.GetText(), "notepad.exe");
}

TEST_F(PickerTest, CancelIgnoresTheEdits)
{
    form.SetText("a.exe");
    uitest::OnNextModal([&](ui::Form&) {
        form.EditBlockingPrograms.SetText("b.exe;c.exe");
        uitest::Click(form.ButtonCancel.Handle());
    });
    EXPECT_EQ(form.ShowModal(), ui::kModalCancel);
    EXPECT_FALSE(form.Timer.IsRunning());
}

TEST_F(PickerTest, GrowthPast511CharactersIsRefused)
{
    ProbeWindow probe;
    ASSERT_TRUE(probe.Shown());
    // 500 characters: the probe's 13 more would pass the 511 the record can read back.
    const std::string full = "a.exe;" + std::string(490, 'x') + ".exe";
    ASSERT_GT(full.size() + 1 + std::string("PickProbe.exe").size(), kMaxProgramListLength);
    form.SetText(full);
    uitest::OnNextModal([&](ui::Form&) {
        uitest::SelectListItem(form.ListViewWindows.Handle(), ProbeRow(form));
        uitest::Click(form.ButtonAdd.Handle());
        uitest::Click(form.ButtonOk.Handle());
    });
    ASSERT_EQ(form.ShowModal(), ui::kModalOk);
    EXPECT_EQ(form.GetText(), full);
    const auto boxes = mftest::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind(Text(glm_CannotAdd), 0), 0u) << boxes[0];
}

TEST_F(PickerTest, OkCutsAnOverlongHandEditAtAWholeEntry)
{
    form.SetText("");
    std::string typed;
    for (int i = 0; typed.size() < 600; ++i)
        typed += "program" + std::to_string(i) + ".exe;";
    uitest::OnNextModal([&](ui::Form&) {
        form.EditBlockingPrograms.SetText(typed);  // WM_SETTEXT passes the edit's limit
        uitest::Click(form.ButtonOk.Handle());
    });
    ASSERT_EQ(form.ShowModal(), ui::kModalOk);
    const std::string list = form.GetText();
    EXPECT_LE(list.size(), kMaxProgramListLength);
    EXPECT_EQ(list, ProgramListCut(typed, kMaxProgramListLength));
    EXPECT_EQ(list.substr(list.size() - 4), ".exe");
}

// A list pasted into the edit arrives whole; OK keeps the entries that fit and says so.
TEST_F(PickerTest, APastedListLongerThanTheRecordHoldsIsCutWithAMessage)
{
    std::string pasted;
    for (int i = 0; pasted.size() < 1319; ++i)
        pasted += "pasted-program-" + std::to_string(i) + ".exe;";
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, pasted.size() + 1);
    ASSERT_NE(block, nullptr);
    std::memcpy(::GlobalLock(block), pasted.c_str(), pasted.size() + 1);
    ::GlobalUnlock(block);
    ASSERT_NE(::SetClipboardData(CF_TEXT, block), nullptr);
    ::CloseClipboard();

    form.SetText("");
    size_t inEdit = 0;
    uitest::OnNextModal([&](ui::Form&) {
        ::SendMessageA(form.EditBlockingPrograms.Handle(), WM_PASTE, 0, 0);
        inEdit = form.EditBlockingPrograms.Text().size();
        uitest::Click(form.ButtonOk.Handle());
    });
    ASSERT_EQ(form.ShowModal(), ui::kModalOk);
    EXPECT_EQ(inEdit, pasted.size());
    EXPECT_EQ(form.GetText(), ProgramListCut(NormalizeProgramList(pasted), kMaxProgramListLength));
    const auto boxes = mftest::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("511"), std::string::npos) << boxes[0];
}

TEST_F(PickerTest, SelectionSurvivesARefresh)
{
    form.SetText("");
    uitest::OnNextModal([&](ui::Form&) { uitest::Click(form.ButtonCancel.Handle()); });
    form.ShowModal();
    ProbeWindow probe;
    ASSERT_TRUE(probe.Shown());
    form.TimerTimer();  // a new window: the list is filled again
    const int row = ProbeRow(form);
    ASSERT_GE(row, 0);
    uitest::SelectListItem(form.ListViewWindows.Handle(), row);
    ASSERT_EQ(form.SelectedProgram(), "PickProbe.exe");
    // Another window appears: the list is refilled and the selection stays on the probe's program.
    HWND other = ::CreateWindowExA(0, "STATIC", "kv-picker-other", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10,
                                   nullptr, nullptr, nullptr, nullptr);
    form.TimerTimer();
    EXPECT_EQ(form.ListViewWindows.ItemText(form.ListViewWindows.FirstSelected()), "PickProbe.exe");
    ::DestroyWindow(other);
}

TEST_F(PickerTest, Picture)
{
    ProbeWindow probe;
    ASSERT_TRUE(probe.Shown());
    form.SetText("notepad.exe;calc.exe");
    uitest::Picture shot;
    uitest::OnNextModal([&](ui::Form&) {
        uitest::SelectListItem(form.ListViewWindows.Handle(), ProbeRow(form));
        uitest::Settle();
        shot = uitest::Capture(form.Handle());
        uitest::Click(form.ButtonCancel.Handle());
    });
    form.ShowModal();
    ASSERT_FALSE(shot.Empty());
    EXPECT_EQ(shot.width - (form.GetWindowRect().right - form.GetWindowRect().left), 0);
    EXPECT_TRUE(shot.SavePng(uitest::ShotPath("manager_picker.png")));
}

}  // namespace
