// Taking the EXIF block apart. Every length and offset comes from the file, so every read is
// checked against the bytes given.
#include "ExifParse.h"

#include <algorithm>
#include <cstring>

namespace ExifParse {

namespace {

constexpr std::uint16_t kTagOrientation = 274;
constexpr std::uint16_t kTagDateTime = 306;
constexpr std::uint16_t kTagDateTimeOriginal = 36867;
constexpr std::uint16_t kTagDateTimeDigitized = 36868;

// The TIFF data starts after the length field (2 bytes) and "Exif" 00 00 (6 bytes).
constexpr std::uint64_t kTiffStart = 8;

// The pattern test looks at ten bytes from the FF on.
constexpr std::uint64_t kPatternLength = 10;

// The date parse works on a copy of at most this many characters.
constexpr std::size_t kMaxDateText = 99;

bool IsExifPattern(const std::uint8_t* p)
{
    return p[0] == 0xFF && p[1] == 0xE1 && p[4] == 'E' && p[5] == 'x' && p[6] == 'i' && p[7] == 'f' &&
           p[8] == 0 && p[9] == 0;
}

// Reads numbers of the segment in its byte order, refusing any that does not lie wholly inside.
class SegmentReader {
public:
    SegmentReader(const std::uint8_t* segment, std::size_t length, bool bigEndian)
        : m_Segment(segment), m_Length(length), m_BigEndian(bigEndian)
    {
    }

    bool U16(std::uint64_t pos, std::uint32_t& value) const
    {
        if (pos + 2 > m_Length) return false;
        const std::uint8_t* p = m_Segment + pos;
        value = m_BigEndian ? (std::uint32_t{p[0]} << 8) | p[1] : (std::uint32_t{p[1]} << 8) | p[0];
        return true;
    }

    bool U32(std::uint64_t pos, std::uint32_t& value) const
    {
        if (pos + 4 > m_Length) return false;
        const std::uint8_t* p = m_Segment + pos;
        if (m_BigEndian) {
            value =
                (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
        } else {
            value =
                (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
        }
        return true;
    }

private:
    const std::uint8_t* m_Segment;
    std::size_t m_Length;
    bool m_BigEndian;
};

// One IFD entry: the entry's type is not checked.
void HandleTag(const std::uint8_t* segment, std::size_t length, bool bigEndian, std::uint64_t entry,
               std::uint32_t tag, std::uint32_t count, std::uint32_t value, ExifTags& tags)
{
    if (tag == kTagOrientation) {
        tags.orientation.found = true;
        // The low byte of the SHORT at the start of the value field.
        tags.orientation.value = segment[entry + 8 + (bigEndian ? 1 : 0)];
        return;
    }

    TagSlot* slot = nullptr;
    if (tag == kTagDateTime) slot = &tags.dateTime;
    if (tag == kTagDateTimeOriginal) slot = &tags.dateTimeOriginal;
    if (tag == kTagDateTimeDigitized) slot = &tags.dateTimeDigitized;
    if (!slot) return;

    // The text is the first count - 1 bytes at the offset in the value field, cut to the slot and
    // to what the segment holds.
    slot->found = true;
    const std::uint64_t at = std::uint64_t{value} + kTiffStart;
    std::uint64_t textLength = count == 0 ? 0 : count - 1;
    textLength = std::min<std::uint64_t>(textLength, kMaxValueText);
    textLength = at < length ? std::min<std::uint64_t>(textLength, length - at) : 0;
    slot->text.assign(reinterpret_cast<const char*>(segment + (textLength ? at : 0)),
                      static_cast<std::size_t>(textLength));
}

// Reads a piece of the date as "%d" would (blanks, a sign, digits), without its undefined
// overflow: values far out of range come back as a value above any date field.
bool ParseDecimal(const char* text, int& value)
{
    while (*text == ' ' || *text == '\t')
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    if (*text < '0' || *text > '9') return false;
    long long v = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        v = std::min(v * 10 + (*text - '0'), 1000000LL);
    value = static_cast<int>(negative ? -v : v);
    return true;
}

}  // namespace

SegmentSearch ScanForExifSegment(const std::uint8_t* window, std::uint64_t base, std::size_t have,
                                 std::uint64_t fileSize, SegmentScan& scan)
{
    const std::uint64_t end = base + have;
    const std::uint64_t size = fileSize;
    std::uint64_t pos = std::max(scan.position, base);

    if (!scan.startOfImageFound) {
        while (pos + 1 < size && pos + 1 < end) {
            if (window[pos - base] == 0xFF && window[pos + 1 - base] == 0xD8) {
                scan.startOfImageFound = true;
                pos += 2;
                break;
            }
            ++pos;
        }
        if (!scan.startOfImageFound) {
            scan.position = pos;
            return end >= size || pos + 1 >= size ? SegmentSearch::NoStartOfImage
                                                  : SegmentSearch::NeedMoreBytes;
        }
    }

    // Only an FF can start the pattern: memchr skips to each one (coded data holds few).
    while (pos + 12 < size && pos + kPatternLength <= end) {
        const std::uint64_t last = std::min(end - kPatternLength, size - 13);
        const std::uint8_t* from = window + (pos - base);
        const void* ff = std::memchr(from, 0xFF, static_cast<std::size_t>(last - pos + 1));
        if (!ff) {
            pos = last + 1;
            break;
        }
        pos += static_cast<std::uint64_t>(static_cast<const std::uint8_t*>(ff) - from);
        const std::uint8_t* marker = window + (pos - base);
        if (IsExifPattern(marker)) {
            scan.position = pos;
            // The segment runs from the length field on; it cannot reach past the end of the file.
            const std::uint64_t declared = (std::uint64_t{marker[2]} << 8) | marker[3];
            scan.segmentStart = pos + 2;
            scan.segmentLength = static_cast<std::uint32_t>(std::min(declared, size - (pos + 2)));
            return scan.segmentLength < kMinSegmentLength ? SegmentSearch::TooShort : SegmentSearch::Found;
        }
        ++pos;
    }
    scan.position = pos;
    return end >= size || pos + 12 >= size ? SegmentSearch::NoApp1Marker : SegmentSearch::NeedMoreBytes;
}

WalkResult WalkExifSegment(const std::uint8_t* segment, std::size_t length, ExifTags& tags)
{
    if (length < kMinSegmentLength) return WalkResult::TooShort;
    WalkResult result = WalkResult::Walked;
    bool bigEndian = false;
    if (segment[8] == 'M' && segment[9] == 'M') {
        bigEndian = true;
    } else if (segment[8] != 'I' || segment[9] != 'I') {
        result = WalkResult::UnknownByteOrder;
    }
    const SegmentReader read(segment, length, bigEndian);

    std::uint32_t offset = 8;
    read.U32(12, offset);
    std::uint32_t visited[kMaxIfdCount];
    int visitedCount = 0;
    while (visitedCount < kMaxIfdCount) {
        if (std::find(visited, visited + visitedCount, offset) != visited + visitedCount) break;
        visited[visitedCount++] = offset;

        const std::uint64_t ifd = std::uint64_t{offset} + kTiffStart;
        std::uint32_t count = 0;
        if (!read.U16(ifd, count)) break;
        bool inside = true;
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint64_t entry = ifd + 2 + 12ull * i;
            if (entry + 12 > length) {
                inside = false;
                break;
            }
            std::uint32_t tag = 0, type = 0, valueCount = 0, value = 0;
            read.U16(entry, tag);
            read.U16(entry + 2, type);
            read.U32(entry + 4, valueCount);
            read.U32(entry + 8, value);
            HandleTag(segment, length, bigEndian, entry, tag, valueCount, value, tags);
        }
        if (!inside) break;

        std::uint32_t next = 0;
        if (!read.U32(ifd + 2 + 12ull * count, next) || next == 0) break;
        offset = next;
    }
    return result;
}

const TagSlot* DateSlot(const ExifTags& tags)
{
    if (tags.dateTimeOriginal.found) return &tags.dateTimeOriginal;
    if (tags.dateTime.found) return &tags.dateTime;
    return nullptr;
}

bool ParseDateText(const std::string& value, DateFields& fields)
{
    // YYYY:MM:DD HH:MM:SS, cut at the separators on a bounded copy.
    char text[kMaxDateText + 1];
    std::strncpy(text, value.c_str(), kMaxDateText);
    text[kMaxDateText] = 0;

    const char kSeparators[] = {':', ':', ' ', ':', ':'};
    const char* pieces[6];
    char* p = text;
    for (int i = 0; i < 5; ++i) {
        pieces[i] = p;
        char* cut = std::strchr(p, kSeparators[i]);
        if (!cut) return false;
        *cut = 0;
        p = cut + 1;
    }
    pieces[5] = p;

    int values[6];
    for (int i = 0; i < 6; ++i) {
        // A piece that is no decimal number, or does not fit the SYSTEMTIME field, is no date.
        if (!ParseDecimal(pieces[i], values[i]) || values[i] < 0 || values[i] > 0xFFFF) return false;
    }
    if (std::all_of(values, values + 6, [](int v) { return v == 0; })) return false;
    fields.year = values[0];
    fields.month = values[1];
    fields.day = values[2];
    fields.hour = values[3];
    fields.minute = values[4];
    fields.second = values[5];
    return true;
}

}  // namespace ExifParse
