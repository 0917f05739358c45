// A slider. onChange fires once for each change of the position, by keys, the mouse or code (the
// system's TBM_SETPOS notifies nobody, a key notifies twice).
#pragma once

#include <functional>

#include "UiControl.h"

namespace ui {

class TrackBar : public Control {
public:
    // Properties, set before Create.
    int minValue = 0;
    int maxValue = 10;
    int position = 0;
    bool ticks = false;

    std::function<void(TrackBar&)> onChange;

    bool Create(Window& parent, int id = 0);
    int Position() const;       // TBM_GETPOS
    void SetPosition(int pos);  // TBM_SETPOS, clamped to the range by the control
    // TBM_SETRANGEMIN, TBM_SETRANGEMAX; the control moves a position outside the new range into it.
    void SetRange(int min, int max);

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;  // TBM_SETPOS from anyone
    void OnScroll(WORD code) override;                                   // WM_HSCROLL

private:
    void NotePosition();
    int m_iLast = 0;
};

}  // namespace ui
