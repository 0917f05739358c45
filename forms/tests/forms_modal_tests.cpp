// Modal forms: how each way of ending one sets the modal result, the order of its events, and the
// owner's state afterwards; one modal form inside another.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "FormsTestSupport.h"
#include "UiControls.h"
#include "UiTestKit.h"

namespace {

using Events = std::vector<std::string>;

// A dialog with an edit, OK (default) and Cancel, recording its closing events; held by ui::Owner.
class Dialog : public ui::Form {
public:
    Dialog(uitest::EventLog& log, const std::string& name) : m_Log(log), m_sName(name)
    {
        caption = name;
        borderStyle = ui::BorderStyle::Dialog;
        clientWidth = 250;
        clientHeight = 100;
        edit.SetBounds(10, 10, 200, 21);
        ok.caption = "OK";
        ok.isDefault = true;
        ok.modalResult = ui::kModalOk;
        ok.SetBounds(10, 60, 75, 25);
        cancel.caption = "Cancel";
        cancel.isCancel = true;
        cancel.modalResult = ui::kModalCancel;
        cancel.SetBounds(100, 60, 75, 25);
        onCloseQuery = [this](ui::Form&, bool& canClose) {
            canClose = refusals == 0;
            m_Log.Add(m_sName + (canClose ? " closequery" : " closequery refused"));
            if (refusals > 0) --refusals;
        };
        onClose = [this](ui::Form&) { m_Log.Add(m_sName + " close"); };
        onHide = [this](ui::Form&) { m_Log.Add(m_sName + " hide"); };
    }
    bool Create(HWND owner)
    {
        return Form::Create(formstest::TestClass(), owner) && edit.Create(*this, 100) &&
               ok.Create(*this, IDOK) && cancel.Create(*this, IDCANCEL);
    }

    int refusals = 0;
    ui::Edit edit;
    ui::Button ok;
    ui::Button cancel;

private:
    uitest::EventLog& m_Log;
    std::string m_sName;
};

struct ModalCase {
    const char* name;
    std::function<void(Dialog&)> act;
    int refusals;
    int result;
    Events events;
};

TEST(FormsModal, EndingsResultsAndOrder)
{
    const ModalCase cases[] = {
        {"OK button",
         [](Dialog& d) { uitest::Click(d.ok.Handle()); },
         0,
         ui::kModalOk,
         {"dialog closequery", "dialog close", "dialog hide"}},
        {"Cancel button",
         [](Dialog& d) { uitest::Click(d.cancel.Handle()); },
         0,
         ui::kModalCancel,
         {"dialog closequery", "dialog close", "dialog hide"}},
        {"Esc in the edit",
         [](Dialog& d) { uitest::PostKey(d.edit.Handle(), VK_ESCAPE); },
         0,
         ui::kModalCancel,
         {"dialog closequery", "dialog close", "dialog hide"}},
        {"Enter in the edit presses the default button",
         [](Dialog& d) { uitest::PostKey(d.edit.Handle(), VK_RETURN); },
         0,
         ui::kModalOk,
         {"dialog closequery", "dialog close", "dialog hide"}},
        {"WM_CLOSE (the close box)",
         [](Dialog& d) { ::PostMessageA(d.Handle(), WM_CLOSE, 0, 0); },
         0,
         ui::kModalCancel,
         {"dialog closequery", "dialog close", "dialog hide"}},
        {"CloseQuery refuses once, then OK again",
         [](Dialog& d) {
             uitest::Click(d.ok.Handle());
             ::PostMessageA(d.ok.Handle(), BM_CLICK, 0, 0);
         },
         1,
         ui::kModalOk,
         {"dialog closequery refused", "dialog closequery", "dialog close", "dialog hide"}},
        {"a modal result set by code",
         [](Dialog& d) { d.SetModalResult(7); },
         0,
         7,
         {"dialog closequery", "dialog close", "dialog hide"}},
    };
    ui::Owner<ui::Form> owner;
    owner.caption = "owner";
    ASSERT_TRUE(owner.Create(formstest::TestClass()));
    owner.Show();
    for (const ModalCase& c : cases) {
        SCOPED_TRACE(c.name);
        uitest::EventLog log;
        ui::Owner<Dialog> dialog(log, "dialog");
        ASSERT_TRUE(dialog.Create(owner.Handle()));
        dialog.refusals = c.refusals;
        bool ownerDisabledMeanwhile = false;
        uitest::OnNextModal([&](ui::Form&) {
            ownerDisabledMeanwhile = !::IsWindowEnabled(owner.Handle()) && dialog.IsVisible();
            dialog.edit.SetFocus();
            c.act(dialog);
        });
        EXPECT_EQ(dialog.ShowModal(), c.result);
        EXPECT_EQ(log.Take(), c.events);
        EXPECT_TRUE(ownerDisabledMeanwhile);
        EXPECT_TRUE(::IsWindowEnabled(owner.Handle())) << "the owner is enabled again";
        EXPECT_EQ(::GetActiveWindow(), owner.Handle()) << "and active";
        EXPECT_FALSE(dialog.IsVisible());
        EXPECT_TRUE(dialog.Exists()) << "a modal form is hidden, not destroyed";
    }
}

TEST(FormsModal, ModalInsideModal)
{
    ui::Owner<ui::Form> owner;
    ASSERT_TRUE(owner.Create(formstest::TestClass()));
    owner.Show();
    uitest::EventLog log;
    ui::Owner<Dialog> outer(log, "outer");
    ASSERT_TRUE(outer.Create(owner.Handle()));
    ui::Owner<Dialog> inner(log, "inner");
    int innerResult = 0;
    bool bothDisabled = false;
    bool outerBackAfterInner = false;
    uitest::OnNextModal([&](ui::Form&) {
        ASSERT_TRUE(inner.Create(outer.Handle()));
        uitest::OnNextModal([&](ui::Form&) {
            bothDisabled = !::IsWindowEnabled(owner.Handle()) && !::IsWindowEnabled(outer.Handle());
            uitest::PostKey(inner.edit.Handle(), VK_RETURN);
        });
        innerResult = inner.ShowModal();
        outerBackAfterInner = ::IsWindowEnabled(outer.Handle()) && !::IsWindowEnabled(owner.Handle());
        log.Add("inner returned");
        uitest::Click(outer.cancel.Handle());
    });
    EXPECT_EQ(outer.ShowModal(), ui::kModalCancel);
    EXPECT_EQ(innerResult, ui::kModalOk);
    EXPECT_TRUE(bothDisabled);
    EXPECT_TRUE(outerBackAfterInner);
    EXPECT_TRUE(::IsWindowEnabled(owner.Handle()));
    EXPECT_EQ(log.Take(), (Events{"inner closequery", "inner close", "inner hide", "inner returned",
                                  "outer closequery", "outer close", "outer hide"}));
}

TEST(FormsModal, QuitEndsTheLoopAndIsPassedOn)
{
    ui::Owner<ui::Form> owner;
    ASSERT_TRUE(owner.Create(formstest::TestClass()));
    owner.Show();
    uitest::EventLog log;
    ui::Owner<Dialog> dialog(log, "dialog");
    ASSERT_TRUE(dialog.Create(owner.Handle()));
    uitest::OnNextModal([](ui::Form&) { ::PostQuitMessage(5); });
    EXPECT_EQ(dialog.ShowModal(), ui::kModalCancel);
    EXPECT_EQ(log.Take(), (Events{"dialog hide"})) << "a program that ends asks nobody";
    EXPECT_TRUE(::IsWindowEnabled(owner.Handle()));
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        << "the quit reaches the outer loop";
    EXPECT_EQ(msg.wParam, 5u);
}

TEST(FormsModal, DefaultAndCancelButtonsInsideAPanel)
{
    // Enter and Esc press the buttons also when they are not direct children of the form.
    uitest::EventLog log;
    ui::Owner<ui::Form> form;
    ASSERT_TRUE(form.Create(formstest::TestClass()));
    ui::Panel panel;
    panel.width = 300;
    panel.height = 100;
    ASSERT_TRUE(panel.Create(form));
    ui::Edit edit;
    edit.width = 100;
    edit.height = 21;
    ASSERT_TRUE(edit.Create(panel));
    ui::Button ok, cancel;
    for (ui::Button* b : {&ok, &cancel}) {
        b->top = 40;
        b->width = 75;
        b->height = 25;
    }
    cancel.left = 100;
    ok.isDefault = true;
    ok.modalResult = 3;
    ok.onClick = log.Event<ui::Button>("ok");
    cancel.isCancel = true;
    cancel.modalResult = ui::kModalCancel;
    cancel.onClick = log.Event<ui::Button>("cancel");
    ASSERT_TRUE(ok.Create(panel, 50));
    ASSERT_TRUE(cancel.Create(panel, 51));
    const struct {
        UINT key;
        int result;
        const char* event;
    } keys[] = {{VK_ESCAPE, ui::kModalCancel, "cancel"}, {VK_RETURN, 3, "ok"}};
    for (const auto& k : keys) {
        uitest::OnNextModal([&](ui::Form&) {
            edit.SetFocus();
            uitest::PostKey(edit.Handle(), k.key);
        });
        EXPECT_EQ(form.ShowModal(), k.result);
        EXPECT_EQ(log.Take(), (Events{k.event}));
    }
}

}  // namespace

namespace {

TEST(FormsDialogKeys, TabMovesThroughTheControlsInsideContainers)
{
    ui::Owner<ui::Form> form;
    form.clientWidth = 300;
    form.clientHeight = 200;
    ASSERT_TRUE(form.Create(formstest::TestClass()));
    ui::Edit first;
    first.width = 100;
    first.height = 21;
    ui::GroupBox group;
    group.top = 30;
    group.width = 200;
    group.height = 60;
    ui::Edit inGroup;
    inGroup.SetBounds(8, 20, 100, 21);
    ui::Panel panel;
    panel.top = 100;
    panel.width = 200;
    panel.height = 40;
    ui::CheckBox inPanel;
    inPanel.width = 100;
    inPanel.height = 17;
    ui::Button ok;
    ok.top = 150;
    ok.width = 75;
    ok.height = 25;
    ASSERT_TRUE(first.Create(form) && group.Create(form) && inGroup.Create(group) && panel.Create(form) &&
                inPanel.Create(panel) && ok.Create(form));
    form.Show();
    EXPECT_EQ(::GetFocus(), first.Handle()) << "a form shown gives the first control the keyboard";
    std::vector<HWND> visited;
    for (int i = 0; i < 4; ++i) {
        uitest::PostKey(::GetFocus(), VK_TAB);
        uitest::Settle();
        visited.push_back(::GetFocus());
    }
    EXPECT_EQ(visited, (std::vector<HWND>{inGroup.Handle(), inPanel.Handle(), ok.Handle(), first.Handle()}));
    uitest::PostKey(first.Handle(), VK_ESCAPE);
    uitest::Settle();
    EXPECT_TRUE(form.IsVisible()) << "Esc closes no form without a cancel button";
}

}  // namespace
