// The folder list file and the image record and string files taken apart and put together as
// bytes: no file, registry, window or log is touched, so the loaders and savers read and write the
// files around these, and the decoding builds on any platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace DbDecode {

// One folder entry as the folder list file holds it.
struct FolderEntry {
    std::string path;         // up to its first zero
    std::uint32_t flags = 0;  // the four entry flag bits of DbLayout, other bits dropped
    std::uint32_t imageCount = 0;
    std::uint32_t crc = 0;
};

// What the folder list decoding met, in file order; the loader logs each.
enum class FolderNote {
    NoValidHeader,    // shorter than its header, or a wrong file ID
    NewerVersion,     // the word at offset 8 is above the version read here
    CountTooLarge,    // a: entries the file has room for, b: the header's count
    EndsInsideEntry,  // a: the entry's index
    InvalidEntryId,   // the entry is skipped, the reading goes on 40 bytes further
    BadPathLength,    // a: the entry's index, b: its path length; the reading ends
    EmptyPath,        // a: the entry's index; the entry is skipped
};

struct FolderItem {
    bool isEntry = false;
    FolderEntry entry;           // when isEntry
    FolderNote note{};           // otherwise
    std::uint32_t a = 0, b = 0;  // the note's numbers
};

struct FolderList {
    bool ok = true;  // false when any note but InvalidEntryId was met
    std::vector<FolderItem> items;
};

FolderList DecodeFolderList(const std::uint8_t* bytes, std::size_t size);

// The whole folder list file for `entries`; false with `refused` = the index of the first entry
// whose path (empty or longer than a stored text) the decoding would not take back.
bool EncodeFolderList(const std::vector<FolderEntry>& entries, std::vector<std::uint8_t>& bytes,
                      std::size_t& refused);

// One image record, with its texts when the string file was read.
struct ImageRecord {
    std::uint32_t recordPosition = 0;
    std::uint32_t pathPosition = 0, pathLength = 0, namePosition = 0, nameLength = 0;
    std::uint32_t shownCount = 0, screenSaverFlags = 0, fileFlags = 0, reserved = 0;
    std::uint32_t lastWriteLow = 0, lastWriteHigh = 0;
    std::uint32_t fileSizeLow = 0, fileSizeHigh = 0;
    std::uint32_t averageColor = 0;
    std::string folderPath, fileName;
};

enum class ImageNote {
    NoValidHeader,    // shorter than its header, or a wrong file ID: nothing read
    NewerVersion,     // the word at offset 8 is above the version read here: nothing read
    CountMismatch,    // a: the record file's size, b: the header's count
    InvalidRecordId,  // the record is skipped
    TextUnusable,     // a: the record's index, b: position, c: length; `what`, `problem` say more
    LengthsUnusable,  // without texts: a: the record's index, b: path length, c: name length
};

struct ImageItem {
    bool isRecord = false;
    ImageRecord record;  // when isRecord
    ImageNote note{};
    std::uint32_t a = 0, b = 0, c = 0;
    const char* what = "";     // TextUnusable: "folder path" or "file name"
    const char* problem = "";  // TextUnusable: why
};

struct ImageList {
    bool ok = true;                 // false after any note but InvalidRecordId
    std::uint32_t recordCount = 0;  // records read: the header's count, or what the file holds
    std::vector<ImageItem> items;
};

// Without `withTexts` the string file is not read (`strings` may be null) and the records come
// without their texts, whose lengths must still be usable.
ImageList DecodeImageList(const std::uint8_t* records, std::size_t recordsSize, bool withTexts,
                          const std::uint8_t* strings, std::size_t stringsSize);

enum class EncodeResult { Written, TextNotStorable, StringsTooLarge };

// Where an image's record and texts are written.
struct Placement {
    std::uint32_t recordPosition, pathPosition, pathLength, namePosition, nameLength;
};

// Both files for `images` in list order, each image's folder path and file name written after
// the previous one's; the record and string positions given in `images` are not used, the ones
// written go to `placed`. Not written: `refused` is the index of the image at fault.
EncodeResult EncodeImageList(const std::vector<ImageRecord>& images, std::vector<std::uint8_t>& records,
                             std::vector<std::uint8_t>& strings, std::vector<Placement>& placed,
                             std::size_t& refused);

}  // namespace DbDecode
