// The JPEG decoder DLL. KvImage.dll exports two functions, by ordinal only: 2 decodes at full size,
// 3 at a reduced scale. A KvImage.dll of an earlier release has only ordinal 2.
//
// DecodeJpgToDib(header, pixels, path, size):
// - header: a 1064-byte block (BITMAPINFOHEADER + 256 RGBQUAD) or NULL. Filled with biSize 40, the
//   width, a positive biHeight (rows bottom-up), biPlanes 1, biBitCount 8 (grayscale, with the
//   identity grey palette) or 24 (bytes B, G, R), BI_RGB and biSizeImage. The palette area of a
//   24-bit image is left as it was.
// - pixels: NULL for a header query (only the markers up to the first scan are read), else the
//   buffer the pixels are decoded into; rows are padded to 4 bytes.
// - size: NULL, or receives the byte size the pixel buffer needs. On a decode call a nonzero value
//   going in is the buffer's capacity: too small a buffer is refused (FALSE, buffer untouched, the
//   needed size written back).
// Returns nonzero on success. Images above 512 MiB of pixels, 12-bit, lossless and other than 1-, 3-
// or 4-component files are refused; truncated data decodes, the missing part grey.
//
// After a FALSE result GetLastError() tells why, one code per reason:
// - the file: the system's code of the failed open or read (ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED,
//   ...; ERROR_INVALID_PARAMETER for a NULL or empty path), never one of the four below;
// - KVIMAGE_ERROR_DATA: not a JPEG, or damaged beyond decoding;
// - KVIMAGE_ERROR_UNSUPPORTED: a JPEG of a kind not decoded here (12-bit, lossless, 2 components,
//   more than 100 progressive scans);
// - KVIMAGE_ERROR_TOO_LARGE: above 512 MiB of pixels, or beyond the decoder's memory;
// - KVIMAGE_ERROR_BUFFER_TOO_SMALL: the capacity given in *size is below the image's size.
//
// Ordinal 3, DecodeJpgToDibScaled(header, pixels, path, size, scaleEighths): the same calls, results,
// limits and last errors, for the image decoded at scaleEighths / 8 of its size (1 to 8) by the
// decoder's reduced-size inverse DCT: ceil(width * scaleEighths / 8) x ceil(height * scaleEighths / 8)
// pixels, and the 512 MiB cap applies to that image. scaleEighths 8 gives what ordinal 2 gives; any
// value outside 1 to 8 is refused with ERROR_INVALID_PARAMETER. It has no import-library entry:
// callers look it up with GetProcAddress(module, MAKEINTRESOURCEA(KVIMAGE_ORDINAL_DECODE_SCALED)),
// so that they still load, and can fall back to ordinal 2, beside a KvImage.dll without it.
#pragma once

#include <windows.h>

#define KVIMAGE_ERROR_DATA ERROR_INVALID_DATA
#define KVIMAGE_ERROR_UNSUPPORTED ERROR_NOT_SUPPORTED
#define KVIMAGE_ERROR_TOO_LARGE ERROR_NOT_ENOUGH_MEMORY
#define KVIMAGE_ERROR_BUFFER_TOO_SMALL ERROR_INSUFFICIENT_BUFFER

#define KVIMAGE_ORDINAL_DECODE_SCALED 3
#define KVIMAGE_FULL_SCALE 8  // scaleEighths of the full size

#ifdef KVIMAGE_BUILDING_DLL
#define KVIMAGE_API
#else
#define KVIMAGE_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

KVIMAGE_API BOOL __stdcall DecodeJpgToDib(BITMAPINFO* header, void* pixels, const char* path, DWORD* size);

typedef BOOL(__stdcall* KvImageDecodeScaledProc)(BITMAPINFO* header, void* pixels, const char* path,
                                                 DWORD* size, UINT scaleEighths);

#ifdef __cplusplus
}
#endif
