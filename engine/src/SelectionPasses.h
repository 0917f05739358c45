// What the wallpaper's and the screen saver's selections share: the passes over the loaded image
// database, the check of one stored candidate and the hand-over of the image a pass chose.
#pragma once

#include <windows.h>

#include "UDatabase.h"
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
// not be fetched is unreadable without opening anything.
CandidateCheck CheckStoredCandidate(const DisplaySettings& display, const CImageFile& image,
                                    StoredTexts texts, DibHeaderBlock& header, FILETIME& exifDate);

// The accepted image into `selected`: its EXIF date when it has one, else its file time.
void TakeSelectedImage(const CImageFile& image, FILETIME exifDate, SelectedImage& selected);

// Logs the chosen image and hands it out, its date as text.
void HandOutSelectedImage(const SelectedImage& selected, TxString* folder, TxString* name, TxString* dateText,
                          COLORREF* colour);
