// The common part of check boxes and radio buttons: a button with a checked state that reports each
// change of it once, whether the user clicked or code sent BM_SETCHECK (which notifies nobody).
#pragma once

#include <string>

#include "UiControl.h"

namespace ui {

class ToggleButton : public Control {
public:
    // Properties, set before Create.
    std::string caption;
    bool checked = false;

    bool Checked() const;      // BM_GETCHECK
    void SetChecked(bool on);  // BM_SETCHECK

protected:
    // CreateWindowExA of a BUTTON with the given BS_ style, in the `checked` state.
    bool CreateButton(Window& parent, int id, DWORD style);
    // The state changed; `now` is the new one.
    virtual void StateChanged(bool now) = 0;

    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;  // BM_SETCHECK from anyone
    bool OnCommand(WORD code) override;                                  // BN_CLICKED

private:
    void NoteState();
    bool m_bLast = false;
};

}  // namespace ui
