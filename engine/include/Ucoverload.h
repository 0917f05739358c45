// A JPEG decoded no larger than its drawing needs: the way the wallpaper composition and the screen
// saver read their image. The fit is worked out on the image's full size, as seen after its EXIF
// turn; the decode then runs at the smallest reduced scale whose image still covers the fitted
// size (of the scales that decode faster than the whole image), and is turned after that. The
// caller's resampler makes the final size from it, reading it where it would read the full-size
// image (`grid`), so the fit, the margins and the positions are those of a full-size decode.
#pragma once

#include <windows.h>

#include <functional>

#include "Udib.h"
#include "Ufit.h"
#include "Uresample.h"

// The fit of an image of iWidth x iHeight pixels as seen (after the EXIF turn); false refuses it.
using CoverFitRule = std::function<bool(int iWidth, int iHeight, CImageFit& fit)>;

enum class CoverLoad {
    Loaded,
    HeaderFailed,  // the size query failed: not a JPEG the decoder reads
    DataFailed,    // the pixels could not be decoded
    Refused,       // refused by the fit, an image the engine cannot use, or no memory for it
    Cancelled      // a cancel request came after a decoder call
};

struct CCoverImage {
    CDibPair image;     // the whole image, or a reduced one at least fit.iNewWidth x fit.iNewHeight
    CImageFit fit;      // the rule's fit of the full-size image
    CReducedGrid grid;  // the decoded scale (grid.uScale, in eighths) and where its pixels lie
};

// The decoder reports the header first and the pixel size with it; only a plain 8- or 24-bit
// image whose pixels fit that size (and the engine's cap) goes on.
bool IsDecodedImageUsable(const BITMAPINFOHEADER& header, ULONGLONG size);

// After a size query of `path` failed with the last error `failure`: when the image is too large to
// decode whole, its size as seen after the turn `turn` (see ReadExifTurn), measured at 1/8 (to
// within seven pixels, enough to fit an image that only a reduced decode can show). False for every
// other failure.
bool MeasureTooLargeJpg(const char* path, DWORD turn, DWORD failure, int& width, int& height);

// libjpeg-turbo decodes 5/8, 6/8 and 7/8 slower than the whole image, having no SIMD code for those
// sizes (djpeg on a 24-megapixel photo: 1.3, 1.6 and 2.0 times the whole decode), so an image that
// only those scales would shrink is decoded whole.
constexpr UINT kLargestReducedScale = 4;

// The smallest scale M (1 to 4, else 8) at which a iWidth x iHeight image, decoded at
// ceil(side x M / 8) pixels a side, still covers iCoverWidth x iCoverHeight.
UINT CoveringScale(int iWidth, int iHeight, int iCoverWidth, int iCoverHeight);

// Decodes `path` for drawing at the size `fitRule` gives it, turned by its EXIF orientation when
// asked. Decodes at full size when the fit needs it or KvImage.dll has no reduced-scale decode.
// `caller` names the operation in the log lines of refusals; with `stopOnCancel` the cancel flag is
// asked after each decoder call.
CoverLoad LoadJpgToCover(const char* caller, const char* path, bool rotateByExif, bool stopOnCancel,
                         const CoverFitRule& fitRule, CCoverImage& out);
