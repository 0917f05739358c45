// Reads the EXIF block of a JPEG file far enough to know how the camera was held and when the
// picture was taken.
#pragma once

#include <windows.h>

#include <vector>

#include "UTxStrings.h"

class CExif {
public:
    CExif();
    CExif(const CExif&) = delete;
    CExif& operator=(const CExif&) = delete;

    // True when an APP1 "Exif" segment was found and its IFD chain walked (as far as it lies
    // inside the segment).
    bool ReadFromFile(const char* szPath);
    // The DateTimeOriginal text, else the DateTime text, as a FILETIME of the wall-clock time
    // written in the file; false and 0 when there is none or it is no real date.
    bool GetDateTime(FILETIME* pFileTime) const;
    // The Orientation value, 0 when the tag was not found.
    DWORD GetOrientation() const;

    static constexpr int kMaxValueText = 4200;
    // IFD chains longer than this, or coming back to an IFD already read, end the walk.
    static constexpr int kMaxIfdCount = 32;

private:
    struct TagSlot {
        bool bFound;
        WORD wTag;
        char szName[30];
        char szValue[kMaxValueText + 1];
        DWORD dwValue;
    };
    enum SlotIndex { SlotOrientation, SlotDateTime, SlotDateTimeOriginal, SlotDateTimeDigitized, SlotCount };

    bool FindSegment(const char* szPath);
    void WalkIfdChain();
    void HandleTag();
    bool ReadU16(ULONGLONG pos, DWORD& value) const;
    bool ReadU32(ULONGLONG pos, DWORD& value) const;

    std::vector<BYTE> m_Segment;  // the APP1 segment from its length field on
    TxString m_sFilePath;
    DWORD m_dwFileSize = 0;
    DWORD m_dwSegmentLength = 0;
    BYTE m_bByteOrder = 0;  // 0 little-endian ("II"), 1 big-endian ("MM")
    DWORD m_dwIfd0Offset = 8;
    DWORD m_dwIfdPosition = 0;
    DWORD m_dwEntryCount = 0;
    DWORD m_dwTag = 0;
    DWORD m_dwType = 0;
    DWORD m_dwCount = 0;
    DWORD m_dwValue = 0;
    DWORD m_dwEntryPosition = 0;
    TagSlot m_Slots[SlotCount];
};
