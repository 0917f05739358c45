// The EXIF block's bytes taken apart: the scan of a JPEG file for its APP1 "Exif" segment, the walk
// of that segment's IFD chain and the date text's fields. Works on bytes already read, touches no
// file, registry, window or log, and builds on any platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ExifParse {

// A date text keeps at most this many characters.
constexpr std::uint32_t kMaxValueText = 4200;
// IFD chains longer than this, or coming back to an IFD already read, end the walk.
constexpr int kMaxIfdCount = 32;
// Length field, "Exif" 00 00, byte order mark, 42 and the IFD0 offset.
constexpr std::uint32_t kMinSegmentLength = 16;

enum class SegmentSearch {
    Found,           // the segment's length field lies at `segmentStart`, `segmentLength` bytes long
    NeedMoreBytes,   // the bytes given end before the answer is known
    NoStartOfImage,  // no FF D8 in the file
    NoApp1Marker,    // no FF E1 xx xx "Exif" 00 00 after it
    TooShort,        // the segment (cut at the end of the file) cannot hold a TIFF header
};

// Where a scan stands; starts at the beginning of the file.
struct SegmentScan {
    std::uint64_t position = 0;  // file position the scan goes on from
    bool startOfImageFound = false;
    std::uint64_t segmentStart = 0;   // with Found: file position of the segment's length field
    std::uint32_t segmentLength = 0;  // with Found: its length, cut to what the file holds
};

// Scans for FF D8, then from two bytes after it for FF E1 xx xx "Exif" 00 00 (the first such bytes
// anywhere: segment boundaries are not followed). `window` holds the `have` file bytes from file
// position `base` on, and must start at or before `scan.position`; a file read in pieces gives the
// same answer as one read whole. `fileSize` is the whole file's size.
SegmentSearch ScanForExifSegment(const std::uint8_t* window, std::uint64_t base, std::size_t have,
                                 std::uint64_t fileSize, SegmentScan& scan);

struct TagSlot {
    bool found = false;
    std::string text;         // the date tags: their text, at most kMaxValueText bytes
    std::uint32_t value = 0;  // Orientation: its value
};

struct ExifTags {
    TagSlot orientation;
    TagSlot dateTime;
    TagSlot dateTimeOriginal;
    TagSlot dateTimeDigitized;
};

enum class WalkResult {
    Walked,
    UnknownByteOrder,  // walked as little-endian
    TooShort,          // shorter than kMinSegmentLength: nothing read
};

// Walks IFD0, IFD1 and whatever follows in the chain of `segment` (the APP1 segment from its length
// field on); sub-IFDs are not entered. An IFD or entry that does not lie wholly inside the segment
// ends the walk, keeping what was found before it. A tag met again replaces the earlier value.
WalkResult WalkExifSegment(const std::uint8_t* segment, std::size_t length, ExifTags& tags);

struct DateFields {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The DateTimeOriginal text, else the DateTime text; null when neither was found.
const TagSlot* DateSlot(const ExifTags& tags);

// Cuts "YYYY:MM:DD HH:MM:SS" (at most its first 99 characters, up to its first zero) at its
// separators and reads each piece as "%d" would. False when a separator is missing, a piece is no
// number or does not fit a 16-bit field, or every field is 0 (the EXIF form of an unknown date).
bool ParseDateText(const std::string& text, DateFields& fields);

}  // namespace ExifParse
