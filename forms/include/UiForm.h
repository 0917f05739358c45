// A top-level window in the framework's manner: its properties are set first, then Create makes it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "UiGraphics.h"
#include "UiWindow.h"

namespace ui {

enum class BorderStyle {
    None,      // WS_POPUP, no frame
    Single,    // caption, fixed thin frame
    Sizeable,  // caption, sizing frame
    Dialog,    // caption, dialog frame (WS_EX_DLGMODALFRAME); never minimise or maximise boxes
};

class Form : public Window {
public:
    Form() = default;
    ~Form() override;

    // Properties, set before Create.
    std::string caption;
    BorderStyle borderStyle = BorderStyle::Sizeable;
    bool systemMenu = true;  // the BorderIcons of the framework
    bool minimizeBox = true;
    bool maximizeBox = true;
    int left = CW_USEDEFAULT;
    int top = CW_USEDEFAULT;
    int clientWidth = 320;
    int clientHeight = 240;
    Color color = Color::System(COLOR_BTNFACE);
    FontSpec font;

    // Events.
    std::function<void(Form&)> onShow;  // before the form becomes visible

    // Creates the window, hidden, with an outer size that gives the client size asked for.
    bool Create(const WindowClass& windowClass, HWND owner = nullptr);
    // Modeless: onShow, then ShowWindow(SW_SHOW).
    void Show();
    void Hide();  // ShowWindow(SW_HIDE)

    // The form's font, for its controls that take the parent's font.
    HFONT Font() const { return static_cast<HFONT>(m_Font.get()); }
    Color BackColor() const { return color; }

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    DWORD Style() const;
    DWORD ExStyle() const;

    GdiObject m_Font;
    SolidBrush m_Background;
};

}  // namespace ui
