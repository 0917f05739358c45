// Decoding and encoding the database files' bytes. Every count, length and position comes from
// the file, so each is checked against the bytes before it is used.
#include "DbDecode.h"

#include <algorithm>
#include <cstring>

#include "DbBytes.h"
#include "DbFormat.h"

using namespace DbLayout;
using DbBytes::Get32;
using DbBytes::Put32;

namespace DbDecode {

namespace {

constexpr std::uint32_t kEntryFlagBits =
    kEntryIncludeSubfolders | kEntryAutoScan | kEntryUseForWallpaper | kEntryUseForScreenSaver;

FolderItem FolderNoteItem(FolderNote note, std::uint32_t a = 0, std::uint32_t b = 0)
{
    FolderItem item;
    item.note = note;
    item.a = a;
    item.b = b;
    return item;
}

ImageItem ImageNoteItem(ImageNote note, std::uint32_t a = 0, std::uint32_t b = 0, std::uint32_t c = 0)
{
    ImageItem item;
    item.note = note;
    item.a = a;
    item.b = b;
    item.c = c;
    return item;
}

void PutHeader(std::uint8_t* header, std::uint32_t fileId, std::uint32_t count)
{
    Put32(header, fileId);
    Put32(header + 4, kVersion);
    Put32(header + 8, kVersion);
    Put32(header + kHeaderCount, count);
}

// Checks one stored text against the whole string file; `problem` says why it cannot be used.
bool TakeStoredText(const std::uint8_t* strings, std::size_t size, std::uint32_t position,
                    std::uint32_t length, std::string& text, const char*& problem)
{
    problem = DbBytes::TextRangeProblem(position, length, size);
    if (!problem) {
        const std::uint8_t before = position > 0 ? strings[position - 1] : 0;
        problem = DbBytes::TextBytesProblem(strings + position, length, before);
    }
    if (problem) return false;
    text.assign(reinterpret_cast<const char*>(strings + position), length - 1);
    return true;
}

// The image of one 80-byte record, or the note on why it is not one.
ImageItem DecodeRecord(const std::uint8_t* record, std::uint32_t index, bool withTexts,
                       const std::uint8_t* strings, std::size_t stringsSize)
{
    if (Get32(record + kRecId) != kImageRecordId) return ImageNoteItem(ImageNote::InvalidRecordId);
    ImageItem item;
    item.isRecord = true;
    ImageRecord& image = item.record;
    image.recordPosition = kHeaderSize + index * kRecordSize;
    image.pathPosition = Get32(record + kRecPathPosition);
    image.pathLength = Get32(record + kRecPathLength);
    image.namePosition = Get32(record + kRecNamePosition);
    image.nameLength = Get32(record + kRecNameLength);
    image.shownCount = Get32(record + kRecShownCount);
    image.screenSaverFlags = Get32(record + kRecScreenSaverFlags);
    image.fileFlags = Get32(record + kRecFileFlags);
    image.reserved = Get32(record + kRecReserved);
    image.lastWriteLow = Get32(record + kRecLastWriteTime);
    image.lastWriteHigh = Get32(record + kRecLastWriteTime + 4);
    image.fileSizeLow = Get32(record + kRecFileSizeLow);
    image.fileSizeHigh = Get32(record + kRecFileSizeHigh);
    image.averageColor = Get32(record + kRecAverageColor);

    if (withTexts) {
        // The note on a text the string file cannot give, or nothing when it gave it.
        ImageItem note;
        const auto take = [&](std::uint32_t position, std::uint32_t length, auto& text, const char* what) {
            const char* problem = nullptr;
            if (TakeStoredText(strings, stringsSize, position, length, text, problem)) return true;
            note = ImageNoteItem(ImageNote::TextUnusable, index, position, length);
            note.what = what;
            note.problem = problem;
            return false;
        };
        if (!take(image.pathPosition, image.pathLength, image.folderPath, "folder path")) return note;
        if (!take(image.namePosition, image.nameLength, image.fileName, "file name")) return note;
    } else {
        // The texts are fetched later from these positions, so their lengths must be usable.
        const std::uint32_t path = image.pathLength;
        const std::uint32_t name = image.nameLength;
        if (path < 2 || path > kMaxStoredText || name < 2 || name > kMaxStoredText)
            return ImageNoteItem(ImageNote::LengthsUnusable, index, path, name);
    }
    return item;
}

}  // namespace

FolderList DecodeFolderList(const std::uint8_t* bytes, std::size_t fileSize)
{
    FolderList list;
    if (fileSize < kHeaderSize) {
        list.items.push_back(FolderNoteItem(FolderNote::NoValidHeader));
        list.ok = false;
        return list;
    }
    // Sizes are 32-bit in the file layer; a larger buffer is read as its first 4 GiB.
    const std::uint32_t size = static_cast<std::uint32_t>(std::min<std::size_t>(fileSize, 0xFFFFFFFFu));
    if (Get32(bytes) != kFolderListFileId) {
        list.items.push_back(FolderNoteItem(FolderNote::NoValidHeader));
        list.ok = false;
    }
    if (Get32(bytes + 8) > kVersion) {
        list.items.push_back(FolderNoteItem(FolderNote::NewerVersion));
        list.ok = false;
    }
    if (!list.ok) return list;

    std::uint32_t count = Get32(bytes + kHeaderCount);
    const std::uint32_t fitting = (size - kHeaderSize) / kFolderHeadSize;
    if (count > fitting) {
        list.items.push_back(FolderNoteItem(FolderNote::CountTooLarge, fitting, count));
        count = fitting;
        list.ok = false;
    }
    std::uint32_t offset = kHeaderSize;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (size - offset < kFolderHeadSize) {
            list.items.push_back(FolderNoteItem(FolderNote::EndsInsideEntry, i));
            list.ok = false;
            break;
        }
        const std::uint8_t* head = bytes + offset;
        if (Get32(head + kEntryId) != kFolderEntryId) {
            list.items.push_back(FolderNoteItem(FolderNote::InvalidEntryId));
            offset += kFolderHeadSize;
            continue;
        }
        // Past a length that cannot be right nothing can be found again, so the reading ends.
        const std::uint32_t length = Get32(head + kEntryPathLength);
        if (length == 0 || length > kMaxStoredText || length > size - offset - kFolderHeadSize) {
            list.items.push_back(FolderNoteItem(FolderNote::BadPathLength, i, length));
            list.ok = false;
            break;
        }
        const char* text = reinterpret_cast<const char*>(head + kFolderHeadSize);
        offset += kFolderHeadSize + length;
        // The path ends at its first zero or, without one, at its stored length.
        const std::size_t textLength = strnlen(text, length);
        if (textLength == 0) {
            list.items.push_back(FolderNoteItem(FolderNote::EmptyPath, i));
            list.ok = false;
            continue;
        }
        // Every writer stores a path with its zero in kMaxStoredText bytes: one that fills them
        // without it is damage, and a list holding it could never be saved again.
        if (textLength >= kMaxStoredText) {
            list.items.push_back(FolderNoteItem(FolderNote::BadPathLength, i, length));
            list.ok = false;
            continue;
        }
        FolderItem item;
        item.isEntry = true;
        item.entry.path.assign(text, textLength);
        item.entry.flags = Get32(head + kEntryFlags) & kEntryFlagBits;
        item.entry.imageCount = Get32(head + kEntryImageCount);
        item.entry.crc = Get32(head + kEntryCrc);
        list.items.push_back(std::move(item));
    }
    return list;
}

bool EncodeFolderList(const std::vector<FolderEntry>& entries, std::vector<std::uint8_t>& bytes,
                      std::size_t& refused)
{
    bytes.assign(kHeaderSize, 0);
    PutHeader(bytes.data(), kFolderListFileId, static_cast<std::uint32_t>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const FolderEntry& entry = entries[i];
        // What the decoding would refuse is not written: the folder would vanish at the next load.
        const std::size_t length = entry.path.size() + 1;
        if (length < 2 || length > kMaxStoredText || entry.path.find('\0') != std::string::npos) {
            refused = i;
            return false;
        }
        std::uint8_t head[kFolderHeadSize] = {};
        Put32(head + kEntryId, kFolderEntryId);
        Put32(head + kEntryPathLength, static_cast<std::uint32_t>(length));
        Put32(head + kEntryFlags, entry.flags & kEntryFlagBits);
        Put32(head + kEntryImageCount, entry.imageCount);
        Put32(head + kEntryCrc, entry.crc);
        bytes.insert(bytes.end(), head, head + kFolderHeadSize);
        const char* text = entry.path.c_str();
        bytes.insert(bytes.end(), text, text + length);
    }
    return true;
}

ImageList DecodeImageList(const std::uint8_t* records, std::size_t recordsSize, bool withTexts,
                          const std::uint8_t* strings, std::size_t stringsSize)
{
    ImageList list;
    if (recordsSize < kHeaderSize || Get32(records) != kRecordFileId) {
        list.items.push_back(ImageNoteItem(ImageNote::NoValidHeader));
        list.ok = false;
        return list;
    }
    if (Get32(records + 8) > kVersion) {
        list.items.push_back(ImageNoteItem(ImageNote::NewerVersion));
        list.ok = false;
        return list;
    }
    const std::uint32_t size = static_cast<std::uint32_t>(std::min<std::size_t>(recordsSize, 0xFFFFFFFFu));

    // A saved file holds exactly the records its header counts. A damaged count must neither
    // loop for ever nor read past the end; one too small (0 with records following) would hand
    // the next rescan a short list to save over the user's counters and exclusions.
    std::uint32_t count = Get32(records + kHeaderCount);
    const std::uint32_t complete = (size - kHeaderSize) / kRecordSize;
    if (kHeaderSize + static_cast<unsigned long long>(count) * kRecordSize != size) {
        list.items.push_back(ImageNoteItem(ImageNote::CountMismatch, size, count));
        count = std::min(count, complete);
        list.ok = false;
    }
    list.recordCount = count;
    const std::uint8_t* body = records + kHeaderSize;
    for (std::uint32_t i = 0; i < count; ++i) {
        list.items.push_back(DecodeRecord(body + static_cast<std::size_t>(i) * kRecordSize, i, withTexts,
                                          strings, stringsSize));
        const ImageItem& item = list.items.back();
        if (!item.isRecord && item.note != ImageNote::InvalidRecordId) list.ok = false;
    }
    return list;
}

EncodeResult EncodeImageList(const std::vector<ImageRecord>& images, std::vector<std::uint8_t>& records,
                             std::vector<std::uint8_t>& strings, std::vector<Placement>& placed,
                             std::size_t& refused)
{
    records.assign(kHeaderSize + images.size() * kRecordSize, 0);
    strings.clear();
    placed.assign(images.size(), Placement{});
    PutHeader(records.data(), kRecordFileId, static_cast<std::uint32_t>(images.size()));

    for (std::size_t i = 0; i < images.size(); ++i) {
        const ImageRecord& image = images[i];
        const std::size_t pathLength = image.folderPath.size() + 1;
        const std::size_t nameLength = image.fileName.size() + 1;
        // What the decoding would refuse is not written: it would vanish at the next load.
        if (pathLength < 2 || nameLength < 2 || pathLength > kMaxStoredText || nameLength > kMaxStoredText ||
            image.folderPath.find('\0') != std::string::npos ||
            image.fileName.find('\0') != std::string::npos) {
            refused = i;
            return EncodeResult::TextNotStorable;
        }
        if (static_cast<unsigned long long>(strings.size()) + pathLength + nameLength > 0xFFFFFFFFull) {
            refused = i;
            return EncodeResult::StringsTooLarge;
        }
        Placement& place = placed[i];
        place.recordPosition = kHeaderSize + static_cast<std::uint32_t>(i) * kRecordSize;
        place.pathPosition = static_cast<std::uint32_t>(strings.size());
        place.pathLength = static_cast<std::uint32_t>(pathLength);
        const char* path = image.folderPath.c_str();
        strings.insert(strings.end(), path, path + pathLength);
        place.namePosition = static_cast<std::uint32_t>(strings.size());
        place.nameLength = static_cast<std::uint32_t>(nameLength);
        const char* name = image.fileName.c_str();
        strings.insert(strings.end(), name, name + nameLength);

        std::uint8_t* record = records.data() + place.recordPosition;
        Put32(record + kRecId, kImageRecordId);
        Put32(record + kRecPathPosition, place.pathPosition);
        Put32(record + kRecPathLength, place.pathLength);
        Put32(record + kRecNamePosition, place.namePosition);
        Put32(record + kRecNameLength, place.nameLength);
        Put32(record + kRecShownCount, image.shownCount);
        Put32(record + kRecScreenSaverFlags, image.screenSaverFlags);
        Put32(record + kRecFileFlags, image.fileFlags);
        Put32(record + kRecReserved, image.reserved);
        Put32(record + kRecLastWriteTime, image.lastWriteLow);
        Put32(record + kRecLastWriteTime + 4, image.lastWriteHigh);
        Put32(record + kRecFileSizeLow, image.fileSizeLow);
        Put32(record + kRecFileSizeHigh, image.fileSizeHigh);
        Put32(record + kRecAverageColor, image.averageColor);
    }
    return EncodeResult::Written;
}

}  // namespace DbDecode
