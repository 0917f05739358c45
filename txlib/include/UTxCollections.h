// Growable arrays of owned object pointers: plain, sorted, and of text lines.
#pragma once

#include "UTxStrings.h"

class TxCollection : public TxObject {
public:
    static constexpr int kMaxLimit = 0x100000;

    TxCollection(int limit, int delta);
    ~TxCollection() override;
    TxCollection(const TxCollection&) = delete;
    TxCollection& operator=(const TxCollection&) = delete;

    int GetCount() const { return m_iCount; }
    TxObject* At(int index) const;
    void AtDelete(int index);
    void AtInsert(int index, TxObject* item);
    void Remove(TxObject* item);
    void RemoveAll() { m_iCount = 0; }
    void FreeAll();

    virtual void FreeItem(TxObject* item);
    virtual int IndexOf(const TxObject* item) const;
    virtual bool Insert(TxObject* item);
    virtual void SetLimit(int limit);

protected:
    TxObject** m_pItems = nullptr;
    int m_iCount = 0;
    int m_iLimit = 0;
    int m_iDelta = 0;
};

class TxSortedCollection : public TxCollection {
public:
    TxSortedCollection(bool duplicates, int limit, int delta);

    int IndexOf(const TxObject* item) const override;
    bool Insert(TxObject* item) override;

    virtual int Compare(const void* key1, const void* key2) const = 0;
    virtual const void* KeyOf(const TxObject* item) const;
    virtual bool Search(const void* key, int& index) const;

protected:
    bool m_bDuplicates;
};

class TxStringCollection : public TxCollection {
public:
    TxStringCollection(int limit, int delta) : TxCollection(limit, delta) {}

    TxString* StringAt(int index) const { return static_cast<TxString*>(At(index)); }
    virtual void AddText(const char* text);
};
