#include "UiTreeView.h"

#include <cstring>
#include <vector>

namespace ui {

namespace {
constexpr UINT kExpandAction =
    TVE_COLLAPSE | TVE_EXPAND;  // the action bits of TVM_EXPAND (TVE_TOGGLE is both)

// The data of the items from `item` on among its siblings, each item's children before it.
void CollectData(const TreeView& tree, HTREEITEM item, std::vector<void*>& data)
{
    for (; item; item = tree.NextSibling(item)) {
        CollectData(tree, tree.FirstChild(item), data);
        data.push_back(tree.Data(item));
    }
}
}  // namespace

TreeView::~TreeView()
{
    // The data goes to onDeleteItem, which ends with this object: a tree that ends before its window
    // hands every item's data over now, children first, as the window's TVN_DELETEITEM would have.
    if (!onDeleteItem || !Exists()) return;
    std::vector<void*> data;
    CollectData(*this, Root(), data);
    for (void* d : data)
        onDeleteItem(*this, d);
}

bool TreeView::Create(Window& parent, int id)
{
    DWORD style = WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    if (checkBoxes) style |= TVS_CHECKBOXES;
    if (!CreateControl(parent, id, WC_TREEVIEWA, style, WS_EX_CLIENTEDGE)) return false;
    ::SendMessageA(Handle(), TVM_SETINDENT, indent, 0);
    if (images)
        ::SendMessageA(Handle(), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images->Handle()));
    return true;
}

HTREEITEM TreeView::AddChild(HTREEITEM parent, const std::string& text, void* data, bool hasChildren,
                             int image)
{
    if (!Handle()) return nullptr;
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | (hasChildren ? TVIF_CHILDREN : 0) |
                       (image >= 0 ? TVIF_IMAGE | TVIF_SELECTEDIMAGE : 0);
    insert.item.pszText = const_cast<char*>(text.c_str());
    insert.item.lParam = reinterpret_cast<LPARAM>(data);
    insert.item.cChildren = hasChildren ? 1 : 0;
    insert.item.iImage = image;
    insert.item.iSelectedImage = image;
    return reinterpret_cast<HTREEITEM>(
        ::SendMessageA(Handle(), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

void TreeView::DeleteItem(HTREEITEM item)
{
    if (Handle() && item) ::SendMessageA(Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
}

void TreeView::DeleteChildren(HTREEITEM item)
{
    std::vector<HTREEITEM> children;
    for (HTREEITEM child = FirstChild(item); child; child = NextSibling(child))
        children.push_back(child);
    for (HTREEITEM child : children)
        DeleteItem(child);
}

void TreeView::Clear()
{
    DeleteItem(TVI_ROOT);
}

void TreeView::SortChildren(HTREEITEM item)
{
    if (Handle())
        ::SendMessageA(Handle(), TVM_SORTCHILDREN, FALSE, reinterpret_cast<LPARAM>(item ? item : TVI_ROOT));
}

std::string TreeView::Text(HTREEITEM item) const
{
    std::vector<char> buffer(1024, '\0');
    TVITEMA query = {};
    query.mask = TVIF_TEXT;
    query.hItem = item;
    query.pszText = buffer.data();
    query.cchTextMax = static_cast<int>(buffer.size());
    if (!Handle() || !::SendMessageA(Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query)))
        return std::string();
    return std::string(query.pszText ? query.pszText : "");
}

void TreeView::SetItemText(HTREEITEM item, const std::string& text)
{
    TVITEMA change = {};
    change.mask = TVIF_TEXT;
    change.hItem = item;
    change.pszText = const_cast<char*>(text.c_str());
    if (Handle() && item) ::SendMessageA(Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
}

void TreeView::SetItemData(HTREEITEM item, void* data)
{
    TVITEMA change = {};
    change.mask = TVIF_PARAM;
    change.hItem = item;
    change.lParam = reinterpret_cast<LPARAM>(data);
    if (Handle() && item) ::SendMessageA(Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
}

void* TreeView::Data(HTREEITEM item) const
{
    TVITEMA query = {};
    query.mask = TVIF_PARAM;
    query.hItem = item;
    if (!Handle() || !::SendMessageA(Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query)))
        return nullptr;
    return reinterpret_cast<void*>(query.lParam);
}

namespace {
HTREEITEM NextItem(HWND tree, HTREEITEM item, UINT relation)
{
    if (!tree) return nullptr;
    return reinterpret_cast<HTREEITEM>(
        ::SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}
}  // namespace

HTREEITEM TreeView::Root() const
{
    return NextItem(Handle(), nullptr, TVGN_ROOT);
}

HTREEITEM TreeView::FirstChild(HTREEITEM item) const
{
    return item ? NextItem(Handle(), item, TVGN_CHILD) : Root();
}

HTREEITEM TreeView::NextSibling(HTREEITEM item) const
{
    return NextItem(Handle(), item, TVGN_NEXT);
}

HTREEITEM TreeView::Parent(HTREEITEM item) const
{
    return NextItem(Handle(), item, TVGN_PARENT);
}

int TreeView::Count() const
{
    return Handle() ? static_cast<int>(::SendMessageA(Handle(), TVM_GETCOUNT, 0, 0)) : 0;
}

HTREEITEM TreeView::Selected() const
{
    return NextItem(Handle(), nullptr, TVGN_CARET);
}

void TreeView::Select(HTREEITEM item)
{
    if (Handle()) ::SendMessageA(Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

void TreeView::Expand(HTREEITEM item)
{
    if (Handle()) ::SendMessageA(Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
}

void TreeView::Collapse(HTREEITEM item)
{
    if (Handle()) ::SendMessageA(Handle(), TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(item));
}

void TreeView::FullExpand()
{
    std::vector<HTREEITEM> pending;
    for (HTREEITEM item = Root(); item; item = NextSibling(item))
        pending.push_back(item);
    while (!pending.empty()) {
        const HTREEITEM item = pending.back();
        pending.pop_back();
        Expand(item);
        for (HTREEITEM child = FirstChild(item); child; child = NextSibling(child))
            pending.push_back(child);
    }
}

bool TreeView::IsExpanded(HTREEITEM item) const
{
    return Handle() && item &&
           (::SendMessageA(Handle(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) &
            TVIS_EXPANDED);
}

bool TreeView::IsChecked(HTREEITEM item) const
{
    if (!Handle() || !item) return false;
    const LRESULT state =
        ::SendMessageA(Handle(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK);
    return (state & TVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

void TreeView::SetChecked(HTREEITEM item, bool on)
{
    TVITEMA change = {};
    change.mask = TVIF_STATE;
    change.hItem = item;
    change.stateMask = TVIS_STATEIMAGEMASK;
    change.state = INDEXTOSTATEIMAGEMASK(on ? 2 : 1);
    if (Handle()) ::SendMessageA(Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
}

RECT TreeView::ItemRect(HTREEITEM item, bool textOnly) const
{
    RECT r = {};
    std::memcpy(&r, &item, sizeof item);  // the message takes the item in the rectangle
    if (!Handle() ||
        !::SendMessageA(Handle(), TVM_GETITEMRECT, textOnly ? TRUE : FALSE, reinterpret_cast<LPARAM>(&r)))
        return RECT{};
    return r;
}

LRESULT TreeView::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != TVM_EXPAND) return Control::OnMessage(msg, wParam, lParam);
    const auto item = reinterpret_cast<HTREEITEM>(lParam);
    const UINT action = static_cast<UINT>(wParam) & kExpandAction;
    const bool before = IsExpanded(item);
    const bool opening = !before && (action == TVE_EXPAND || action == TVE_TOGGLE);
    if (opening && onExpanding && !FirstChild(item)) onExpanding(*this, item);
    ++m_iExpanding;
    const LRESULT result = Control::OnMessage(msg, wParam, lParam);
    --m_iExpanding;
    const bool after = IsExpanded(item);
    if (after && !before && onExpanded) onExpanded(*this, item);
    if (!after && before && onCollapsed) onCollapsed(*this, item);
    return result;
}

bool TreeView::OnNotify(NMHDR& header, LRESULT& result)
{
    result = 0;
    const auto& tree = reinterpret_cast<const NMTREEVIEWA&>(header);
    switch (header.code) {
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
        if (onChange) onChange(*this, tree.itemNew.hItem);
        return true;
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW:
        // A user opening an item; an item opened by TVM_EXPAND was filled before the message.
        if (m_iExpanding == 0 && (tree.action & kExpandAction) == TVE_EXPAND && onExpanding &&
            !FirstChild(tree.itemNew.hItem))
            onExpanding(*this, tree.itemNew.hItem);
        return true;
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW:
        if (m_iExpanding != 0) return true;
        if ((tree.action & kExpandAction) == TVE_EXPAND && onExpanded) onExpanded(*this, tree.itemNew.hItem);
        if ((tree.action & kExpandAction) == TVE_COLLAPSE && onCollapsed)
            onCollapsed(*this, tree.itemNew.hItem);
        return true;
    case TVN_DELETEITEMA:
    case TVN_DELETEITEMW:
        if (onDeleteItem) onDeleteItem(*this, reinterpret_cast<void*>(tree.itemOld.lParam));
        return true;
    default:
        return false;
    }
}

}  // namespace ui
