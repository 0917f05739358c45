// One image's own record and texts in the database files, read and rewritten in place.
#include <cstring>
#include <exception>
#include <vector>

#include "DbBytes.h"
#include "UDatabase.h"
#include "UDatabaseLock.h"
#include "UTxLog.h"

using namespace DbLayout;
using DbBytes::Get32;
using DbBytes::Put32;

namespace {

// Whether the record read at the image's position is still the one the image was loaded from or
// saved as: the fields an in-place update never touches must all be the image's own.
bool IsOwnRecord(const CImageFile& image, const BYTE* record)
{
    return Get32(record + kRecId) == kImageRecordId &&
           Get32(record + kRecPathPosition) == image.PathStringPosition &&
           Get32(record + kRecPathLength) == image.PathStringLength &&
           Get32(record + kRecNamePosition) == image.NameStringPosition &&
           Get32(record + kRecNameLength) == image.NameStringLength &&
           Get32(record + kRecLastWriteTime) == image.LastWriteTime.dwLowDateTime &&
           Get32(record + kRecLastWriteTime + 4) == image.LastWriteTime.dwHighDateTime &&
           Get32(record + kRecFileSizeLow) == image.FileSizeLow &&
           Get32(record + kRecFileSizeHigh) == image.FileSizeHigh;
}

// Reads one stored text with the loader's checks; false (logged) when it does not hold.
bool ReadStoredText(TxFile& file, DWORD position, DWORD length, TxString& text)
{
    const char* problem = DbBytes::TextRangeProblem(position, length, file.GetSize());
    if (!problem) {
        // The byte before the text comes along, to see that the text starts where one was written.
        const DWORD start = position > 0 ? position - 1 : 0;
        const DWORD lead = position - start;
        std::vector<BYTE> bytes(static_cast<size_t>(lead) + length, 0);
        file.Seek(start);
        file.ReadExact(bytes.data(), static_cast<DWORD>(bytes.size()));
        problem = DbBytes::TextBytesProblem(bytes.data() + lead, length, lead ? bytes[0] : 0);
        if (!problem) {
            text.Assign(reinterpret_cast<const char*>(bytes.data() + lead));
            return true;
        }
    }
    LogF("!CImageFile: the text at %lu (length %lu) of %s is not usable: %s",
         static_cast<unsigned long>(position), static_cast<unsigned long>(length), file.GetName().GetText(),
         problem);
    return false;
}

}  // namespace

namespace {

// Reads the whole record at the image's position; false when no whole record stands there.
bool ReadOwnPlace(const CImageFile& image, TxFile& recordFile, BYTE (&record)[kRecordSize])
{
    const DWORD position = image.RecordPosition;
    const bool placed = position >= kHeaderSize && (position - kHeaderSize) % kRecordSize == 0 &&
                        static_cast<unsigned long long>(position) + kRecordSize <= recordFile.GetSize();
    if (!placed) return false;
    recordFile.Seek(position);
    recordFile.ReadExact(record, kRecordSize);
    return true;
}

}  // namespace

bool CImageFile::IsOwnRecordIn(TxFile& recordFile) const
{
    BYTE record[kRecordSize] = {};
    return ReadOwnPlace(*this, recordFile, record) && IsOwnRecord(*this, record);
}

CImageFile::RecordUpdate CImageFile::UpdateRecordInPlace(TxFile& recordFile) const
{
    BYTE record[kRecordSize] = {};
    if (!ReadOwnPlace(*this, recordFile, record) || !IsOwnRecord(*this, record)) {
        LogF("!CImageFile: the record at %lu of %s is no longer that of %s\\%s; not written",
             static_cast<unsigned long>(RecordPosition), recordFile.GetName().GetText(), FolderPath.GetText(),
             FileName.GetText());
        return RecordUpdate::Refused;
    }

    BYTE updated[kRecordSize];
    std::memcpy(updated, record, kRecordSize);
    Put32(updated + kRecShownCount, ShownCount);
    Put32(updated + kRecScreenSaverFlags, ScreenSaverFlags);
    Put32(updated + kRecFileFlags, FileFlags);
    Put32(updated + kRecReserved, Reserved);
    Put32(updated + kRecAverageColor, AverageColor);
    if (std::memcmp(updated, record, kRecordSize) == 0) return RecordUpdate::AlreadyCurrent;

    recordFile.Seek(RecordPosition);
    recordFile.Write(updated, kRecordSize);
    // TxFile only logs a write to a file opened read-only; the position tells whether it happened.
    if (recordFile.GetPosition() != RecordPosition + kRecordSize) {
        LogF("!CImageFile: %s is not open for writing; the record of %s\\%s is not written",
             recordFile.GetName().GetText(), FolderPath.GetText(), FileName.GetText());
        return RecordUpdate::Refused;
    }
    return RecordUpdate::Written;
}

bool CImageFile::UpdateRecordInFile(const char* recordFilePath) const
{
    try {
        // Under the lock the record file is never one a save of another program is replacing.
        const CDatabaseLock lock("CImageFile::UpdateRecordInFile");
        if (!lock.Held()) return false;
        TxFile file(recordFilePath ? recordFilePath : "", false, false);
        return UpdateRecordInPlace(file) != RecordUpdate::Refused;
    } catch (const ExNormal& e) {
        LogF("CImageFile::UpdateRecordInFile: Exception ExNormal: %s", e.Message());
    } catch (const std::exception& e) {
        LogF("!CImageFile::UpdateRecordInFile: %s", e.what());
    }
    return false;
}

bool CImageFile::ReadTextsFromStringFile(TxFile& stringFile)
{
    TxString folder;
    TxString name;
    if (!ReadStoredText(stringFile, PathStringPosition, PathStringLength, folder) ||
        !ReadStoredText(stringFile, NameStringPosition, NameStringLength, name))
        return false;
    FolderPath = std::move(folder);
    FileName = std::move(name);
    return true;
}
