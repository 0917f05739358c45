// The order in which a selection tries its candidates: each image with a text key, sorted by the
// key's bytes. The wallpaper and the screen-saver selections both use it.
#pragma once

#include <memory>
#include <vector>

#include "UDatabase.h"
#include "UTxCollections.h"

class CFileSortItem : public TxObject {
public:
    explicit CFileSortItem(CImageFile* image) : m_pImage(image) {}

    CImageFile* m_pImage;  // not owned
    TxString m_sKey;
};

// Sorted by key with duplicates allowed; an item whose key equals present ones goes before them.
// Owns its items.
class CFileSortCollection : public TxSortedCollection {
public:
    CFileSortCollection();
    ~CFileSortCollection() override;

    CFileSortItem* ItemAt(int index) const { return static_cast<CFileSortItem*>(At(index)); }
    int Compare(const void* key1, const void* key2) const override;

    // Takes all items into this empty collection in the order that inserting them one by one, in
    // their order, would give, but in O(n log n): one Insert moves every later pointer, which for
    // a hundred thousand images costs about a second. The vector is left empty.
    void InsertAll(std::vector<std::unique_ptr<CFileSortItem>>& items);
};
