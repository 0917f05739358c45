// JPEG loading through KvImage with EXIF rotation, image information, .bmp loading, 90-degree
// rotation and the average colour of a DIB pair (see Udib.h for the pair itself).
#pragma once

#include <windows.h>

// Decodes a JPEG into a DIB pair, turned by its EXIF orientation (6 clockwise, 8 counter-clockwise)
// when rotateByExif is set. Without a pixel buffer it is a size query: the header block (when
// given) and *pdwSize (when given) describe the image as it will be delivered. With a pixel
// buffer, a nonzero *pdwSize is the buffer's capacity: an image that needs more gives FALSE and
// the buffer is not touched; on success the real size is written back. pExifDate, when given,
// receives the EXIF date as written in the file (no time-zone shift), or 0.
// Exported as ordinal 1; takes no engine lock.
extern "C" BOOL __stdcall LoadBmpFromJpgFileEx(BITMAPINFO* pBmpInfo, void* pBmpData, const char* szPath,
                                               DWORD* pdwSize, BOOL bRotateByExif, FILETIME* pExifDate);

// Whether the KvImage.dll the engine runs with decodes at a reduced scale (an earlier release does
// not, and then only the full size is decoded).
bool CanDecodeJpgScaled();

// The two EXIF orientations that are turned.
constexpr DWORD kOrientationClockwise = 6;
constexpr DWORD kOrientationCounterClockwise = 8;

// The EXIF orientation of the file when it asks for a quarter turn (6 clockwise, 8 counter-clockwise),
// else 0: read once by a caller that decodes the file more than once.
DWORD ReadExifTurn(const char* szPath);

// LoadBmpFromJpgFileEx (without the EXIF read) for the image decoded at uScale / 8 of its size, 1 to
// 8, then turned by dwTurn (an orientation from ReadExifTurn; 0 keeps it as stored): the turn costs
// what the smaller image costs. Below 8 it needs CanDecodeJpgScaled. Not exported: the exports keep
// their full-size contract.
bool LoadScaledBmpFromJpgFile(BITMAPINFO* pBmpInfo, void* pBmpData, const char* szPath, DWORD* pdwSize,
                              DWORD dwTurn, UINT uScale);

// Turns an image by 90 degrees as it is seen (for both row orders), from pSrcBmpData into
// pDstBmpData, which must hold the rotated image (pBmpHeader->biSizeImage afterwards). The header
// is rewritten for the rotated image; the row order is kept. A cancel request stops the copy and
// still gives true (the caller discards the partial result).
bool RotateBitmap90(BITMAPINFOHEADER* pBmpHeader, const void* pSrcBmpData, void* pDstBmpData,
                    bool bClockwise);

// Size of a JPEG as stored (without EXIF rotation); either output may be NULL.
bool GetJpgFileInfo(const char* szPath, int* piWidth, int* piHeight);

// Loads an 8- or 24-bit uncompressed .bmp file into one zeroed block of fixed global memory holding
// everything after the file header; *ppBmpInfo is the block (free it with GlobalFree) and
// *ppBmpData points at the pixels inside it. Both are NULL on failure.
bool LoadBmpFromFile(const char* szPath, BITMAPINFO** ppBmpInfo, void** ppBmpData);
// The same; when the file holds a bitmap header that this loader refuses (another bit count, a
// compression, pixels beyond the file), that header is copied to *pRefused, else it is zeroed.
bool LoadBmpFromFile(const char* szPath, BITMAPINFO** ppBmpInfo, void** ppBmpData,
                     BITMAPINFOHEADER* pRefused);

// The mean colour of an 8-bit (grey: the mean palette index) or 24-bit image; 0 for other depths
// or an empty image, 0x7F7F7F when an argument is NULL. A cancel request stops the summing, and
// the mean is still taken over the whole pixel count.
COLORREF GetAverageRgbValue(const BITMAPINFO* pBmpInfo, const void* pBmpData);
