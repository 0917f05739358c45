// The parts of a selection that the wallpaper's and the screen saver's share.
#include "SelectionPasses.h"

#include <algorithm>
#include <utility>

#include "UTxLog.h"
#include "Udib.h"
#include "Usync.h"
#include "Wcommon.h"

namespace {

// How often a selection starts again on a database that another program saved under it.
constexpr int kSelectionPasses = 3;
constexpr int kDateTextSize = 100;

// A batch of candidates: their texts are fetched and their records written together, and each try
// reads an image file.
constexpr int kCandidatesPerBatch = 100;
// The batches of one call: far more than any run of images that are never shown, so that the first
// call gets past it; what a call leaves, the next goes on with.
constexpr int kBatchesPerCall = 250;
int g_iBatchesPerCall = kBatchesPerCall;

// The candidate put aside to be tried last, with how its texts were fetched.
struct AsideCandidate {
    CImageFile* image = nullptr;
    StoredTexts texts = StoredTexts::Unavailable;
};

}  // namespace

SelectionPass RunSelectionPasses(SelectionPassFunction pass, const RegistryRecord& record,
                                 const TxString& recordFilePath, const TxString& stringFilePath,
                                 SelectedImage& selected)
{
    SelectionPass result = SelectionPass::DatabaseChanged;
    for (int i = 0; i < kSelectionPasses && result == SelectionPass::DatabaseChanged; ++i) {
        if (i > 0) LogText("The image database was saved meanwhile; selecting again.");
        result = pass(record, recordFilePath, stringFilePath, selected);
    }
    return result;
}

DWORD PackMeasuredSize(DWORD width, DWORD height)
{
    if (width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF) return 0;
    return width << 16 | height;
}

bool RejectedByStoredSize(const DisplaySettings& display, DWORD storedSize)
{
    return storedSize != 0 && !FitsSelectionLimits(display, storedSize >> 16, storedSize & 0xFFFF);
}

int SetSelectionBatchesPerCall(int batches)
{
    return std::exchange(g_iBatchesPerCall, batches);
}

void LogPassedOverByStoredSize(int count)
{
    if (count > 0) LogF("%d images passed over: their stored size does not fit the limits", count);
}

CandidateCheck CheckStoredCandidate(const DisplaySettings& display, CImageFile& image, StoredTexts texts,
                                    DibHeaderBlock& header, FILETIME& exifDate)
{
    TxString path(image.FolderPath);
    path.Append("\\");
    path.Append(image.FileName);
    LogF("checking %s", path.GetText());
    DWORD measuredSize = 0;
    const CandidateCheck check = texts == StoredTexts::Loaded
                                     ? CheckCandidate(display, path.GetText(), header, exifDate, measuredSize)
                                     : CandidateCheck::Unreadable;
    // Only a rejection by the limits is kept: an unreadable file may be one still being written.
    image.Reserved = check == CandidateCheck::Rejected ? measuredSize : 0;
    return check;
}

namespace {

// Tries the images [first, end) of `sorted` in order until one is accepted; their records are
// written together, also when a cancel ends the batch.
SelectionPass TryBatch(const DisplaySettings& display, const CFileSortCollection& sorted, int first, int end,
                       const TxString& recordFilePath, const TxString& stringFilePath, CCandidateJudge& judge,
                       AsideCandidate& aside, SelectedImage& selected)
{
    std::vector<CImageFile*> batch;
    for (int j = first; j < end; ++j)
        batch.push_back(sorted.ItemAt(j)->m_pImage);
    std::vector<StoredTexts> texts;
    if (LoadTextsOfStoredImages(batch, recordFilePath, stringFilePath, texts) == StoredTexts::RecordChanged)
        return SelectionPass::DatabaseChanged;

    std::vector<const CImageFile*> tried;
    SelectionPass result = SelectionPass::NoneSuitable;
    DibHeaderBlock header;
    FILETIME exifDate{};
    for (size_t i = 0; i < batch.size(); ++i) {
        // Each check reads a whole file; a cancel must not wait for a batch of them.
        if (g_Synchronization.IsCancelled()) break;
        CImageFile* image = batch[i];
        if (!aside.image && judge.PutAside(*image, texts[i])) {
            aside = AsideCandidate{image, texts[i]};
            continue;
        }
        const DWORD storedSize = image->Reserved;
        const CandidateCheck check = CheckStoredCandidate(display, *image, texts[i], header, exifDate);
        // A cancel that came during the check leaves the image as it was.
        if (check == CandidateCheck::Accepted && g_Synchronization.IsCancelled()) {
            image->Reserved = storedSize;
            break;
        }
        judge.Tried(*image, check);
        tried.push_back(image);
        if (check == CandidateCheck::Accepted) {
            TakeSelectedImage(*image, exifDate, selected);
            result = SelectionPass::Chosen;
            break;
        }
    }
    StoreEachToFile(tried, recordFilePath);
    return result;
}

}  // namespace

SelectionPass TryCandidatesInBatches(const DisplaySettings& display,
                                     const std::vector<CSortCandidate>& candidates,
                                     const TxString& recordFilePath, const TxString& stringFilePath,
                                     CCandidateJudge& judge, SelectedImage& selected)
{
    // Only the first batch is put in order at first: most selections end in it, and ordering a
    // hundred thousand candidates costs more than the batch. Once it was passed over, all are.
    CFileSortCollection sorted;
    sorted.InsertFirst(candidates, kCandidatesPerBatch);
    AsideCandidate aside;
    int first = 0;
    for (int batch = 0; batch < g_iBatchesPerCall && first < sorted.GetCount(); ++batch) {
        if (g_Synchronization.IsCancelled()) return SelectionPass::NoneSuitable;
        const int end = std::min(first + kCandidatesPerBatch, sorted.GetCount());
        const SelectionPass result =
            TryBatch(display, sorted, first, end, recordFilePath, stringFilePath, judge, aside, selected);
        if (result != SelectionPass::NoneSuitable) return result;
        first = end;
        if (first == sorted.GetCount() && static_cast<size_t>(first) < candidates.size() &&
            first < TxCollection::kMaxLimit) {
            sorted.FreeAll();
            sorted.InsertFirst(candidates, std::min<size_t>(candidates.size(), TxCollection::kMaxLimit));
        }
    }
    if (static_cast<size_t>(first) < candidates.size())
        LogF("%d candidates passed over; the next selection goes on after them", first);
    if (!aside.image || g_Synchronization.IsCancelled()) return SelectionPass::NoneSuitable;

    DibHeaderBlock header;
    FILETIME exifDate{};
    const DWORD storedSize = aside.image->Reserved;
    const CandidateCheck check = CheckStoredCandidate(display, *aside.image, aside.texts, header, exifDate);
    if (check == CandidateCheck::Accepted && g_Synchronization.IsCancelled()) {
        aside.image->Reserved = storedSize;
        return SelectionPass::NoneSuitable;
    }
    judge.Tried(*aside.image, check);
    StoreEachToFile({aside.image}, recordFilePath);
    if (check != CandidateCheck::Accepted) return SelectionPass::NoneSuitable;
    TakeSelectedImage(*aside.image, exifDate, selected);
    return SelectionPass::Chosen;
}

void TakeSelectedImage(const CImageFile& image, FILETIME exifDate, SelectedImage& selected)
{
    const bool hasExifDate = exifDate.dwLowDateTime != 0 || exifDate.dwHighDateTime != 0;
    selected.folder.Assign(image.FolderPath);
    selected.name.Assign(image.FileName);
    selected.date = hasExifDate ? exifDate : image.LastWriteTime;
    selected.colour = image.AverageColor;
}

void HandOutSelectedImage(const SelectedImage& selected, TxString* folder, TxString* name, TxString* dateText,
                          COLORREF* colour)
{
    LogF("*** Selected image: %s", selected.name.GetText());
    LogF("*** in %s", selected.folder.GetText());
    char date[kDateTextSize];
    ConvertDateToString(selected.date, date, kDateTextSize);
    folder->Assign(selected.folder);
    name->Assign(selected.name);
    dateText->Assign(date);
    *colour = selected.colour;
}
