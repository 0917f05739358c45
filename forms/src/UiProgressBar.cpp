#include "UiProgressBar.h"

#include <commctrl.h>

namespace ui {

bool ProgressBar::Create(Window& parent, int id)
{
    if (!CreateControl(parent, id, PROGRESS_CLASSA, 0)) return false;
    ::SendMessageA(Handle(), PBM_SETRANGE32, minValue, maxValue);
    SetPosition(position);
    return true;
}

int ProgressBar::Position() const
{
    return Handle() ? static_cast<int>(::SendMessageA(Handle(), PBM_GETPOS, 0, 0)) : 0;
}

void ProgressBar::SetPosition(int pos)
{
    position = pos;
    if (Handle()) ::SendMessageA(Handle(), PBM_SETPOS, pos, 0);
}

}  // namespace ui
