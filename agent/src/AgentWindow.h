// The Agent's hidden tool window with its popup menu: every tick, menu command and close request
// is handled here, on the window thread.
#pragma once

#include "UiMenu.h"
#include "UiWindow.h"

#include <windows.h>

#include <string>

class TFormAgent : public ui::Window {
public:
    // Properties, set before Create.
    std::string caption;

    // A tool window (no task-bar button), hidden whatever show state the program got.
    bool Create(const ui::WindowClass& windowClass);

    ui::PopupMenu& Menu() { return m_Menu; }

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void TrayNotify(WPARAM id, LPARAM mouseMessage);
    LRESULT Command(UINT id, WPARAM wParam, LPARAM lParam);
    void StartManager();
    void ToggleBlock();

    ui::PopupMenu m_Menu;
    UINT m_uTaskbarCreated = 0;
};

extern TFormAgent g_FormAgent;

// "Enable changes" or "Disable changes" after the block switch; "Next wallpaper" greyed while blocked.
void UpdateMenu();
