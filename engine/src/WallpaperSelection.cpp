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

// The selection tries no more candidates than this in one call: each try reads an image file.
constexpr int kMaxCandidateChecks = 100;
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

// Builds every candidate's key in list order (the random draws follow that order) and puts the
// first candidates in key order into `sorted`: only they can be tried.
void BuildCandidateOrder(const RegistryRecord& record, CFileCollection& files, CFileSortCollection& sorted)
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
        if (!IsCandidate(*image)) continue;
        candidates.push_back(CSortCandidate{image, {}});
        BuildSelectionKey(context, image->ShownCount, image->LastWriteTime, random, candidates.back().szKey);
    }
    sorted.InsertFirst(candidates, kMaxCandidateChecks);
}

}  // namespace

CandidateCheck CheckCandidate(const DisplaySettings& display, const char* path, DibHeaderBlock& header,
                              FILETIME& exifDate)
{
    std::memset(&header, 0, sizeof header);
    exifDate = FILETIME{};
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

bool MeetsSelectionLimits(const DisplaySettings& display, DWORD width, DWORD height)
{
    if (width == 0 || height == 0) {
        LogText("Invalid width/height");
        return false;
    }
    const DWORD minSize = display.dwMinSize;
    const DWORD maxSize = display.dwMaxSize;
    if (!(minSize < width && width < maxSize && minSize < height && height < maxSize)) {
        LogText("image does not fit to min-max size");
        return false;
    }
    // In 64 bits: the limits come from the registry and may let very large sides through.
    const unsigned long long across = static_cast<unsigned long long>(width) * 100 / height;
    const unsigned long long down = static_cast<unsigned long long>(height) * 100 / width;
    const unsigned long long ratio = across < down ? across : down;
    if (ratio > display.dwMinRatio) {
        LogText("image conforms to the criteria");
        return true;
    }
    LogF("image ratio=%llu is < than required=%lu", ratio, static_cast<unsigned long>(display.dwMinRatio));
    return false;
}

namespace {

SelectionPass SelectFromDatabase(const RegistryRecord& record, const TxString& recordFilePath,
                                 const TxString& stringFilePath, SelectedImage& selected)
{
    // Without texts the images come in record order; only the tried ones fetch theirs.
    CFileCollection files;
    files.LoadFromFile(recordFilePath.GetText(), "");
    if (g_LoadedHook) g_LoadedHook();
    if (files.GetCount() == 0) return SelectionPass::NoneSuitable;

    bool anyCandidate = false;
    DWORD minCount = 0xFFFFFFFF;
    for (int i = 0; i < files.GetCount(); ++i) {
        const CImageFile* image = files.FileAt(i);
        if (!IsCandidate(*image)) continue;
        anyCandidate = true;
        if (image->ShownCount < minCount) minCount = image->ShownCount;
    }
    if (anyCandidate && minCount > 0) {
        LogF("Minimal count = %lu, resetting all counters to 0.", static_cast<unsigned long>(minCount));
        ResetAllCounters(files, recordFilePath);
    }

    CFileSortCollection sorted;
    BuildCandidateOrder(record, files, sorted);

    // The image on the desktop now is tried last, so that two changes in a row never show the same
    // image while another one can be shown: the random keys alone allow that at the start of
    // every round, when all counters are equal again.
    const TxString currentFolder = RecordText(record.CurrentImage.szImagePath).c_str();
    const TxString currentName = RecordText(record.CurrentImage.szImageName).c_str();
    const bool hasCurrent = record.CurrentImage.bActive != 0 && !currentName.IsEmpty();
    CImageFile* current = nullptr;

    DibHeaderBlock header;
    FILETIME exifDate{};
    const int checks = sorted.GetCount() < kMaxCandidateChecks ? sorted.GetCount() : kMaxCandidateChecks;
    for (int j = 0; j <= checks; ++j) {
        // Each check reads a whole file; a cancel must not wait for a hundred of them.
        if (g_Synchronization.IsCancelled()) break;
        CImageFile* image = nullptr;
        StoredTexts texts = StoredTexts::Loaded;
        if (j < checks) {
            image = sorted.ItemAt(j)->m_pImage;
            texts = LoadTextsOfStoredImage(*image, recordFilePath, stringFilePath);
            if (texts == StoredTexts::RecordChanged) return SelectionPass::DatabaseChanged;
            if (hasCurrent && !current && texts == StoredTexts::Loaded && checks > 1 &&
                image->FileName.CompareNoCase(currentName) == 0 &&
                image->FolderPath.CompareNoCase(currentFolder) == 0) {
                current = image;
                continue;
            }
        } else {
            if (!current) break;
            image = current;
        }
        const CandidateCheck check = CheckStoredCandidate(record.Display, *image, texts, header, exifDate);
        if (check == CandidateCheck::Accepted) {
            // A cancel that came during the check leaves the counter as it was.
            if (g_Synchronization.IsCancelled()) break;
            TakeSelectedImage(*image, exifDate, selected);
            image->ShownCount += 1;
            StoreSelfToFile(*image, recordFilePath);
            return SelectionPass::Chosen;
        }
        // An unreadable file counts twice: it is tried again only after the readable ones.
        if (check == CandidateCheck::Unreadable) image->ShownCount += 1;
        image->ShownCount += 1;
        StoreSelfToFile(*image, recordFilePath);
    }
    return SelectionPass::NoneSuitable;
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
