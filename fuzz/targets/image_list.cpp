// The image record and string files' decoding on any pair of byte strings, and the round trip of
// what was decoded: written back, it decodes cleanly to the same records and writes the same bytes.
// Input: one byte of mode (bit 0: without texts), a little-endian u32 that, modulo what follows,
// is the record file's length, the record file, then the string file.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "DbDecode.h"
#include "DbFormat.h"

using namespace DbDecode;

namespace {

void Check(bool condition)
{
    if (!condition) std::abort();
}

std::vector<ImageRecord> Records(const ImageList& list, bool& clean)
{
    std::vector<ImageRecord> records;
    clean = list.ok;
    for (const ImageItem& item : list.items) {
        if (item.isRecord) {
            records.push_back(item.record);
        } else {
            clean = false;
        }
    }
    return records;
}

bool SameValues(const ImageRecord& a, const ImageRecord& b)
{
    return a.folderPath == b.folderPath && a.fileName == b.fileName && a.shownCount == b.shownCount &&
           a.screenSaverFlags == b.screenSaverFlags && a.fileFlags == b.fileFlags &&
           a.reserved == b.reserved && a.lastWriteLow == b.lastWriteLow &&
           a.lastWriteHigh == b.lastWriteHigh && a.fileSizeLow == b.fileSizeLow &&
           a.fileSizeHigh == b.fileSizeHigh && a.averageColor == b.averageColor;
}

// A decoded text lies where its record says, inside the string file, and holds no zero.
void CheckText(const std::string& text, std::uint32_t position, std::uint32_t length, std::size_t stringsSize)
{
    Check(length >= 2 && length <= DbLayout::kMaxStoredText);
    Check(std::uint64_t{position} + length <= stringsSize && text.size() == length - 1);
    Check(text.find('\0') == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 5) return 0;
    const bool withTexts = (data[0] & 1) == 0;
    std::uint32_t split = 0;
    std::memcpy(&split, data + 1, 4);
    const std::size_t rest = size - 5;
    const std::size_t recordsSize = split % (rest + 1);
    const std::vector<std::uint8_t> records(data + 5, data + 5 + recordsSize);
    const std::vector<std::uint8_t> strings(data + 5 + recordsSize, data + size);

    const ImageList list = DecodeImageList(records.data(), records.size(), withTexts,
                                           withTexts ? strings.data() : nullptr, strings.size());
    bool clean = false;
    const std::vector<ImageRecord> decoded = Records(list, clean);
    if (records.size() >= DbLayout::kHeaderSize)
        Check(list.recordCount <= (records.size() - DbLayout::kHeaderSize) / DbLayout::kRecordSize);
    for (const ImageRecord& r : decoded) {
        Check(r.recordPosition >= DbLayout::kHeaderSize &&
              std::uint64_t{r.recordPosition} + DbLayout::kRecordSize <= records.size());
        if (withTexts) {
            CheckText(r.folderPath, r.pathPosition, r.pathLength, strings.size());
            CheckText(r.fileName, r.namePosition, r.nameLength, strings.size());
        } else {
            Check(r.folderPath.empty() && r.fileName.empty());
        }
    }

    std::vector<std::uint8_t> recordsOut, stringsOut;
    std::vector<Placement> placed;
    std::size_t refused = 0;
    const EncodeResult result = EncodeImageList(decoded, recordsOut, stringsOut, placed, refused);
    if (!withTexts) {
        // Records without their texts cannot be written back.
        Check(decoded.empty() ? result == EncodeResult::Written : result == EncodeResult::TextNotStorable);
        return 0;
    }
    Check(result == EncodeResult::Written);
    const ImageList again =
        DecodeImageList(recordsOut.data(), recordsOut.size(), true, stringsOut.data(), stringsOut.size());
    bool againClean = false;
    const std::vector<ImageRecord> back = Records(again, againClean);
    Check(againClean && back.size() == decoded.size());
    for (std::size_t i = 0; i < back.size(); ++i) {
        Check(SameValues(back[i], decoded[i]));
        Check(back[i].recordPosition == placed[i].recordPosition &&
              back[i].pathPosition == placed[i].pathPosition && back[i].pathLength == placed[i].pathLength &&
              back[i].namePosition == placed[i].namePosition && back[i].nameLength == placed[i].nameLength);
    }
    std::vector<std::uint8_t> recordsAgain, stringsAgain;
    Check(EncodeImageList(back, recordsAgain, stringsAgain, placed, refused) == EncodeResult::Written);
    Check(recordsAgain == recordsOut && stringsAgain == stringsOut);
    // A clean pair whose texts lie where the saver puts them is the saver's own: written back it
    // gives the same bytes, apart from the words a reader does not keep.
    bool saversLayout = clean && decoded.size() == list.recordCount && records.size() == recordsOut.size() &&
                        strings.size() == stringsOut.size();
    for (std::size_t i = 0; i < decoded.size() && saversLayout; ++i)
        saversLayout = decoded[i].pathPosition == placed[i].pathPosition &&
                       decoded[i].namePosition == placed[i].namePosition;
    if (saversLayout) {
        Check(strings == stringsOut);
        for (std::size_t at = 0; at < records.size(); ++at) {
            const bool kept =
                at < DbLayout::kHeaderSize
                    ? at < 4 || (at >= DbLayout::kHeaderCount && at < DbLayout::kHeaderCount + 4)
                    : (at - DbLayout::kHeaderSize) % DbLayout::kRecordSize < 36 ||
                          ((at - DbLayout::kHeaderSize) % DbLayout::kRecordSize >= 40 &&
                           (at - DbLayout::kHeaderSize) % DbLayout::kRecordSize < 60);
            if (kept) Check(records[at] == recordsOut[at]);
        }
    }
    return 0;
}
