// The folder list file: loading and saving the folder list.
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "DbBytes.h"
#include "UDatabase.h"
#include "UDatabaseLock.h"
#include "UTxLog.h"

using namespace DbLayout;
using DbBytes::Get32;
using DbBytes::Put32;

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
        const DWORD size = static_cast<DWORD>(bytes.size());
        if (size < kHeaderSize) {
            LogF("File does not contain valid header: %s", filePath);
            return false;
        }
        const BYTE* header = bytes.data();
        bool ok = true;
        if (Get32(header) != kFolderListFileId) {
            LogF("File does not contain valid header: %s", filePath);
            ok = false;
        }
        if (Get32(header + 8) > kVersion) {
            LogF("File requires newer version of this program: %s", filePath);
            ok = false;
        }
        if (!ok) return false;

        DWORD count = Get32(header + kHeaderCount);
        const DWORD fitting = (size - kHeaderSize) / kFolderHeadSize;
        if (count > fitting) {
            LogF("!CFolderCollection::LoadFromFile: %s has room for %lu entries, its header counts %lu",
                 filePath, static_cast<unsigned long>(fitting), static_cast<unsigned long>(count));
            count = fitting;
            ok = false;
        }
        DWORD offset = kHeaderSize;
        for (DWORD i = 0; i < count; ++i) {
            if (size - offset < kFolderHeadSize) {
                LogF("!CFolderCollection::LoadFromFile: %s ends inside entry %lu", filePath,
                     static_cast<unsigned long>(i));
                ok = false;
                break;
            }
            const BYTE* head = bytes.data() + offset;
            if (Get32(head + kEntryId) != kFolderEntryId) {
                LogText("invalid folder header ID");
                offset += kFolderHeadSize;
                continue;
            }
            // Past a length that cannot be right nothing can be found again, so the reading ends.
            const DWORD length = Get32(head + kEntryPathLength);
            if (length == 0 || length > kMaxStoredText || length > size - offset - kFolderHeadSize) {
                LogF("!CFolderCollection::LoadFromFile: entry %lu of %s has a path length of %lu",
                     static_cast<unsigned long>(i), filePath, static_cast<unsigned long>(length));
                ok = false;
                break;
            }
            const char* text = reinterpret_cast<const char*>(head + kFolderHeadSize);
            offset += kFolderHeadSize + length;
            // The path ends at its first zero or, without one, at its stored length.
            const size_t textLength = strnlen(text, length);
            if (textLength == 0) {
                LogF("!CFolderCollection::LoadFromFile: entry %lu of %s has an empty path",
                     static_cast<unsigned long>(i), filePath);
                ok = false;
                continue;
            }
            auto folder = std::make_unique<CImageFolder>();
            folder->Path.Assign(std::string(text, textLength).c_str());
            const DWORD flags = Get32(head + kEntryFlags);
            folder->IncludeSubfolders = (flags & kEntryIncludeSubfolders) ? 1 : 0;
            folder->AutoScan = (flags & kEntryAutoScan) ? 1 : 0;
            folder->UseForWallpaper = (flags & kEntryUseForWallpaper) ? 1 : 0;
            folder->UseForScreenSaver = (flags & kEntryUseForScreenSaver) ? 1 : 0;
            folder->ImageCount = Get32(head + kEntryImageCount);
            folder->Crc = Get32(head + kEntryCrc);
            if (Insert(folder.get()))
                folder.release();
            else
                LogF("CFolderCollection::LoadFromFile: the folder %s is listed twice; the first is kept",
                     folder->Path.GetText());
        }
        return ok;
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
        std::vector<BYTE> bytes(kHeaderSize, 0);
        Put32(bytes.data(), kFolderListFileId);
        Put32(bytes.data() + 4, kVersion);
        Put32(bytes.data() + 8, kVersion);
        Put32(bytes.data() + kHeaderCount, static_cast<DWORD>(GetCount()));
        for (int i = 0; i < GetCount(); ++i) {
            const CImageFolder* folder = FolderAt(i);
            const DWORD length = static_cast<DWORD>(folder->Path.GetLength()) + 1;
            // What the loader would refuse is not written: the folder would vanish at the next load.
            if (length < 2 || length > kMaxStoredText) {
                LogF("!CFolderCollection::SaveToFile: the folder path cannot be stored: \"%s\"",
                     folder->Path.GetText());
                return false;
            }
            BYTE head[kFolderHeadSize] = {};
            Put32(head + kEntryId, kFolderEntryId);
            Put32(head + kEntryPathLength, length);
            const DWORD flags = (folder->IncludeSubfolders ? kEntryIncludeSubfolders : 0) |
                                (folder->AutoScan ? kEntryAutoScan : 0) |
                                (folder->UseForWallpaper ? kEntryUseForWallpaper : 0) |
                                (folder->UseForScreenSaver ? kEntryUseForScreenSaver : 0);
            Put32(head + kEntryFlags, flags);
            Put32(head + kEntryImageCount, folder->ImageCount);
            Put32(head + kEntryCrc, folder->Crc);
            bytes.insert(bytes.end(), head, head + kFolderHeadSize);
            const char* text = folder->Path.GetText();
            bytes.insert(bytes.end(), text, text + length);
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
