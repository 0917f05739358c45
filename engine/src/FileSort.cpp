// Candidate order of the selections.
#include "UFileSort.h"

#include <algorithm>
#include <cstddef>
#include <memory>

#include "UTxLog.h"

CFileSortCollection::CFileSortCollection() : TxSortedCollection(true, 32, 64) {}

CFileSortCollection::~CFileSortCollection() = default;

int CFileSortCollection::Compare(const void* key1, const void* key2) const
{
    return CompareSortKeys(static_cast<const CFileSortItem*>(key1)->m_sKey,
                           static_cast<const CFileSortItem*>(key2)->m_sKey);
}

namespace {

// The byte order of TxString::IsLess on the keys as they lie in the array.
int CompareKeyBytes(const char* a, const char* b)
{
    const auto* x = reinterpret_cast<const unsigned char*>(a);
    const auto* y = reinterpret_cast<const unsigned char*>(b);
    while (*x != 0 && *x == *y) {
        ++x;
        ++y;
    }
    return static_cast<int>(*x) - static_cast<int>(*y);
}

}  // namespace

void CFileSortCollection::InsertFirst(const std::vector<CSortCandidate>& candidates, size_t limit)
{
    if (limit > candidates.size()) limit = candidates.size();
    std::vector<size_t> order(candidates.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    // One by one, an item goes before every equal key already present: equal keys end up in the
    // reverse of their insertion order.
    const auto before = [&](size_t a, size_t b) {
        const int c = CompareKeyBytes(candidates[a].szKey, candidates[b].szKey);
        return c != 0 ? c < 0 : a > b;
    };
    std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(limit), order.end(), before);

    // Into an empty collection the ordered items go at the end; otherwise each is sorted in.
    const bool append = m_iCount == 0;
    SetLimit(static_cast<int>(std::min<size_t>(static_cast<size_t>(m_iCount) + limit, kMaxLimit)));
    for (size_t i = 0; i < limit; ++i) {
        const CSortCandidate& candidate = candidates[order[i]];
        auto item = std::make_unique<CFileSortItem>(candidate.pImage);
        item->m_sKey.Assign(candidate.szKey);
        if (append) {
            AtInsert(m_iCount, item.get());
        } else {
            Insert(item.get());
        }
        item.release();
    }
}
