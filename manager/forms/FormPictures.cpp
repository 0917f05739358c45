#include "FormPictures.h"

#include "ManagerForms.h"
#include "UTxUtils.h"

namespace manager {

namespace {

const SIZE kSizes[TFormPictures::kCount] = {{235, 98},  {205, 124}, {205, 124}, {196, 100},
                                            {230, 172}, {230, 172}, {230, 172}, {230, 172},
                                            {207, 156}, {207, 156}, {235, 97}};

const COLORREF kPaper = RGB(236, 233, 216);
const COLORREF kBezel = RGB(64, 64, 64);
const COLORREF kDesk = RGB(58, 110, 165);
const COLORREF kAccent = RGB(220, 40, 40);

void Fill(HDC dc, const RECT& r, COLORREF color)
{
    GdiObject brush(::CreateSolidBrush(color));
    ::FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
}

RECT Inset(RECT r, int dx, int dy)
{
    ::InflateRect(&r, -dx, -dy);
    return r;
}

// A small landscape photograph: sky, sun and a hill.
void Photo(HDC dc, const RECT& r)
{
    const int h = r.bottom - r.top;
    Fill(dc, {r.left, r.top, r.right, r.top + h * 3 / 5}, RGB(135, 190, 235));
    Fill(dc, {r.left, r.top + h * 3 / 5, r.right, r.bottom}, RGB(70, 140, 60));
    const int sun = h / 5 + 1;
    GdiObject brush(::CreateSolidBrush(RGB(250, 210, 60)));
    SelectGuard b(dc, brush.get());
    SelectGuard p(dc, ::GetStockObject(NULL_PEN));
    ::Ellipse(dc, r.right - 2 * sun - 4, r.top + 4, r.right - 4, r.top + 4 + 2 * sun);
}

// A screen with a stand and its desktop area; returns the desktop.
RECT Screen(HDC dc, const RECT& r)
{
    Fill(dc,
         {r.left + (r.right - r.left) / 2 - 12, r.bottom - 8, r.left + (r.right - r.left) / 2 + 12, r.bottom},
         kBezel);
    const RECT body = {r.left, r.top, r.right, r.bottom - 8};
    Fill(dc, body, kBezel);
    const RECT desk = Inset(body, 5, 5);
    Fill(dc, desk, kDesk);
    return desk;
}

void Icons(HDC dc, const RECT& desk, bool textBack)
{
    for (int i = 0; i < 3; ++i) {
        const int y = desk.top + 6 + i * 28;
        Fill(dc, {desk.left + 8, y, desk.left + 24, y + 16}, RGB(250, 250, 250));
        if (textBack) Fill(dc, {desk.left + 3, y + 18, desk.left + 29, y + 24}, RGB(20, 60, 120));
        Fill(dc, {desk.left + 6, y + 20, desk.left + 26, y + 22}, RGB(255, 255, 255));
    }
}

void Draw(int number, HDC dc, const SIZE& size)
{
    const RECT all = {0, 0, size.cx, size.cy};
    Fill(dc, all, kPaper);
    switch (number) {
    case 1: {  // three ways to fit: scaled, clipped, stretched
        const int w = (size.cx - 16) / 3;
        for (int i = 0; i < 3; ++i) {
            const RECT desk = Screen(dc, {4 + i * (w + 4), 8, 4 + i * (w + 4) + w, size.cy - 8});
            if (i == 0) Photo(dc, Inset(desk, (desk.right - desk.left) / 6, 0));
            if (i == 1) Photo(dc, desk);
            if (i == 2) Photo(dc, desk);
            if (i == 2) Fill(dc, {desk.left, desk.bottom - 3, desk.right, desk.bottom}, kAccent);
        }
        break;
    }
    case 2:
    case 3: {  // icon captions with and without their own background
        const RECT desk = Screen(dc, Inset(all, 10, 6));
        Photo(dc, desk);
        Icons(dc, desk, number == 2);
        break;
    }
    case 4: {  // a frame round the picture
        const RECT desk = Screen(dc, Inset(all, 10, 6));
        const RECT frame = Inset(desk, 24, 10);
        Fill(dc, frame, RGB(255, 255, 255));
        Photo(dc, Inset(frame, 4, 4));
        break;
    }
    case 5:
    case 6:
    case 7:
    case 8: {  // one margin marked
        const RECT desk = Screen(dc, Inset(all, 12, 8));
        RECT photo = Inset(desk, 18, 14);
        Photo(dc, photo);
        RECT band = desk;
        if (number == 5) band.right = photo.left;
        if (number == 6) band.left = photo.right;
        if (number == 7) band.bottom = photo.top;
        if (number == 8) band.top = photo.bottom;
        Fill(dc, Inset(band, 2, 2), kAccent);
        break;
    }
    case 9: {  // a calendar in a corner
        const RECT desk = Screen(dc, Inset(all, 10, 6));
        Photo(dc, desk);
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 7; ++col) {
                const int x = desk.right - 62 + col * 8;
                const int y = desk.top + 6 + row * 7;
                Fill(dc, {x, y, x + 6, y + 5}, row == 2 && col == 3 ? kAccent : RGB(255, 255, 255));
            }
        break;
    }
    case 10: {  // the Agent's icon on the task bar
        const RECT desk = Screen(dc, Inset(all, 10, 6));
        Photo(dc, desk);
        Fill(dc, {desk.left, desk.bottom - 14, desk.right, desk.bottom}, RGB(212, 208, 200));
        Fill(dc, {desk.right - 20, desk.bottom - 12, desk.right - 10, desk.bottom - 2}, kAccent);
        break;
    }
    default: {  // the screen saver on black
        const RECT desk = Screen(dc, Inset(all, 10, 4));
        Fill(dc, desk, RGB(0, 0, 0));
        Photo(dc, Inset(desk, (desk.right - desk.left) / 4, 8));
        break;
    }
    }
}

GdiObject MakePicture(int number)
{
    const SIZE size = TFormPictures::PictureSize(number);
    WindowDC screen(nullptr);
    GdiObject bitmap(::CreateCompatibleBitmap(screen.get(), size.cx, size.cy));
    MemDC memory(::CreateCompatibleDC(screen.get()));
    if (!bitmap || !memory) return GdiObject();
    {
        SelectGuard selected(memory.get(), bitmap.get());
        Draw(number, memory.get(), size);
    }
    return bitmap;
}

}  // namespace

TFormPictures::TFormPictures()
{
    caption = "Pictures";
    borderStyle = ui::BorderStyle::Single;
    clientWidth = 480;
    clientHeight = 360;
}

SIZE TFormPictures::PictureSize(int number)
{
    if (number < 1 || number > kCount) return {0, 0};
    return kSizes[number - 1];
}

ui::Image* TFormPictures::ImageAt(int number) const
{
    ui::Image* const images[kCount] = {
        const_cast<ui::Image*>(&Image1),  const_cast<ui::Image*>(&Image2), const_cast<ui::Image*>(&Image3),
        const_cast<ui::Image*>(&Image4),  const_cast<ui::Image*>(&Image5), const_cast<ui::Image*>(&Image6),
        const_cast<ui::Image*>(&Image7),  const_cast<ui::Image*>(&Image8), const_cast<ui::Image*>(&Image9),
        const_cast<ui::Image*>(&Image10), const_cast<ui::Image*>(&Image11)};
    return number >= 1 && number <= kCount ? images[number - 1] : nullptr;
}

bool TFormPictures::Create()
{
    if (!Form::Create(ManagerFormClass())) return false;
    for (int number = 1; number <= kCount; ++number) {
        ui::Image* image = ImageAt(number);
        const SIZE size = PictureSize(number);
        image->SetBounds(0, 0, size.cx, size.cy);
        if (!image->Create(*this)) return false;
        image->SetBitmap(MakePicture(number));
    }
    return true;
}

HBITMAP TFormPictures::Picture(int number) const
{
    const ui::Image* image = ImageAt(number);
    return image ? image->Bitmap() : nullptr;
}

TFormTestImg::TFormTestImg()
{
    caption = "";
    borderStyle = ui::BorderStyle::Single;
    clientWidth = 696;
    clientHeight = 392;
}

bool TFormTestImg::Create(HWND owner)
{
    return Form::Create(ManagerFormClass(), owner);
}

}  // namespace manager
