#include "UiLabel.h"

#include "UiForm.h"

namespace ui {

bool Label::Create(Window& parent, int id)
{
    if (Exists() || !parent.Exists()) return false;
    DWORD style = SS_NOPREFIX;
    switch (alignment) {
    case Alignment::Left:
        style |= wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP;
        break;
    case Alignment::Center:
        style |= SS_CENTER;
        break;
    case Alignment::Right:
        style |= SS_RIGHT;
        break;
    }
    if (!CreateControl(parent, id, "STATIC", style, 0, caption.c_str())) return false;
    const Form* form = ParentForm();
    m_Background.Set(parentColor && form ? form->BackColor() : color);
    if (!parentFont) {
        m_Font = font.Create();
        SetFont(static_cast<HFONT>(m_Font.get()), false);
    }
    return true;
}

HBRUSH Label::OnCtlColor(HDC dc)
{
    const Form* form = ParentForm();
    const Color back = parentColor && form ? form->BackColor() : color;
    ::SetTextColor(dc, fontColor.Value());
    ::SetBkColor(dc, back.Value());
    return m_Background.Get();
}

void Label::PaintTransparent(HDC dc)
{
    PaintParentBackground(dc);
    RECT r = GetClientRect();
    const auto font = reinterpret_cast<HGDIOBJ>(::SendMessageA(Handle(), WM_GETFONT, 0, 0));
    SelectGuard selected(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, IsEnabled() ? fontColor.Value() : ::GetSysColor(COLOR_GRAYTEXT));
    UINT format = DT_NOPREFIX | (wordWrap ? DT_WORDBREAK : DT_SINGLELINE);
    if (alignment == Alignment::Center) format |= DT_CENTER;
    if (alignment == Alignment::Right) format |= DT_RIGHT;
    const std::string text = GetText();
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
}

LRESULT Label::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (transparent) {
        switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PRINTCLIENT:
            PaintTransparent(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_PAINT: {
            PaintScope paint(Handle());
            PaintTransparent(paint.Dc());
            return 0;
        }
        case WM_SETTEXT: {  // the system's static paints its text at once, over the background
            ::DefWindowProcA(Handle(), msg, wParam, lParam);
            Invalidate();
            return TRUE;
        }
        default:
            break;
        }
    }
    return Control::OnMessage(msg, wParam, lParam);
}

}  // namespace ui
