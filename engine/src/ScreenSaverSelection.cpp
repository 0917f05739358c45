// FindNextScreenSaverImage: the screen saver's next image, each once per cycle.
#include <algorithm>
#include <utility>
#include <vector>

#include "SelectionPasses.h"
#include "UDatabase.h"
#include "UFileSort.h"
#include "UImageStore.h"
#include "URecordText.h"
#include "UTxLog.h"
#include "Udesktop.h"
#include "Udib.h"
#include "Uoperations.h"
#include "Uscreensaver.h"
#include "Uselection.h"
#include "Usync.h"

namespace {

// As for the wallpaper, a step tries the first 100 candidates: each try reads an image file.
constexpr int kMaxCandidateChecks = 100;
// When all of them were passed over, the step goes on with the next hundreds while it has tried
// for less than this. A long run of images that are never shown (a folder of thumbnails sorted
// first) then takes a few steps instead of one step per hundred images, while the Manager's test
// of the screen saver, which waits for the step, is held no longer than this. The shown bits keep
// what was tried, so the next step goes on after it.
constexpr DWORD kFurtherChecksMs = 2000;
DWORD g_dwFurtherChecksMs = kFurtherChecksMs;
constexpr int kKeysPerCancelTest = 256;
constexpr unsigned kRandomKeys = 10000;

bool IsEligible(const CImageFile& image)
{
    return (image.FileFlags & FLAG_EXCLUDE_IMAGE) == 0 && (image.FileFlags & FLAG_USE_FOR_SCREENSAVER) != 0;
}

// True when no eligible image lacks the bit, also when there is no eligible image at all.
bool AllEligibleShown(const CFileCollection& files, DWORD shownBit)
{
    for (int i = 0; i < files.GetCount(); ++i) {
        const CImageFile* image = files.FileAt(i);
        if (IsEligible(*image) && (image->ScreenSaverFlags & shownBit) == 0) return false;
    }
    return true;
}

// A new cycle: the bit of this order cleared on every image, through one write of the records
// that change; the other order's bit stays.
void ClearShownBits(CFileCollection& files, DWORD shownBit, const TxString& recordFilePath)
{
    std::vector<const CImageFile*> changed;
    for (int i = 0; i < files.GetCount(); ++i) {
        CImageFile* image = files.FileAt(i);
        if ((image->ScreenSaverFlags & shownBit) == 0) continue;
        image->ScreenSaverFlags &= ~shownBit;
        changed.push_back(image);
    }
    StoreImagesToFile(changed, recordFilePath);
}

// Not yet shown images ("0") before shown ones ("1"), then a random number or the file's time
// stamp as stored.
void BuildKey(bool randomOrder, bool shown, FILETIME lastWriteTime, CSelectionRandom& random, char* key)
{
    key[0] = shown ? '1' : '0';
    if (randomOrder) {
        // Four digits with leading zeros.
        unsigned rest = random.NextBelow(kRandomKeys);
        for (int i = 4; i >= 1; --i, rest /= 10)
            key[i] = static_cast<char>('0' + rest % 10);
        key[5] = '\0';
    } else {
        static_assert(1 + 14 < kSortKeySize, "the time stamp must fit the key");
        FormatTimeStamp(lastWriteTime, key + 1, 14);
    }
}

// Builds the keys of the eligible images in list order; logs what it found.
std::vector<CSortCandidate> BuildCandidates(bool randomOrder, CFileCollection& files)
{
    LogText("Sorting images for random selection");
    const DWORD shownBit = randomOrder ? FLAG_SHOWN_RANDOM : FLAG_SHOWN_BY_TIME;
    CSelectionRandom random(NextSelectionSeed());
    int excluded = 0, notForScreenSaver = 0, included = 0, shownRandom = 0, shownByTime = 0;
    std::vector<CSortCandidate> candidates;
    candidates.reserve(static_cast<size_t>(files.GetCount()));
    for (int i = 0; i < files.GetCount(); ++i) {
        // A key costs far less than asking the cancel event, so it is asked once per batch.
        if (i % kKeysPerCancelTest == 0 && g_Synchronization.IsCancelled()) break;
        CImageFile* image = files.FileAt(i);
        if (image->FileFlags & FLAG_EXCLUDE_IMAGE) {
            ++excluded;
            continue;
        }
        if ((image->FileFlags & FLAG_USE_FOR_SCREENSAVER) == 0) {
            ++notForScreenSaver;
            continue;
        }
        ++included;
        const bool shown = (image->ScreenSaverFlags & shownBit) != 0;
        if (shown) ++(randomOrder ? shownRandom : shownByTime);
        candidates.push_back(CSortCandidate{image, {}});
        BuildKey(randomOrder, shown, image->LastWriteTime, random, candidates.back().szKey);
    }
    LogF("Excluded=%d, NotForScrSaver=%d, Included=%d, ShownRandom=%d, ShownByTime=%d", excluded,
         notForScreenSaver, included, shownRandom, shownByTime);
    LogF("TotalCount=%d, pFileSortCollection->Count=%d", files.GetCount(),
         static_cast<int>(candidates.size()));
    return candidates;
}

// Tries the items [first, end) of `sorted` in order until one is accepted. Every tried image gets
// the shown bit, a passed-over one too, so that it is not tried again in this cycle; the bits of
// the batch are written together, also when a cancel ends it.
SelectionPass CheckBatch(const RegistryRecord& record, const CFileSortCollection& sorted, int first, int end,
                         DWORD shownBit, const TxString& recordFilePath, const TxString& stringFilePath,
                         SelectedImage& selected)
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
        if (g_Synchronization.IsCancelled()) break;
        CImageFile* image = batch[i];
        const CandidateCheck check = CheckStoredCandidate(record.Display, *image, texts[i], header, exifDate);
        if (check == CandidateCheck::Accepted && g_Synchronization.IsCancelled()) break;
        image->ScreenSaverFlags |= shownBit;
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

SelectionPass SelectFromDatabase(const RegistryRecord& record, const TxString& recordFilePath,
                                 const TxString& stringFilePath, SelectedImage& selected)
{
    // Without texts the images come in record order; only the tried ones fetch theirs.
    CFileCollection files;
    files.LoadFromFile(recordFilePath.GetText(), "");
    RunSelectionLoadedHook();
    if (files.GetCount() == 0) return SelectionPass::NoneSuitable;

    const bool randomOrder = record.ScreenSaver.bRandomSelection != 0;
    const DWORD shownBit = randomOrder ? FLAG_SHOWN_RANDOM : FLAG_SHOWN_BY_TIME;
    if (AllEligibleShown(files, shownBit)) {
        LogText("All files displayed, resetting all flags...");
        ClearShownBits(files, shownBit, recordFilePath);
        LogText("...done");
    }

    const std::vector<CSortCandidate> candidates = BuildCandidates(randomOrder, files);
    CFileSortCollection sorted;
    sorted.InsertFirst(candidates, kMaxCandidateChecks);

    const DWORD start = ::GetTickCount();
    for (int first = 0; first < sorted.GetCount();) {
        if (g_Synchronization.IsCancelled()) break;
        const int end = std::min(first + kMaxCandidateChecks, sorted.GetCount());
        const SelectionPass result =
            CheckBatch(record, sorted, first, end, shownBit, recordFilePath, stringFilePath, selected);
        if (result != SelectionPass::NoneSuitable) return result;
        first = end;
        // Only the first candidates are in order yet; the rest are put in order once all of
        // those were passed over.
        const bool restUnordered =
            first == kMaxCandidateChecks && candidates.size() > static_cast<size_t>(kMaxCandidateChecks);
        if (first == sorted.GetCount() && !restUnordered) break;
        if (static_cast<DWORD>(::GetTickCount() - start) >= g_dwFurtherChecksMs) {
            LogF("%d images passed over; the next step goes on after them", first);
            break;
        }
        if (first == sorted.GetCount()) {
            sorted.FreeAll();
            sorted.InsertFirst(candidates, std::min<size_t>(candidates.size(), TxCollection::kMaxLimit));
        }
    }
    return SelectionPass::NoneSuitable;
}

}  // namespace

DWORD SetScreenSaverFurtherChecksMs(DWORD ms)
{
    return std::exchange(g_dwFurtherChecksMs, ms);
}

bool FindNextScreenSaverImage(const RegistryRecord* record, TxString* folder, TxString* name,
                              TxString* dateText, COLORREF* colour)
{
    const CLogScope scope("FindNextScreenSaverImage");
    if (!record || !folder || !name || !dateText || !colour) return false;
    const TxString recordFilePath = RecordText(record->Files.szFileListDatFile).c_str();
    const TxString stringFilePath = RecordText(record->Files.szFileListStrFile).c_str();
    LogF("szFileListDatFile=%s", recordFilePath.GetText());

    SelectedImage selected;
    const SelectionPass pass =
        RunSelectionPasses(SelectFromDatabase, *record, recordFilePath, stringFilePath, selected);
    if (pass != SelectionPass::Chosen || g_Synchronization.IsCancelled()) return false;
    HandOutSelectedImage(selected, folder, name, dateText, colour);
    return true;
}
