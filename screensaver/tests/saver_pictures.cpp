#include "saver_pictures.h"

#include "KvTestSupport.h"

#include <string>

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
    const std::string folder = testsupport::ExeFolder() + "..\\shots";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = picture.width;
    header.biHeight = -picture.height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    std::string bytes(sizeof(file) + sizeof(header), '\0');
    file.bfType = 0x4D42;
    file.bfOffBits = static_cast<DWORD>(bytes.size());
    for (COLORREF pixel : picture.pixels) {
        const DWORD bgr = (GetRValue(pixel) << 16) | (GetGValue(pixel) << 8) | GetBValue(pixel);
        bytes.append(reinterpret_cast<const char*>(&bgr), sizeof(bgr));
    }
    file.bfSize = static_cast<DWORD>(bytes.size());
    bytes.replace(0, sizeof(file), reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.replace(sizeof(file), sizeof(header), reinterpret_cast<const char*>(&header), sizeof(header));
    testsupport::WriteFileBytes(folder + "\\" + name, bytes);
}

}  // namespace savertest
