#include "UiPanel.h"

namespace ui {

bool Panel::Create(Window& parent, int id)
{
    m_Background.Set(color);
    // SS_NOTIFY: the panel takes its own mouse messages instead of passing them to its parent.
    return CreateControl(parent, id, "STATIC", SS_NOTIFY | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
}

void Panel::Paint(HDC dc)
{
    RECT r = GetClientRect();
    ::FillRect(dc, &r, m_Background.Get());
    if (lowered) ::DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
}

LRESULT Panel::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_PAINT: {
        PaintScope paint(Handle());
        Paint(paint.Dc());
        return 0;
    }
    case WM_SIZE:
        if (onResize) onResize(*this);
        break;
    default:
        break;
    }
    return Control::OnMessage(msg, wParam, lParam);
}

}  // namespace ui
