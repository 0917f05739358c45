// The EXIF scan, walk and date parse on any bytes. The scan fed in small pieces, as the reader
// feeds it from the file, must find what one scan over the whole file finds; every buffer handed
// to the parser is a copy of exactly its size, so a read past it is caught. The walk's tags are
// compared with a second, deliberately plain walk of the same bytes (one byte at a time, offsets
// counted out, a list of the IFDs seen), so a wrong byte read inside the segment shows too.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ExifParse.h"

using namespace ExifParse;

namespace {

void Check(bool condition)
{
    if (!condition) std::abort();
}

void CheckTags(const ExifTags& tags)
{
    for (const TagSlot* slot : {&tags.dateTime, &tags.dateTimeOriginal, &tags.dateTimeDigitized})
        Check(slot->text.size() <= kMaxValueText && (slot->found || slot->text.empty()));
    Check(tags.orientation.value <= 0xFF);
    if (const TagSlot* slot = DateSlot(tags)) {
        DateFields f;
        if (ParseDateText(slot->text, f)) {
            for (int v : {f.year, f.month, f.day, f.hour, f.minute, f.second})
                Check(v >= 0 && v <= 0xFFFF);
            Check(f.year || f.month || f.day || f.hour || f.minute || f.second);
        }
    }
}

// The second reading: numbers put together a byte at a time in the order the mark at bytes 8-9
// names ("MM" big-endian, anything else little-endian); false for one that does not lie inside.
struct PlainSegment {
    const std::vector<std::uint8_t>& bytes;
    bool big;

    bool Number(std::uint64_t at, int count, std::uint64_t& value) const
    {
        if (at + count > bytes.size()) return false;
        value = 0;
        for (int i = 0; i < count; ++i) {
            const std::uint8_t b = big ? bytes[at + i] : bytes[at + count - 1 - i];
            value = value * 256 + b;
        }
        return true;
    }
};

// The tags as a plain walk finds them: IFD0 at the offset in bytes 12-15 (plus 8), each IFD's
// entries in turn, the chain followed until an offset of 0, one seen before, the 32nd IFD, or a
// count, entry or offset that does not lie inside the segment.
ExifTags PlainWalk(const std::vector<std::uint8_t>& segment)
{
    ExifTags tags;
    if (segment.size() < kMinSegmentLength) return tags;
    const PlainSegment plain{segment, segment[8] == 'M' && segment[9] == 'M'};
    std::uint64_t offset = 0;
    plain.Number(12, 4, offset);
    std::vector<std::uint64_t> seen;
    while (static_cast<int>(seen.size()) < kMaxIfdCount) {
        for (std::uint64_t earlier : seen)
            if (earlier == offset) return tags;
        seen.push_back(offset);
        const std::uint64_t ifd = offset + 8;
        std::uint64_t count = 0;
        if (!plain.Number(ifd, 2, count)) return tags;
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::uint64_t entry = ifd + 2 + 12 * i;
            if (entry + 12 > segment.size()) return tags;
            std::uint64_t tag = 0, valueCount = 0, value = 0;
            plain.Number(entry, 2, tag);
            plain.Number(entry + 4, 4, valueCount);
            plain.Number(entry + 8, 4, value);
            if (tag == 274) {
                // The SHORT's low byte: the first of the field little-endian, the second big-endian.
                tags.orientation.found = true;
                tags.orientation.value = plain.big ? segment[entry + 9] : segment[entry + 8];
            }
            TagSlot* slot = tag == 306     ? &tags.dateTime
                            : tag == 36867 ? &tags.dateTimeOriginal
                            : tag == 36868 ? &tags.dateTimeDigitized
                                           : nullptr;
            if (slot) {
                slot->found = true;
                slot->text.clear();
                const std::uint64_t want = valueCount == 0 ? 0 : valueCount - 1;
                for (std::uint64_t k = 0; k < want && k < kMaxValueText && value + 8 + k < segment.size();
                     ++k)
                    slot->text += static_cast<char>(segment[value + 8 + k]);
            }
        }
        std::uint64_t next = 0;
        if (!plain.Number(ifd + 2 + 12 * count, 4, next) || next == 0) return tags;
        offset = next;
    }
    return tags;
}

bool SameSlot(const TagSlot& a, const TagSlot& b)
{
    return a.found == b.found && a.text == b.text && a.value == b.value;
}

void Walk(const std::uint8_t* bytes, std::size_t size)
{
    const std::vector<std::uint8_t> segment(bytes, bytes + size);
    ExifTags tags;
    WalkExifSegment(segment.data(), segment.size(), tags);
    CheckTags(tags);
    const ExifTags plain = PlainWalk(segment);
    Check(SameSlot(tags.orientation, plain.orientation));
    Check(SameSlot(tags.dateTime, plain.dateTime));
    Check(SameSlot(tags.dateTimeOriginal, plain.dateTimeOriginal));
    Check(SameSlot(tags.dateTimeDigitized, plain.dateTimeDigitized));
}

// The reader's sliding window: the bytes from the scan position on are kept, the rest refilled.
SegmentSearch ScanInPieces(const std::uint8_t* data, std::size_t size, std::size_t chunk, SegmentScan& scan)
{
    std::uint64_t base = 0;
    std::size_t have = 0;
    for (int round = 0;; ++round) {
        Check(round <= static_cast<int>(size) + 2);  // every round moves on
        const std::uint64_t pos = scan.position;
        Check(pos >= base && pos <= base + have);
        have -= static_cast<std::size_t>(pos - base);
        base = pos;
        have = static_cast<std::size_t>(std::min<std::uint64_t>(have + chunk, size - base));
        const std::vector<std::uint8_t> window(data + base, data + base + have);
        const SegmentSearch found = ScanForExifSegment(window.data(), base, window.size(), size, scan);
        if (found != SegmentSearch::NeedMoreBytes) return found;
        Check(base + have < size);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> file(data, data + size);
    SegmentScan whole;
    const SegmentSearch found = ScanForExifSegment(file.data(), 0, file.size(), file.size(), whole);
    Check(found != SegmentSearch::NeedMoreBytes);

    SegmentScan pieces;
    const std::size_t chunk = 10 + (size > 0 ? data[size - 1] % 23 : 0);
    Check(ScanInPieces(file.data(), file.size(), chunk, pieces) == found);

    if (found == SegmentSearch::Found || found == SegmentSearch::TooShort) {
        Check(pieces.segmentStart == whole.segmentStart && pieces.segmentLength == whole.segmentLength);
        Check(whole.segmentStart + whole.segmentLength <= size);
    }
    if (found == SegmentSearch::Found) Walk(file.data() + whole.segmentStart, whole.segmentLength);
    // The walk on its own, so that the fuzzer need not wrap every segment in a JPEG.
    Walk(data, size);
    return 0;
}
