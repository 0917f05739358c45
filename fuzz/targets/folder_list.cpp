// The folder list file's decoding on any bytes, and its round trip: what was decoded, written back,
// decodes cleanly to the same folders and writes the same bytes again.
#include <algorithm>
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

std::vector<FolderEntry> Entries(const FolderList& list, bool& clean)
{
    std::vector<FolderEntry> entries;
    clean = list.ok;
    for (const FolderItem& item : list.items) {
        if (item.isEntry) {
            entries.push_back(item.entry);
        } else {
            clean = false;
        }
    }
    return entries;
}

bool Same(const FolderEntry& a, const FolderEntry& b)
{
    return a.path == b.path && a.flags == b.flags && a.imageCount == b.imageCount && a.crc == b.crc;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> file(data, data + size);
    const FolderList list = DecodeFolderList(file.data(), file.size());
    bool clean = false;
    const std::vector<FolderEntry> entries = Entries(list, clean);
    for (const FolderEntry& entry : entries) {
        Check(!entry.path.empty() && entry.path.size() < DbLayout::kMaxStoredText);
        Check(entry.path.find('\0') == std::string::npos && entry.flags <= 0xF);
    }

    std::vector<std::uint8_t> written;
    std::size_t refused = 0;
    Check(EncodeFolderList(entries, written, refused));
    const FolderList again = DecodeFolderList(written.data(), written.size());
    bool againClean = false;
    const std::vector<FolderEntry> back = Entries(again, againClean);
    Check(againClean && back.size() == entries.size());
    for (std::size_t i = 0; i < back.size(); ++i)
        Check(Same(back[i], entries[i]));
    std::vector<std::uint8_t> rewritten;
    Check(EncodeFolderList(back, rewritten, refused) && rewritten == written);
    // A clean file whose paths are stored with their lengths as the saver stores them is the
    // saver's own layout: written back it gives the same bytes, apart from the words and flag bits
    // a reader does not keep.
    bool saversLayout = clean && written.size() == size;
    for (std::size_t i = 0, at = DbLayout::kHeaderSize; i < entries.size() && saversLayout; ++i) {
        std::uint32_t stored = 0;
        std::memcpy(&stored, file.data() + at + DbLayout::kEntryPathLength, 4);
        saversLayout = stored == entries[i].path.size() + 1;
        at += DbLayout::kFolderHeadSize + entries[i].path.size() + 1;
    }
    if (saversLayout) {
        for (std::size_t i = 0; i < 4; ++i)
            Check(file[i] == written[i] &&
                  file[DbLayout::kHeaderCount + i] == written[DbLayout::kHeaderCount + i]);
        std::size_t at = DbLayout::kHeaderSize;
        for (const FolderEntry& entry : entries) {
            for (std::size_t i = 0; i < DbLayout::kFolderHeadSize; ++i) {
                if (i < 8 || (i >= 16 && i < 24)) Check(file[at + i] == written[at + i]);
            }
            Check((file[at + DbLayout::kEntryFlags] & 0xF) == written[at + DbLayout::kEntryFlags]);
            at += DbLayout::kFolderHeadSize;
            Check(std::equal(written.begin() + at, written.begin() + at + entry.path.size() + 1,
                             file.begin() + at));
            at += entry.path.size() + 1;
        }
    }
    return 0;
}
