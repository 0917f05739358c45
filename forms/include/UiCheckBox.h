// A check box. onClick fires once for every change of its state, by the user or by code.
#pragma once

#include <functional>
#include <string>

#include "UiControl.h"

namespace ui {

class CheckBox : public Control {
public:
    ~CheckBox() override;

    // Properties, set before Create.
    std::string caption;
    bool checked = false;

    std::function<void(CheckBox&)> onClick;

    bool Create(Window& parent, int id = 0);
    bool Checked() const;      // BM_GETCHECK
    void SetChecked(bool on);  // BM_SETCHECK

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;  // BM_SETCHECK from anyone
    bool OnCommand(WORD code) override;                                  // BN_CLICKED

private:
    // The state changed since the last event: remember it and fire.
    void NoteState();
    bool m_bLast = false;
};

}  // namespace ui
