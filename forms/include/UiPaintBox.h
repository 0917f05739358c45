// An area the program paints itself (onPaint), without flicker: painted into a memory bitmap first.
// Other controls may take it as their parent; a transparent Label on it shows what onPaint drew.
#pragma once

#include <functional>

#include "UiControl.h"

namespace ui {

class PaintBox : public Control {
public:
    std::function<void(PaintBox&, HDC, const RECT& client)> onPaint;

    bool Create(Window& parent, int id = 0);

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Draws the whole client area into `dc`.
    virtual void Paint(HDC dc, const RECT& client);
};

}  // namespace ui
