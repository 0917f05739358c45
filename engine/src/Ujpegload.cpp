// JPEG loading through KvImage, turned by the EXIF orientation, and the size of a JPEG.
#include "Ujpegload.h"

#include <exception>

#include "Fprogress.h"
#include "KvImage.h"
#include "UTxLog.h"
#include "Udib.h"
#include "Uexif.h"

namespace {

// What KvImage's last error says, in the log's words; NULL for a file that could not be read, whose
// code is the system's own.
const char* DecodeFailureReason(DWORD dwError)
{
    switch (dwError) {
    case KVIMAGE_ERROR_DATA:
        return "not a JPEG, or damaged";
    case KVIMAGE_ERROR_UNSUPPORTED:
        return "a kind of JPEG that is not supported";
    case KVIMAGE_ERROR_TOO_LARGE:
        return "too large";
    case KVIMAGE_ERROR_BUFFER_TOO_SMALL:
        return "the buffer is too small";
    default:
        return nullptr;
    }
}

// KvImage's reduced-scale decode, or NULL beside a KvImage.dll of an earlier release. Looked up by
// ordinal at run time: an import of it would keep the engine from loading beside such a DLL.
KvImageDecodeScaledProc ScaledDecoder()
{
    const HMODULE kvImage = ::GetModuleHandleA("KvImage.dll");
    if (!kvImage) return nullptr;
    return reinterpret_cast<KvImageDecodeScaledProc>(
        reinterpret_cast<void*>(::GetProcAddress(kvImage, MAKEINTRESOURCEA(KVIMAGE_ORDINAL_DECODE_SCALED))));
}

BOOL CallDecoder(BITMAPINFO* pBmpInfo, void* pBmpData, const char* szPath, DWORD* pdwSize, UINT uScale)
{
    if (uScale == KVIMAGE_FULL_SCALE) return DecodeJpgToDib(pBmpInfo, pBmpData, szPath, pdwSize);
    const KvImageDecodeScaledProc decodeScaled = ScaledDecoder();
    if (!decodeScaled) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    return decodeScaled(pBmpInfo, pBmpData, szPath, pdwSize, uScale);
}

// Every decoder call goes through here: KvImage answers only FALSE, and its last error is the one
// place that says why a photo was not shown. The error is set again for callers that read it.
// uScale is the size in eighths of the full size.
bool Decode(BITMAPINFO* pBmpInfo, void* pBmpData, const char* szPath, DWORD* pdwSize, UINT uScale)
{
    if (CallDecoder(pBmpInfo, pBmpData, szPath, pdwSize, uScale)) return true;
    const DWORD dwError = ::GetLastError();
    const char* szFile = szPath ? szPath : "(no path)";
    if (const char* szReason = DecodeFailureReason(dwError)) {
        LogF("!KvImage: %s: %s (error %lu)", szFile, szReason, static_cast<unsigned long>(dwError));
    } else {
        ::SetLastError(dwError);  // the next line logs the system's text of it
        LogLastErrorF("!KvImage: %s: the file cannot be read (error %lu)", szFile,
                      static_cast<unsigned long>(dwError));
    }
    ::SetLastError(dwError);
    return false;
}

// Pixel bytes of the image turned by 90 degrees: its rows are the old columns.
ULONGLONG RotatedPixelBytes(const BITMAPINFOHEADER& h)
{
    return DibRowBytes(static_cast<LONGLONG>(DibRowCount(h.biHeight)), h.biBitCount) *
           static_cast<ULONGLONG>(h.biWidth);
}

// The turned path copies whole pixels of the depths KvImage delivers; the size rule the callers
// allocate by holds for 8 and 24 bits only.
bool CanRotate(const BITMAPINFOHEADER& h)
{
    if (h.biBitCount != 8 && h.biBitCount != 24) {
        LogF("LoadBmpFromJpgFileEx: %d bits per pixel cannot be rotated", static_cast<int>(h.biBitCount));
        return false;
    }
    if (h.biWidth < 1 || h.biHeight == 0) {
        LogF("LoadBmpFromJpgFileEx: invalid image size %ldx%ld", static_cast<long>(h.biWidth),
             static_cast<long>(h.biHeight));
        return false;
    }
    if (DibPixelBytes(h) > kMaxDibPixelBytes || RotatedPixelBytes(h) > kMaxDibPixelBytes) {
        LogF("LoadBmpFromJpgFileEx: image of %ldx%ld is too large", static_cast<long>(h.biWidth),
             static_cast<long>(h.biHeight));
        return false;
    }
    return true;
}

// A size query for the turned image: the header is rewritten for it.
bool QueryRotated(BITMAPINFO* pBmpInfo, const char* szPath, DWORD* pdwSize, UINT uScale)
{
    DibHeaderBlock temporary{};
    BITMAPINFO* header = pBmpInfo ? pBmpInfo : temporary.Info();
    DWORD dwSize = 0;
    if (!Decode(header, nullptr, szPath, &dwSize, uScale)) return false;
    BITMAPINFOHEADER& h = header->bmiHeader;
    if (!CanRotate(h)) return false;

    const DWORD dwRotated = static_cast<DWORD>(RotatedPixelBytes(h));
    const LONG w = h.biWidth;
    const LONG rows = static_cast<LONG>(DibRowCount(h.biHeight));
    if (pBmpInfo) {
        h.biWidth = rows;
        h.biHeight = h.biHeight < 0 ? -w : w;
        h.biSizeImage = dwRotated;
    }
    if (pdwSize) *pdwSize = dwRotated;
    return true;
}

// Decodes into a temporary buffer and turns the image into the caller's buffer, which is touched
// only when it is known to be large enough (dwCapacity 0: trusted, as the caller asked).
bool DecodeRotated(BITMAPINFO* pBmpInfo, void* pBmpData, const char* szPath, DWORD dwCapacity,
                   DWORD dwOrientation, UINT uScale, DWORD* pdwRotated)
{
    DibHeaderBlock query{};
    DWORD dwUnrotated = 0;
    if (!Decode(query.Info(), nullptr, szPath, &dwUnrotated, uScale)) return false;
    const BITMAPINFOHEADER& q = query.bmiHeader;
    if (!CanRotate(q)) return false;
    if (dwUnrotated < DibPixelBytes(q)) {
        LogF("LoadBmpFromJpgFileEx: decoder size %lu is below the image's %lu bytes",
             static_cast<unsigned long>(dwUnrotated), static_cast<unsigned long>(DibPixelBytes(q)));
        return false;
    }
    const ULONGLONG rotated = RotatedPixelBytes(q);
    if (dwCapacity && dwCapacity < rotated) {
        LogF("LoadBmpFromJpgFileEx: buffer of %lu bytes too small for %lu",
             static_cast<unsigned long>(dwCapacity), static_cast<unsigned long>(rotated));
        return false;
    }

    GlobalBlock temporaryPixels = AllocDibBlock(dwUnrotated);
    if (!temporaryPixels) {
        LogF("LoadBmpFromJpgFileEx: no memory for %lu bytes", static_cast<unsigned long>(dwUnrotated));
        return false;
    }
    DibHeaderBlock temporaryHeader{};
    BITMAPINFO* header = pBmpInfo ? pBmpInfo : temporaryHeader.Info();
    DWORD dwDecodeCapacity = dwUnrotated;
    if (!Decode(header, temporaryPixels.get(), szPath, &dwDecodeCapacity, uScale)) return false;

    // The file may have been replaced since the query; the caller allocated for the queried image.
    const BITMAPINFOHEADER& h = header->bmiHeader;
    if (h.biWidth != q.biWidth || h.biHeight != q.biHeight || h.biBitCount != q.biBitCount) {
        LogText("LoadBmpFromJpgFileEx: the image changed while it was read");
        return false;
    }

    LogF("Orientation in EXIF: %d, rotating bitmap", static_cast<int>(dwOrientation));
    if (!RotateBitmap90(&header->bmiHeader, temporaryPixels.get(), pBmpData,
                        dwOrientation == kOrientationClockwise)) {
        return false;
    }
    *pdwRotated = static_cast<DWORD>(rotated);
    return true;
}

// The decode, turned when dwTurn is an orientation to turn by (6 or 8), else as stored.
bool DecodeTurned(BITMAPINFO* pBmpInfo, void* pBmpData, const char* szPath, DWORD* pdwSize, DWORD dwTurn,
                  UINT uScale)
{
    if (dwTurn != kOrientationClockwise && dwTurn != kOrientationCounterClockwise)
        return Decode(pBmpInfo, pBmpData, szPath, pdwSize, uScale);

    if (!pBmpData) return QueryRotated(pBmpInfo, szPath, pdwSize, uScale);

    const DWORD dwCapacity = pdwSize ? *pdwSize : 0;
    DWORD dwRotated = 0;
    if (!DecodeRotated(pBmpInfo, pBmpData, szPath, dwCapacity, dwTurn, uScale, &dwRotated)) return false;
    if (pdwSize && dwCapacity) *pdwSize = dwRotated;
    return true;
}

// The orientation to turn by (6 or 8) that an EXIF block read from the file gives, else 0.
DWORD TurnOf(const CExif& exif)
{
    const DWORD dwOrientation = exif.GetOrientation();
    return dwOrientation == kOrientationClockwise || dwOrientation == kOrientationCounterClockwise
               ? dwOrientation
               : 0;
}

bool LoadJpgFile(BITMAPINFO* pBmpInfo, void* pBmpData, const char* szPath, DWORD* pdwSize, bool bRotateByExif,
                 FILETIME* pExifDate)
{
    if (pExifDate) *pExifDate = FILETIME{};
    if (!szPath) return false;

    // The EXIF block is read on every call: it also gives the date.
    CExif exif;
    const bool bExif = exif.ReadFromFile(szPath);
    if (bExif && pExifDate) exif.GetDateTime(pExifDate);
    const DWORD dwTurn = bExif && bRotateByExif ? TurnOf(exif) : 0;
    return DecodeTurned(pBmpInfo, pBmpData, szPath, pdwSize, dwTurn, KVIMAGE_FULL_SCALE);
}

}  // namespace

extern "C" BOOL __stdcall LoadBmpFromJpgFileEx(BITMAPINFO* pBmpInfo, void* pBmpData, const char* szPath,
                                               DWORD* pdwSize, BOOL bRotateByExif, FILETIME* pExifDate)
{
    try {
        return LoadJpgFile(pBmpInfo, pBmpData, szPath, pdwSize, bRotateByExif != FALSE, pExifDate) ? TRUE
                                                                                                   : FALSE;
    } catch (const std::exception& e) {
        LogF("!LoadBmpFromJpgFileEx: exception: %s", e.what());
    } catch (...) {
        LogText("!LoadBmpFromJpgFileEx: unknown exception");
    }
    return FALSE;
}

bool CanDecodeJpgScaled()
{
    return ScaledDecoder() != nullptr;
}

DWORD ReadExifTurn(const char* szPath)
{
    CExif exif;
    return szPath && exif.ReadFromFile(szPath) ? TurnOf(exif) : 0;
}

bool LoadScaledBmpFromJpgFile(BITMAPINFO* pBmpInfo, void* pBmpData, const char* szPath, DWORD* pdwSize,
                              DWORD dwTurn, UINT uScale)
{
    return szPath && DecodeTurned(pBmpInfo, pBmpData, szPath, pdwSize, dwTurn, uScale);
}

bool GetJpgFileInfo(const char* szPath, int* piWidth, int* piHeight)
{
    CLogScope scope("GetJpgFileInfo");
    if (!szPath) return false;
    ReportProgressF(gld_ReadingS, szPath);
    DibHeaderBlock header{};
    if (!Decode(header.Info(), nullptr, szPath, nullptr, KVIMAGE_FULL_SCALE)) return false;
    if (piWidth) *piWidth = header.bmiHeader.biWidth;
    if (piHeight) *piHeight = static_cast<int>(DibRowCount(header.bmiHeader.biHeight));
    return true;
}
