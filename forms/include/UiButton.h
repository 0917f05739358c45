// A push button. A click sets the form's modal result (when the button has one), then onClick runs.
#pragma once

#include <functional>
#include <string>

#include "UiControl.h"

namespace ui {

class Button : public Control {
public:
    ~Button() override;

    // Properties, set before Create.
    std::string caption;
    bool isDefault = false;  // Enter presses it (BS_DEFPUSHBUTTON)
    bool isCancel = false;   // Esc presses it
    int modalResult = 0;     // set on the form at each click

    std::function<void(Button&)> onClick;

    bool Create(Window& parent, int id = 0);
    // BM_CLICK, as a user's click; nothing while the button is disabled.
    void Click();

protected:
    bool OnCommand(WORD code) override;  // BN_CLICKED
};

}  // namespace ui
