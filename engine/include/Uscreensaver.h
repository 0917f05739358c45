// One step of the screen saver: the next image of its own cycle through the image database, fitted
// to the saver's window and brought in with a transition (ScreenSaverReplaceImage, Uwallapi.h).
#pragma once

#include <windows.h>

#include "UTxStrings.h"
#include "Ufit.h"
#include "Wcommon.h"

// Picks the screen saver's next image: each image used for the screen saver once per cycle, in
// random order (\ScreenSaver "RandomSelection") or oldest file first, and sets its shown bit of that
// order in the record file. When every eligible image has the bit, all bits of that order are cleared
// first and a new cycle begins. On true the outputs hold the image's folder, name, date text (its
// EXIF date, else its file date) and stored average colour; on false they are untouched. A cancel
// request ends it with false. Images it passed over get the bit too; it tries its candidates in
// batches as the wallpaper's selection does (SetSelectionBatchesPerCall), and the next call goes on
// after them. An image whose stored size the limits reject is passed over without being opened.
bool FindNextScreenSaverImage(const RegistryRecord* record, TxString* folder, TxString* name,
                              TxString* dateText, COLORREF* colour);

// The size an iWidth x iHeight image gets in an iDstWidth x iDstHeight window: its own when it is
// the window's or, with `shrinkOnly`, when it fits; else as large as the window allows at its own
// aspect ratio (never below 1 pixel). Logs the decision.
CImageFit FitScreenSaverImage(int iWidth, int iHeight, int iDstWidth, int iDstHeight, bool shrinkOnly);

// Decodes the image at folder\name, fits and centres it on a canvas of the window's client size
// (black, or the image's average colour), writes the caption when asked for and the window is at
// least 600 pixels wide, and brings the canvas onto the window with a transition. False when
// anything failed or a cancel request came before the transition began.
bool PaintScreenSaverImage(HWND hWnd, const TxString& folder, const TxString& name, const TxString& dateText,
                           const RegistryRecord& record);
