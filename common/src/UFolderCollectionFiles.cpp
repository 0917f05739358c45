// The folder list file: loading and saving the folder list.
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "DbDecode.h"
#include "UDatabase.h"
#include "UDatabaseLock.h"
#include "UTxLog.h"

using namespace DbLayout;

namespace {

void AddLoadedFolder(CFolderCollection& folders, const DbDecode::FolderEntry& entry)
{
    auto folder = std::make_unique<CImageFolder>();
    folder->Path.Assign(entry.path.c_str());
    folder->IncludeSubfolders = (entry.flags & kEntryIncludeSubfolders) ? 1 : 0;
    folder->AutoScan = (entry.flags & kEntryAutoScan) ? 1 : 0;
    folder->UseForWallpaper = (entry.flags & kEntryUseForWallpaper) ? 1 : 0;
    folder->UseForScreenSaver = (entry.flags & kEntryUseForScreenSaver) ? 1 : 0;
    folder->ImageCount = entry.imageCount;
    folder->Crc = entry.crc;
    if (folders.Insert(folder.get()))
        folder.release();
    else
        LogF("CFolderCollection::LoadFromFile: the folder %s is listed twice; the first is kept",
             folder->Path.GetText());
}

void LogFolderNote(const DbDecode::FolderItem& item, const char* filePath)
{
    const unsigned long a = item.a;
    const unsigned long b = item.b;
    switch (item.note) {
    case DbDecode::FolderNote::NoValidHeader:
        LogF("File does not contain valid header: %s", filePath);
        break;
    case DbDecode::FolderNote::NewerVersion:
        LogF("File requires newer version of this program: %s", filePath);
        break;
    case DbDecode::FolderNote::CountTooLarge:
        LogF("!CFolderCollection::LoadFromFile: %s has room for %lu entries, its header counts %lu", filePath,
             a, b);
        break;
    case DbDecode::FolderNote::EndsInsideEntry:
        LogF("!CFolderCollection::LoadFromFile: %s ends inside entry %lu", filePath, a);
        break;
    case DbDecode::FolderNote::InvalidEntryId:
        LogText("invalid folder header ID");
        break;
    case DbDecode::FolderNote::BadPathLength:
        LogF("!CFolderCollection::LoadFromFile: entry %lu of %s has a path length of %lu", a, filePath, b);
        break;
    case DbDecode::FolderNote::EmptyPath:
        LogF("!CFolderCollection::LoadFromFile: entry %lu of %s has an empty path", a, filePath);
        break;
    }
}

}  // namespace

bool CFolderCollection::LoadFromFile(const char* path)
{
    CLogScope scope("CFolderCollection::LoadFromFile");
    const char* filePath = path ? path : "";
    try {
        FreeAll();
        // One read of the whole file, under the lock so that no save finds the file open; the entries
        // are taken apart in memory.
        std::vector<BYTE> bytes;
        {
            CDatabaseLock lock("CFolderCollection::LoadFromFile");
            if (!lock.Held()) LogText("CFolderCollection::LoadFromFile: reading without the lock");
            if (!TxFileExists(filePath)) {
                LogF("file does not exist: %s", filePath);
                return false;
            }
            TxFile file(filePath, true, false);
            bytes.resize(file.GetSize());
            if (!bytes.empty()) file.ReadExact(bytes.data(), static_cast<DWORD>(bytes.size()));
        }
        const DbDecode::FolderList list = DbDecode::DecodeFolderList(bytes.data(), bytes.size());
        for (const DbDecode::FolderItem& item : list.items) {
            if (item.isEntry) {
                AddLoadedFolder(*this, item.entry);
            } else {
                LogFolderNote(item, filePath);
            }
        }
        return list.ok;
    } catch (const ExNormal& e) {
        LogF("Exception ExNormal: %s", e.Message());
    } catch (const std::exception& e) {
        LogF("!CFolderCollection::LoadFromFile: %s", e.what());
    }
    return false;
}

bool CFolderCollection::SaveToFile(const char* path)
{
    CLogScope scope("CFolderCollection::SaveToFile");
    const char* filePath = path ? path : "";
    try {
        std::vector<DbDecode::FolderEntry> entries(static_cast<size_t>(GetCount()));
        for (int i = 0; i < GetCount(); ++i) {
            const CImageFolder* folder = FolderAt(i);
            DbDecode::FolderEntry& entry = entries[static_cast<size_t>(i)];
            entry.path = folder->Path.GetText();
            entry.flags = (folder->IncludeSubfolders ? kEntryIncludeSubfolders : 0) |
                          (folder->AutoScan ? kEntryAutoScan : 0) |
                          (folder->UseForWallpaper ? kEntryUseForWallpaper : 0) |
                          (folder->UseForScreenSaver ? kEntryUseForScreenSaver : 0);
            entry.imageCount = folder->ImageCount;
            entry.crc = folder->Crc;
        }
        std::vector<BYTE> bytes;
        size_t refused = 0;
        // What the loader would refuse is not written: the folder would vanish at the next load.
        if (!DbDecode::EncodeFolderList(entries, bytes, refused)) {
            LogF("!CFolderCollection::SaveToFile: the folder path cannot be stored: \"%s\"",
                 FolderAt(static_cast<int>(refused))->Path.GetText());
            return false;
        }
        TxPendingFile pending(filePath);
        pending.File().Write(bytes.data(), static_cast<DWORD>(bytes.size()));
        pending.File().Flush();
        {
            // A load in another program holds the file open only under the lock.
            CDatabaseLock lock("CFolderCollection::SaveToFile");
            if (!lock.Held()) {
                LogF("!CFolderCollection::SaveToFile: %s is not saved: the database is busy", filePath);
                return false;
            }
            if (!pending.Commit()) return false;
        }
        Modified = 0;
        return true;
    } catch (const ExNormal& e) {
        LogF("Exception ExNormal: %s", e.Message());
    } catch (const std::exception& e) {
        LogF("!CFolderCollection::SaveToFile: %s", e.what());
    }
    return false;
}
