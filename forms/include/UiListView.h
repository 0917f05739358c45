// A list in report view: columns, items with sub-item texts, a data pointer, an image and an
// optional check box. onSelectItem fires once per item whose selection changes and onItemChecked once
// per item whose check box changes, whoever made the change (the control notifies every real change
// and none for a state set again).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "UiControl.h"
#include "UiImageList.h"

namespace ui {

struct ListColumn {
    std::string caption;
    int width = 80;
    bool rightAligned = false;
};

class ListView : public Control {
public:
    // Properties, set before Create.
    std::vector<ListColumn> columns;
    bool rowSelect = true;
    bool multiSelect = false;
    bool checkBoxes = false;
    bool sorted = false;  // by the item text, ascending, as items are added
    bool showHeader = true;
    const ImageList* smallImages = nullptr;  // not owned; must outlive the control
    const ImageList* stateImages = nullptr;  // state index 1 is the first picture

    std::function<void(ListView&, int item, bool selected)> onSelectItem;  // LVN_ITEMCHANGED
    std::function<void(ListView&, int item, bool checked)> onItemChecked;  // LVN_ITEMCHANGED
    std::function<void(ListView&)> onClick;                                // NM_CLICK

    bool Create(Window& parent, int id = 0);

    // LVM_INSERTITEMA at the end (or in sorted place); the item's index, or -1.
    int AddItem(const std::string& text, void* data = nullptr, int image = -1);
    void SetItemText(int item, int column, const std::string& text);  // LVM_SETITEMTEXTA
    void SetItemImage(int item, int image);                           // LVM_SETITEMA (iImage)
    void SetColumnCaption(int column, const std::string& caption);    // LVM_SETCOLUMNA
    std::string ItemText(int item, int column = 0) const;             // LVM_GETITEMTEXTA
    void* ItemData(int item) const;                                   // LVM_GETITEMA (lParam)
    int ItemCount() const;                                            // LVM_GETITEMCOUNT
    void DeleteItem(int item);                                        // LVM_DELETEITEM
    void Clear();                                                     // LVM_DELETEALLITEMS
    int FindData(const void* data) const;                             // LVM_FINDITEMA (LVFI_PARAM)

    bool IsSelected(int item) const;          // LVM_GETITEMSTATE
    void SetSelected(int item, bool on);      // LVM_SETITEMSTATE; selected also takes the focus
    int SelectedCount() const;                // LVM_GETSELECTEDCOUNT
    int FirstSelected() const;                // LVM_GETNEXTITEM (LVNI_SELECTED), -1 for none
    bool IsChecked(int item) const;           // LVM_GETITEMSTATE (state image 2)
    void SetChecked(int item, bool on);       // LVM_SETITEMSTATE
    void SetStateIndex(int item, int index);  // LVM_SETITEMSTATE; 0 for no state picture

    // WM_SETREDRAW off and on around many changes.
    void BeginUpdate();
    void EndUpdate();

protected:
    bool OnNotify(NMHDR& header, LRESULT& result) override;
};

}  // namespace ui
