#include "UiMenu.h"

#include <vector>

namespace ui {

PopupMenu::~PopupMenu()
{
    Destroy();
}

bool PopupMenu::Create()
{
    Destroy();
    m_hMenu = ::CreatePopupMenu();
    return m_hMenu != nullptr;
}

void PopupMenu::Destroy()
{
    if (m_hMenu) ::DestroyMenu(m_hMenu);
    m_hMenu = nullptr;
}

void PopupMenu::AppendItem(UINT id, const std::string& text)
{
    if (m_hMenu) ::AppendMenuA(m_hMenu, MF_STRING, id, text.c_str());
}

void PopupMenu::AppendSeparator()
{
    if (m_hMenu) ::AppendMenuA(m_hMenu, MF_SEPARATOR, 0, nullptr);
}

void PopupMenu::SetItemText(UINT id, const std::string& text)
{
    if (!m_hMenu) return;
    // ModifyMenu replaces the item's flags too: its greyed state is kept.
    const UINT state = ::GetMenuState(m_hMenu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
    ::ModifyMenuA(m_hMenu, id, MF_BYCOMMAND | MF_STRING | state, id, text.c_str());
}

void PopupMenu::EnableItem(UINT id, bool enabled)
{
    if (m_hMenu) ::EnableMenuItem(m_hMenu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

std::string PopupMenu::ItemText(UINT id) const
{
    if (!m_hMenu) return std::string();
    const int length = ::GetMenuStringA(m_hMenu, id, nullptr, 0, MF_BYCOMMAND);
    if (length <= 0) return std::string();
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    ::GetMenuStringA(m_hMenu, id, text.data(), length + 1, MF_BYCOMMAND);
    return text.data();
}

bool PopupMenu::IsItemEnabled(UINT id) const
{
    if (!m_hMenu) return false;
    const UINT state = ::GetMenuState(m_hMenu, id, MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

void PopupMenu::Track(const Window& owner, POINT at, UINT flags)
{
    if (m_hMenu) ::TrackPopupMenu(m_hMenu, flags, at.x, at.y, 0, owner.Handle(), nullptr);
}

}  // namespace ui
