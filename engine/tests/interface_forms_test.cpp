// The form layer under the progress window: classes, windows, labels, and no exception escaping a
// window procedure.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "UiControls.h"
#include "UiForm.h"
#include "UiWindow.h"

namespace {

constexpr UINT kThrowStd = WM_APP + 1;
constexpr UINT kThrowOther = WM_APP + 2;
constexpr UINT kAnswer = WM_APP + 3;

class ThrowingForm : public ui::Form {
public:
    int handled = 0;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == kThrowStd) throw std::runtime_error("handler failed");
        if (msg == kThrowOther) throw 7;
        if (msg == kAnswer) return ++handled;
        return Form::OnMessage(msg, wParam, lParam);
    }
};

TEST(InterfaceForms, NoExceptionEscapesAWindowProcedure)
{
    ui::WindowClass windowClass("KvTestThrowingForm");
    ASSERT_TRUE(windowClass.Register());
    {
        ThrowingForm form;
        ASSERT_TRUE(form.Create(windowClass));
        EXPECT_EQ(::SendMessageA(form.Handle(), kThrowStd, 0, 0), 0);
        EXPECT_EQ(::SendMessageA(form.Handle(), kThrowOther, 0, 0), 0);
        EXPECT_EQ(::SendMessageA(form.Handle(), kAnswer, 0, 0), 1) << "the window keeps working";
        ::PostMessageA(form.Handle(), kThrowStd, 0, 0);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
        EXPECT_TRUE(form.Exists());
    }
    EXPECT_TRUE(windowClass.Unregister());
}

TEST(InterfaceForms, ClassCannotGoWhileItHasWindowsAndComesBackAfterwards)
{
    ui::WindowClass windowClass("KvTestPlainForm");
    ASSERT_TRUE(windowClass.Register());
    EXPECT_TRUE(windowClass.Register()) << "registering twice is harmless";
    ui::Form form;
    ASSERT_TRUE(form.Create(windowClass));
    EXPECT_FALSE(windowClass.Unregister());
    EXPECT_TRUE(windowClass.IsRegistered());
    form.Destroy();
    EXPECT_FALSE(form.Exists());
    EXPECT_TRUE(windowClass.Unregister());
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    EXPECT_FALSE(::GetClassInfoExA(ui::ThisModule(), "KvTestPlainForm", &info));
    EXPECT_TRUE(windowClass.Register());
    EXPECT_TRUE(windowClass.Unregister());
}

TEST(InterfaceForms, ClassLeftBehindByAnEarlierLoadIsReplaced)
{
    // What an unload that could not unregister leaves: the name taken, with a foreign procedure.
    WNDCLASSEXA stale = {};
    stale.cbSize = sizeof stale;
    stale.lpfnWndProc = &::DefWindowProcA;
    stale.hInstance = ui::ThisModule();
    stale.lpszClassName = "KvTestStaleForm";
    ASSERT_TRUE(::RegisterClassExA(&stale));

    ui::WindowClass windowClass("KvTestStaleForm");
    ASSERT_TRUE(windowClass.Register());
    ThrowingForm form;
    ASSERT_TRUE(form.Create(windowClass));
    EXPECT_EQ(::SendMessageA(form.Handle(), kAnswer, 0, 0), 1) << "messages reach the layer's object";
    form.Destroy();
    EXPECT_TRUE(windowClass.Unregister());
}

TEST(InterfaceForms, TextsHaveNoFixedLength)
{
    ui::WindowClass windowClass("KvTestTextForm");
    ASSERT_TRUE(windowClass.Register());
    {
        ui::Form form;
        form.caption = "start";
        ASSERT_TRUE(form.Create(windowClass));
        EXPECT_EQ(form.GetText(), "start");
        const std::string longText(3000, 'w');
        form.SetText(longText);
        EXPECT_EQ(form.GetText(), longText);
        form.SetText("");
        EXPECT_EQ(form.GetText(), "");
    }
    EXPECT_TRUE(windowClass.Unregister());
}

struct AlignmentCase {
    ui::Alignment alignment;
    LONG style;
};

TEST(InterfaceForms, LabelStylesAndCaption)
{
    const AlignmentCase cases[] = {
        {ui::Alignment::Left, SS_LEFT}, {ui::Alignment::Center, SS_CENTER}, {ui::Alignment::Right, SS_RIGHT}};
    ui::WindowClass windowClass("KvTestLabelForm");
    ASSERT_TRUE(windowClass.Register());
    {
        ui::Form form;
        ASSERT_TRUE(form.Create(windowClass));
        for (const AlignmentCase& c : cases) {
            ui::Label label;
            label.caption = "Tom & Jerry";
            label.alignment = c.alignment;
            label.left = 1;
            label.top = 2;
            label.width = 100;
            label.height = 13;
            ASSERT_TRUE(label.Create(form));
            EXPECT_EQ(label.GetStyle() & SS_TYPEMASK, c.style);
            EXPECT_NE(label.GetStyle() & SS_NOPREFIX, 0) << "'&' is shown as written";
            EXPECT_EQ(label.GetText(), "Tom & Jerry");
            label.SetCaption("next");
            EXPECT_EQ(label.GetText(), "next");
            EXPECT_EQ(ui::Window::FromHandle(label.Handle()), &label);
            const HWND wnd = label.Handle();
            label.Destroy();
            EXPECT_FALSE(::IsWindow(wnd));
        }
    }
    EXPECT_TRUE(windowClass.Unregister());
}

}  // namespace
