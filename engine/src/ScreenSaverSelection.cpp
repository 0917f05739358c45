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

constexpr int kKeysPerCancelTest = 256;
constexpr unsigned kRandomKeys = 10000;

bool IsEligible(const CImageFile& image)
{
    return (image.FileFlags & FLAG_EXCLUDE_IMAGE) == 0 && (image.FileFlags & FLAG_USE_FOR_SCREENSAVER) != 0;
}

// An image that its stored size rules out is not shown in any cycle, so it is passed over without a
// key and does not hold back the end of a cycle.
bool PassedOverByStoredSize(const DisplaySettings& display, const CImageFile& image)
{
    return RejectedByStoredSize(display, image.Reserved);
}

// True when no eligible image lacks the bit, also when there is no eligible image at all.
bool AllEligibleShown(const DisplaySettings& display, const CFileCollection& files, DWORD shownBit)
{
    for (int i = 0; i < files.GetCount(); ++i) {
        const CImageFile* image = files.FileAt(i);
        if (IsEligible(*image) && (image->ScreenSaverFlags & shownBit) == 0 &&
            !PassedOverByStoredSize(display, *image))
            return false;
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
std::vector<CSortCandidate> BuildCandidates(const DisplaySettings& display, bool randomOrder,
                                            CFileCollection& files)
{
    LogText("Sorting images for random selection");
    const DWORD shownBit = randomOrder ? FLAG_SHOWN_RANDOM : FLAG_SHOWN_BY_TIME;
    CSelectionRandom random(NextSelectionSeed());
    int excluded = 0, notForScreenSaver = 0, included = 0, shownRandom = 0, shownByTime = 0, passedOver = 0;
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
        if (PassedOverByStoredSize(display, *image)) {
            ++passedOver;
            continue;
        }
        const bool shown = (image->ScreenSaverFlags & shownBit) != 0;
        if (shown) ++(randomOrder ? shownRandom : shownByTime);
        candidates.push_back(CSortCandidate{image, {}});
        BuildKey(randomOrder, shown, image->LastWriteTime, random, candidates.back().szKey);
    }
    LogF("Excluded=%d, NotForScrSaver=%d, Included=%d, ShownRandom=%d, ShownByTime=%d", excluded,
         notForScreenSaver, included, shownRandom, shownByTime);
    LogF("TotalCount=%d, pFileSortCollection->Count=%d", files.GetCount(),
         static_cast<int>(candidates.size()));
    LogPassedOverByStoredSize(passedOver);
    return candidates;
}

// Every tried image gets the shown bit, a passed-over one too, so that it is not tried again in this
// cycle.
class CScreenSaverJudge : public CCandidateJudge {
public:
    explicit CScreenSaverJudge(DWORD shownBit) : m_dwShownBit(shownBit) {}
    bool PutAside(const CImageFile&, StoredTexts) override { return false; }
    void Tried(CImageFile& image, CandidateCheck) override { image.ScreenSaverFlags |= m_dwShownBit; }

private:
    const DWORD m_dwShownBit;
};

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
    if (AllEligibleShown(record.Display, files, shownBit)) {
        LogText("All files displayed, resetting all flags...");
        ClearShownBits(files, shownBit, recordFilePath);
        LogText("...done");
    }

    const std::vector<CSortCandidate> candidates = BuildCandidates(record.Display, randomOrder, files);
    CScreenSaverJudge judge(shownBit);
    return TryCandidatesInBatches(record.Display, candidates, recordFilePath, stringFilePath, judge,
                                  selected);
}

}  // namespace

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
