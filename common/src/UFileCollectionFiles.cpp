// The image record file and the image string file: loading and saving the image list.
#include <algorithm>
#include <exception>
#include <memory>
#include <vector>

#include "DbBytes.h"
#include "DbPairReplace.h"
#include "DbReplace.h"
#include "UDatabase.h"
#include "UDatabaseLock.h"
#include "UTxLog.h"

using namespace DbLayout;
using DbBytes::Get32;
using DbBytes::Put32;

namespace {

// Reads a whole file with one call; the file is closed again on return.
void ReadWholeFile(const char* path, std::vector<BYTE>& bytes)
{
    TxFile file(path, true, false);
    bytes.resize(file.GetSize());
    if (!bytes.empty()) file.ReadExact(bytes.data(), static_cast<DWORD>(bytes.size()));
}

enum class RecordResult { Loaded, SkippedByRule, Damaged };

// Checks one stored text in the whole string file and assigns it; logs why it cannot be used.
bool TakeStoredText(const std::vector<BYTE>& strings, DWORD position, DWORD length, TxString& text,
                    DWORD recordIndex, const char* what)
{
    const DWORD size = static_cast<DWORD>(strings.size());
    const char* problem = DbBytes::TextRangeProblem(position, length, size);
    if (!problem) {
        const BYTE before = position > 0 ? strings[position - 1] : 0;
        problem = DbBytes::TextBytesProblem(strings.data() + position, length, before);
    }
    if (problem) {
        LogF("!CFileCollection::LoadFromFile: record %lu skipped, its %s (position %lu, length %lu): %s",
             static_cast<unsigned long>(recordIndex), what, static_cast<unsigned long>(position),
             static_cast<unsigned long>(length), problem);
        return false;
    }
    text.Assign(reinterpret_cast<const char*>(strings.data() + position));
    return true;
}

// Builds the image of one 80-byte record; `strings` is null when the list is loaded without texts.
RecordResult LoadRecord(CFileCollection& files, const BYTE* record, DWORD recordIndex,
                        const std::vector<BYTE>* strings)
{
    if (Get32(record + kRecId) != kImageRecordId) {
        LogText("invalid file header ID");
        return RecordResult::SkippedByRule;
    }
    auto image = std::make_unique<CImageFile>();
    image->RecordPosition = kHeaderSize + recordIndex * kRecordSize;
    image->PathStringPosition = Get32(record + kRecPathPosition);
    image->PathStringLength = Get32(record + kRecPathLength);
    image->NameStringPosition = Get32(record + kRecNamePosition);
    image->NameStringLength = Get32(record + kRecNameLength);
    image->ShownCount = Get32(record + kRecShownCount);
    image->ScreenSaverFlags = Get32(record + kRecScreenSaverFlags);
    image->FileFlags = Get32(record + kRecFileFlags);
    image->Reserved = Get32(record + kRecReserved);
    image->LastWriteTime.dwLowDateTime = Get32(record + kRecLastWriteTime);
    image->LastWriteTime.dwHighDateTime = Get32(record + kRecLastWriteTime + 4);
    image->FileSizeLow = Get32(record + kRecFileSizeLow);
    image->FileSizeHigh = Get32(record + kRecFileSizeHigh);
    image->AverageColor = Get32(record + kRecAverageColor);

    if (strings) {
        if (!TakeStoredText(*strings, image->PathStringPosition, image->PathStringLength, image->FolderPath,
                            recordIndex, "folder path") ||
            !TakeStoredText(*strings, image->NameStringPosition, image->NameStringLength, image->FileName,
                            recordIndex, "file name"))
            return RecordResult::Damaged;
    } else {
        // The texts are fetched later from these positions, so their lengths must be usable.
        const DWORD path = image->PathStringLength;
        const DWORD name = image->NameStringLength;
        if (path < 2 || path > kMaxStoredText || name < 2 || name > kMaxStoredText) {
            LogF("!CFileCollection::LoadFromFile: record %lu skipped, its text lengths %lu and %lu are not "
                 "usable",
                 static_cast<unsigned long>(recordIndex), static_cast<unsigned long>(path),
                 static_cast<unsigned long>(name));
            return RecordResult::Damaged;
        }
    }
    if (!files.InsertLoadedImage(image.get())) {
        LogF("CFileCollection::LoadFromFile: record %lu repeats %s\\%s and is not kept",
             static_cast<unsigned long>(recordIndex), image->FolderPath.GetText(), image->FileName.GetText());
        return RecordResult::SkippedByRule;
    }
    image.release();
    return RecordResult::Loaded;
}

}  // namespace

bool CFileCollection::LoadFromFile(const char* recordFilePath, const char* stringFilePath)
{
    CLogScope scope("CFileCollection::LoadFromFile");
    const char* datPath = recordFilePath ? recordFilePath : "";
    const char* strPath = stringFilePath ? stringFilePath : "";
    const bool withTexts = strPath[0] != '\0';
    try {
        FreeAll();
        std::vector<BYTE> bytes;
        std::vector<BYTE> texts;
        {
            // Both files are read whole, and closed again, under the lock: they are then one save's
            // pair, and no other program's replace finds them open.
            CDatabaseLock lock("CFileCollection::LoadFromFile");
            if (!lock.Held())
                LogText("CFileCollection::LoadFromFile: reading without the lock; records that do not "
                        "match the string file are refused");
            if (lock.Held()) {
                // A save that ended between its two replacements is finished before the pair is read.
                if (!FinishInterruptedImageListSave(datPath, strPath)) {
                    LogF("!CFileCollection::LoadFromFile: %s and %s are not read: a save of them is "
                         "unfinished",
                         datPath, strPath);
                    return false;
                }
            } else if (DbPairReplacementPending(datPath)) {
                LogF(
                    "!CFileCollection::LoadFromFile: %s and %s are not read without the lock while a save of "
                    "them is unfinished",
                    datPath, strPath);
                return false;
            }
            if (!TxFileExists(datPath) || (withTexts && !TxFileExists(strPath))) {
                LogF("File(s) do not exist: %s, %s", datPath, strPath);
                return false;
            }
            ReadWholeFile(datPath, bytes);
            if (withTexts) ReadWholeFile(strPath, texts);
        }

        const DWORD size = static_cast<DWORD>(bytes.size());
        if (size < kHeaderSize) {
            LogF("File %s does not contain valid header", datPath);
            return false;
        }
        const BYTE* header = bytes.data();
        if (Get32(header) != kRecordFileId) {
            LogF("File %s does not contain valid header", datPath);
            return false;
        }
        if (Get32(header + 8) > kVersion) {
            LogF("File %s requires newer version of this program", datPath);
            return false;
        }

        // A saved file holds exactly the records its header counts. A damaged count must neither
        // loop for ever nor read past the end; one too small (0 with records following) would hand
        // the next rescan a short list to save over the user's counters and exclusions.
        bool ok = true;
        DWORD count = Get32(header + kHeaderCount);
        const DWORD complete = (size - kHeaderSize) / kRecordSize;
        if (kHeaderSize + static_cast<unsigned long long>(count) * kRecordSize != size) {
            LogF("!CFileCollection::LoadFromFile: %s holds %lu bytes, its header counts %lu records", datPath,
                 static_cast<unsigned long>(size), static_cast<unsigned long>(count));
            count = std::min(count, complete);
            ok = false;
        }
        const BYTE* body = bytes.data() + kHeaderSize;

        SetLimit(static_cast<int>(std::min<DWORD>(count, kMaxLimit)));
        for (DWORD i = 0; i < count; ++i) {
            const RecordResult result = LoadRecord(*this, body + static_cast<size_t>(i) * kRecordSize, i,
                                                   withTexts ? &texts : nullptr);
            if (result == RecordResult::Damaged) ok = false;
        }
        return ok;
    } catch (const ExNormal& e) {
        LogF("Exception ExNormal: %s", e.Message());
    } catch (const std::exception& e) {
        LogF("!CFileCollection::LoadFromFile: %s", e.what());
    }
    return false;
}

bool CFileCollection::SaveToFile(const char* recordFilePath, const char* stringFilePath)
{
    CLogScope scope("CFileCollection::SaveToFile");
    const char* datPath = recordFilePath ? recordFilePath : "";
    const char* strPath = stringFilePath ? stringFilePath : "";
    try {
        if (!datPath[0] || !strPath[0]) {
            LogF("!CFileCollection::SaveToFile: a file path is missing: %s, %s", datPath, strPath);
            return false;
        }
        // Both files are built whole in memory; the images learn their new positions only once
        // both are in place.
        struct Placement {
            DWORD pathPosition, pathLength, namePosition, nameLength;
        };
        std::vector<Placement> placements(static_cast<size_t>(m_iCount));
        std::vector<BYTE> records(kHeaderSize + static_cast<size_t>(m_iCount) * kRecordSize, 0);
        std::vector<BYTE> strings;
        Put32(records.data(), kRecordFileId);
        Put32(records.data() + 4, kVersion);
        Put32(records.data() + 8, kVersion);
        Put32(records.data() + kHeaderCount, static_cast<DWORD>(m_iCount));

        for (int i = 0; i < m_iCount; ++i) {
            const CImageFile* image = FileAt(i);
            const DWORD pathLength = static_cast<DWORD>(image->FolderPath.GetLength()) + 1;
            const DWORD nameLength = static_cast<DWORD>(image->FileName.GetLength()) + 1;
            // What the loader would refuse is not written: it would vanish at the next load.
            if (pathLength < 2 || nameLength < 2 || pathLength > kMaxStoredText ||
                nameLength > kMaxStoredText) {
                LogF("!CFileCollection::SaveToFile: image texts cannot be stored: \"%s\" \"%s\"",
                     image->FolderPath.GetText(), image->FileName.GetText());
                return false;
            }
            if (static_cast<unsigned long long>(strings.size()) + pathLength + nameLength > 0xFFFFFFFFull) {
                LogText("!CFileCollection::SaveToFile: the string file would exceed 4 GiB");
                return false;
            }
            Placement& place = placements[static_cast<size_t>(i)];
            place.pathPosition = static_cast<DWORD>(strings.size());
            place.pathLength = pathLength;
            const char* path = image->FolderPath.GetText();
            strings.insert(strings.end(), path, path + pathLength);
            place.namePosition = static_cast<DWORD>(strings.size());
            place.nameLength = nameLength;
            const char* name = image->FileName.GetText();
            strings.insert(strings.end(), name, name + nameLength);

            BYTE* record = records.data() + kHeaderSize + static_cast<size_t>(i) * kRecordSize;
            Put32(record + kRecId, kImageRecordId);
            Put32(record + kRecPathPosition, place.pathPosition);
            Put32(record + kRecPathLength, place.pathLength);
            Put32(record + kRecNamePosition, place.namePosition);
            Put32(record + kRecNameLength, place.nameLength);
            Put32(record + kRecShownCount, image->ShownCount);
            Put32(record + kRecScreenSaverFlags, image->ScreenSaverFlags);
            Put32(record + kRecFileFlags, image->FileFlags);
            Put32(record + kRecReserved, image->Reserved);
            Put32(record + kRecLastWriteTime, image->LastWriteTime.dwLowDateTime);
            Put32(record + kRecLastWriteTime + 4, image->LastWriteTime.dwHighDateTime);
            Put32(record + kRecFileSizeLow, image->FileSizeLow);
            Put32(record + kRecFileSizeHigh, image->FileSizeHigh);
            Put32(record + kRecAverageColor, image->AverageColor);
        }

        // Both new files are complete on disk before either old one is replaced. They are flushed
        // before the lock, so that the lock covers only the replacement.
        TxPendingFile pendingStrings(strPath);
        if (!strings.empty()) pendingStrings.File().Write(strings.data(), static_cast<DWORD>(strings.size()));
        if (!pendingStrings.Close()) return false;
        ReachDbPairStep(DbPairStep::StringsWritten);
        TxPendingFile pendingRecords(datPath);
        pendingRecords.File().Write(records.data(), static_cast<DWORD>(records.size()));
        if (!pendingRecords.Close()) return false;
        ReachDbPairStep(DbPairStep::RecordsWritten);
        {
            // Under the lock no other program saves or loads meanwhile, nor opens either file
            // between the probe and the moves.
            CDatabaseLock lock("CFileCollection::SaveToFile");
            if (!lock.Held()) {
                LogF("!CFileCollection::SaveToFile: %s and %s are not saved: the database is busy", datPath,
                     strPath);
                return false;
            }
            // A replacement an ended save left half done is finished first: its journal would
            // otherwise be taken for this one's.
            if (!FinishInterruptedImageListSave(datPath, strPath)) return false;
            if (!DbTargetIsReplaceable(strPath) || !DbTargetIsReplaceable(datPath)) return false;
            if (!DbReplacePair(pendingStrings, strPath, pendingRecords, datPath)) return false;
        }

        for (int i = 0; i < m_iCount; ++i) {
            CImageFile* image = FileAt(i);
            const Placement& place = placements[static_cast<size_t>(i)];
            image->RecordPosition = kHeaderSize + static_cast<DWORD>(i) * kRecordSize;
            image->PathStringPosition = place.pathPosition;
            image->PathStringLength = place.pathLength;
            image->NameStringPosition = place.namePosition;
            image->NameStringLength = place.nameLength;
        }
        Modified = 0;
        return true;
    } catch (const ExNormal& e) {
        LogF("Exception ExNormal: %s", e.Message());
    } catch (const std::exception& e) {
        LogF("!CFileCollection::SaveToFile: %s", e.what());
    }
    return false;
}
