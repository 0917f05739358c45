// The parts of a selection that the wallpaper's and the screen saver's share.
#include "SelectionPasses.h"

#include "UTxLog.h"
#include "Udib.h"
#include "Wcommon.h"

namespace {

// How often a selection starts again on a database that another program saved under it.
constexpr int kSelectionPasses = 3;
constexpr int kDateTextSize = 100;

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

CandidateCheck CheckStoredCandidate(const DisplaySettings& display, const CImageFile& image,
                                    StoredTexts texts, DibHeaderBlock& header, FILETIME& exifDate)
{
    TxString path(image.FolderPath);
    path.Append("\\");
    path.Append(image.FileName);
    LogF("checking %s", path.GetText());
    return texts == StoredTexts::Loaded ? CheckCandidate(display, path.GetText(), header, exifDate)
                                        : CandidateCheck::Unreadable;
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
