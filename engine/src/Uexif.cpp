// EXIF reader: finds the first APP1 "Exif" pattern after the start-of-image marker by a byte scan
// and walks the IFD chain of its TIFF data. Every length and offset comes from the file, so every
// read is checked against the segment, and the chain stops at a repeated IFD or after 32.
#include "Uexif.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "UTxDiskApi.h"
#include "UTxLog.h"

namespace {

constexpr WORD kTagOrientation = 274;
constexpr WORD kTagDateTime = 306;
constexpr WORD kTagDateTimeOriginal = 36867;
constexpr WORD kTagDateTimeDigitized = 36868;

// The TIFF data starts after the length field (2 bytes) and "Exif" 00 00 (6 bytes).
constexpr DWORD kTiffStart = 8;
// Length field, "Exif" 00 00, byte order mark, 42 and the IFD0 offset.
constexpr DWORD kMinSegmentLength = 16;

// The date parse works on a copy of at most this many characters.
constexpr int kMaxDateText = 99;

// The file is scanned in chunks; the pattern test looks at ten bytes from the FF on.
constexpr DWORD kChunkSize = 64 * 1024;
constexpr DWORD kPatternLength = 10;

// Reads a piece of the date as "%d" would (blanks, a sign, digits), without its undefined
// overflow: values far out of range come back as a value above any date field.
bool ParseDecimal(const char* text, int& value)
{
    while (*text == ' ' || *text == '\t')
        ++text;
    bool bNegative = false;
    if (*text == '+' || *text == '-') bNegative = *text++ == '-';
    if (*text < '0' || *text > '9') return false;
    long long v = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        v = std::min(v * 10 + (*text - '0'), 1000000LL);
    value = static_cast<int>(bNegative ? -v : v);
    return true;
}

bool IsExifPattern(const BYTE* p)
{
    return p[0] == 0xFF && p[1] == 0xE1 && p[4] == 'E' && p[5] == 'x' && p[6] == 'i' && p[7] == 'f' &&
           p[8] == 0 && p[9] == 0;
}

}  // namespace

CExif::CExif()
{
    static const struct {
        WORD wTag;
        const char* szName;
    } kSlots[SlotCount] = {
        {kTagOrientation, "Orientation"},
        {kTagDateTime, "DateTime"},
        {kTagDateTimeOriginal, "DateTimeOriginal"},
        {kTagDateTimeDigitized, "DateTimeDigitized"},
    };
    for (int i = 0; i < SlotCount; ++i) {
        TagSlot& slot = m_Slots[i];
        slot.bFound = false;
        slot.wTag = kSlots[i].wTag;
        std::memset(slot.szName, 0, sizeof(slot.szName));
        std::strncpy(slot.szName, kSlots[i].szName, sizeof(slot.szName) - 1);
        slot.szValue[0] = 0;
        slot.dwValue = 0;
    }
}

bool CExif::ReadFromFile(const char* szPath)
{
    if (!szPath || !TxFileExists(szPath)) return false;
    m_sFilePath.Assign(szPath);
    try {
        if (!FindSegment(szPath)) return false;
    } catch (const TxException& e) {
        LogF("!Exif: VCL Exception: %s", e.Message());
        return false;
    } catch (const std::exception& e) {
        LogF("!Exif: VCL Exception: %s", e.what());
        return false;
    }

    m_bByteOrder = 0;
    if (m_Segment[8] == 'I' && m_Segment[9] == 'I') {
        m_bByteOrder = 0;
    } else if (m_Segment[8] == 'M' && m_Segment[9] == 'M') {
        m_bByteOrder = 1;
    } else {
        LogText("Exif: unknown byte order!");
    }
    ReadU32(12, m_dwIfd0Offset);
    WalkIfdChain();

    m_Segment.clear();
    m_Segment.shrink_to_fit();
    return true;
}

// Scans for FF D8, then from two bytes after it for FF E1 xx xx "Exif" 00 00 (the first such bytes
// anywhere, segment boundaries are not followed), and copies that segment. Reads the file in
// chunks: the answer is the same as a scan of the whole file, and a photo's EXIF block normally
// lies in its first kilobytes.
bool CExif::FindSegment(const char* szPath)
{
    TxFile file(szPath, true, false);
    m_dwFileSize = file.GetSize();
    DWORD size = m_dwFileSize;

    std::vector<BYTE> window(kChunkSize + kPatternLength);
    DWORD base = 0;  // file position of window[0]
    DWORD have = 0;  // bytes held in the window
    DWORD pos = 0;   // scan position in the file
    bool bSoiFound = false;
    bool bFound = false;

    for (;;) {
        // Keep the bytes from the scan position on and fill up the window behind them.
        const DWORD keep = have - (pos - base);
        std::memmove(window.data(), window.data() + (pos - base), keep);
        base = pos;
        have = keep;
        bool bEnd = base + have >= size;
        if (!bEnd) {
            DWORD read = 0;
            const DWORD want =
                std::min<DWORD>(static_cast<DWORD>(window.size()) - have, size - (base + have));
            file.Read(window.data() + have, want, &read);
            have += read;
            if (read < want) size = base + have;  // the file became shorter while being read
            bEnd = base + have >= size;
        }
        const DWORD end = base + have;

        if (!bSoiFound) {
            while (pos + 1 < size && pos + 1 < end) {
                if (window[pos - base] == 0xFF && window[pos + 1 - base] == 0xD8) {
                    bSoiFound = true;
                    pos += 2;
                    break;
                }
                ++pos;
            }
            if (!bSoiFound) {
                if (bEnd || pos + 1 >= size) return false;
                continue;
            }
        }
        // Only an FF can start the pattern: memchr skips to each one (coded data holds few).
        while (pos + 12 < size && pos + kPatternLength <= end) {
            const DWORD last = std::min(end - kPatternLength, size - 13);
            const BYTE* from = window.data() + (pos - base);
            const void* ff = std::memchr(from, 0xFF, last - pos + 1);
            if (!ff) {
                pos = last + 1;
                break;
            }
            pos += static_cast<DWORD>(static_cast<const BYTE*>(ff) - from);
            if (IsExifPattern(window.data() + (pos - base))) {
                bFound = true;
                break;
            }
            ++pos;
        }
        if (bFound) break;
        if (bEnd || pos + 12 >= size) {
            LogText("Exif: APP1 Marker not found");
            return false;
        }
    }

    // The segment runs from the length field on; it cannot reach past the end of the file.
    const BYTE* marker = window.data() + (pos - base);
    const DWORD declared = (static_cast<DWORD>(marker[2]) << 8) | marker[3];
    const DWORD available = size - (pos + 2);
    m_dwSegmentLength = std::min(declared, available);
    if (m_dwSegmentLength < kMinSegmentLength) return false;

    m_Segment.assign(m_dwSegmentLength, 0);
    const DWORD inWindow = std::min(m_dwSegmentLength, base + have - (pos + 2));
    std::memcpy(m_Segment.data(), marker + 2, inWindow);
    if (inWindow < m_dwSegmentLength) {
        DWORD read = 0;
        file.Read(m_Segment.data() + inWindow, m_dwSegmentLength - inWindow, &read);
        m_dwSegmentLength = inWindow + read;
        m_Segment.resize(m_dwSegmentLength);
        if (m_dwSegmentLength < kMinSegmentLength) return false;
    }
    return true;
}

bool CExif::ReadU16(ULONGLONG pos, DWORD& value) const
{
    if (pos + 2 > m_dwSegmentLength) return false;
    const BYTE* p = m_Segment.data() + pos;
    value = m_bByteOrder ? (static_cast<DWORD>(p[0]) << 8) | p[1] : (static_cast<DWORD>(p[1]) << 8) | p[0];
    return true;
}

bool CExif::ReadU32(ULONGLONG pos, DWORD& value) const
{
    if (pos + 4 > m_dwSegmentLength) return false;
    const BYTE* p = m_Segment.data() + pos;
    if (m_bByteOrder) {
        value = (static_cast<DWORD>(p[0]) << 24) | (static_cast<DWORD>(p[1]) << 16) |
                (static_cast<DWORD>(p[2]) << 8) | p[3];
    } else {
        value = (static_cast<DWORD>(p[3]) << 24) | (static_cast<DWORD>(p[2]) << 16) |
                (static_cast<DWORD>(p[1]) << 8) | p[0];
    }
    return true;
}

// IFD0, IFD1 and whatever follows in the chain; sub-IFDs are not entered. An IFD or entry that
// does not lie wholly inside the segment ends the walk, keeping what was found before it.
void CExif::WalkIfdChain()
{
    DWORD visited[kMaxIfdCount];
    int iVisited = 0;
    DWORD offset = m_dwIfd0Offset;

    while (iVisited < kMaxIfdCount) {
        if (std::find(visited, visited + iVisited, offset) != visited + iVisited) return;
        visited[iVisited++] = offset;

        const ULONGLONG ifd = static_cast<ULONGLONG>(offset) + kTiffStart;
        DWORD count = 0;
        if (!ReadU16(ifd, count)) return;
        m_dwIfdPosition = static_cast<DWORD>(ifd);
        m_dwEntryCount = count;

        for (DWORD i = 0; i < count; ++i) {
            const ULONGLONG entry = ifd + 2 + 12ull * i;
            if (entry + 12 > m_dwSegmentLength) return;
            m_dwEntryPosition = static_cast<DWORD>(entry);
            ReadU16(entry, m_dwTag);
            ReadU16(entry + 2, m_dwType);
            ReadU32(entry + 4, m_dwCount);
            ReadU32(entry + 8, m_dwValue);
            HandleTag();
        }

        DWORD next = 0;
        if (!ReadU32(ifd + 2 + 12ull * count, next) || next == 0) return;
        offset = next;
    }
}

// The entry's type is not checked; a tag met again in a later IFD replaces the earlier value.
void CExif::HandleTag()
{
    if (m_dwTag == kTagOrientation) {
        TagSlot& slot = m_Slots[SlotOrientation];
        slot.bFound = true;
        // The low byte of the SHORT at the start of the value field.
        slot.dwValue = m_Segment[m_dwEntryPosition + 8 + (m_bByteOrder ? 1 : 0)];
        return;
    }

    TagSlot* slot = nullptr;
    if (m_dwTag == kTagDateTime) slot = &m_Slots[SlotDateTime];
    if (m_dwTag == kTagDateTimeOriginal) slot = &m_Slots[SlotDateTimeOriginal];
    if (m_dwTag == kTagDateTimeDigitized) slot = &m_Slots[SlotDateTimeDigitized];
    if (!slot) return;

    // The text is the first count - 1 bytes at the offset in the value field, cut to the slot and
    // to what the segment holds.
    slot->bFound = true;
    const ULONGLONG at = static_cast<ULONGLONG>(m_dwValue) + kTiffStart;
    ULONGLONG length = m_dwCount == 0 ? 0 : m_dwCount - 1;
    length = std::min<ULONGLONG>(length, kMaxValueText);
    length = at < m_dwSegmentLength ? std::min<ULONGLONG>(length, m_dwSegmentLength - at) : 0;
    if (length) std::memcpy(slot->szValue, m_Segment.data() + at, static_cast<size_t>(length));
    slot->szValue[length] = 0;
}

DWORD CExif::GetOrientation() const
{
    const TagSlot& slot = m_Slots[SlotOrientation];
    return slot.bFound ? slot.dwValue : 0;
}

bool CExif::GetDateTime(FILETIME* pFileTime) const
{
    FILETIME zero{};
    if (pFileTime) *pFileTime = zero;

    const TagSlot* slot = nullptr;
    if (m_Slots[SlotDateTimeOriginal].bFound) {
        slot = &m_Slots[SlotDateTimeOriginal];
    } else if (m_Slots[SlotDateTime].bFound) {
        slot = &m_Slots[SlotDateTime];
    }
    if (!slot) return false;

    // YYYY:MM:DD HH:MM:SS, cut at the separators on a bounded copy.
    char text[kMaxDateText + 1];
    std::strncpy(text, slot->szValue, kMaxDateText);
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

    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(values[0]);
    st.wMonth = static_cast<WORD>(values[1]);
    st.wDay = static_cast<WORD>(values[2]);
    st.wHour = static_cast<WORD>(values[3]);
    st.wMinute = static_cast<WORD>(values[4]);
    st.wSecond = static_cast<WORD>(values[5]);
    FILETIME ft{};
    if (!::SystemTimeToFileTime(&st, &ft)) return false;
    if (pFileTime) *pFileTime = ft;
    return true;
}
