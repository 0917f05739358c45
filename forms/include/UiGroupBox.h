// A framed, captioned box that holds other controls (they take it as their parent).
#pragma once

#include <string>

#include "UiControl.h"

namespace ui {

class GroupBox : public Control {
public:
    std::string caption;  // set before Create

    bool Create(Window& parent, int id = 0);

protected:
    // The system's group box leaves its inside unpainted: the parent's background fills it.
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace ui
