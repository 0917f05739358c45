// Radio buttons, alone or as a RadioGroup: a framed box that lays its items out in columns and
// reports the index of the checked one.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "UiControl.h"
#include "UiGroupBox.h"
#include "UiToggleButton.h"

namespace ui {

// onClick fires once each time the button becomes checked, by the user or by code.
class RadioButton : public ToggleButton {
public:
    bool firstOfGroup = false;  // WS_GROUP: starts a new set of buttons that uncheck each other

    std::function<void(RadioButton&)> onClick;
    // Every change of the state, to checked and to unchecked.
    std::function<void(RadioButton&)> onChange;

    bool Create(Window& parent, int id = 0);

protected:
    void StateChanged(bool now) override;
};

// onClick fires once each time the checked item changes, by the user or by code.
class RadioGroup : public GroupBox {
public:
    // Properties, set before Create (and the caption).
    std::vector<std::string> items;
    int columns = 1;
    int itemIndex = -1;

    std::function<void(RadioGroup&)> onClick;

    bool Create(Window& parent, int id = 0);
    int ItemIndex() const;
    void SetItemIndex(int index);  // BM_SETCHECK on each button
    RadioButton* Item(int index);

private:
    void NoteIndex();
    std::vector<std::unique_ptr<RadioButton>> m_Buttons;
    int m_iLast = -1;
    int m_iSetting = 0;
};

}  // namespace ui
