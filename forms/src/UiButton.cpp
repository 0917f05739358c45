#include "UiButton.h"

#include "UiForm.h"

namespace ui {

Button::~Button()
{
    if (Form* form = ParentForm()) {
        if (form->DefaultButton() == this) form->SetDefaultButton(nullptr);
        if (form->CancelButton() == this) form->SetCancelButton(nullptr);
    }
}

bool Button::Create(Window& parent, int id)
{
    const DWORD style = WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    if (!CreateControl(parent, id, "BUTTON", style, 0, caption.c_str())) return false;
    if (Form* form = ParentForm()) {
        if (isDefault) form->SetDefaultButton(this);
        if (isCancel) form->SetCancelButton(this);
    }
    return true;
}

void Button::Click()
{
    if (IsEnabled()) ::SendMessageA(Handle(), BM_CLICK, 0, 0);
}

bool Button::OnCommand(WORD code)
{
    if (code != BN_CLICKED) return false;
    if (modalResult != 0) {
        if (Form* form = ParentForm()) form->SetModalResult(modalResult);
    }
    if (onClick) onClick(*this);
    return true;
}

}  // namespace ui
