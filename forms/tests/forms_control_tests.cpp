// Per control, changes made by code and by the real messages of a user, against the events they
// raise: each change fires once, a value set again fires nothing.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "FormsTestSupport.h"
#include "KvTestSupport.h"
#include "UiControls.h"
#include "UiTestKit.h"

namespace {

using Events = std::vector<std::string>;

struct Step {
    const char* name;
    std::function<void()> act;
    Events events;
    std::function<bool()> state;  // what must hold afterwards (may be empty)
};

void RunSteps(uitest::EventLog& log, const std::vector<Step>& steps)
{
    log.Take();
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(log.Take(), step.events) << step.name;
        if (step.state) {
            EXPECT_TRUE(step.state()) << step.name;
        }
    }
}

// The window's own text, read with the system's call rather than the layer's.
std::string WindowText(HWND wnd)
{
    char buffer[256] = {};
    ::GetWindowTextA(wnd, buffer, sizeof buffer);
    return buffer;
}

class FormsControls : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.clientWidth = 400;
        form.clientHeight = 300;
        ASSERT_TRUE(form.Create(formstest::TestClass()));
        form.Show();
    }
    template <typename C> void Place(C& control, int width = 200, int height = 24)
    {
        control.SetBounds(10, 10, width, height);
    }

    ui::Owner<ui::Form> form;
    uitest::EventLog log;
};

TEST_F(FormsControls, CheckBox)
{
    ui::CheckBox box;
    Place(box);
    box.caption = "Subfolders";
    box.onClick = log.Event<ui::CheckBox>("click");
    ASSERT_TRUE(box.Create(form));
    RunSteps(
        log,
        {
            {"SetChecked(true)", [&] { box.SetChecked(true); }, {"click"}, [&] { return box.Checked(); }},
            {"SetChecked(true) again", [&] { box.SetChecked(true); }, {}, nullptr},
            {"BM_SETCHECK from outside",
             [&] { ::SendMessageA(box.Handle(), BM_SETCHECK, BST_UNCHECKED, 0); },
             {"click"},
             [&] { return !box.Checked(); }},
            {"BM_CLICK", [&] { uitest::Click(box.Handle()); }, {"click"}, [&] { return box.Checked(); }},
            {"VK_SPACE",
             [&] { uitest::PressKey(box.Handle(), VK_SPACE); },
             {"click"},
             [&] { return !box.Checked(); }},
            {"SetChecked(false) when unchecked", [&] { box.SetChecked(false); }, {}, nullptr},
        });
}

TEST_F(FormsControls, RadioGroup)
{
    ui::RadioGroup group;
    Place(group, 200, 90);
    group.caption = "Order";
    group.items = {"Name", "Date", "Size"};
    group.itemIndex = 0;
    group.onClick = [this](ui::RadioGroup& g) { log.Add("index " + std::to_string(g.ItemIndex())); };
    ASSERT_TRUE(group.Create(form));
    EXPECT_EQ(group.ItemIndex(), 0);
    RunSteps(
        log,
        {
            {"SetItemIndex(1)", [&] { group.SetItemIndex(1); }, {"index 1"}, nullptr},
            {"SetItemIndex(1) again", [&] { group.SetItemIndex(1); }, {}, nullptr},
            {"BM_CLICK on the third", [&] { uitest::Click(group.Item(2)->Handle()); }, {"index 2"}, nullptr},
            {"BM_CLICK on the third again", [&] { uitest::Click(group.Item(2)->Handle()); }, {}, nullptr},
            {"VK_SPACE on the first",
             [&] { uitest::PressKey(group.Item(0)->Handle(), VK_SPACE); },
             {"index 0"},
             [&] { return !group.Item(2)->Checked(); }},
            {"SetItemIndex(-1)", [&] { group.SetItemIndex(-1); }, {"index -1"}, nullptr},
        });
}

TEST_F(FormsControls, SingleAndMultiLineEdit)
{
    for (bool multiLine : {false, true}) {
        SCOPED_TRACE(multiLine ? "multi-line" : "single-line");
        ui::Edit edit;
        Place(edit, 200, multiLine ? 60 : 21);
        edit.multiLine = multiLine;
        edit.text = "start";
        edit.onChange = log.Event<ui::Edit>("change");
        ASSERT_TRUE(edit.Create(form));
        RunSteps(
            log,
            {
                {"SetText", [&] { edit.SetText("abc"); }, {"change"}, [&] { return edit.Text() == "abc"; }},
                {"SetText, same text", [&] { edit.SetText("abc"); }, {}, nullptr},
                {"WM_SETTEXT from outside",
                 [&] { ::SendMessageA(edit.Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("xyz")); },
                 {"change"},
                 nullptr},
                {"typing two characters",
                 [&] { uitest::TypeText(edit.Handle(), "12"); },
                 {"change", "change"},
                 [&] { return edit.Text().size() == 5; }},
                {"SetText empty", [&] { edit.SetText(""); }, {"change"}, nullptr},
            });
    }
}

TEST_F(FormsControls, MemoAppendsLinesAtTheEnd)
{
    ui::Edit memo;
    Place(memo, 300, 120);
    memo.multiLine = true;
    memo.readOnly = true;  // as a progress log is
    memo.onChange = log.Event<ui::Edit>("change");
    ASSERT_TRUE(memo.Create(form));
    RunSteps(log, {
                      {"AppendLine to an empty memo",
                       [&] { memo.AppendLine("first"); },
                       {"change"},
                       [&] { return WindowText(memo.Handle()) == "first"; }},
                      {"AppendLine starts a new line",
                       [&] { memo.AppendLine("second"); },
                       {"change"},
                       [&] { return WindowText(memo.Handle()) == "first\r\nsecond"; }},
                      {"AppendLine with the caret at the start",
                       [&] {
                           ::SendMessageA(memo.Handle(), EM_SETSEL, 0, 0);
                           memo.AppendLine("third");
                       },
                       {"change"},
                       [&] { return WindowText(memo.Handle()) == "first\r\nsecond\r\nthird"; }},
                  });
    // Three lines, one below the other.
    ::UpdateWindow(form.Handle());
    uitest::Settle();
    EXPECT_TRUE(uitest::Capture(form.Handle()).SavePng(uitest::ShotPath("forms-memo-append.png")));
}

TEST_F(FormsControls, EditLimitsAndReadOnly)
{
    ui::Edit edit;
    Place(edit);
    edit.maxLength = 3;
    edit.onChange = log.Event<ui::Edit>("change");
    ASSERT_TRUE(edit.Create(form));
    uitest::TypeText(edit.Handle(), "abcdef");
    EXPECT_EQ(edit.Text(), "abc");
    EXPECT_EQ(log.Take(), (Events{"change", "change", "change"})) << "refused characters change nothing";
    edit.SetReadOnly(true);
    uitest::TypeText(edit.Handle(), "x");
    EXPECT_EQ(edit.Text(), "abc");
    EXPECT_TRUE(log.Take().empty());
}

TEST_F(FormsControls, SpinEdit)
{
    ui::SpinEdit spin;
    Place(spin, 100, 21);
    spin.minValue = 240;
    spin.maxValue = 5000;
    spin.increment = 10;
    spin.value = 300;
    spin.onChange = log.Event<ui::Edit>("change");
    ASSERT_TRUE(spin.Create(form));
    const HWND buttons = spin.ButtonsHandle();
    RECT r;
    ::GetClientRect(buttons, &r);
    RunSteps(
        log,
        {
            {"SetValue", [&] { spin.SetValue(310); }, {"change"}, [&] { return spin.Value() == 310; }},
            {"SetValue, same", [&] { spin.SetValue(310); }, {}, nullptr},
            {"SetValue below the range is kept",
             [&] { spin.SetValue(100); },
             {"change"},
             [&] { return spin.Text() == "100"; }},
            {"a step clamps", [&] { spin.Step(1); }, {"change"}, [&] { return spin.Value() == 240; }},
            {"a step down at the minimum", [&] { spin.Step(-1); }, {}, [&] { return spin.Value() == 240; }},
            {"VK_UP",
             [&] { uitest::PressKey(spin.Handle(), VK_UP); },
             {"change"},
             [&] { return spin.Value() == 250; }},
            {"click on the upper button",
             [&] { uitest::ClickAt(buttons, r.right / 2, 2); },
             {"change"},
             [&] { return spin.Value() == 260; }},
            {"click on the lower button",
             [&] { uitest::ClickAt(buttons, r.right / 2, r.bottom - 2); },
             {"change"},
             [&] { return spin.Value() == 250; }},
            {"typing a digit at the end",
             [&] {
                 ::SendMessageA(spin.Handle(), EM_SETSEL, 3, 3);
                 uitest::TypeText(spin.Handle(), "7");
             },
             {"change"},
             [&] { return spin.Value() == 2507; }},
            {"text that is no number",
             [&] { spin.SetText("abc"); },
             {"change"},
             [&] { return spin.Value() == 240; }},
        });
}

TEST_F(FormsControls, TrackBar)
{
    ui::TrackBar bar;
    Place(bar, 200, 28);
    bar.minValue = 0;
    bar.maxValue = 10;
    bar.position = 5;
    bar.onChange = [this](ui::TrackBar& b) { log.Add("position " + std::to_string(b.Position())); };
    ASSERT_TRUE(bar.Create(form));
    const auto range = [&bar] {
        return std::make_pair(static_cast<int>(::SendMessageA(bar.Handle(), TBM_GETRANGEMIN, 0, 0)),
                              static_cast<int>(::SendMessageA(bar.Handle(), TBM_GETRANGEMAX, 0, 0)));
    };
    RunSteps(log,
             {
                 {"SetPosition", [&] { bar.SetPosition(7); }, {"position 7"}, nullptr},
                 {"SetPosition, same", [&] { bar.SetPosition(7); }, {}, nullptr},
                 {"TBM_SETPOS from outside",
                  [&] { ::SendMessageA(bar.Handle(), TBM_SETPOS, TRUE, 9); },
                  {"position 9"},
                  nullptr},
                 {"VK_RIGHT", [&] { uitest::PressKey(bar.Handle(), VK_RIGHT); }, {"position 10"}, nullptr},
                 {"VK_RIGHT at the end", [&] { uitest::PressKey(bar.Handle(), VK_RIGHT); }, {}, nullptr},
                 {"beyond the range is clamped",
                  [&] { bar.SetPosition(99); },
                  {},
                  [&] { return bar.Position() == 10; }},
                 {"VK_HOME", [&] { uitest::PressKey(bar.Handle(), VK_HOME); }, {"position 0"}, nullptr},
                 {"SetRange that holds the position",
                  [&] { bar.SetRange(0, 20); },
                  {},
                  [&] { return range() == std::make_pair(0, 20); }},
                 {"SetRange above the position moves it",
                  [&] { bar.SetRange(5, 30); },
                  {"position 5"},
                  [&] { return range() == std::make_pair(5, 30) && bar.Position() == 5; }},
                 {"VK_END reaches the new maximum",
                  [&] { uitest::PressKey(bar.Handle(), VK_END); },
                  {"position 30"},
                  nullptr},
             });
}

TEST_F(FormsControls, ProgressBar)
{
    ui::ProgressBar bar;
    Place(bar, 200, 7);
    ASSERT_TRUE(bar.Create(form));
    bar.SetPosition(40);
    EXPECT_EQ(::SendMessageA(bar.Handle(), PBM_GETPOS, 0, 0), 40);
    EXPECT_EQ(bar.Position(), 40);
}

TEST_F(FormsControls, ListView)
{
    ui::ImageList states;
    ASSERT_TRUE(states.Create(16, 16));
    ui::ListView list;
    Place(list, 300, 150);
    list.columns = {{"Folder", 150, false}, {"Images", 80, true}};
    list.checkBoxes = true;
    list.multiSelect = false;
    list.onSelectItem = [this](ui::ListView&, int item, bool on) {
        log.Add("select " + std::to_string(item) + (on ? " on" : " off"));
    };
    list.onItemChecked = [this](ui::ListView&, int item, bool on) {
        log.Add("check " + std::to_string(item) + (on ? " on" : " off"));
    };
    ASSERT_TRUE(list.Create(form));
    int data[3] = {};
    for (int i = 0; i < 3; ++i) {
        const int item = list.AddItem("folder " + std::to_string(i), &data[i]);
        list.SetItemText(item, 1, std::to_string(i * 10));
    }
    EXPECT_EQ(list.ItemCount(), 3);
    EXPECT_EQ(list.ItemText(2, 1), "20");
    EXPECT_EQ(list.ItemData(1), &data[1]);
    EXPECT_EQ(list.FindData(&data[2]), 2);
    const auto columnCaption = [&list](int column) {
        char text[64] = {};
        LVCOLUMNA query = {};
        query.mask = LVCF_TEXT;
        query.pszText = text;
        query.cchTextMax = sizeof text;
        ::SendMessageA(list.Handle(), LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&query));
        return std::string(text);
    };
    const auto image = [&list](int item) {
        LVITEMA query = {};
        query.mask = LVIF_IMAGE;
        query.iItem = item;
        ::SendMessageA(list.Handle(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
        return query.iImage;
    };
    RunSteps(log, {
                      {"SetSelected", [&] { list.SetSelected(0, true); }, {"select 0 on"}, nullptr},
                      {"SetSelected, same", [&] { list.SetSelected(0, true); }, {}, nullptr},
                      {"LVM_SETITEMSTATE of another item",
                       [&] { uitest::SelectListItem(list.Handle(), 2); },
                       {"select 0 off", "select 2 on"},
                       [&] { return list.FirstSelected() == 2 && list.SelectedCount() == 1; }},
                      {"SetChecked",
                       [&] { list.SetChecked(1, true); },
                       {"check 1 on"},
                       [&] { return list.IsChecked(1); }},
                      {"SetChecked, same", [&] { list.SetChecked(1, true); }, {}, nullptr},
                      {"VK_SPACE toggles the selected item's box",
                       [&] { uitest::PressKey(list.Handle(), VK_SPACE); },
                       {"check 2 on"},
                       [&] { return list.IsChecked(2); }},
                      {"VK_UP moves the selection",
                       [&] { uitest::PressKey(list.Handle(), VK_UP); },
                       {"select 2 off", "select 1 on"},
                       nullptr},
                      {"SetColumnCaption",
                       [&] { list.SetColumnCaption(1, "Pictures"); },
                       {},
                       [&] { return columnCaption(1) == "Pictures" && columnCaption(0) == "Folder"; }},
                      {"SetItemImage", [&] { list.SetItemImage(2, 1); }, {}, [&] { return image(2) == 1; }},
                  });
}

TEST_F(FormsControls, ListViewMultipleSelectionAndSorting)
{
    ui::ListView list;
    Place(list, 300, 150);
    list.columns = {{"Name", 150, false}};
    list.multiSelect = true;
    list.sorted = true;
    ASSERT_TRUE(list.Create(form));
    for (const char* name : {"pear", "apple", "fig"})
        list.AddItem(name);
    EXPECT_EQ(list.ItemText(0), "apple");
    EXPECT_EQ(list.ItemText(2), "pear");
    list.SetSelected(0, true);
    list.SetSelected(2, true);
    EXPECT_EQ(list.SelectedCount(), 2);
    list.Clear();
    EXPECT_EQ(list.ItemCount(), 0);
}

TEST_F(FormsControls, TreeView)
{
    ui::TreeView tree;
    Place(tree, 300, 200);
    tree.checkBoxes = true;
    tree.onChange = [&](ui::TreeView& t, HTREEITEM item) { log.Add("select " + t.Text(item)); };
    tree.onExpanding = [&](ui::TreeView& t, HTREEITEM item) {
        log.Add("fill " + t.Text(item));
        t.AddChild(item, "child a");
        t.AddChild(item, "child b");
    };
    tree.onExpanded = [&](ui::TreeView& t, HTREEITEM item) { log.Add("expanded " + t.Text(item)); };
    tree.onCollapsed = [&](ui::TreeView& t, HTREEITEM item) { log.Add("collapsed " + t.Text(item)); };
    ASSERT_TRUE(tree.Create(form));
    const HTREEITEM root = tree.AddChild(nullptr, "root", nullptr, true);
    const HTREEITEM other = tree.AddChild(nullptr, "other", nullptr, true);
    int data = 0;
    const auto item = [&tree](HTREEITEM node) {  // its text and data
        char text[64] = {};
        TVITEMA query = {};
        query.mask = TVIF_TEXT | TVIF_PARAM;
        query.hItem = node;
        query.pszText = text;
        query.cchTextMax = sizeof text;
        ::SendMessageA(tree.Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
        return std::make_pair(std::string(text), reinterpret_cast<void*>(query.lParam));
    };
    RunSteps(
        log,
        {
            {"Expand fills on demand",
             [&] { tree.Expand(root); },
             {"fill root", "expanded root"},
             [&] { return tree.IsExpanded(root) && tree.Text(tree.FirstChild(root)) == "child a"; }},
            {"Expand, already open", [&] { tree.Expand(root); }, {}, nullptr},
            {"Collapse", [&] { tree.Collapse(root); }, {"collapsed root"}, nullptr},
            {"Collapse, already closed", [&] { tree.Collapse(root); }, {}, nullptr},
            {"TVM_EXPAND from outside, a second time",
             [&] { ::SendMessageA(tree.Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root)); },
             {"expanded root"},
             [&] { return tree.Count() == 4; }},
            {"Select", [&] { tree.Select(other); }, {"select other"}, nullptr},
            {"Select, same", [&] { tree.Select(other); }, {}, nullptr},
            {"VK_RIGHT opens the selected item",
             [&] { uitest::PressKey(tree.Handle(), VK_RIGHT); },
             {"fill other", "expanded other"},
             [&] { return tree.IsExpanded(other); }},
            {"VK_LEFT closes it",
             [&] { uitest::PressKey(tree.Handle(), VK_LEFT); },
             {"collapsed other"},
             nullptr},
            {"SetChecked", [&] { tree.SetChecked(root, true); }, {}, [&] { return tree.IsChecked(root); }},
            {"SetItemText",
             [&] { tree.SetItemText(other, "renamed"); },
             {},
             [&] { return item(other).first == "renamed"; }},
            {"SetItemData",
             [&] { tree.SetItemData(other, &data); },
             {},
             [&] {
                 return item(other) == std::make_pair(std::string("renamed"), static_cast<void*>(&data));
             }},
        });
    tree.DeleteChildren(root);
    EXPECT_EQ(tree.FirstChild(root), nullptr);
    RECT text = tree.ItemRect(root, true);
    EXPECT_GT(text.right, text.left);
}

TEST_F(FormsControls, TimerTicksOnTheWindowThread)
{
    ui::Timer timer;
    timer.interval = 10;
    int ticks = 0;
    timer.onTimer = [&](ui::Timer& t) {
        if (++ticks == 3) t.Stop();
    };
    ASSERT_TRUE(timer.Start(form));
    MSG msg;
    const DWORD start = ::GetTickCount();
    while (ticks < 3 && ::GetTickCount() - start < testsupport::ScaledMs(5000)) {
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0)
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageA(&msg);
    }
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(timer.IsRunning());
}

TEST_F(FormsControls, SplitterReportsWhereTheUserDraggedIt)
{
    ui::Splitter splitter;
    splitter.SetBounds(100, 0, 4, 100);
    splitter.minLeft = 50;
    splitter.minRight = 50;
    std::vector<int> moves;
    splitter.onMoved = [&](ui::Splitter& s, int newLeft) {
        moves.push_back(newLeft);
        s.SetBounds(newLeft, s.top, s.width, s.height);
    };
    ASSERT_TRUE(splitter.Create(form));
    const HWND wnd = splitter.Handle();
    ::SendMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 10));
    ::SendMessageA(wnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(22, 10));    // 20 to the right
    ::SendMessageA(wnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-200, 10));  // far left: the minimum
    ::SendMessageA(wnd, WM_LBUTTONUP, 0, MAKELPARAM(2, 10));
    EXPECT_EQ(moves, (std::vector<int>{120, 50}));
}

}  // namespace
