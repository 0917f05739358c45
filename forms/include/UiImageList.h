// A list of equally sized pictures for list and tree views; it owns its HIMAGELIST.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace ui {

class ImageList {
public:
    ImageList() = default;
    ~ImageList();
    ImageList(const ImageList&) = delete;
    ImageList& operator=(const ImageList&) = delete;

    bool Create(int width, int height, int initialCount = 4);  // ImageList_Create, 32-bit with mask
    void Destroy();                                            // ImageList_Destroy
    HIMAGELIST Handle() const { return m_hList; }

    // The index of the added picture, or -1.
    int AddIcon(HICON icon);                       // ImageList_AddIcon
    int AddMasked(HBITMAP bitmap, COLORREF mask);  // ImageList_AddMasked
    int Count() const;                             // ImageList_GetImageCount

private:
    HIMAGELIST m_hList = nullptr;
};

}  // namespace ui
