#include "UiListView.h"

#include <commctrl.h>

#include <vector>

namespace ui {

bool ListView::Create(Window& parent, int id)
{
    // The image lists belong to their ImageList objects, not to the control.
    DWORD style = WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS;
    if (!multiSelect) style |= LVS_SINGLESEL;
    if (sorted) style |= LVS_SORTASCENDING;
    if (!showHeader) style |= LVS_NOCOLUMNHEADER;
    if (!CreateControl(parent, id, WC_LISTVIEWA, style, WS_EX_CLIENTEDGE)) return false;
    DWORD extended = 0;
    if (rowSelect) extended |= LVS_EX_FULLROWSELECT;
    if (checkBoxes) extended |= LVS_EX_CHECKBOXES;
    ::SendMessageA(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    if (smallImages)
        ::SendMessageA(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL,
                       reinterpret_cast<LPARAM>(smallImages->Handle()));
    if (stateImages)
        ::SendMessageA(Handle(), LVM_SETIMAGELIST, LVSIL_STATE,
                       reinterpret_cast<LPARAM>(stateImages->Handle()));
    for (size_t i = 0; i < columns.size(); ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = columns[i].rightAligned && i > 0 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = columns[i].width;
        column.pszText = const_cast<char*>(columns[i].caption.c_str());
        column.iSubItem = static_cast<int>(i);
        ::SendMessageA(Handle(), LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    return true;
}

int ListView::AddItem(const std::string& text, void* data, int image)
{
    if (!Handle()) return -1;
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM | (image >= 0 ? LVIF_IMAGE : 0);
    item.iItem = ItemCount();
    item.pszText = const_cast<char*>(text.c_str());
    item.lParam = reinterpret_cast<LPARAM>(data);
    item.iImage = image;
    return static_cast<int>(::SendMessageA(Handle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void ListView::SetItemText(int item, int column, const std::string& text)
{
    LVITEMA sub = {};
    sub.iSubItem = column;
    sub.pszText = const_cast<char*>(text.c_str());
    if (Handle()) ::SendMessageA(Handle(), LVM_SETITEMTEXTA, item, reinterpret_cast<LPARAM>(&sub));
}

void ListView::SetItemImage(int item, int image)
{
    LVITEMA change = {};
    change.mask = LVIF_IMAGE;
    change.iItem = item;
    change.iImage = image;
    if (Handle()) ::SendMessageA(Handle(), LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
}

void ListView::SetColumnCaption(int column, const std::string& caption)
{
    if (column >= 0 && static_cast<size_t>(column) < columns.size()) columns[column].caption = caption;
    LVCOLUMNA change = {};
    change.mask = LVCF_TEXT;
    change.pszText = const_cast<char*>(caption.c_str());
    if (Handle()) ::SendMessageA(Handle(), LVM_SETCOLUMNA, column, reinterpret_cast<LPARAM>(&change));
}

std::string ListView::ItemText(int item, int column) const
{
    if (!Handle()) return std::string();
    // The control says only how much it copied: grow until the text fits with room to spare.
    for (size_t size = 256;; size *= 4) {
        std::vector<char> buffer(size, '\0');
        LVITEMA sub = {};
        sub.iSubItem = column;
        sub.pszText = buffer.data();
        sub.cchTextMax = static_cast<int>(size);
        const LRESULT length =
            ::SendMessageA(Handle(), LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&sub));
        if (length < static_cast<LRESULT>(size) - 1 || size >= (1u << 20))
            return std::string(sub.pszText ? sub.pszText : "");
    }
}

void* ListView::ItemData(int item) const
{
    LVITEMA query = {};
    query.mask = LVIF_PARAM;
    query.iItem = item;
    if (!Handle() || !::SendMessageA(Handle(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query)))
        return nullptr;
    return reinterpret_cast<void*>(query.lParam);
}

int ListView::ItemCount() const
{
    return Handle() ? static_cast<int>(::SendMessageA(Handle(), LVM_GETITEMCOUNT, 0, 0)) : 0;
}

void ListView::DeleteItem(int item)
{
    if (Handle()) ::SendMessageA(Handle(), LVM_DELETEITEM, item, 0);
}

void ListView::Clear()
{
    if (Handle()) ::SendMessageA(Handle(), LVM_DELETEALLITEMS, 0, 0);
}

int ListView::FindData(const void* data) const
{
    LVFINDINFOA find = {};
    find.flags = LVFI_PARAM;
    find.lParam = reinterpret_cast<LPARAM>(data);
    return Handle() ? static_cast<int>(::SendMessageA(Handle(), LVM_FINDITEMA, static_cast<WPARAM>(-1),
                                                      reinterpret_cast<LPARAM>(&find)))
                    : -1;
}

bool ListView::IsSelected(int item) const
{
    return Handle() && (::SendMessageA(Handle(), LVM_GETITEMSTATE, item, LVIS_SELECTED) & LVIS_SELECTED);
}

void ListView::SetSelected(int item, bool on)
{
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | (on ? LVIS_FOCUSED : 0);
    state.state = on ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    if (Handle()) ::SendMessageA(Handle(), LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&state));
}

int ListView::SelectedCount() const
{
    return Handle() ? static_cast<int>(::SendMessageA(Handle(), LVM_GETSELECTEDCOUNT, 0, 0)) : 0;
}

int ListView::FirstSelected() const
{
    return Handle() ? static_cast<int>(
                          ::SendMessageA(Handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED))
                    : -1;
}

bool ListView::IsChecked(int item) const
{
    if (!Handle()) return false;
    const LRESULT state = ::SendMessageA(Handle(), LVM_GETITEMSTATE, item, LVIS_STATEIMAGEMASK);
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

void ListView::SetChecked(int item, bool on)
{
    SetStateIndex(item, on ? 2 : 1);
}

void ListView::SetStateIndex(int item, int index)
{
    LVITEMA state = {};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = INDEXTOSTATEIMAGEMASK(index);
    if (Handle()) ::SendMessageA(Handle(), LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&state));
}

void ListView::BeginUpdate()
{
    if (Handle()) ::SendMessageA(Handle(), WM_SETREDRAW, FALSE, 0);
}

void ListView::EndUpdate()
{
    if (!Handle()) return;
    ::SendMessageA(Handle(), WM_SETREDRAW, TRUE, 0);
    Invalidate();
}

bool ListView::OnNotify(NMHDR& header, LRESULT& result)
{
    result = 0;
    if (header.code == NM_CLICK) {
        if (onClick) onClick(*this);
        return true;
    }
    if (header.code != LVN_ITEMCHANGED) return false;
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if (!(change.uChanged & LVIF_STATE) || change.iItem < 0) return true;
    const UINT changed = change.uOldState ^ change.uNewState;
    if ((changed & LVIS_SELECTED) && onSelectItem)
        onSelectItem(*this, change.iItem, (change.uNewState & LVIS_SELECTED) != 0);
    // A state picture appearing for the first time (index 0 to 1) is the check box being set up.
    if ((changed & LVIS_STATEIMAGEMASK) && (change.uOldState & LVIS_STATEIMAGEMASK) && onItemChecked)
        onItemChecked(*this, change.iItem,
                      (change.uNewState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2));
    return true;
}

}  // namespace ui
