#include "UiGroupBox.h"

namespace ui {

bool GroupBox::Create(Window& parent, int id)
{
    // WS_EX_CONTROLPARENT: Tab enters the box's own controls.
    return CreateControl(parent, id, "BUTTON", BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
                         caption.c_str());
}

LRESULT GroupBox::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_ERASEBKGND) {
        PaintParentBackground(reinterpret_cast<HDC>(wParam));
        return 1;
    }
    // A transparent child asks for what lies under it: the inside first, then the frame.
    if (msg == WM_PRINTCLIENT && (lParam & PRF_ERASEBKGND))
        PaintParentBackground(reinterpret_cast<HDC>(wParam));
    return Control::OnMessage(msg, wParam, lParam);
}

}  // namespace ui
