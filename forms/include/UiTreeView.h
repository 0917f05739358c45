// A tree of texts with a data pointer per item, optional check boxes and children filled on demand.
//
// Expansion fires onExpanded or onCollapsed once per real change, whoever asked: the user (the
// control's own TVN_ITEMEXPANDED) or code (Expand, Collapse, or TVM_EXPAND from anyone, which the
// control notifies only on an item's first expansion: these are answered here instead). onExpanding
// fills an item's children just before it first opens. onChange fires when the selection moves.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>

#include "UiControl.h"
#include "UiImageList.h"

namespace ui {

class TreeView : public Control {
public:
    // A tree that ends before its window hands every item's data to onDeleteItem first.
    ~TreeView() override;

    // Properties, set before Create.
    bool checkBoxes = false;
    int indent = 19;
    const ImageList* images = nullptr;  // not owned; must outlive the control

    std::function<void(TreeView&, HTREEITEM)> onChange;     // TVN_SELCHANGED
    std::function<void(TreeView&, HTREEITEM)> onExpanding;  // an item without children opens
    std::function<void(TreeView&, HTREEITEM)> onExpanded;
    std::function<void(TreeView&, HTREEITEM)> onCollapsed;
    std::function<void(TreeView&, void* data)> onDeleteItem;  // TVN_DELETEITEM, to free owned data

    bool Create(Window& parent, int id = 0);

    // TVM_INSERTITEMA as the last child of `parent` (null: at the root). `hasChildren` shows the
    // expand button before any child exists (filled by onExpanding).
    HTREEITEM AddChild(HTREEITEM parent, const std::string& text, void* data = nullptr,
                       bool hasChildren = false, int image = -1);
    void DeleteItem(HTREEITEM item);      // TVM_DELETEITEM
    void DeleteChildren(HTREEITEM item);  // TVM_DELETEITEM of each child
    void Clear();                         // TVM_DELETEITEM (TVI_ROOT)
    void SortChildren(HTREEITEM item);    // TVM_SORTCHILDREN, by text

    std::string Text(HTREEITEM item) const;                     // TVM_GETITEMA
    void SetItemText(HTREEITEM item, const std::string& text);  // TVM_SETITEMA
    void* Data(HTREEITEM item) const;                           // TVM_GETITEMA (lParam)
    void SetItemData(HTREEITEM item, void* data);               // TVM_SETITEMA (lParam)
    HTREEITEM Root() const;                                     // TVM_GETNEXTITEM (TVGN_ROOT)
    HTREEITEM FirstChild(HTREEITEM item) const;
    HTREEITEM NextSibling(HTREEITEM item) const;
    HTREEITEM Parent(HTREEITEM item) const;
    int Count() const;  // TVM_GETCOUNT

    HTREEITEM Selected() const;                          // TVM_GETNEXTITEM (TVGN_CARET)
    void Select(HTREEITEM item);                         // TVM_SELECTITEM (TVGN_CARET)
    void Expand(HTREEITEM item);                         // TVM_EXPAND (TVE_EXPAND)
    void Collapse(HTREEITEM item);                       // TVM_EXPAND (TVE_COLLAPSE)
    void FullExpand();                                   // every item
    bool IsExpanded(HTREEITEM item) const;               // TVM_GETITEMSTATE (TVIS_EXPANDED)
    bool IsChecked(HTREEITEM item) const;                // TVM_GETITEMSTATE (state image 2)
    void SetChecked(HTREEITEM item, bool on);            // TVM_SETITEMA
    RECT ItemRect(HTREEITEM item, bool textOnly) const;  // TVM_GETITEMRECT

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;  // TVM_EXPAND from anyone
    bool OnNotify(NMHDR& header, LRESULT& result) override;

private:
    int m_iExpanding = 0;  // inside a TVM_EXPAND, whose own notifications are answered here
};

}  // namespace ui
