// The JPEG decoder DLL. KvImage.dll exports one function, by ordinal 2 only.
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
#pragma once

#include <windows.h>

#ifdef KVIMAGE_BUILDING_DLL
#define KVIMAGE_API
#else
#define KVIMAGE_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

KVIMAGE_API BOOL __stdcall DecodeJpgToDib(BITMAPINFO* header, void* pixels, const char* path, DWORD* size);

#ifdef __cplusplus
}
#endif
