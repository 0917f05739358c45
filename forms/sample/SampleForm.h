// A form with one control of each kind of the layer, for pictures of the layer's look and for the
// tests that probe them.
#pragma once

#include "UiControls.h"

class SampleForm : public ui::Form {
public:
    SampleForm();

    bool Create(const ui::WindowClass& windowClass);

    // The colour the gradient paints on row `y` of its box.
    static COLORREF GradientColor(int y);

    ui::Label label;
    ui::Edit edit;
    ui::CheckBox checkBox;
    ui::RadioGroup radioGroup;
    ui::GroupBox groupBox;
    ui::Edit groupEdit;
    ui::Panel panel;
    ui::SpinEdit spinEdit;
    ui::TrackBar trackBar;
    ui::ProgressBar progressBar;
    ui::Edit memo;
    ui::ListView listView;
    ui::Splitter splitter;
    ui::TreeView treeView;
    ui::PaintBox gradient;
    ui::Label overGradient;
    ui::Shape shape;
    ui::Image image;
    ui::Button ok;
    ui::Button cancel;
    ui::ImageList icons;
    ui::Timer timer;

private:
    void FillItems();
};
