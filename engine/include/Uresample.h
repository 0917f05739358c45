// Resizing a DIB pair (8 or 24 bits; Udib.h) to a new width and height.
#pragma once

#include <windows.h>

// Both resamplers return a new DIB pair in *ppDstInfo and *ppDstBits: a 1064-byte header block
// copied from the source (with the palette for 8 bits; biWidth = newWidth, biHeight = newHeight
// with the source's sign, biSizeImage 0) and a zeroed pixel block, both fixed global memory that
// the caller frees with GlobalFree (CDibPair does it). Other depths, empty images, new sizes
// below 1 and sizes above the cap are refused with false and nothing allocated; the outputs are
// then NULL. A cancel request stops the work and still gives true (the caller tests the flag).

// Nearest neighbour: output pixel (x, y) is source pixel (W * x / w, H * y / h).
bool StretchBitmap(const BITMAPINFO* pSrcInfo, const void* pSrcBits, BITMAPINFO** ppDstInfo, void** ppDstBits,
                   int iNewWidth, int iNewHeight);

// Separable interpolation: each line is upsampled by a power of two with midpoint subdivision
// until it is at least five times the new length, then the nearest sample is taken; a shrink by
// five or more takes the rounded-down mean of neighbouring pairs instead.
bool InterpolativeStretchBitmap(const BITMAPINFO* pSrcInfo, const void* pSrcBits, BITMAPINFO** ppDstInfo,
                                void** ppDstBits, int iNewWidth, int iNewHeight);

// The upsampled line length L = srcLength x k and the factor k (a power of two) that the
// interpolating resampler uses for one direction; both lengths at least 1.
void GetUpsampling(int iSrcLength, int iNewLength, ULONGLONG* pLineLength, ULONGLONG* pFactor);
