// A check box. onClick fires once for every change of its state, by the user or by code.
#pragma once

#include <functional>

#include "UiToggleButton.h"

namespace ui {

class CheckBox : public ToggleButton {
public:
    std::function<void(CheckBox&)> onClick;

    bool Create(Window& parent, int id = 0);

protected:
    void StateChanged(bool now) override;
};

}  // namespace ui
