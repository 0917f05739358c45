// The folder list of the main window and the commands on it.
#include <cstdio>

#include "Fmain.h"
#include "FTree.h"
#include "ManagerEngine.h"
#include "UTxDiskApi.h"
#include "UTxLog.h"
#include "Uprocessenum.h"
#include "Uinstallvalues.h"
#include "Umanaglang.h"

namespace manager {

int FolderIconIndex(const CImageFolder& folder)
{
    if (folder.AutoScan) return folder.IncludeSubfolders ? 4 : 3;
    return folder.IncludeSubfolders ? 2 : 1;
}

bool IsUsableFolderPath(const std::string& path)
{
    // The folder picker hands over the ANSI path, where each character the code page lacks became
    // '?', which no path may hold: such a folder could never be searched.
    if (path.find('?') != std::string::npos) return false;
    // Room for the shortest image path in it ("\\a.jpg") within the system's limit.
    constexpr size_t kShortestImageName = 6;
    return path.size() + kShortestImageName < MAX_PATH;
}

std::string FolderUseText(const CImageFolder& folder)
{
    std::string letters;
    if (folder.UseForWallpaper) letters += 'w';
    if (folder.UseForScreenSaver) letters += 's';
    char text[64];
    std::snprintf(text, sizeof text, "%s  %lu", letters.c_str(),
                  static_cast<unsigned long>(folder.ImageCount));
    return text;
}

CImageFolder* TFormMain::SelectedFolder() const
{
    const int item = ListViewFolders.FirstSelected();
    return item < 0 ? nullptr : static_cast<CImageFolder*>(ListViewFolders.ItemData(item));
}

void TFormMain::SetItemIcon(int item, const CImageFolder& folder)
{
    ListViewFolders.SetItemImage(item, FolderIconIndex(folder));
}

void TFormMain::SetItemUse(int item, const CImageFolder& folder)
{
    ListViewFolders.SetItemText(item, 1, FolderUseText(folder));
}

void TFormMain::FillFolderList()
{
    m_Session.m_dwAllFilesCount = 0;
    const int selected = ListViewFolders.FirstSelected();
    const std::string remembered = selected >= 0 ? ListViewFolders.ItemText(selected) : std::string();
    ++m_iUpdating;
    ListViewFolders.BeginUpdate();
    ListViewFolders.Clear();
    if (m_Session.m_pFolderCollection) {
        for (int i = 0; i < m_Session.m_pFolderCollection->GetCount(); ++i) {
            CImageFolder* folder = m_Session.m_pFolderCollection->FolderAt(i);
            const int item =
                ListViewFolders.AddItem(folder->Path.GetText(), folder, FolderIconIndex(*folder));
            SetItemUse(item, *folder);
            if (!remembered.empty() && folder->Path.CompareNoCase(remembered.c_str()) == 0)
                ListViewFolders.SetSelected(item, true);
            m_Session.m_dwAllFilesCount += folder->ImageCount;
        }
    }
    ListViewFolders.EndUpdate();
    --m_iUpdating;
    UpdateFolderControls();
}

void TFormMain::UpdateFolderControls()
{
    ++m_iUpdating;
    const CImageFolder* folder = SelectedFolder();
    ui::CheckBox* boxes[] = {&CheckBoxIncludeSubfolders, &CheckBoxAutoScan, &CheckBoxUseForWallpaper,
                             &CheckBoxUseForScreenSaver};
    const bool states[] = {folder && folder->IncludeSubfolders, folder && folder->AutoScan,
                           folder && folder->UseForWallpaper, folder && folder->UseForScreenSaver};
    ButtonDeleteFolder.SetEnabled(folder != nullptr);
    for (int i = 0; i < 4; ++i) {
        boxes[i]->SetEnabled(folder != nullptr);
        boxes[i]->SetChecked(states[i]);
    }
    --m_iUpdating;
}

void TFormMain::ListViewFoldersClick()
{
    UpdateFolderControls();
}

void TFormMain::ButtonAddFolderClick()
{
    if (!m_pFormTree || !m_Session.m_pFolderCollection || !m_Session.m_pFileCollection) return;
    m_pFormTree->m_sPath = m_Session.m_sLastDirAddFolders;
    if (m_pFormTree->ShowModal() != ui::kModalOk) return;
    const std::string path = m_pFormTree->m_sPath;
    // An empty path would scan the root of the current drive: it counts as Cancel.
    if (path.empty()) return;
    if (!IsUsableFolderPath(path)) {
        LogF("Folder not added, its name or length cannot be used: %s", path.c_str());
        ui::TheDialogs().messageBox(Handle(), FormatText(glm_FolderCannotBeUsedS, path.c_str()),
                                    Text(glm_CannotAdd), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    auto folder = std::make_unique<CImageFolder>();
    folder->Path.Assign(path.c_str());
    folder->IncludeSubfolders = m_pFormTree->CheckBoxIncludeSubfolders.Checked() ? 1 : 0;
    m_Session.m_sLastDirAddFolders = path;
    CImageFolder* added = folder.get();
    if (!m_Session.m_pFolderCollection->Insert(added)) {
        LogF("Already listed: %s", path.c_str());
        ui::TheDialogs().messageBox(Handle(), Text(glm_FolderAlreadyInList), Text(glm_CannotAdd),
                                    MB_OK | MB_ICONINFORMATION);
        return;
    }
    folder.release();
    m_Session.m_pFolderCollection->Modified = 1;
    {
        ui::WaitCursor wait;
        try {
            added->AddFilesToCollection(*m_Session.m_pFileCollection);
        } catch (const TxException& e) {
            LogF("!Scanning %s failed: %s", path.c_str(), e.Message());
        }
        m_Session.m_pFileCollection->Modified = 1;
    }
    FillFolderList();
    m_Session.m_pFolderCollection->CopyUseAttributes(*m_Session.m_pFileCollection);
    LogF("Added folder %s", path.c_str());
}

void TFormMain::ButtonDeleteFolderClick()
{
    CImageFolder* folder = SelectedFolder();
    if (!folder || !m_Session.m_pFolderCollection) return;
    ui::WaitCursor wait;
    m_Session.m_pFolderCollection->Remove(folder);
    delete folder;
    RecalculateAllFolders();
    FillFolderList();
}

void TFormMain::ButtonRecalculateClick()
{
    if (!m_Session.m_pFolderCollection) return;
    ui::WaitCursor wait;
    try {
        if (m_Session.m_pFolderCollection->CheckForChangesOnDisk(true)) {
            m_Session.m_pFolderCollection->RecalculateAllFolders(*m_Session.m_pFileCollection);
            FillFolderList();
        }
    } catch (const TxException& e) {
        LogF("!Rebuilding the image list failed: %s", e.Message());
    }
}

CImageFolder* TFormMain::FolderToChange(BYTE CImageFolder::*flag, const ui::CheckBox& box)
{
    // The window setting its own boxes, or no folder to change: nothing to do.
    CImageFolder* folder = SelectedFolder();
    if (m_iUpdating > 0 || !folder) return nullptr;
    folder->*flag = box.Checked() ? 1 : 0;
    return folder;
}

void TFormMain::RecalculateAllFolders()
{
    ui::WaitCursor wait;
    try {
        m_Session.m_pFolderCollection->RecalculateAllFolders(*m_Session.m_pFileCollection);
    } catch (const TxException& e) {
        LogF("!Rebuilding the image list failed: %s", e.Message());
    }
}

void TFormMain::CheckBoxIncludeSubfoldersClick()
{
    CImageFolder* folder = FolderToChange(&CImageFolder::IncludeSubfolders, CheckBoxIncludeSubfolders);
    if (!folder) return;
    SetItemIcon(ListViewFolders.FirstSelected(), *folder);
    RecalculateAllFolders();
    FillFolderList();
}

void TFormMain::CheckBoxAutoScanClick()
{
    CImageFolder* folder = FolderToChange(&CImageFolder::AutoScan, CheckBoxAutoScan);
    if (!folder) return;
    SetItemIcon(ListViewFolders.FirstSelected(), *folder);
    m_Session.m_pFolderCollection->Modified = 1;
}

void TFormMain::UseFlagChanged(BYTE CImageFolder::*flag, const ui::CheckBox& box)
{
    CImageFolder* folder = FolderToChange(flag, box);
    if (!folder) return;
    SetItemUse(ListViewFolders.FirstSelected(), *folder);
    {
        ui::WaitCursor wait;
        m_Session.m_pFolderCollection->CopyUseAttributes(*m_Session.m_pFileCollection);
    }
    m_Session.m_pFolderCollection->Modified = 1;
}

void TFormMain::CheckBoxUseForWallpaperClick()
{
    UseFlagChanged(&CImageFolder::UseForWallpaper, CheckBoxUseForWallpaper);
}

void TFormMain::CheckBoxUseForScreenSaverClick()
{
    UseFlagChanged(&CImageFolder::UseForScreenSaver, CheckBoxUseForScreenSaver);
}

void TFormMain::ButtonBrowserClick()
{
    if (m_Session.m_pFileCollection)
        m_Forms.OpenImageBrowser(*m_Session.m_pFileCollection, m_Session.m_RegistryRecord);
    Show();
}

void TFormMain::ButtonChangeWallpaperClick()
{
    ui::WaitCursor wait;
    WriteRegistryRoot(m_Session.m_bConfigured, m_Session.m_dwAllFilesCount);
    const bool saved = m_Session.SaveModifiedLists();
    m_Session.Settings().SaveToRegistry(HKEY_CURRENT_USER, kRegRootPath);
    WriteFilesToRegistry(m_Session.m_RegistryRecord.Files);
    ManagerEngine& engine = TheEngine();
    engine.showProgressWindow();
    engine.setRandomWallpaper();
    engine.hideProgressWindow();
    // The engine marked the image shown and may have rescanned: both lists are read again, unless a
    // failed save means the files do not hold what this window shows.
    if (saved) {
        const FilesSettings& files = m_Session.m_RegistryRecord.Files;
        auto folders = std::make_unique<CFolderCollection>();
        if (folders->LoadFromFile(files.szFolderListFile)) m_Session.m_pFolderCollection = std::move(folders);
        auto images = std::make_unique<CFileCollection>();
        if (images->LoadFromFile(files.szFileListDatFile, files.szFileListStrFile))
            m_Session.m_pFileCollection = std::move(images);
        FillFolderList();
    }
    ReadCurrentImageFromRegistry(m_Session.m_RegistryRecord.CurrentImage);
    LogText("Wallpaper change done");
}

void TFormMain::ButtonSettingsClick()
{
    CheckConflictingWindows();
    if (m_Forms.OpenSettingsDialog()) ReadFromRegistry(&m_Session.m_RegistryRecord);
}

void TFormMain::ButtonHelpClick()
{
    ui::TheDialogs().shellOpen(Handle(), TxProgramFile(kHelpFile));
}

void TFormMain::ButtonExitClick()
{
    Close();
}

void TFormMain::ButtonScreenSaverTestClick()
{
    m_Forms.OpenScreenSaverTest(m_Session.m_RegistryRecord);
}

}  // namespace manager
