// Candidate order of the selections.
#include "UFileSort.h"

#include <algorithm>
#include <cstddef>

#include "UTxLog.h"

CFileSortCollection::CFileSortCollection() : TxSortedCollection(true, 32, 64) {}

CFileSortCollection::~CFileSortCollection() = default;

int CFileSortCollection::Compare(const void* key1, const void* key2) const
{
    const TxString& a = static_cast<const CFileSortItem*>(key1)->m_sKey;
    const TxString& b = static_cast<const CFileSortItem*>(key2)->m_sKey;
    if (a.IsLess(b)) return -1;
    if (a.IsGreater(b)) return 1;
    return 0;
}

void CFileSortCollection::InsertAll(std::vector<std::unique_ptr<CFileSortItem>>& items)
{
    if (m_iCount != 0) {
        // Only an empty collection has a one-by-one result that a single sort reproduces cheaply.
        for (auto& item : items) {
            if (Insert(item.get())) item.release();
        }
        items.clear();
        return;
    }
    // One by one, an item goes before every equal key already present, so equal keys end up in the
    // reverse of their insertion order: sort by key, and among equal keys later items first.
    std::vector<size_t> order(items.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int c = Compare(items[a].get(), items[b].get());
        return c != 0 ? c < 0 : a > b;
    });
    SetLimit(static_cast<int>(std::min<size_t>(items.size(), kMaxLimit)));
    for (size_t index : order) {
        AtInsert(m_iCount, items[index].get());
        items[index].release();
    }
    items.clear();
}
