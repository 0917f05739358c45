// Resizing a DIB pair (8 or 24 bits; Udib.h) to a new width and height.
#pragma once

#include <windows.h>

#include "Udib.h"

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

// Where the pixels of an image decoded at a reduced scale lie on the same image at full size, both
// as seen (after the EXIF turn) and in memory order: decoded pixel j of a side covers the full-size
// pixels from origin + j x 8 / scale to origin + (j + 1) x 8 / scale. The origin is 0 for a side
// that runs in the decoder's order. A side that runs against it (one the turn reversed, or the rows
// of a bottom-up image) starts with the decoder's last pixel, which covers less when the full side
// is no whole number of reduced pixels: its origin is then below 0.
struct CReducedGrid {
    UINT uScale = 8;  // in eighths of the full size
    int iFullWidth = 0;
    int iFullHeight = 0;
    double dOriginX = 0;
    double dOriginY = 0;
};

// The image resized to iNewWidth x iNewHeight into `resampled` by either resampler (their header
// rules and refusals), false when it fails. With `reduced` below 8 the image is one decoded at
// that scale, and output pixel (x, y) takes what the resampler takes at the same place of the
// full-size image, so that a reduced decode shows every detail where the full-size decode shows it.
bool ResampleDib(const BITMAPINFO* pSrcInfo, const void* pSrcBits, int iNewWidth, int iNewHeight,
                 bool bInterpolate, const CReducedGrid* reduced, CDibPair& resampled);

// The upsampled line length L = srcLength x k and the factor k (a power of two) that the
// interpolating resampler uses for one direction; both lengths at least 1.
void GetUpsampling(int iSrcLength, int iNewLength, ULONGLONG* pLineLength, ULONGLONG* pFactor);
