// Every notification a control sends its parent reaches the control's own object, whatever window
// the parent is: a form, a panel, a group box, a paint box, a panel inside a panel.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "FormsTestSupport.h"
#include "UiControls.h"
#include "UiTestKit.h"

namespace {

// A label that counts the colour requests its parent hands back to it (WM_CTLCOLORSTATIC).
class CountingLabel : public ui::Label {
public:
    int colourRequests = 0;
    HBRUSH OnCtlColor(HDC dc) override
    {
        ++colourRequests;
        return Label::OnCtlColor(dc);
    }
};

struct Parents {
    ui::Owner<ui::Form> form;
    ui::Panel panel;
    ui::Panel innerPanel;
    ui::GroupBox group;
    ui::PaintBox paintBox;

    Parents()
    {
        form.clientWidth = 600;
        form.clientHeight = 400;
        form.left = 0;
        form.top = 0;
        for (ui::Control* c : std::vector<ui::Control*>{&panel, &group, &paintBox}) {
            c->width = 180;
            c->height = 180;
        }
        panel.left = 0;
        group.left = 200;
        paintBox.left = 400;
        innerPanel.SetBounds(10, 10, 160, 160);
    }
    bool Create()
    {
        return form.Create(formstest::TestClass()) && panel.Create(form) && innerPanel.Create(panel) &&
               group.Create(form) && paintBox.Create(form);
    }
};

TEST(FormsNotifications, ReachTheControlWhateverItsParent)
{
    Parents parents;
    ASSERT_TRUE(parents.Create());
    parents.form.Show();
    const struct {
        const char* name;
        ui::Window* parent;
    } cases[] = {
        {"form", &parents.form},
        {"panel", &parents.panel},
        {"panel in a panel", &parents.innerPanel},
        {"group box", &parents.group},
        {"paint box", &parents.paintBox},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        uitest::EventLog log;

        ui::Button button;  // WM_COMMAND
        button.caption = "Press";
        button.SetBounds(8, 16, 75, 23);
        button.onClick = log.Event<ui::Button>("button");
        ASSERT_TRUE(button.Create(*c.parent, 10));

        ui::TrackBar bar;  // WM_HSCROLL
        bar.SetBounds(8, 44, 150, 28);
        bar.onChange = log.Event<ui::TrackBar>("trackbar");
        ASSERT_TRUE(bar.Create(*c.parent, 11));

        ui::ListView list;  // WM_NOTIFY
        list.columns = {{"Name", 100, false}};
        list.SetBounds(8, 76, 150, 60);
        list.onSelectItem = [&log](ui::ListView&, int item, bool on) {
            log.Add("list " + std::to_string(item) + (on ? " on" : " off"));
        };
        ASSERT_TRUE(list.Create(*c.parent, 12));
        list.AddItem("first");

        CountingLabel label;  // WM_CTLCOLORSTATIC
        label.caption = "colours";
        label.SetBounds(8, 140, 100, 13);
        ASSERT_TRUE(label.Create(*c.parent, 13));

        uitest::Click(button.Handle());
        uitest::PressKey(bar.Handle(), VK_RIGHT);
        uitest::SelectListItem(list.Handle(), 0);
        EXPECT_EQ(log.Take(), (std::vector<std::string>{"button", "trackbar", "list 0 on"}));
        ::RedrawWindow(label.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        EXPECT_GT(label.colourRequests, 0);
    }
}

TEST(FormsNotifications, MenuCommandsStillReachTheWindow)
{
    // WM_COMMAND without a control (a menu's) stays with the window that got it.
    class MenuForm : public ui::Form {
    public:
        int commands = 0;

    protected:
        LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
        {
            if (msg == WM_COMMAND && lParam == 0 && LOWORD(wParam) == 4711) ++commands;
            return Form::OnMessage(msg, wParam, lParam);
        }
    };
    ui::Owner<MenuForm> form;
    ASSERT_TRUE(form.Create(formstest::TestClass()));
    ::SendMessageA(form.Handle(), WM_COMMAND, 4711, 0);
    EXPECT_EQ(form.commands, 1);
}

}  // namespace
