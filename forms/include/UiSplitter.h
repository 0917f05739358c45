// A vertical bar the user drags to share a width between the controls to its left and right. It
// only reports where it should go (onMoved, with its new left edge); the form's layout moves it and
// its neighbours.
#pragma once

#include <functional>

#include "UiControl.h"

namespace ui {

class Splitter : public Control {
public:
    // Properties, set before Create.
    int minLeft = 30;   // the least width left of the bar
    int minRight = 30;  // the least width right of it

    std::function<void(Splitter&, int newLeft)> onMoved;

    bool Create(Window& parent, int id = 0);

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    int m_iGrip = -1;  // where in the bar the mouse holds it, while dragging
};

}  // namespace ui
