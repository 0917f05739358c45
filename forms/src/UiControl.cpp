#include "UiControl.h"

#include "UTxLog.h"
#include "UiForm.h"

namespace ui {

Control::~Control()
{
    // As a form's: the handlers of the classes derived from this one are gone already.
    if (Exists())
        LogF("!%s still had its window when its object went: its own handlers missed WM_DESTROY",
             Name().c_str());
}

int Control::Id() const
{
    return Handle() ? ::GetDlgCtrlID(Handle()) : 0;
}

bool Control::IsEnabled() const
{
    return Handle() && ::IsWindowEnabled(Handle());
}

void Control::SetEnabled(bool on)
{
    enabled = on;
    if (Handle()) ::EnableWindow(Handle(), on ? TRUE : FALSE);
}

void Control::SetVisible(bool on)
{
    visible = on;
    ShowWindow(on ? SW_SHOW : SW_HIDE);
}

void Control::SetBounds(int x, int y, int cx, int cy)
{
    left = x;
    top = y;
    width = cx;
    height = cy;
    SetPos(nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Control::SetFocus()
{
    if (Handle()) ::SetFocus(Handle());
}

Form* Control::ParentForm() const
{
    if (!Handle()) return nullptr;
    return dynamic_cast<Form*>(FromHandle(::GetAncestor(Handle(), GA_ROOT)));
}

HBRUSH Control::OnCtlColor(HDC)
{
    return nullptr;
}

bool Control::CreateControl(Window& parent, int id, const char* className, DWORD style, DWORD exStyle,
                            const char* text)
{
    if (Exists() || !parent.Exists()) return false;
    style |= WS_CHILD | (visible ? WS_VISIBLE : 0) | (enabled ? 0 : WS_DISABLED);
    if (!CreateSystemClass(className, exStyle, text, style, left, top, width, height, parent.Handle(),
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))))
        return false;
    const auto font = reinterpret_cast<HFONT>(::SendMessageA(parent.Handle(), WM_GETFONT, 0, 0));
    if (font) SetFont(font, false);
    return true;
}

bool Control::OnNotification(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (msg) {
    case WM_COMMAND:
        return OnCommand(HIWORD(wParam));
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<NMHDR*>(lParam), result);
    case WM_HSCROLL:
    case WM_VSCROLL:
        OnScroll(LOWORD(wParam));
        return true;
    default:
        break;
    }
    if (!IsControlColorMessage(msg)) return false;
    HBRUSH brush = OnCtlColor(reinterpret_cast<HDC>(wParam));
    result = reinterpret_cast<LRESULT>(brush);
    return brush != nullptr;
}

bool Control::OnCommand(WORD)
{
    return false;
}

bool Control::OnNotify(NMHDR&, LRESULT&)
{
    return false;
}

void Control::OnScroll(WORD) {}

void Control::PaintParentBackground(HDC dc)
{
    const HWND parent = ::GetParent(Handle());
    if (!parent) return;
    POINT origin = {0, 0};
    ::MapWindowPoints(Handle(), parent, &origin, 1);
    POINT old;
    ::OffsetViewportOrgEx(dc, -origin.x, -origin.y, &old);
    ::SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    ::SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

}  // namespace ui
