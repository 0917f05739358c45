// FindNextBackgroundImage: the next wallpaper from the image database.
#include <cstring>
#include <vector>

#include "SelectionPasses.h"
#include "UDatabase.h"
#include "UFileSort.h"
#include "UImageStore.h"
#include "URecordText.h"
#include "UTxLog.h"
#include "Udib.h"
#include "Ucoverload.h"
#include "Ujpegload.h"
#include "Uoperations.h"
#include "Uselection.h"
#include "Usync.h"
#include "Wcommon.h"

namespace {

constexpr int kKeysPerCancelTest = 256;

SelectionLoadedHook g_LoadedHook = nullptr;

bool IsCandidate(const CImageFile& image)
{
    return (image.FileFlags & FLAG_EXCLUDE_IMAGE) == 0 && (image.FileFlags & FLAG_USE_FOR_WALLPAPER) != 0;
}

// Every counter back to 0 once each candidate was shown: the next round starts. Only the records
// that change are touched.
void ResetAllCounters(CFileCollection& files, const TxString& recordFilePath)
{
    std::vector<const CImageFile*> changed;
    for (int i = 0; i < files.GetCount(); ++i) {
        CImageFile* image = files.FileAt(i);
        if (image->ShownCount == 0) continue;
        image->ShownCount = 0;
        changed.push_back(image);
    }
    StoreImagesToFile(changed, recordFilePath);
}

// Builds every candidate's key in list order (the random draws follow that order); an image that
// its stored size rules out gets none.
std::vector<CSortCandidate> BuildCandidates(const RegistryRecord& record, CFileCollection& files)
{
    SelectionKeyContext context;
    context.dwPreference = record.Exchange.dwRandomSelection;
    if (context.dwPreference == SELECT_PREFER_NEW_IMAGES) {
        for (int i = 0; i < files.GetCount(); ++i) {
            const DWORD day = SelectionDay(files.FileAt(i)->LastWriteTime);
            if (day > context.dwMaxDays) context.dwMaxDays = day;
        }
    }
    ::GetLocalTime(&context.today);
    CSelectionRandom random(NextSelectionSeed());

    std::vector<CSortCandidate> candidates;
    candidates.reserve(static_cast<size_t>(files.GetCount()));
    for (int i = 0; i < files.GetCount(); ++i) {
        // Asking the cancel event is a system call; a key costs far less, so the flag is tested
        // once per batch of keys, still well within a millisecond of a cancel.
        if (i % kKeysPerCancelTest == 0 && g_Synchronization.IsCancelled()) break;
        CImageFile* image = files.FileAt(i);
        if (!IsCandidate(*image) || RejectedByStoredSize(record.Display, image->Reserved)) continue;
        candidates.push_back(CSortCandidate{image, {}});
        BuildSelectionKey(context, image->ShownCount, image->LastWriteTime, random, candidates.back().szKey);
    }
    return candidates;
}

}  // namespace

CandidateCheck CheckCandidate(const DisplaySettings& display, const char* path, DibHeaderBlock& header,
                              FILETIME& exifDate, DWORD& measuredSize)
{
    std::memset(&header, 0, sizeof header);
    exifDate = FILETIME{};
    measuredSize = 0;
    DWORD size = 0;
    int seenWidth = 0, seenHeight = 0;
    if (LoadBmpFromJpgFileEx(header.Info(), nullptr, path, &size, display.bRotateByExif ? TRUE : FALSE,
                             &exifDate)) {
        seenWidth = header.bmiHeader.biWidth;
        seenHeight = static_cast<int>(DibRowCount(header.bmiHeader.biHeight));
    } else {
        // An image too large to decode whole is measured all the same: the composition shows it
        // through a reduced decode.
        const DWORD failure = ::GetLastError();
        const DWORD turn = display.bRotateByExif ? ReadExifTurn(path) : 0;
        if (!MeasureTooLargeJpg(path, turn, failure, seenWidth, seenHeight)) {
            LogText("cannot load image from the file");
            return CandidateCheck::Unreadable;
        }
    }
    const DWORD width = static_cast<DWORD>(seenWidth);
    const DWORD height = static_cast<DWORD>(seenHeight);
    LogF("dwWidth=%lu, dwHeight=%lu", static_cast<unsigned long>(width), static_cast<unsigned long>(height));
    measuredSize = PackMeasuredSize(width, height);
    return MeetsSelectionLimits(display, width, height) ? CandidateCheck::Accepted : CandidateCheck::Rejected;
}

SelectionLoadedHook SetSelectionLoadedHook(SelectionLoadedHook hook)
{
    const SelectionLoadedHook previous = g_LoadedHook;
    g_LoadedHook = hook;
    return previous;
}

void RunSelectionLoadedHook()
{
    if (g_LoadedHook) g_LoadedHook();
}

namespace {

enum class LimitsVerdict { InvalidSize, OutsideMinMax, RatioTooSmall, Fits };

struct LimitsJudgement {
    LimitsVerdict verdict;
    unsigned long long ratio;
};

LimitsJudgement JudgeSize(const DisplaySettings& display, DWORD width, DWORD height)
{
    if (width == 0 || height == 0) return {LimitsVerdict::InvalidSize, 0};
    const DWORD minSize = display.dwMinSize;
    const DWORD maxSize = display.dwMaxSize;
    if (!(minSize < width && width < maxSize && minSize < height && height < maxSize))
        return {LimitsVerdict::OutsideMinMax, 0};
    // In 64 bits: the limits come from the registry and may let very large sides through.
    const unsigned long long across = static_cast<unsigned long long>(width) * 100 / height;
    const unsigned long long down = static_cast<unsigned long long>(height) * 100 / width;
    const unsigned long long ratio = across < down ? across : down;
    return {ratio > display.dwMinRatio ? LimitsVerdict::Fits : LimitsVerdict::RatioTooSmall, ratio};
}

}  // namespace

bool FitsSelectionLimits(const DisplaySettings& display, DWORD width, DWORD height)
{
    return JudgeSize(display, width, height).verdict == LimitsVerdict::Fits;
}

bool MeetsSelectionLimits(const DisplaySettings& display, DWORD width, DWORD height)
{
    const LimitsJudgement judgement = JudgeSize(display, width, height);
    switch (judgement.verdict) {
    case LimitsVerdict::InvalidSize:
        LogText("Invalid width/height");
        return false;
    case LimitsVerdict::OutsideMinMax:
        LogText("image does not fit to min-max size");
        return false;
    case LimitsVerdict::RatioTooSmall:
        LogF("image ratio=%llu is < than required=%lu", judgement.ratio,
             static_cast<unsigned long>(display.dwMinRatio));
        return false;
    case LimitsVerdict::Fits:
        break;
    }
    LogText("image conforms to the criteria");
    return true;
}

namespace {

// The wallpaper's counters: a tried image counts once, an unreadable one twice (it is tried again
// only after the readable ones). The image on the desktop now is put aside and tried last, so that
// two changes in a row never show the same image while another one can be shown: the random keys
// alone allow that at the start of every round, when all counters are equal again.
class CWallpaperJudge : public CCandidateJudge {
public:
    CWallpaperJudge(const RegistryRecord& record, size_t candidates)
        : m_CurrentFolder(RecordText(record.CurrentImage.szImagePath).c_str()),
          m_CurrentName(RecordText(record.CurrentImage.szImageName).c_str()),
          m_bHasCurrent(record.CurrentImage.bActive != 0 && !m_CurrentName.IsEmpty() && candidates > 1)
    {
    }
    bool PutAside(const CImageFile& image, StoredTexts texts) override
    {
        return m_bHasCurrent && texts == StoredTexts::Loaded &&
               image.FileName.CompareNoCase(m_CurrentName) == 0 &&
               image.FolderPath.CompareNoCase(m_CurrentFolder) == 0;
    }
    void Tried(CImageFile& image, CandidateCheck check) override
    {
        if (check == CandidateCheck::Unreadable) image.ShownCount += 1;
        image.ShownCount += 1;
    }

private:
    const TxString m_CurrentFolder;
    const TxString m_CurrentName;
    const bool m_bHasCurrent;
};

SelectionPass SelectFromDatabase(const RegistryRecord& record, const TxString& recordFilePath,
                                 const TxString& stringFilePath, SelectedImage& selected)
{
    // Without texts the images come in record order; only the tried ones fetch theirs.
    CFileCollection files;
    files.LoadFromFile(recordFilePath.GetText(), "");
    if (g_LoadedHook) g_LoadedHook();
    if (files.GetCount() == 0) return SelectionPass::NoneSuitable;

    // An image whose stored size the limits reject is no candidate: it neither holds back the
    // reset of the counters nor is tried.
    int passedOver = 0;
    bool anyCandidate = false;
    DWORD minCount = 0xFFFFFFFF;
    for (int i = 0; i < files.GetCount(); ++i) {
        const CImageFile* image = files.FileAt(i);
        if (!IsCandidate(*image)) continue;
        if (RejectedByStoredSize(record.Display, image->Reserved)) {
            ++passedOver;
            continue;
        }
        anyCandidate = true;
        if (image->ShownCount < minCount) minCount = image->ShownCount;
    }
    LogPassedOverByStoredSize(passedOver);
    if (anyCandidate && minCount > 0) {
        LogF("Minimal count = %lu, resetting all counters to 0.", static_cast<unsigned long>(minCount));
        ResetAllCounters(files, recordFilePath);
    }

    const std::vector<CSortCandidate> candidates = BuildCandidates(record, files);
    CWallpaperJudge judge(record, candidates.size());
    return TryCandidatesInBatches(record.Display, candidates, recordFilePath, stringFilePath, judge,
                                  selected);
}

}  // namespace

bool FindNextBackgroundImage(const RegistryRecord* record, TxString* folder, TxString* name,
                             TxString* dateText, COLORREF* colour)
{
    CLogScope scope("FindNextBackgroundImage");
    if (!record || !folder || !name || !dateText || !colour) return false;
    const TxString recordFilePath = RecordText(record->Files.szFileListDatFile).c_str();
    const TxString stringFilePath = RecordText(record->Files.szFileListStrFile).c_str();

    SelectedImage selected;
    const SelectionPass pass =
        RunSelectionPasses(SelectFromDatabase, *record, recordFilePath, stringFilePath, selected);
    if (pass != SelectionPass::Chosen || g_Synchronization.IsCancelled()) {
        LogText("No suitable file found!");
        return false;
    }
    HandOutSelectedImage(selected, folder, name, dateText, colour);
    return true;
}
