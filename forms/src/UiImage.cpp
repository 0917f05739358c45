#include "UiImage.h"

#include <utility>

namespace ui {

void Image::SetBitmap(GdiObject bitmap)
{
    m_Bitmap = std::move(bitmap);
    Invalidate();
}

void Image::Paint(HDC dc, const RECT& client)
{
    PaintParentBackground(dc);
    BITMAP info = {};
    if (!m_Bitmap || !::GetObjectA(m_Bitmap.get(), sizeof info, &info)) return;
    MemDC memory(::CreateCompatibleDC(dc));
    if (!memory) return;
    SelectGuard selected(memory.get(), m_Bitmap.get());
    const int x = center ? (client.right - info.bmWidth) / 2 : 0;
    const int y = center ? (client.bottom - info.bmHeight) / 2 : 0;
    ::BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory.get(), 0, 0, SRCCOPY);
}

}  // namespace ui
