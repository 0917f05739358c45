// The progress window: a thin bar in the tooltip colour, centred on the screen, without a caption,
// holding one centred line of text.
#pragma once

#include "UiControls.h"
#include "UiForm.h"

class TFormProgress : public ui::Form {
public:
    TFormProgress();

    bool Create(const ui::WindowClass& windowClass);

    ui::Label LabelProgress;

private:
    void FormShow(ui::Form& sender);
};
