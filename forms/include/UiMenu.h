// A popup menu, as a tray icon or a context click opens it. The chosen item arrives at the owner
// window as WM_COMMAND with the item's id.
#pragma once

#include <windows.h>

#include <string>

#include "UiWindow.h"

namespace ui {

class PopupMenu {
public:
    PopupMenu() = default;
    ~PopupMenu();
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    bool Create();   // CreatePopupMenu
    void Destroy();  // DestroyMenu
    HMENU Handle() const { return m_hMenu; }

    void AppendItem(UINT id, const std::string& text);   // AppendMenuA(MF_STRING)
    void AppendSeparator();                              // AppendMenuA(MF_SEPARATOR)
    void SetItemText(UINT id, const std::string& text);  // ModifyMenuA(MF_BYCOMMAND | MF_STRING)
    void EnableItem(UINT id, bool enabled);              // EnableMenuItem(MF_ENABLED or MF_GRAYED)
    std::string ItemText(UINT id) const;                 // GetMenuStringA
    bool IsItemEnabled(UINT id) const;                   // GetMenuState

    // TrackPopupMenu at a screen point (TPM_* alignment flags); returns when the menu closed.
    void Track(const Window& owner, POINT at, UINT flags);

private:
    HMENU m_hMenu = nullptr;
};

}  // namespace ui
