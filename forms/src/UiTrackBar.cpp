#include "UiTrackBar.h"

#include <commctrl.h>

namespace ui {

bool TrackBar::Create(Window& parent, int id)
{
    if (!CreateControl(parent, id, TRACKBAR_CLASSA,
                       WS_TABSTOP | TBS_HORZ | (ticks ? TBS_AUTOTICKS : TBS_NOTICKS)))
        return false;
    ::SendMessageA(Handle(), TBM_SETRANGEMIN, FALSE, minValue);
    ::SendMessageA(Handle(), TBM_SETRANGEMAX, FALSE, maxValue);
    ::SendMessageA(Handle(), TBM_SETPOS, TRUE, position);
    m_iLast = Position();
    return true;
}

int TrackBar::Position() const
{
    return Handle() ? static_cast<int>(::SendMessageA(Handle(), TBM_GETPOS, 0, 0)) : 0;
}

void TrackBar::SetPosition(int pos)
{
    if (Handle()) ::SendMessageA(Handle(), TBM_SETPOS, TRUE, pos);
}

void TrackBar::SetRange(int min, int max)
{
    minValue = min;
    maxValue = max;
    if (!Handle()) return;
    ::SendMessageA(Handle(), TBM_SETRANGEMIN, FALSE, min);
    ::SendMessageA(Handle(), TBM_SETRANGEMAX, TRUE, max);
}

void TrackBar::NotePosition()
{
    const int now = Position();
    if (now == m_iLast) return;
    m_iLast = now;
    if (onChange) onChange(*this);
}

LRESULT TrackBar::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = Control::OnMessage(msg, wParam, lParam);
    switch (msg) {
    case TBM_SETPOS:
    case TBM_SETRANGE:
    case TBM_SETRANGEMIN:
    case TBM_SETRANGEMAX:
        NotePosition();
        break;
    default:
        break;
    }
    return result;
}

void TrackBar::OnScroll(WORD)
{
    NotePosition();
}

}  // namespace ui
