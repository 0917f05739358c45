// The settings dialog: the schema as a tree of item copies on the left, the selected item's editor
// with its help picture and text on the right. The main window opens it with
//
//   ui::Owner<TFormSettings> formSettings(settings, &formPictures);   // created once, like the schema
//   formSettings.Create(formMain.Handle());
//   if (formSettings.ShowDialog()) ReadWholeRecordFromRegistry();
//
// Confirmed, the edited copies replace the schema's items, which are saved to the registry; when a
// setting that shows on the wallpaper changed, the engine recomposes the current wallpaper.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "ManagerForms.h"
#include "UiControls.h"
#include "Settings.h"

namespace manager {

class TFormPictures;

// The text of an item in the tree: its caption and its value.
std::string TreeText(const CSettingsItem& item);
// A copy of every item of the schema as the data of one node, each hung under the latest item one
// level up.
void FillTree(const CSettings& settings, ui::TreeView& tree);
// The schema's items replaced by the copies of the tree, in the tree's order; the tree emptied.
void TakeFromTree(CSettings& settings, ui::TreeView& tree);
// The copies destroyed and the tree emptied.
void DiscardTree(ui::TreeView& tree);
// Hands the picker to every program-list item of the schema as its editor.
void SetProgramListEditor(CSettings& settings, ui::Form* editor);

class TFormSettings : public ui::Form {
public:
    // `pictures` may be null: the items are then shown without help pictures.
    TFormSettings(CSettings& settings, const TFormPictures* pictures);

    bool Create(HWND owner = nullptr);
    // The current Manager texts on the form (done by Create; again after the language changed).
    void ApplyTexts();
    // The window's place under \Manager (an open key).
    void ReadPosition(HKEY managerKey) { ReadFormBounds(managerKey, "FSettings", *this); }
    void WritePosition(HKEY managerKey) const { WriteFormBounds(managerKey, "FSettings", *this); }
    // Fills the tree, shows the dialog modally and takes or discards the copies; true when confirmed.
    bool ShowDialog();

    // The copy being edited, or null.
    CSettingsItem* CurrentItem() const { return m_pCurrentItem; }

    void HideEditors();
    void UpdateNodeText();
    void ShowFontDescription();
    // The height of a line of the dialog's text, which spaces the editors and the help.
    int TextHeight() const;

    ui::TreeView TreeView;
    ui::Panel Panel;
    ui::Label LabelCaption;
    ui::Edit Edit;
    ui::SpinEdit CSpinEdit;
    ui::Label LabelUnits;
    ui::CheckBox CheckBox;
    ui::RadioGroup RadioGroup;
    ui::TrackBar TrackBar;
    ui::Label LabelTrackBarValue;
    ui::Shape ShapeColor;
    ui::Label LabelColor;
    ui::Button ButtonSelectColor;
    ui::Button ButtonBrowse;
    ui::Label LabelFontSample;
    ui::Label LabelFontData;
    ui::Button ButtonFontChange;
    ui::Image ImageHelp;
    ui::Label LabelItemHelp;
    ui::Button ButtonOk;
    ui::Button ButtonCancel;
    ui::Button ButtonHelp;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    struct EditorControl {
        unsigned editor;  // its SettingsEditor bit
        ui::Control* control;
    };

    void FormShow();
    // Shows the selected item in the editors of its kind (SettingsEditors.h).
    void TreeViewChange();
    void PanelResize();
    void Layout();
    void MarkModified();
    // Breaks the sample into lines that fit the panel and sizes its label to them.
    void LayOutFontSample();
    // The editors' controls by their bits.
    std::array<EditorControl, 15> EditorControls();
    ui::Control& ControlOf(unsigned editor);
    void ShowEditors(unsigned editors);
    // A copy of the picture (may be null) in ImageHelp; its size, or a height of 1 without one.
    SIZE LoadHelpPicture(HBITMAP picture);
    // The help picture and text from `top` down, the picture of that size centred.
    void PlaceHelp(int top, SIZE picture);

    // The current item's editor changed: its kind takes the value back into the item.
    void EditorChange();
    void ButtonSelectColorClick();
    void ButtonFontChangeClick();
    void ButtonBrowseClick();

    CSettings& m_Settings;
    const TFormPictures* m_pPictures;
    CSettingsItem* m_pCurrentItem = nullptr;
    bool m_bClosing = true;
    bool m_bFirstShowing = true;
    bool m_bUpdating = false;
    GdiObject m_SampleFont;
};

}  // namespace manager
