// A plain container with an optional lowered bevel; its controls take it as their parent.
#pragma once

#include <functional>

#include "UiControl.h"
#include "UiGraphics.h"

namespace ui {

class Panel : public Control {
public:
    // Properties, set before Create.
    Color color = Color::System(COLOR_BTNFACE);
    bool lowered = false;  // a sunken bevel round the edge

    std::function<void(Panel&)> onResize;  // WM_SIZE

    bool Create(Window& parent, int id = 0);

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(HDC dc);
    SolidBrush m_Background;
};

}  // namespace ui
