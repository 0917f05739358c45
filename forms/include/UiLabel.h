// A line or block of text (a STATIC control without prefix characters, so '&' shows as written).
#pragma once

#include <windows.h>

#include <string>

#include "UiControl.h"
#include "UiGraphics.h"

namespace ui {

enum class Alignment { Left, Center, Right };

class Label : public Control {
public:
    // Properties, set before Create.
    std::string caption;
    Alignment alignment = Alignment::Left;
    bool wordWrap = true;
    bool parentColor = true;  // take the form's background
    Color color = Color::System(COLOR_BTNFACE);
    // Draws only the text, over whatever the parent paints beneath (a gradient, a picture).
    bool transparent = false;
    bool parentFont = true;  // take the parent's font; fontColor applies either way
    FontSpec font;
    Color fontColor = Color::System(COLOR_WINDOWTEXT);

    bool Create(Window& parent, int id = 0);
    // The caption after Create: WM_SETTEXT.
    void SetCaption(const std::string& text) { SetText(text); }

    HBRUSH OnCtlColor(HDC dc) override;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void PaintTransparent(HDC dc);

    GdiObject m_Font;
    SolidBrush m_Background;
};

}  // namespace ui
