#include "UiForm.h"

#include "UiControls.h"

namespace ui {

Form::~Form()
{
    Destroy();
}

DWORD Form::Style() const
{
    DWORD style = 0;
    switch (borderStyle) {
    case BorderStyle::None:
        return WS_POPUP | WS_CLIPCHILDREN;
    case BorderStyle::Single:
        style = WS_OVERLAPPED | WS_CAPTION;
        break;
    case BorderStyle::Sizeable:
        style = WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME;
        break;
    case BorderStyle::Dialog:
        // As in the framework, a dialog frame never carries minimise or maximise boxes.
        return WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN | (systemMenu ? WS_SYSMENU : 0);
    }
    if (systemMenu) style |= WS_SYSMENU;
    if (minimizeBox) style |= WS_MINIMIZEBOX;
    if (maximizeBox) style |= WS_MAXIMIZEBOX;
    return style | WS_CLIPCHILDREN;
}

DWORD Form::ExStyle() const
{
    return borderStyle == BorderStyle::Dialog ? WS_EX_DLGMODALFRAME : 0;
}

bool Form::Create(const WindowClass& windowClass, HWND owner)
{
    if (Exists()) return false;
    m_Font = font.Create();
    m_Background.Set(color);
    RECT r = {0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&r, Style(), FALSE, ExStyle());
    return CreateOwnClass(windowClass, ExStyle(), caption.c_str(), Style(), left, top, r.right - r.left,
                          r.bottom - r.top, owner, nullptr);
}

void Form::Show()
{
    if (!Exists()) return;
    if (onShow) onShow(*this);
    ShowWindow(SW_SHOW);
}

void Form::Hide()
{
    ShowWindow(SW_HIDE);
}

LRESULT Form::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT r = GetClientRect();
        ::FillRect(reinterpret_cast<HDC>(wParam), &r, m_Background.Get());
        return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        // Colours belong to the control that asks, whatever its parent.
        if (auto* control = dynamic_cast<Control*>(FromHandle(reinterpret_cast<HWND>(lParam)))) {
            if (HBRUSH brush = control->OnCtlColor(reinterpret_cast<HDC>(wParam)))
                return reinterpret_cast<LRESULT>(brush);
        }
        break;
    default:
        break;
    }
    return Window::OnMessage(msg, wParam, lParam);
}

}  // namespace ui
