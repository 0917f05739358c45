#include "saver_pictures.h"

namespace savertest {

bool Picture::RowHas(int y, COLORREF colour) const
{
    for (int x = 0; x < width; ++x)
        if (At(x, y) == colour) return true;
    return false;
}

int Picture::CountOf(COLORREF colour) const
{
    int count = 0;
    for (COLORREF pixel : pixels)
        count += pixel == colour;
    return count;
}

int Picture::CountIn(const RECT& area, COLORREF colour) const
{
    int count = 0;
    for (int y = area.top; y < area.bottom && y < height; ++y)
        for (int x = area.left; x < area.right && x < width; ++x)
            count += At(x, y) == colour;
    return count;
}

Picture Capture(HWND window, bool wholeWindow)
{
    Picture picture;
    static_cast<testsupport::WindowPicture&>(picture) = testsupport::CaptureWindow(
        window, wholeWindow ? testsupport::PictureArea::WholeWindow : testsupport::PictureArea::Client);
    return picture;
}

void SaveShot(const Picture& picture, const char* name)
{
    picture.SaveBmp(testsupport::ShotPath(name));
}

}  // namespace savertest
