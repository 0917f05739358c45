// A number field with up and down buttons. The text is set as given, also outside the range; only a
// step (the buttons, the Up and Down keys) clamps to minValue..maxValue. onChange (of Edit) fires once
// for each change of the text.
#pragma once

#include <functional>

#include "UiEdit.h"

namespace ui {

class SpinEdit : public Edit {
public:
    // Properties, set before Create; the bounds include the buttons.
    int minValue = 0;
    int maxValue = 100;
    int increment = 1;
    int value = 0;

    bool Create(Window& parent, int id = 0);
    // The number in the text; minValue when the text is not a number.
    int Value() const;
    void SetValue(int v);  // WM_SETTEXT
    // One step up (positive) or down, clamped to the range.
    void Step(int steps);

    HWND ButtonsHandle() const { return m_Buttons.Handle(); }

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;  // VK_UP, VK_DOWN

private:
    // The up-down control beside the edit, without a buddy: its steps come here (UDN_DELTAPOS) and
    // never move its own position, so it never stops at its own limits.
    class Buttons : public Control {
    public:
        std::function<void(int)> onStep;
        bool Create(Window& parent);

    protected:
        bool OnNotify(NMHDR& header, LRESULT& result) override;
    };
    Buttons m_Buttons;
};

}  // namespace ui
