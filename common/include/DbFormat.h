// The byte layout of the three database files: IDs, sizes and offsets. Plain numbers, so that the
// decoding of the files builds on any platform.
#pragma once

#include <cstdint>

namespace DbLayout {
constexpr std::uint32_t kFolderListFileId = 0xFF550015;
constexpr std::uint32_t kRecordFileId = 0xFF550014;
constexpr std::uint32_t kFolderEntryId = 0xFEFDFCFB;
constexpr std::uint32_t kImageRecordId = 0xFEFDFCFA;
constexpr std::uint32_t kVersion = 100;  // written at offsets 4 and 8; a reader refuses offset 8 above it

constexpr std::uint32_t kHeaderSize = 144;     // both files with a header: ID, 100, 100, count, 128 zeros
constexpr std::uint32_t kHeaderCount = 12;     // offset of the entry or record count
constexpr std::uint32_t kFolderHeadSize = 40;  // a folder entry's head; its path follows at once
constexpr std::uint32_t kRecordSize = 80;      // one image record; record i starts at 144 + 80 * i

// Longest stored text, its zero included, that the readers accept. It is at least MAX_PATH + 1, so
// every path the scans can produce round-trips.
constexpr std::uint32_t kMaxStoredText = 500;

// Offsets in a folder entry head.
constexpr std::uint32_t kEntryId = 0, kEntryPathLength = 4, kEntryFlags = 8, kEntryImageCount = 16,
                        kEntryCrc = 20;
constexpr std::uint32_t kEntryIncludeSubfolders = 0x1, kEntryAutoScan = 0x2, kEntryUseForWallpaper = 0x4,
                        kEntryUseForScreenSaver = 0x8;

// Offsets in an image record.
constexpr std::uint32_t kRecId = 0, kRecPathPosition = 4, kRecPathLength = 8, kRecNamePosition = 12,
                        kRecNameLength = 16, kRecShownCount = 20, kRecScreenSaverFlags = 24,
                        kRecFileFlags = 28, kRecReserved = 32, kRecLastWriteTime = 40, kRecFileSizeLow = 48,
                        kRecFileSizeHigh = 52, kRecAverageColor = 56;
}  // namespace DbLayout
