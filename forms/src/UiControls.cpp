#include "UiControls.h"

namespace ui {

HBRUSH Control::OnCtlColor(HDC)
{
    return nullptr;
}

Label::~Label()
{
    Destroy();
}

bool Label::Create(Form& parent, int id)
{
    if (Exists() || !parent.Exists()) return false;
    m_pParent = &parent;
    m_Background.Set(parentColor ? parent.BackColor() : color);
    if (!parentFont) m_Font = font.Create();
    DWORD style = WS_CHILD | WS_VISIBLE | SS_NOPREFIX;
    switch (alignment) {
    case Alignment::Left:
        style |= SS_LEFT;
        break;
    case Alignment::Center:
        style |= SS_CENTER;
        break;
    case Alignment::Right:
        style |= SS_RIGHT;
        break;
    }
    if (!CreateSystemClass("STATIC", 0, caption.c_str(), style, left, top, width, height, parent.Handle(),
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))))
        return false;
    SetFont(parentFont ? parent.Font() : static_cast<HFONT>(m_Font.get()), false);
    return true;
}

HBRUSH Label::OnCtlColor(HDC dc)
{
    const Color back = parentColor && m_pParent ? m_pParent->BackColor() : color;
    ::SetTextColor(dc, fontColor.Value());
    ::SetBkColor(dc, back.Value());
    return m_Background.Get();
}

}  // namespace ui
