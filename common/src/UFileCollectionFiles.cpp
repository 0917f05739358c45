// The image record file and the image string file: loading and saving the image list.
#include <algorithm>
#include <exception>
#include <memory>
#include <vector>

#include "DbDecode.h"
#include "DbPairReplace.h"
#include "DbReplace.h"
#include "UDatabase.h"
#include "UDatabaseLock.h"
#include "UTxLog.h"

using namespace DbLayout;

namespace {

// Reads a whole file with one call; the file is closed again on return.
void ReadWholeFile(const char* path, std::vector<BYTE>& bytes)
{
    TxFile file(path, true, false);
    bytes.resize(file.GetSize());
    if (!bytes.empty()) file.ReadExact(bytes.data(), static_cast<DWORD>(bytes.size()));
}

// Builds the image of one decoded record and inserts it; one the sorted insert refuses is not kept.
void InsertRecord(CFileCollection& files, const DbDecode::ImageRecord& record, DWORD recordIndex)
{
    auto image = std::make_unique<CImageFile>();
    image->RecordPosition = record.recordPosition;
    image->PathStringPosition = record.pathPosition;
    image->PathStringLength = record.pathLength;
    image->NameStringPosition = record.namePosition;
    image->NameStringLength = record.nameLength;
    image->ShownCount = record.shownCount;
    image->ScreenSaverFlags = record.screenSaverFlags;
    image->FileFlags = record.fileFlags;
    image->Reserved = record.reserved;
    image->LastWriteTime.dwLowDateTime = record.lastWriteLow;
    image->LastWriteTime.dwHighDateTime = record.lastWriteHigh;
    image->FileSizeLow = record.fileSizeLow;
    image->FileSizeHigh = record.fileSizeHigh;
    image->AverageColor = record.averageColor;
    if (!record.folderPath.empty()) image->FolderPath.Assign(record.folderPath.c_str());
    if (!record.fileName.empty()) image->FileName.Assign(record.fileName.c_str());
    if (!files.InsertLoadedImage(image.get())) {
        LogF("CFileCollection::LoadFromFile: record %lu repeats %s\\%s and is not kept",
             static_cast<unsigned long>(recordIndex), image->FolderPath.GetText(), image->FileName.GetText());
        return;
    }
    image.release();
}

void LogImageNote(const DbDecode::ImageItem& item, const char* datPath)
{
    const unsigned long a = item.a;
    const unsigned long b = item.b;
    const unsigned long c = item.c;
    switch (item.note) {
    case DbDecode::ImageNote::NoValidHeader:
        LogF("File %s does not contain valid header", datPath);
        break;
    case DbDecode::ImageNote::NewerVersion:
        LogF("File %s requires newer version of this program", datPath);
        break;
    case DbDecode::ImageNote::CountMismatch:
        LogF("!CFileCollection::LoadFromFile: %s holds %lu bytes, its header counts %lu records", datPath, a,
             b);
        break;
    case DbDecode::ImageNote::InvalidRecordId:
        LogText("invalid file header ID");
        break;
    case DbDecode::ImageNote::TextUnusable:
        LogF("!CFileCollection::LoadFromFile: record %lu skipped, its %s (position %lu, length %lu): %s", a,
             item.what, b, c, item.problem);
        break;
    case DbDecode::ImageNote::LengthsUnusable:
        LogF(
            "!CFileCollection::LoadFromFile: record %lu skipped, its text lengths %lu and %lu are not usable",
            a, b, c);
        break;
    }
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

        const DbDecode::ImageList list =
            DbDecode::DecodeImageList(bytes.data(), bytes.size(), withTexts, texts.data(), texts.size());
        SetLimit(static_cast<int>(std::min<DWORD>(list.recordCount, kMaxLimit)));
        for (const DbDecode::ImageItem& item : list.items) {
            if (item.isRecord) {
                InsertRecord(*this, item.record, (item.record.recordPosition - kHeaderSize) / kRecordSize);
            } else {
                LogImageNote(item, datPath);
            }
        }
        return list.ok;
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
        std::vector<DbDecode::ImageRecord> images(static_cast<size_t>(m_iCount));
        for (int i = 0; i < m_iCount; ++i) {
            const CImageFile* image = FileAt(i);
            DbDecode::ImageRecord& record = images[static_cast<size_t>(i)];
            record.folderPath = image->FolderPath.GetText();
            record.fileName = image->FileName.GetText();
            record.shownCount = image->ShownCount;
            record.screenSaverFlags = image->ScreenSaverFlags;
            record.fileFlags = image->FileFlags;
            record.reserved = image->Reserved;
            record.lastWriteLow = image->LastWriteTime.dwLowDateTime;
            record.lastWriteHigh = image->LastWriteTime.dwHighDateTime;
            record.fileSizeLow = image->FileSizeLow;
            record.fileSizeHigh = image->FileSizeHigh;
            record.averageColor = image->AverageColor;
        }
        std::vector<BYTE> records;
        std::vector<BYTE> strings;
        std::vector<DbDecode::Placement> placements;
        size_t refused = 0;
        switch (DbDecode::EncodeImageList(images, records, strings, placements, refused)) {
        case DbDecode::EncodeResult::Written:
            break;
        case DbDecode::EncodeResult::TextNotStorable:
            // What the loader would refuse is not written: it would vanish at the next load.
            LogF("!CFileCollection::SaveToFile: image texts cannot be stored: \"%s\" \"%s\"",
                 images[refused].folderPath.c_str(), images[refused].fileName.c_str());
            return false;
        case DbDecode::EncodeResult::StringsTooLarge:
            LogText("!CFileCollection::SaveToFile: the string file would exceed 4 GiB");
            return false;
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
            const DbDecode::Placement& place = placements[static_cast<size_t>(i)];
            image->RecordPosition = place.recordPosition;
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
