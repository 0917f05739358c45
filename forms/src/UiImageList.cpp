#include "UiImageList.h"

namespace ui {

ImageList::~ImageList()
{
    Destroy();
}

bool ImageList::Create(int width, int height, int initialCount)
{
    Destroy();
    m_hList = ::ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, initialCount, 4);
    return m_hList != nullptr;
}

void ImageList::Destroy()
{
    if (m_hList) ::ImageList_Destroy(m_hList);
    m_hList = nullptr;
}

int ImageList::AddIcon(HICON icon)
{
    return m_hList ? ::ImageList_AddIcon(m_hList, icon) : -1;
}

int ImageList::AddMasked(HBITMAP bitmap, COLORREF mask)
{
    return m_hList ? ::ImageList_AddMasked(m_hList, bitmap, mask) : -1;
}

int ImageList::Count() const
{
    return m_hList ? ::ImageList_GetImageCount(m_hList) : 0;
}

}  // namespace ui
