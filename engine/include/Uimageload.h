// A JPEG file decoded whole into a DIB pair that the engine owns: the way the composition and the
// screen saver read their image.
#pragma once

#include <windows.h>

#include "Udib.h"

// The decoder reports the header first and the pixel size with it; only a plain 8- or 24-bit
// image whose pixels fit that size (and the engine's cap) goes on.
bool IsDecodedImageUsable(const BITMAPINFOHEADER& header, ULONGLONG size);

enum class ImageLoad {
    Loaded,
    HeaderFailed,  // the size query failed: not a JPEG the decoder reads
    DataFailed,    // the pixels could not be decoded
    Refused,       // an image the engine cannot use, or no memory for it (logged here)
    Cancelled      // a cancel request came after a decoder call
};

// A size query, then the pixels into blocks of exactly the size it reported, turned by the EXIF
// orientation when asked. `caller` names the operation in the log lines of refusals. With
// `stopOnCancel`, the cancel flag is asked after each decoder call.
ImageLoad LoadDecodedImage(const char* caller, const char* path, bool rotateByExif, bool stopOnCancel,
                           CDibPair& image);
