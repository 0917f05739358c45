#include "UiPaintBox.h"

#include "UTxUtils.h"

namespace ui {

bool PaintBox::Create(Window& parent, int id)
{
    return CreateControl(parent, id, "STATIC", SS_NOTIFY);
}

void PaintBox::Paint(HDC dc, const RECT& client)
{
    if (onPaint) onPaint(*this, dc, client);
}

LRESULT PaintBox::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers every pixel
    case WM_PRINTCLIENT: {
        const RECT client = GetClientRect();
        Paint(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    case WM_PAINT: {
        PaintScope paint(Handle());
        const HDC dc = paint.Dc();
        const RECT client = GetClientRect();
        const int cx = client.right;
        const int cy = client.bottom;
        MemDC memory(::CreateCompatibleDC(dc));
        GdiObject bitmap(::CreateCompatibleBitmap(dc, cx > 0 ? cx : 1, cy > 0 ? cy : 1));
        if (memory && bitmap) {
            SelectGuard selected(memory.get(), bitmap.get());
            Paint(memory.get(), client);
            ::BitBlt(dc, 0, 0, cx, cy, memory.get(), 0, 0, SRCCOPY);
        } else {
            Paint(dc, client);
        }
        return 0;
    }
    default:
        return Control::OnMessage(msg, wParam, lParam);
    }
}

}  // namespace ui
