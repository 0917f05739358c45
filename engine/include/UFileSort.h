// The order in which a selection tries its candidates: each image with a text key, sorted by the
// key's bytes. The wallpaper and the screen-saver selections both use it.
#pragma once

#include <vector>

#include "UDatabase.h"
#include "UTxCollections.h"

// The order of two sort keys, byte by byte as unsigned values: -1, 0 or 1.
inline int CompareSortKeys(const TxString& a, const TxString& b)
{
    if (a.IsLess(b)) return -1;
    if (a.IsGreater(b)) return 1;
    return 0;
}

class CFileSortItem : public TxObject {
public:
    explicit CFileSortItem(CImageFile* image) : m_pImage(image) {}

    CImageFile* m_pImage;  // not owned
    TxString m_sKey;
};

// Room for the longest key a selection builds, with its terminating zero.
constexpr size_t kSortKeySize = 24;

// One candidate and its key before it becomes a sort item. A selection keeps them in one array,
// so that ordering a hundred thousand of them neither allocates per image nor chases pointers.
struct CSortCandidate {
    CImageFile* pImage;  // not owned
    char szKey[kSortKeySize];
};

// Sorted by key with duplicates allowed; an item whose key equals present ones goes before them.
// Owns its items.
class CFileSortCollection : public TxSortedCollection {
public:
    CFileSortCollection();
    ~CFileSortCollection() override;

    CFileSortItem* ItemAt(int index) const { return static_cast<CFileSortItem*>(At(index)); }
    int Compare(const void* key1, const void* key2) const override;

    // Fills this empty collection with the first `limit` candidates in the order that inserting
    // every candidate one by one, in their order, would give: by key bytes, equal keys with the
    // later candidate first. One Insert moves every later pointer (about a second for a hundred
    // thousand images), and a selection tries only its first candidates, so only those are put
    // in order and become items.
    void InsertFirst(const std::vector<CSortCandidate>& candidates, size_t limit);
};
