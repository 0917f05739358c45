#include "DemoFirstRun.h"

#include "UDatabase.h"
#include "UTxBase.h"
#include "UTxDiskApi.h"
#include "UTxUtils.h"
#include "Wcommon.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The data folder the Manager chooses: "Kestrova" in the user's application-data folder.
bool SetDataFilePaths(FilesSettings& files)
{
    char appData[MAX_PATH] = {};
    if (::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData) != S_OK)
        return false;
    const std::string folder = std::string(appData) + "\\Kestrova";
    if (!TxDirectoryExists(folder.c_str()) && !TxCreateDirectoryTree(folder.c_str())) return false;
    auto set = [&folder](char* field, const char* name) {
        std::snprintf(field, kPathSize, "%s%s", folder.c_str(), name);
    };
    set(files.szWorkBmpFile, "\\Kestrova_wallpaper.bmp");
    set(files.szFolderListFile, "\\FolderList.dat");
    set(files.szFileListDatFile, "\\FileListDat.dat");
    set(files.szFileListStrFile, "\\FileListStr.dat");
    return true;
}

// The engine adjusts the right margin for the calendar, as it does for the Manager's first run.
void RecalcRightMarginForCalendar(RegistryRecord& record, const std::string& engineFolder)
{
    if (engineFolder.empty()) return;
    const std::string path = engineFolder + "\\KvApi.dll";
    Library engine(::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!engine) return;
    using Recalc = void(WINAPI*)(RegistryRecord*);
    const auto recalc = reinterpret_cast<Recalc>(
        reinterpret_cast<void*>(::GetProcAddress(engine.get(), "WpApi_RecalcRightMarginForCalendar")));
    if (recalc) recalc(&record);
}

}  // namespace

std::string InstalledPrgDir()
{
    char folder[MAX_PATH] = {};
    DWORD size = sizeof(folder) - 1;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, KV_REG_ROOT "\\Setup", "InstalledPrgDir", RRF_RT_REG_SZ, nullptr,
                       folder, &size) != ERROR_SUCCESS)
        return std::string();
    return folder;
}

bool WriteFirstRun(const char* imageFolder, const std::string& engineFolder, DWORD& imageCount,
                   std::string& error)
{
    TxLibInitialize();
    if (!TxDirectoryExists(imageFolder)) {
        error = std::string(imageFolder) + " is no folder";
        return false;
    }
    RegistryRecord record;
    std::memset(&record, 0, sizeof(record));
    SetRegistryDefaults(nullptr, &record, true, true);
    RecalcRightMarginForCalendar(record, engineFolder);
    if (!SetDataFilePaths(record.Files)) {
        error = "cannot create the data folder";
        return false;
    }

    CFolderCollection folders;
    CFileCollection files;
    auto folder = std::make_unique<CImageFolder>();
    folder->Path = imageFolder;
    folder->IncludeSubfolders = 1;
    if (folders.Insert(folder.get())) folder.release();
    folders.Modified = 1;
    try {
        folders.RecalculateAllFolders(files);
    } catch (const TxException& e) {
        error = std::string("scanning ") + imageFolder + " failed: " + e.Message();
        return false;
    }
    if (!folders.SaveToFile(record.Files.szFolderListFile) ||
        !files.SaveToFile(record.Files.szFileListDatFile, record.Files.szFileListStrFile)) {
        error = "cannot write the database";
        return false;
    }
    imageCount = static_cast<DWORD>(files.GetCount());
    if (!WriteToRegistry(&record) || !WriteRegistryRoot(true, imageCount)) {
        error = "cannot write the settings";
        return false;
    }
    return true;
}
