// The wallpaper operations behind the exports: set a given image, set the next one, set the
// current one again, and exclude the current one from the selection.
#include <string>

#include "Fprogress.h"
#include "UDatabase.h"
#include "UImageStore.h"
#include "URecordText.h"
#include "UTxDiskApi.h"
#include "UTxLog.h"
#include "Ucompose.h"
#include "Udesktop.h"
#include "Uoperations.h"
#include "Uselection.h"
#include "Usync.h"
#include "Uwallapi.h"
#include "Wcommon.h"

namespace {

constexpr int kDateTextSize = 100;

DWORD g_ErrorHoldMs = 5000;

// The settings as the operations without a caller's record see them: the defaults, then the
// registry. False, logged, while the system is not configured or knows no image.
bool ReadConfiguredSettings(RegistryRecord& record)
{
    SetRegistryDefaults(nullptr, &record, true, true);
    if (!IsConfiguredWithImages()) return false;
    ReadFromRegistry(&record);
    return true;
}

void ReportWithName(ProgressTextId id, const char* name)
{
    std::string text = ProgressText(id);
    text += ' ';
    text += name;
    ReportProgress(text.c_str());
}

}  // namespace

bool IsConfiguredWithImages()
{
    bool configured = false;
    DWORD allFilesCount = 0;
    ReadRegistryRoot(configured, allFilesCount);
    if (!configured) {
        LogText("!Not yet configured");
        return false;
    }
    if (allFilesCount == 0) {
        LogText("!List of files is empty");
        return false;
    }
    return true;
}

DWORD SetOperationErrorHoldTime(DWORD milliseconds)
{
    const DWORD previous = g_ErrorHoldMs;
    g_ErrorHoldMs = milliseconds;
    return previous;
}

void ShowOperationError(const RegistryRecord& record, const char* text)
{
    LogF("!%s", text);
    if (!record.Agent.bShowProgress) return;
    ReportProgress(text);
    ::Sleep(g_ErrorHoldMs);
    HideProgressWindow();
}

bool SetWallpaper(RegistryRecord* record, const char* folderPath, const char* fileName, const char* dateText,
                  COLORREF averageColor)
{
    CLogScope scope("SetWallpaper");
    if (!record || !folderPath || !fileName) {
        LogText("!SetWallpaper: no settings record, folder or file name");
        return false;
    }
    if (!dateText) dateText = "";
    // Both are recorded in \CurrentImage, whose fields they must fit whole: a cut name would
    // record another file.
    if (::strnlen(folderPath, kPathSize) >= kPathSize || ::strnlen(fileName, kPathSize) >= kPathSize) {
        LogF("!SetWallpaper: folder or file name too long (%u, %u)",
             static_cast<unsigned>(std::strlen(folderPath)), static_cast<unsigned>(std::strlen(fileName)));
        return false;
    }
    const bool showProgress = record->Agent.bShowProgress != 0;
    if (showProgress) ShowProgressWindow();

    const char* workBmp = record->Files.szWorkBmpFile;
    const size_t workBmpLength = ::strnlen(workBmp, kPathSize);
    if (workBmpLength == 0 || workBmpLength == kPathSize) {
        ShowOperationError(*record, ProgressText(gld_ErrorNotConfigured));
        return false;
    }
    std::string path = folderPath;
    path += '\\';
    path += fileName;
    if (!TxFileExists(path.c_str())) {
        ShowOperationError(*record, (std::string(ProgressText(gld_ErrorFileNotExist)) + " " + path).c_str());
        return false;
    }

    // Margins that leave no room fail every change alike, whatever the image: the log names them,
    // and no error text blames an image that is fine.
    if (!HasRoomForImage(record->Display)) {
        if (showProgress) HideProgressWindow();
        return false;
    }
    COLORREF colour = averageColor;
    if (!ComposeBackgroundBitmap(record, path.c_str(), fileName, dateText, &colour)) {
        // After a cancel the caller asked for silence; its window stays until it hides it.
        if (!g_Synchronization.IsCancelled())
            ShowOperationError(*record, ProgressText(gld_ErrorCannotReadWrite));
        return false;
    }

    const DisplaySettings& display = record->Display;
    Win32SetWallPaperStyle(false, false);
    // A refusal is logged there; the change still counts as made, or the Agent would pick and
    // count a new image every few minutes while the platform keeps refusing.
    if (Win32SetWallPaper(workBmp) != 0) LogF("!SetWallpaper: the wallpaper was not taken: %s", workBmp);
    const COLORREF textColour = ContrastTextColor(colour);
    if (display.bAdaptTextBackColor) SetDesktopBackgroundColor(colour, display.bAdaptTextBackColorSys != 0);
    if (display.bAdaptTextBackColor || display.bTransparentText) {
        SetColorUnderIcons(textColour, colour, display.bTransparentText != 0,
                           display.bAdaptTextBackColor && !display.bAdaptTextBackColorSys);
    }

    CurrentImageSettings& current = record->CurrentImage;
    current.bActive = 1;
    current.dwTextColor = textColour;
    current.dwBackColor = colour;
    lstrcpynA(current.szImagePath, folderPath, kPathSize);
    lstrcpynA(current.szImageName, fileName, kPathSize);
    GetLocalFileTime(&current.ftLastChangeTime);
    current.bAlreadySet = 1;
    if (!WriteCurrentImageToRegistry(current)) LogText("!SetWallpaper: \\CurrentImage could not be written");

    if (showProgress) HideProgressWindow();
    return true;
}

bool SetRandomWallpaper()
{
    CLogScope scope("SetRandomWallpaper");
    RegistryRecord record{};
    if (!ReadConfiguredSettings(record)) return false;
    if (record.Agent.bShowProgress) ShowProgressWindow();
    if (g_Synchronization.IsCancelled()) return false;

    ReportProgress(ProgressText(gld_CheckingChanges));
    CheckForAndWriteChangesOnDisk();

    ReportProgress(ProgressText(gld_RandomSelection));
    TxString folder;
    TxString name;
    TxString dateText;
    COLORREF colour = 0xFFFFFFFF;
    if (!FindNextBackgroundImage(&record, &folder, &name, &dateText, &colour)) {
        if (!g_Synchronization.IsCancelled()) ShowOperationError(record, ProgressText(gld_ErrorNoImageFound));
        return false;
    }
    ReportWithName(gld_SelectedImage, name.GetText());
    return SetWallpaper(&record, folder.GetText(), name.GetText(), dateText.GetText(), colour);
}

bool UpdateCurrentWallpaper()
{
    CLogScope scope("UpdateCurrentWallpaper");
    RegistryRecord record{};
    if (!ReadConfiguredSettings(record)) return false;
    if (record.Agent.bShowProgress) ShowProgressWindow();
    const CurrentImageSettings& current = record.CurrentImage;
    if (!current.bActive) return SetRandomWallpaper();

    const TxString folder = RecordText(current.szImagePath).c_str();
    const TxString name = RecordText(current.szImageName).c_str();
    TxFindFile find;
    if (name.IsEmpty() || !find.FindFirst(folder.GetText(), name.GetText()) || find.IsDirectory()) {
        LogF("The current image is gone, a new one is selected: %s\\%s", folder.GetText(), name.GetText());
        return SetRandomWallpaper();
    }
    // Always the file date here: the image is not decoded for its EXIF date.
    char dateText[kDateTextSize];
    ConvertDateToString(find.FindData().ftLastWriteTime, dateText, kDateTextSize);

    ReportProgress(ProgressText(gld_RandomSelection));
    ReportWithName(gld_SelectedImage, name.GetText());
    // The stored background colour stands for the average colour: computed again only when unknown.
    return SetWallpaper(&record, folder.GetText(), name.GetText(), dateText, current.dwBackColor);
}

void ExcludeCurrentFromList()
{
    CLogScope scope("ExcludeCurrentFromList");
    RegistryRecord record{};
    if (!ReadConfiguredSettings(record)) return;
    const TxString recordFile = RecordText(record.Files.szFileListDatFile).c_str();
    const TxString stringFile = RecordText(record.Files.szFileListStrFile).c_str();
    const CurrentImageSettings& current = record.CurrentImage;
    const TxString folder = RecordText(current.szImagePath).c_str();
    const TxString name = RecordText(current.szImageName).c_str();

    CFileCollection files;
    files.LoadFromFile(recordFile.GetText(), stringFile.GetText());
    for (int i = 0; i < files.GetCount(); ++i) {
        CImageFile* image = files.FileAt(i);
        if (image->FileName.CompareNoCase(name.GetText()) != 0 ||
            image->FolderPath.CompareNoCase(folder.GetText()) != 0)
            continue;
        LogF("Marking %s with FLAG_EXCLUDE_IMAGE flag", name.GetText());
        image->FileFlags |= FLAG_EXCLUDE_IMAGE;
        StoreSelfToFile(*image, recordFile);
        return;
    }
}
