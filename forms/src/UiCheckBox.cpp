#include "UiCheckBox.h"

namespace ui {

bool CheckBox::Create(Window& parent, int id)
{
    return CreateButton(parent, id, WS_TABSTOP | BS_AUTOCHECKBOX);
}

void CheckBox::StateChanged(bool)
{
    if (onClick) onClick(*this);
}

}  // namespace ui
