// CheckForAndWriteChangesOnDisk: the image database brought up to date with the folders on disk.
#include "UDatabase.h"
#include "URecordText.h"
#include "UTxLog.h"
#include "Uoperations.h"
#include "Usync.h"
#include "Wcommon.h"

namespace {

// The file list as the rescan starts from it. False when it exists but could not be loaded whole:
// then nothing may be saved over it.
bool LoadFileListForRescan(CFileCollection& files, const TxString& recordFile, const TxString& stringFile)
{
    if (!TxFileExists(recordFile) || !TxFileExists(stringFile)) {
        // Half a file list cannot be matched to the images on disk; both are written anew.
        LogF("File list incomplete, it is rebuilt from the folders: %s, %s", recordFile.GetText(),
             stringFile.GetText());
        return true;
    }
    if (files.LoadFromFile(recordFile.GetText(), stringFile.GetText())) return true;
    LogF("!The file list exists but could not be loaded; it is not rescanned: %s, %s", recordFile.GetText(),
         stringFile.GetText());
    return false;
}

}  // namespace

void CheckForAndWriteChangesOnDisk()
{
    CLogScope scope("CheckForAndWriteChangesOnDisk");
    FilesSettings paths{};
    ReadFilesFromRegistry(paths);
    const TxString folderList = RecordText(paths.szFolderListFile).c_str();
    const TxString recordFile = RecordText(paths.szFileListDatFile).c_str();
    const TxString stringFile = RecordText(paths.szFileListStrFile).c_str();

    if (!TxFileExists(folderList)) {
        LogF("No folder list, nothing to check: %s", folderList.GetText());
        return;
    }
    CFolderCollection folders;
    if (!folders.LoadFromFile(folderList.GetText())) {
        LogF("!The folder list exists but could not be loaded; no folder is rescanned: %s",
             folderList.GetText());
        return;
    }
    if (g_Synchronization.IsCancelled()) return;

    // A rescan that throws (a heap too small for the new list) leaves the files as they were and
    // the exception to the export: the change fails rather than go on from a list known to be
    // stale, and its caller's retry comes.
    const bool fileListMissing = !TxFileExists(recordFile) || !TxFileExists(stringFile);
    if (!fileListMissing && !folders.CheckForChangesOnDisk(false)) return;
    if (g_Synchronization.IsCancelled()) return;

    CFileCollection files;
    if (!LoadFileListForRescan(files, recordFile, stringFile)) return;
    folders.RecalculateAllFolders(files);
    // The folder list records what was scanned: it is saved only with the file list it matches,
    // or the next check would see no change and the file list would stay behind.
    if (!files.SaveToFile(recordFile.GetText(), stringFile.GetText())) {
        LogText("!The file list could not be saved; the folder list is left as it was");
        return;
    }
    folders.SaveToFile(folderList.GetText());
}
