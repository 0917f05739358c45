// The image browser: every image of the database in a list, the selected one previewed in a
// miniature of the screen, images excluded from use or set as the wallpaper at once. The main
// window opens it with
//
//   ui::Owner<TFormFileList> formFileList;      // created once
//   formFileList.Create(formMain.Handle());
//   formFileList.ShowBrowser(fileCollection, m_RegistryRecord);   // modal; hides the main window
//   formMain.Show();  // the collection's Modified flag tells whether to save it at the close
//
// Decoding runs on the loader thread of CPreviewLoader; the list never waits for it.
#pragma once

#include <memory>
#include <string>

#include "UDatabase.h"
#include "PreviewLoader.h"
#include "UiApp.h"
#include "UiControls.h"
#include "Wcommon.h"

namespace manager {

class TFormFileList : public ui::Form {
public:
    TFormFileList();
    ~TFormFileList() override;

    bool Create(HWND owner = nullptr);
    // The current Manager texts on the form (done by Create; again after the language changed).
    void ApplyTexts();
    // Shows the browser modally over `files` with a copy of `record`; the result is kModalOk.
    int ShowBrowser(CFileCollection& files, const RegistryRecord& record);

    // The window's place and the preview panel's width under \Manager (an open key).
    void ReadPosition(HKEY managerKey);
    void WritePosition(HKEY managerKey) const;

    void FillFileList();
    void ShowSelectedImage();
    void UpdateExcludeCheckBox();
    // The preview drawn into any DC of the paint box's size.
    void PaintBoxPaint(HDC dc, int W, int H);

    // How many previews the window has shown since it was made.
    int PreviewsShown() const { return m_iPreviewsShown; }
    const CPreviewLoader& Loader() const { return m_Loader; }
    const CImageFile* LastShownImage() const { return m_pLastShown; }

    ui::ListView ListViewFiles;
    ui::Splitter Splitter;
    ui::Panel PanelClient;
    ui::Shape ShapeBackground;
    ui::PaintBox PaintBox;
    ui::Panel PanelControls;
    ui::Button ButtonSetAsWallpaper;
    ui::CheckBox CheckBoxExclude;
    ui::Button ButtonHelp;
    ui::Button ButtonClose;
    ui::ImageList ImageListIcons;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void FormShow();
    void FormClose();
    void FileListInit();
    void PreviewReady();
    void Layout();
    void PanelClientResize();
    void ButtonSetAsWallpaperClick();
    void CheckBoxExcludeClick();
    CImageFile* SelectedImage() const;

    CFileCollection* m_pFiles = nullptr;
    RegistryRecord m_Record{};
    CImageFile* m_pLastShown = nullptr;
    int m_iUpdating = 0;
    int m_iPanelWidth = 320;
    int m_iPreviewsShown = 0;
    std::unique_ptr<ui::WaitCursor> m_pWaitCursor;
    CPreviewLoader m_Loader;
};

}  // namespace manager
