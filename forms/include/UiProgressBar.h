// A progress bar.
#pragma once

#include "UiControl.h"

namespace ui {

class ProgressBar : public Control {
public:
    // Properties, set before Create.
    int minValue = 0;
    int maxValue = 100;
    int position = 0;

    bool Create(Window& parent, int id = 0);
    int Position() const;       // PBM_GETPOS
    void SetPosition(int pos);  // PBM_SETPOS
};

}  // namespace ui
