// The desktop bitmap: one JPEG fitted into the work area on a background of its average colour or
// a tinted texture, with an optional frame, month calendar and file-name caption, written to the
// work bitmap file (\Files "WorkBmpFile").
#pragma once

#include <windows.h>

#include <string>

#include "Wcommon.h"

class CPaintableDib;

// Composes the image at `imagePath` and writes the work bitmap; true when it was written. An
// average colour of 0xFFFFFFFF is computed and stored through `averageColor`; any other value is
// used as it is. Every failure and every cancel before the save leaves the old work bitmap whole.
bool ComposeBackgroundBitmap(const RegistryRecord* settings, const char* imagePath, const char* fileName,
                             const char* dateText, COLORREF* averageColor);

// Whether the margins and the frame leave room for an image in the screen's work area; when they do
// not, the log names them. No image can be composed then, whichever it is.
bool HasRoomForImage(const DisplaySettings& display);

// The same for an image already decoded (a DIB pair of 8 or 24 bits); the pair is only read.
bool ComposeBackgroundBitmapFromDib(const RegistryRecord& settings, const BITMAPINFO* header,
                                    const void* pixels, const char* imagePath, const char* fileName,
                                    const char* dateText, COLORREF* averageColor);

// Writes the caption of BuildCaptionText on the canvas in the font, corner and margins of `display`
// inside `area`: in the colour that contrasts with `background`, outlined in `background`.
void DrawCaption(CPaintableDib& canvas, const DisplaySettings& display, const RECT& area,
                 const char* imagePath, const char* fileName, const char* dateText, COLORREF background);

// The caption: the file name without its last ".jpg" (or else ".jpeg") and with blanks for "_",
// or the full path unchanged; then ", " and the date when asked for.
std::string BuildCaptionText(const DisplaySettings& display, const char* imagePath, const char* fileName,
                             const char* dateText);

// Five one-pixel rings around the inclusive rectangle, `frameWidth` away from it at the outside:
// a ridge lighter at the top and left and darker at the bottom and right, in the image's colour.
void DrawFrame(HDC dc, RECT inclusive, COLORREF averageColor, int frameWidth);
