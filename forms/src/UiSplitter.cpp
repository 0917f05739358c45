#include "UiSplitter.h"

#include <windowsx.h>

#include <algorithm>

namespace ui {

bool Splitter::Create(Window& parent, int id)
{
    return CreateControl(parent, id, "STATIC", SS_NOTIFY);
}

LRESULT Splitter::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SETCURSOR:
        ::SetCursor(::LoadCursorA(nullptr, IDC_SIZEWE));
        return TRUE;
    case WM_LBUTTONDOWN:
        m_iGrip = GET_X_LPARAM(lParam);
        ::SetCapture(Handle());
        return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: {
        if (m_iGrip < 0) break;
        POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const HWND parent = ::GetParent(Handle());
        ::MapWindowPoints(Handle(), parent, &at, 1);
        RECT area;
        ::GetClientRect(parent, &area);
        const int most = std::max(minLeft, static_cast<int>(area.right) - minRight - width);
        const int newLeft = std::clamp(static_cast<int>(at.x) - m_iGrip, minLeft, most);
        if (msg == WM_LBUTTONUP) {
            m_iGrip = -1;
            ::ReleaseCapture();
        }
        if (newLeft != left && onMoved) onMoved(*this, newLeft);
        return 0;
    }
    case WM_CAPTURECHANGED:
        m_iGrip = -1;
        break;
    default:
        break;
    }
    return Control::OnMessage(msg, wParam, lParam);
}

}  // namespace ui
