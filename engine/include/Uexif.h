// Reads the EXIF block of a JPEG file far enough to know how the camera was held and when the
// picture was taken.
#pragma once

#include <windows.h>

#include <vector>

#include "ExifParse.h"
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

    static constexpr int kMaxValueText = ExifParse::kMaxValueText;
    // IFD chains longer than this, or coming back to an IFD already read, end the walk.
    static constexpr int kMaxIfdCount = ExifParse::kMaxIfdCount;

private:
    bool ReadSegment(const char* szPath);

    std::vector<BYTE> m_Segment;  // the APP1 segment from its length field on
    TxString m_sFilePath;
    DWORD m_dwFileSize = 0;
    ExifParse::ExifTags m_Tags;
};
