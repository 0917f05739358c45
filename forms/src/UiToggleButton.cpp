#include "UiToggleButton.h"

namespace ui {

bool ToggleButton::CreateButton(Window& parent, int id, DWORD style)
{
    if (!CreateControl(parent, id, "BUTTON", style, 0, caption.c_str())) return false;
    m_bLast = checked;
    SetChecked(checked);
    return true;
}

bool ToggleButton::Checked() const
{
    return Handle() && ::SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ToggleButton::SetChecked(bool on)
{
    if (Handle()) ::SendMessageA(Handle(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void ToggleButton::NoteState()
{
    const bool now = Checked();
    if (now == m_bLast) return;
    m_bLast = now;
    StateChanged(now);
}

LRESULT ToggleButton::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = Control::OnMessage(msg, wParam, lParam);
    // A click notifies after its own BM_SETCHECK, which has already been noted then.
    if (msg == BM_SETCHECK) NoteState();
    return result;
}

bool ToggleButton::OnCommand(WORD code)
{
    if (code != BN_CLICKED) return false;
    NoteState();
    return true;
}

}  // namespace ui
