// The engine's chief header: the operations behind the WpApi_ exports.
#pragma once

#include <windows.h>

#include "WpApi.h"  // LoadBmpFromJpgFileEx: the decoding routine is itself the export of ordinal 1

struct RegistryRecord;

// Wallpaper operations. SetWallpaper fills the CurrentImage part of the caller's record.
bool SetWallpaper(RegistryRecord* record, const char* folderPath, const char* fileName, const char* dateText,
                  COLORREF averageColor);
bool SetRandomWallpaper();
bool UpdateCurrentWallpaper();
// True once the current image's record holds FLAG_EXCLUDE_IMAGE; false, logged with "!", when the
// record could not be written (the database lock held by another program past its wait, the file
// unreadable) or the image is not in the list.
bool ExcludeCurrentFromList();

// Screen saver: picks the next image and paints it into the window with a transition.
bool ScreenSaverReplaceImage(HWND window, RegistryRecord* record);

// Calendar: may change the record's dwMarginRight.
void RecalcRightMarginForCalendar(RegistryRecord& record);

// Image information; either output may be NULL.
bool GetJpgFileInfo(const char* path, int* width, int* height);
COLORREF GetAverageRgbValue(const BITMAPINFO* info, const void* bits);
