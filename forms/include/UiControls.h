// Child controls of a form: one small class per control. A new control follows the same shape:
// public properties that Create reads, events as std::function members called from OnMessage or
// OnCtlColor, and one member per wrapped message, named after it in a comment (// BM_GETCHECK).
#pragma once

#include <windows.h>

#include <string>

#include "UiForm.h"
#include "UiGraphics.h"
#include "UiWindow.h"

namespace ui {

class Control : public Window {
public:
    // Bounds in the parent's client coordinates, set before Create.
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    // The parent hands WM_CTLCOLOR* of this control here: colour the DC and return the background
    // brush, or null to keep the system's colours.
    virtual HBRUSH OnCtlColor(HDC dc);
};

enum class Alignment { Left, Center, Right };

// A line of text (a STATIC control without prefix characters, so '&' shows as written).
class Label : public Control {
public:
    ~Label() override;

    // Properties, set before Create.
    std::string caption;
    Alignment alignment = Alignment::Left;
    bool parentColor = true;  // take the form's background
    Color color = Color::System(COLOR_BTNFACE);
    bool parentFont = true;  // take the form's font; fontColor applies either way
    FontSpec font;
    Color fontColor = Color::System(COLOR_WINDOWTEXT);

    bool Create(Form& parent, int id = 0);
    // The caption after Create: WM_SETTEXT.
    void SetCaption(const std::string& text) { SetText(text); }

    HBRUSH OnCtlColor(HDC dc) override;

private:
    Form* m_pParent = nullptr;
    GdiObject m_Font;
    SolidBrush m_Background;
};

}  // namespace ui
