// The sample form with one control of each kind, pictured headless (build/shots/forms-sample.png) and
// probed where a pixel proves a control drew itself.
#include <gtest/gtest.h>

#include "FormsTestSupport.h"
#include "SampleForm.h"
#include "UiTestKit.h"

namespace {

class FormsSample : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(form.Create(formstest::TestClass()));
        form.Show();
        form.listView.SetFocus();  // its selection then shows in the highlight colour
        ::UpdateWindow(form.Handle());
        uitest::Settle();
        shot = uitest::Capture(form.Handle());
        ASSERT_FALSE(shot.Empty());
        POINT origin = {0, 0};
        ::ClientToScreen(form.Handle(), &origin);
        const RECT outer = form.GetWindowRect();
        clientX = origin.x - outer.left;
        clientY = origin.y - outer.top;
    }
    // A pixel of the picture, at client coordinates of the control (or of the form).
    COLORREF At(const ui::Control& c, int x, int y) const
    {
        return shot.Pixel(clientX + c.left + x, clientY + c.top + y);
    }
    COLORREF AtForm(int x, int y) const { return shot.Pixel(clientX + x, clientY + y); }

    ui::Owner<SampleForm> form;
    uitest::Picture shot;
    int clientX = 0;
    int clientY = 0;
};

TEST_F(FormsSample, PictureShowsEveryControl)
{
    ASSERT_TRUE(shot.SavePng(uitest::ShotPath("forms-sample.png")));
    ASSERT_TRUE(shot.SaveBmp(uitest::ShotPath("forms-sample.bmp")));
    EXPECT_EQ(shot.width, form.GetWindowRect().right - form.GetWindowRect().left);

    EXPECT_EQ(AtForm(160, 330), ::GetSysColor(COLOR_BTNFACE)) << "the form's background";
    EXPECT_EQ(At(form.shape, 30, 30), RGB(255, 0, 0)) << "the shape's brush";
    EXPECT_EQ(At(form.shape, 0, 30), RGB(0, 0, 255)) << "the shape's pen";
    EXPECT_EQ(At(form.image, 30, 30), RGB(0, 200, 0)) << "the centred picture";
    EXPECT_EQ(At(form.image, 2, 2), ::GetSysColor(COLOR_BTNFACE)) << "around the picture, the form";
    EXPECT_EQ(At(form.gradient, 2, 5), SampleForm::GradientColor(5)) << "the paint box";
    EXPECT_EQ(At(form.gradient, 160, 55), SampleForm::GradientColor(55));

    // The transparent label: the gradient between its letters, white letters on it.
    const ui::Label& over = form.overGradient;
    const int gx = form.gradient.left + over.left;
    const int gy = form.gradient.top + over.top;
    EXPECT_EQ(AtForm(gx + over.width - 2, gy + 1), SampleForm::GradientColor(over.top + 1));
    int white = 0;
    for (int y = 0; y < over.height; ++y)
        for (int x = 0; x < 100; ++x)
            if (AtForm(gx + x, gy + y) == RGB(255, 255, 255)) ++white;
    EXPECT_GT(white, 20) << "the label's text";

    // The progress bar at half: its filled left differs from its empty right.
    const ui::ProgressBar& bar = form.progressBar;
    EXPECT_NE(At(bar, bar.width / 4, bar.height / 2), At(bar, bar.width * 3 / 4, bar.height / 2));
    // The edits are white fields, the read-only memo too in this scheme or grey.
    EXPECT_EQ(At(form.edit, form.edit.width - 4, form.edit.height / 2), ::GetSysColor(COLOR_WINDOW));
    // The list view's selected first row is highlighted across the row.
    const ui::ListView& list = form.listView;
    int highlighted = 0;
    for (int x = 0; x < list.width; ++x)
        for (int y = 0; y < list.height; ++y)
            if (At(list, x, y) == ::GetSysColor(COLOR_HIGHLIGHT)) ++highlighted;
    EXPECT_GT(highlighted, 100) << "the selected row";
}

TEST_F(FormsSample, TextInTheDesignFontIsTheDesignHeight)
{
    // MS Sans Serif at -11 is 13 pixels high: the label's text rows lie within 13 rows.
    const ui::Label& label = form.label;
    int first = -1, last = -1;
    for (int y = 0; y < label.height; ++y)
        for (int x = 0; x < label.width; ++x)
            if (At(label, x, y) == RGB(0, 0, 0)) {
                if (first < 0) first = y;
                last = y;
            }
    ASSERT_GE(first, 0) << "black text in the label";
    EXPECT_LE(last - first + 1, 13);
    EXPECT_GE(last - first + 1, 8);
}

}  // namespace
