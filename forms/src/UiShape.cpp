#include "UiShape.h"

#include "UTxUtils.h"

namespace ui {

void Shape::Paint(HDC dc, const RECT& client)
{
    PaintParentBackground(dc);
    GdiObject brush(::CreateSolidBrush(brushColor.Value()));
    GdiObject pen(outline ? ::CreatePen(PS_SOLID, 1, penColor.Value()) : nullptr);
    SelectGuard withBrush(dc, brush.get());
    SelectGuard withPen(dc, pen ? pen.get() : ::GetStockObject(NULL_PEN));
    if (kind == Kind::Ellipse)
        ::Ellipse(dc, client.left, client.top, client.right, client.bottom);
    else
        ::Rectangle(dc, client.left, client.top, client.right, client.bottom);
}

}  // namespace ui
