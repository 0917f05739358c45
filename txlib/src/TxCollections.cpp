// Growable arrays of owned object pointers.
#include "UTxCollections.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "UTxLog.h"

TxCollection::TxCollection(int limit, int delta) : m_iDelta(delta)
{
    SetLimit(limit);
}

TxCollection::~TxCollection()
{
    FreeAll();
    SetLimit(0);
}

TxObject* TxCollection::At(int index) const
{
    if (index < 0 || index >= m_iCount) {
        LogF("TxCollection::At - index out of range: iIndex=%d, m_iCount=%d, throwing exception", index,
             m_iCount);
        ThrowTxMessage(TXMSG_INDEX_OUT_OF_RANGE);
    }
    return m_pItems[index];
}

void TxCollection::AtDelete(int index)
{
    if (index < 0 || index >= m_iCount) {
        LogF("TxCollection::AtDelete - index out of range: iIndex=%d, m_iCount=%d, throwing exception", index,
             m_iCount);
        ThrowTxMessage(TXMSG_INDEX_OUT_OF_RANGE);
    }
    std::memmove(m_pItems + index, m_pItems + index + 1,
                 sizeof(TxObject*) * static_cast<size_t>(m_iCount - index - 1));
    --m_iCount;
}

void TxCollection::AtInsert(int index, TxObject* item)
{
    if (m_iCount == m_iLimit) {
        // Summed in 64 bits: a large delta must not wrap round to a small limit.
        const long long wanted = static_cast<long long>(m_iLimit) + m_iDelta;
        SetLimit(wanted > kMaxLimit ? kMaxLimit : static_cast<int>(wanted < 0 ? 0 : wanted));
        if (m_iCount == m_iLimit) {
            LogText("TxCollection::AtInsert - size overflow");
            ThrowTxMessage(TXMSG_SIZE_OVERFLOW);
        }
    }
    if (index < 0 || index > m_iCount) {
        LogF("TxCollection::AtInsert - index out of range: iIndex=%d, m_iCount=%d, throwing exception", index,
             m_iCount);
        ThrowTxMessage(TXMSG_INDEX_OUT_OF_RANGE);
    }
    std::memmove(m_pItems + index + 1, m_pItems + index,
                 sizeof(TxObject*) * static_cast<size_t>(m_iCount - index));
    m_pItems[index] = item;
    ++m_iCount;
}

void TxCollection::Remove(TxObject* item)
{
    // A sorted collection finds any item with an equal key; only the very item passed may go.
    int index = IndexOf(item);
    if (index < 0 || index >= m_iCount || m_pItems[index] != item) index = TxCollection::IndexOf(item);
    AtDelete(index);
}

void TxCollection::FreeAll()
{
    for (int i = 0; i < m_iCount; ++i)
        FreeItem(m_pItems[i]);
    m_iCount = 0;
}

void TxCollection::FreeItem(TxObject* item)
{
    delete item;
}

int TxCollection::IndexOf(const TxObject* item) const
{
    for (int i = 0; i < m_iCount; ++i) {
        if (m_pItems[i] == item) return i;
    }
    return -1;
}

bool TxCollection::Insert(TxObject* item)
{
    AtInsert(m_iCount, item);
    return true;
}

void TxCollection::SetLimit(int limit)
{
    if (limit < m_iCount) limit = m_iCount;
    if (limit > kMaxLimit) limit = kMaxLimit;
    if (limit == m_iLimit) return;
    TxObject** items = nullptr;
    if (limit > 0) {
        items = new (std::nothrow) TxObject*[static_cast<size_t>(limit)];
        if (!items) {
            LogF("TxCollection::SetLimit - allocation of %d failed, throwing exception",
                 limit * static_cast<int>(sizeof(TxObject*)));
            ThrowTxMessage(TXMSG_NO_MEMORY);
        }
        if (m_iCount) std::memcpy(items, m_pItems, sizeof(TxObject*) * static_cast<size_t>(m_iCount));
    }
    delete[] m_pItems;
    m_pItems = items;
    m_iLimit = limit;
}

TxSortedCollection::TxSortedCollection(bool duplicates, int limit, int delta)
    : TxCollection(limit, delta), m_bDuplicates(duplicates)
{
}

const void* TxSortedCollection::KeyOf(const TxObject* item) const
{
    return item;
}

bool TxSortedCollection::Search(const void* key, int& index) const
{
    int lo = 0;
    int hi = m_iCount - 1;
    bool found = false;
    while (lo <= hi) {
        const int mid = (lo + hi) >> 1;
        const int c = Compare(KeyOf(m_pItems[mid]), key);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (!m_bDuplicates) lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

int TxSortedCollection::IndexOf(const TxObject* item) const
{
    int index = 0;
    if (!Search(KeyOf(item), index)) return -1;
    if (m_bDuplicates) {
        while (index < m_iCount && m_pItems[index] != item)
            ++index;
    }
    return index < m_iCount ? index : -1;
}

bool TxSortedCollection::Insert(TxObject* item)
{
    int index = 0;
    if (Search(KeyOf(item), index) && !m_bDuplicates) return false;
    AtInsert(index, item);
    return true;
}

namespace {

std::string ReplacedAll(const std::string& text, const char* what, char with)
{
    std::string result;
    result.reserve(text.size());
    const size_t length = std::strlen(what);
    for (size_t i = 0; i < text.size();) {
        if (text.compare(i, length, what) == 0) {
            result += with;
            i += length;
        } else {
            result += text[i++];
        }
    }
    return result;
}

}  // namespace

void TxStringCollection::AddText(const char* text)
{
    if (!text || !text[0]) return;
    std::string lines = ReplacedAll(text, "\r\n", '\n');
    lines = ReplacedAll(lines, "\n\r", '\n');
    lines = ReplacedAll(lines, "\r", '\n');
    size_t begin = 0;
    while (begin < lines.size()) {
        size_t end = lines.find('\n', begin);
        if (end == std::string::npos) end = lines.size();
        auto line = std::make_unique<TxString>(lines.substr(begin, end - begin).c_str());
        if (Insert(line.get())) line.release();
        begin = end + 1;
    }
}
