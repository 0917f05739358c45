#include "UiCheckBox.h"

namespace ui {

CheckBox::~CheckBox()
{
    Destroy();
}

bool CheckBox::Create(Window& parent, int id)
{
    if (!CreateControl(parent, id, "BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0, caption.c_str())) return false;
    m_bLast = checked;
    Control::OnMessage(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    return true;
}

bool CheckBox::Checked() const
{
    return Handle() && ::SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CheckBox::SetChecked(bool on)
{
    if (Handle()) ::SendMessageA(Handle(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckBox::NoteState()
{
    const bool now = Checked();
    if (now == m_bLast) return;
    m_bLast = now;
    if (onClick) onClick(*this);
}

LRESULT CheckBox::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = Control::OnMessage(msg, wParam, lParam);
    // The system's BM_SETCHECK notifies nobody; a click notifies after its own BM_SETCHECK.
    if (msg == BM_SETCHECK) NoteState();
    return result;
}

bool CheckBox::OnCommand(WORD code)
{
    if (code != BN_CLICKED) return false;
    NoteState();
    return true;
}

}  // namespace ui
