// A filled rectangle or ellipse with an outline.
#pragma once

#include "UiGraphics.h"
#include "UiPaintBox.h"

namespace ui {

class Shape : public PaintBox {
public:
    enum class Kind { Rectangle, Ellipse };

    // Properties; call Invalidate after a change.
    Kind kind = Kind::Rectangle;
    Color brushColor = Color::Rgb(RGB(255, 255, 255));
    Color penColor = Color::Rgb(RGB(0, 0, 0));
    bool outline = true;

protected:
    void Paint(HDC dc, const RECT& client) override;
};

}  // namespace ui
