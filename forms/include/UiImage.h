// A picture, drawn at its size from the top left or centred; it owns its bitmap.
#pragma once

#include "UTxUtils.h"
#include "UiPaintBox.h"

namespace ui {

class Image : public PaintBox {
public:
    bool center = false;  // a property; call Invalidate after a change

    void SetBitmap(GdiObject bitmap);  // takes the bitmap; repaints
    HBITMAP Bitmap() const { return static_cast<HBITMAP>(m_Bitmap.get()); }

protected:
    void Paint(HDC dc, const RECT& client) override;

private:
    GdiObject m_Bitmap;
};

}  // namespace ui
