// One image's own record and texts in the database files, read and rewritten in place.
#include <algorithm>
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

bool IsRecordPlace(DWORD position, unsigned long long fileSize)
{
    return position >= kHeaderSize && (position - kHeaderSize) % kRecordSize == 0 &&
           static_cast<unsigned long long>(position) + kRecordSize <= fileSize;
}

// Puts the image's five values into `record`, the 80 bytes read at its position, when they are its
// own record.
CImageFile::RecordUpdate PatchOwnRecord(const CImageFile& image, BYTE* record)
{
    if (!IsOwnRecord(image, record)) return CImageFile::RecordUpdate::Refused;
    BYTE updated[kRecordSize];
    std::memcpy(updated, record, kRecordSize);
    Put32(updated + kRecShownCount, image.ShownCount);
    Put32(updated + kRecScreenSaverFlags, image.ScreenSaverFlags);
    Put32(updated + kRecFileFlags, image.FileFlags);
    Put32(updated + kRecReserved, image.Reserved);
    Put32(updated + kRecAverageColor, image.AverageColor);
    if (std::memcmp(updated, record, kRecordSize) == 0) return CImageFile::RecordUpdate::AlreadyCurrent;
    std::memcpy(record, updated, kRecordSize);
    return CImageFile::RecordUpdate::Written;
}

void LogNotOwnRecord(const CImageFile& image, const TxFile& recordFile)
{
    LogF("!CImageFile: the record at %lu of %s is no longer that of %s\\%s; not written",
         static_cast<unsigned long>(image.RecordPosition), recordFile.GetName().GetText(),
         image.FolderPath.GetText(), image.FileName.GetText());
}

// TxFile only logs a write to a file opened read-only; the position tells whether it happened.
bool WroteUpTo(TxFile& recordFile, DWORD end)
{
    if (recordFile.GetPosition() == end) return true;
    LogF("!CImageFile: %s is not open for writing; records are not written", recordFile.GetName().GetText());
    return false;
}

}  // namespace

bool CImageFile::IsOwnRecordIn(TxFile& recordFile) const
{
    if (!IsRecordPlace(RecordPosition, recordFile.GetSize())) return false;
    BYTE record[kRecordSize] = {};
    recordFile.Seek(RecordPosition);
    recordFile.ReadExact(record, kRecordSize);
    return IsOwnRecord(*this, record);
}

CImageFile::RecordUpdate CImageFile::UpdateRecordInPlace(TxFile& recordFile) const
{
    BYTE record[kRecordSize] = {};
    const bool placed = IsRecordPlace(RecordPosition, recordFile.GetSize());
    if (placed) {
        recordFile.Seek(RecordPosition);
        recordFile.ReadExact(record, kRecordSize);
    }
    const RecordUpdate result = placed ? PatchOwnRecord(*this, record) : RecordUpdate::Refused;
    if (result == RecordUpdate::Refused) LogNotOwnRecord(*this, recordFile);
    if (result != RecordUpdate::Written) return result;

    recordFile.Seek(RecordPosition);
    recordFile.Write(record, kRecordSize);
    const bool wrote = WroteUpTo(recordFile, RecordPosition + kRecordSize);
    return wrote ? RecordUpdate::Written : RecordUpdate::Refused;
}

int UpdateRecordsInPlace(const std::vector<const CImageFile*>& images, TxFile& recordFile)
{
    if (images.empty()) return 0;
    std::vector<BYTE> bytes(recordFile.GetSize());
    if (!bytes.empty()) {
        recordFile.Seek(0);
        recordFile.ReadExact(bytes.data(), static_cast<DWORD>(bytes.size()));
    }
    int refused = 0;
    int written = 0;
    size_t first = bytes.size();
    size_t end = 0;
    for (const CImageFile* image : images) {
        const DWORD position = image->RecordPosition;
        const CImageFile::RecordUpdate result = IsRecordPlace(position, bytes.size())
                                                    ? PatchOwnRecord(*image, bytes.data() + position)
                                                    : CImageFile::RecordUpdate::Refused;
        if (result == CImageFile::RecordUpdate::Refused) {
            LogNotOwnRecord(*image, recordFile);
            ++refused;
        } else if (result == CImageFile::RecordUpdate::Written) {
            ++written;
            first = std::min<size_t>(first, position);
            end = std::max<size_t>(end, position + kRecordSize);
        }
    }
    // One write from the first changed record to the last: the records between hold the bytes just
    // read, and no other program writes the file while the caller holds the lock.
    if (written > 0) {
        recordFile.Seek(static_cast<DWORD>(first));
        recordFile.Write(bytes.data() + first, static_cast<DWORD>(end - first));
        if (!WroteUpTo(recordFile, static_cast<DWORD>(end))) refused += written;
    }
    return refused;
}

bool CImageFile::UpdateRecordInFile(const char* recordFilePath) const
{
    try {
        // Under the lock the record file is never one a save of another program is replacing.
        const CDatabaseLock lock("CImageFile::UpdateRecordInFile");
        if (!lock.Held()) return false;
        if (!FinishInterruptedImageListSave(recordFilePath ? recordFilePath : "", "")) return false;
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
