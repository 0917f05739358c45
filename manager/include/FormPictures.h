// The help pictures of the settings dialog, one per illustrated setting, drawn when the form is made.
// The form itself is never shown. The settings items name their picture by number (1 to 11).
#pragma once

#include "UiControls.h"

namespace manager {

class TFormPictures : public ui::Form {
public:
    static constexpr int kCount = 11;

    TFormPictures();

    bool Create();
    // The picture `number` (1 to kCount), or null; it stays owned by the form.
    HBITMAP Picture(int number) const;
    // Its design size.
    static SIZE PictureSize(int number);

    ui::Image Image1, Image2, Image3, Image4, Image5, Image6, Image7, Image8, Image9, Image10, Image11;

private:
    ui::Image* ImageAt(int number) const;
};

// The empty window on which the folder list window's hidden screen-saver test draws.
class TFormTestImg : public ui::Form {
public:
    TFormTestImg();
    bool Create(HWND owner = nullptr);
};

}  // namespace manager
