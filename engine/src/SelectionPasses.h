// What the wallpaper's and the screen saver's selections share: the passes over the loaded image
// database, the check of one stored candidate and the hand-over of the image a pass chose.
#pragma once

#include <windows.h>

#include <vector>

#include "UDatabase.h"
#include "UFileSort.h"
#include "UImageStore.h"
#include "Uselection.h"

// What one pass over the loaded database found.
struct SelectedImage {
    TxString folder;
    TxString name;
    FILETIME date{};
    COLORREF colour = 0;
};
enum class SelectionPass { Chosen, NoneSuitable, DatabaseChanged };

// One pass: loads the record file, tries the candidates in order and fills `selected` when one
// is chosen.
using SelectionPassFunction = SelectionPass (*)(const RegistryRecord& record, const TxString& recordFilePath,
                                                const TxString& stringFilePath, SelectedImage& selected);

// Runs `pass` again while another program saved the database under it, a few times at the most.
SelectionPass RunSelectionPasses(SelectionPassFunction pass, const RegistryRecord& record,
                                 const TxString& recordFilePath, const TxString& stringFilePath,
                                 SelectedImage& selected);

// Logs the candidate's full path and checks it with CheckCandidate; a candidate whose texts could
// not be fetched is unreadable without opening anything. Keeps in the image's Reserved value the
// size at which the limits rejected it, else 0.
CandidateCheck CheckStoredCandidate(const DisplaySettings& display, CImageFile& image, StoredTexts texts,
                                    DibHeaderBlock& header, FILETIME& exifDate);

// What a selection records in each candidate it tried, and which one it tries last.
class CCandidateJudge {
public:
    virtual ~CCandidateJudge() = default;
    // True to put this candidate aside: it is tried only after every other was passed over.
    // Asked until one was put aside.
    virtual bool PutAside(const CImageFile& image, StoredTexts texts) = 0;
    // Records in the image that it was tried with this outcome; the image is then written.
    virtual void Tried(CImageFile& image, CandidateCheck check) = 0;
};

// Tries the candidates in key order (CFileSortCollection's) in batches of a hundred, each batch's
// texts fetched and its records written together, until one is accepted, all were passed over, a
// cancel comes or the batches of one call (SetSelectionBatchesPerCall) are used up: what the judge
// recorded in the tried ones puts them after the others in the next call's order. Fills `selected`
// with the accepted image.
SelectionPass TryCandidatesInBatches(const DisplaySettings& display,
                                     const std::vector<CSortCandidate>& candidates,
                                     const TxString& recordFilePath, const TxString& stringFilePath,
                                     CCandidateJudge& judge, SelectedImage& selected);

// Logs how many candidates the selection passed over by their stored size, when there were any.
void LogPassedOverByStoredSize(int count);

// The accepted image into `selected`: its EXIF date when it has one, else its file time.
void TakeSelectedImage(const CImageFile& image, FILETIME exifDate, SelectedImage& selected);

// Logs the chosen image and hands it out, its date as text.
void HandOutSelectedImage(const SelectedImage& selected, TxString* folder, TxString* name, TxString* dateText,
                          COLORREF* colour);
