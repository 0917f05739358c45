// The image list in memory: its order and the bulk insertion the scans use.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "DbText.h"
#include "UDatabase.h"
#include "UTxLog.h"

namespace {

// Below this many images sorting by keys costs more than it saves.
constexpr size_t kMinSortedRun = 8;

using ImageList = std::vector<std::unique_ptr<CImageFile>>;

// The images' positions in scan order, to be sorted. Filled afresh for each sort: one left by a
// comparison that threw may hold a position twice and lack another.
void FillScanOrder(const ImageList& images, std::vector<int>& order)
{
    order.resize(images.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
}

// Thrown out of the sort when the names need the platform's comparison too often.
struct QuickOrderGivesUp {};

// Sorts `order` by the images' names with the quick order, asking the platform only where it
// cannot tell, and lists in `run` the first of each equal name. Gives up (false) once the platform
// was asked as often as there are names: sort keys then cost less.
bool SortByQuickOrder(const ImageList& images, std::vector<int>& order, std::vector<int>& run)
{
    size_t platformCalls = 0;
    auto compare = [&](int a, int b) {
        const TxString& x = images[static_cast<size_t>(a)]->FileName;
        const TxString& y = images[static_cast<size_t>(b)]->FileName;
        const int quick = DbText::QuickOrder(x.GetText(), y.GetText());
        if (quick != DbText::kUndecided) return quick;
        if (++platformCalls > images.size()) throw QuickOrderGivesUp{};
        return x.CompareNoCase(y);
    };
    FillScanOrder(images, order);
    try {
        std::sort(order.begin(), order.end(), [&](int a, int b) {
            const int c = compare(a, b);
            return c != 0 ? c < 0 : a < b;
        });
        run.clear();
        run.reserve(order.size());
        for (size_t k = 0; k < order.size(); ++k) {
            if (k > 0 && compare(order[k - 1], order[k]) == 0) continue;
            run.push_back(order[k]);
        }
    } catch (const QuickOrderGivesUp&) {
        return false;
    }
    return true;
}

// The same by the names' sort keys, which order exactly as the comparison does but cost one call
// per name instead of one per comparison. False when the platform cannot make a key.
bool SortBySortKeys(const ImageList& images, std::vector<int>& order, std::vector<int>& run)
{
    std::string keys;
    std::vector<size_t> keyStart(images.size() + 1);
    for (size_t i = 0; i < images.size(); ++i) {
        keyStart[i] = keys.size();
        if (!DbText::AppendSortKey(images[i]->FileName, keys)) return false;
    }
    keyStart[images.size()] = keys.size();
    auto keyOf = [&](int i) {
        return std::string_view(keys.data() + keyStart[static_cast<size_t>(i)],
                                keyStart[static_cast<size_t>(i) + 1] - keyStart[static_cast<size_t>(i)]);
    };
    FillScanOrder(images, order);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = keyOf(a).compare(keyOf(b));
        return c != 0 ? c < 0 : a < b;
    });
    run.clear();
    run.reserve(order.size());
    for (size_t k = 0; k < order.size(); ++k) {
        if (k > 0 && keyOf(order[k]) == keyOf(order[k - 1])) continue;
        run.push_back(order[k]);
    }
    return true;
}

}  // namespace

CFileCollection::CFileCollection() : TxSortedCollection(false, 32, 64) {}

CFileCollection::~CFileCollection() = default;

int CFileCollection::Compare(const void* key1, const void* key2) const
{
    // Keys are the items themselves, handed over as TxObject pointers.
    const auto* a = static_cast<const CImageFile*>(static_cast<const TxObject*>(key1));
    const auto* b = static_cast<const CImageFile*>(static_cast<const TxObject*>(key2));
    const int byFolder = DbText::CompareKeyText(a->FolderPath, b->FolderPath);
    if (byFolder != 0) return byFolder;
    return DbText::CompareKeyText(a->FileName, b->FileName);
}

int CFileCollection::FirstIndexOfFolder(const TxString& folder) const
{
    int lo = 0;
    int hi = m_iCount;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (DbText::CompareKeyText(static_cast<const CImageFile*>(m_pItems[mid])->FolderPath, folder) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

void CFileCollection::InsertOneByOne(std::vector<std::unique_ptr<CImageFile>>& images)
{
    for (auto& image : images) {
        if (Insert(image.get())) image.release();
    }
}

void CFileCollection::InsertRun(int index, std::vector<std::unique_ptr<CImageFile>>& images,
                                const std::vector<int>& run)
{
    const int n = static_cast<int>(run.size());
    if (n > kMaxLimit - m_iCount) {
        LogText("CFileCollection::InsertFolderImages - size overflow");
        ThrowTxMessage(TXMSG_SIZE_OVERFLOW);
    }
    const int needed = m_iCount + n;
    if (needed > m_iLimit) {
        // Grown by half at a time: a scan of a large tree would otherwise copy the array per folder.
        const long long grown = static_cast<long long>(m_iLimit) + m_iLimit / 2;
        SetLimit(static_cast<int>(std::max<long long>(needed, std::min<long long>(grown, kMaxLimit))));
    }
    std::memmove(m_pItems + index + n, m_pItems + index,
                 sizeof(TxObject*) * static_cast<size_t>(m_iCount - index));
    for (int k = 0; k < n; ++k)
        m_pItems[index + k] = images[static_cast<size_t>(run[static_cast<size_t>(k)])].release();
    m_iCount = needed;
}

void CFileCollection::InsertFolderImages(std::vector<std::unique_ptr<CImageFile>>& images)
{
    if (images.empty()) return;
    const TxString& folder = images.front()->FolderPath;
    const int index = FirstIndexOfFolder(folder);
    const bool folderPresent =
        index < m_iCount && DbText::CompareKeyText(FileAt(index)->FolderPath, folder) == 0;
    // Images joining a folder already in the list (overlapping folders) are rare: insert them as
    // the plain sorted insert does.
    if (images.size() < kMinSortedRun || folderPresent || folder.IsEmpty()) {
        InsertOneByOne(images);
        return;
    }

    // A fresh folder: order its images as the comparison does and put them in with one move. Of
    // equal names the first in scan order wins, as with one insert after another.
    for (const auto& image : images) {
        if (image->FileName.IsEmpty()) {
            InsertOneByOne(images);
            return;
        }
    }
    std::vector<int> order;
    std::vector<int> run;
    if (!SortByQuickOrder(images, order, run) && !SortBySortKeys(images, order, run)) {
        InsertOneByOne(images);
        return;
    }
    InsertRun(index, images, run);
}

void CFileCollection::TakeAllFrom(CFileCollection& other)
{
    FreeAll();
    // Growing only when needed: putting a list back after a failure must not need memory.
    if (m_iLimit < other.m_iCount) SetLimit(other.m_iCount);
    if (other.m_iCount > 0)
        std::memcpy(m_pItems, other.m_pItems, sizeof(TxObject*) * static_cast<size_t>(other.m_iCount));
    m_iCount = other.m_iCount;
    other.RemoveAll();
}

bool CFileCollection::InsertLoadedImage(CImageFile* image)
{
    if (m_iCount == 0 || Compare(KeyOf(m_pItems[m_iCount - 1]), KeyOf(image)) < 0) {
        AtInsert(m_iCount, image);
        return true;
    }
    return Insert(image);
}
