// EXIF reader: reads a JPEG file's bytes for the scan and the walk of ExifParse, and logs what they
// found wrong.
#include "Uexif.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "UTxDiskApi.h"
#include "UTxLog.h"

namespace {

// The file is scanned in chunks; a photo's EXIF block normally lies in its first kilobytes.
constexpr DWORD kChunkSize = 64 * 1024;
constexpr DWORD kPatternLength = 10;

}  // namespace

CExif::CExif() = default;

bool CExif::ReadFromFile(const char* szPath)
{
    if (!szPath || !TxFileExists(szPath)) return false;
    m_sFilePath.Assign(szPath);
    try {
        if (!ReadSegment(szPath)) return false;
    } catch (const TxException& e) {
        LogF("!Exif: VCL Exception: %s", e.Message());
        return false;
    } catch (const std::exception& e) {
        LogF("!Exif: VCL Exception: %s", e.what());
        return false;
    }

    if (ExifParse::WalkExifSegment(m_Segment.data(), m_Segment.size(), m_Tags) ==
        ExifParse::WalkResult::UnknownByteOrder)
        LogText("Exif: unknown byte order!");

    m_Segment.clear();
    m_Segment.shrink_to_fit();
    return true;
}

// Reads the file in chunks through the segment scan and copies the segment it finds.
bool CExif::ReadSegment(const char* szPath)
{
    TxFile file(szPath, true, false);
    m_dwFileSize = file.GetSize();
    DWORD size = m_dwFileSize;

    std::vector<BYTE> window(kChunkSize + kPatternLength);
    DWORD base = 0;  // file position of window[0]
    DWORD have = 0;  // bytes held in the window
    ExifParse::SegmentScan scan;
    for (;;) {
        // Keep the bytes from the scan position on and fill up the window behind them.
        const DWORD pos = static_cast<DWORD>(scan.position);
        const DWORD keep = have - (pos - base);
        std::memmove(window.data(), window.data() + (pos - base), keep);
        base = pos;
        have = keep;
        if (base + have < size) {
            DWORD read = 0;
            const DWORD want =
                std::min<DWORD>(static_cast<DWORD>(window.size()) - have, size - (base + have));
            file.Read(window.data() + have, want, &read);
            have += read;
            if (read < want) size = base + have;  // the file became shorter while being read
        }
        const ExifParse::SegmentSearch found =
            ExifParse::ScanForExifSegment(window.data(), base, have, size, scan);
        if (found == ExifParse::SegmentSearch::NeedMoreBytes) continue;
        if (found == ExifParse::SegmentSearch::NoApp1Marker) LogText("Exif: APP1 Marker not found");
        if (found != ExifParse::SegmentSearch::Found) return false;
        break;
    }

    DWORD length = scan.segmentLength;
    const DWORD start = static_cast<DWORD>(scan.segmentStart);
    m_Segment.assign(length, 0);
    const DWORD inWindow = std::min(length, base + have - start);
    std::memcpy(m_Segment.data(), window.data() + (start - base), inWindow);
    if (inWindow < length) {
        DWORD read = 0;
        file.Read(m_Segment.data() + inWindow, length - inWindow, &read);
        length = inWindow + read;
        m_Segment.resize(length);
        if (length < ExifParse::kMinSegmentLength) return false;
    }
    return true;
}

DWORD CExif::GetOrientation() const
{
    return m_Tags.orientation.found ? m_Tags.orientation.value : 0;
}

bool CExif::GetDateTime(FILETIME* pFileTime) const
{
    FILETIME zero{};
    if (pFileTime) *pFileTime = zero;

    const ExifParse::TagSlot* slot = ExifParse::DateSlot(m_Tags);
    ExifParse::DateFields fields;
    if (!slot || !ExifParse::ParseDateText(slot->text, fields)) return false;

    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(fields.year);
    st.wMonth = static_cast<WORD>(fields.month);
    st.wDay = static_cast<WORD>(fields.day);
    st.wHour = static_cast<WORD>(fields.hour);
    st.wMinute = static_cast<WORD>(fields.minute);
    st.wSecond = static_cast<WORD>(fields.second);
    FILETIME ft{};
    if (!::SystemTimeToFileTime(&st, &ft)) return false;
    if (pFileTime) *pFileTime = ft;
    return true;
}
