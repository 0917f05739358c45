// The EXIF scan, walk and date parse on any bytes. The scan fed in small pieces, as the reader
// feeds it from the file, must find what one scan over the whole file finds; every buffer handed
// to the parser is a copy of exactly its size, so a read past it is caught.
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

void Walk(const std::uint8_t* bytes, std::size_t size)
{
    const std::vector<std::uint8_t> segment(bytes, bytes + size);
    ExifTags tags;
    WalkExifSegment(segment.data(), segment.size(), tags);
    CheckTags(tags);
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
