// The exports of KvApi.dll, stdcall, for programs that link its import library (the names below) or
// bind it at run time (the pointer types, looked up by the plain names in the comments).
#pragma once

#include <windows.h>

struct RegistryRecord;

typedef void(__stdcall* ProgressProc)(const char* text);

extern "C" {
// Ordinal 1, no engine lock: decodes a JPEG file into a caller's DIB pair (size query first).
BOOL __stdcall LoadBmpFromJpgFileEx(BITMAPINFO* info, void* bits, const char* path, DWORD* size,
                                    BOOL rotateByExif, FILETIME* exifDate);
void __stdcall WpApi_ShowProgressWindow();                                           // 2
void __stdcall WpApi_SetProgressMsg(const char* text);                               // 3
void __stdcall WpApi_HideProgressWindow();                                           // 4
void __stdcall WpApi_RecalcRightMarginForCalendar(RegistryRecord* record);           // 5
void __stdcall WpApi_SetProgressProc(ProgressProc proc);                             // 6
BOOL __stdcall WpApi_GetJpgFileInfo(const char* path, DWORD* width, DWORD* height);  // 7
COLORREF __stdcall WpApi_GetAverageRgbValue(BITMAPINFO* info, void* bits);           // 8
BOOL __stdcall WpApi_LoadBmpFromJpgFile(BITMAPINFO* info, void* bits, const char* path, DWORD* size,
                                        BOOL rotateByExif, FILETIME* exifDate);  // 9
BOOL __stdcall WpApi_SetWallpaper(RegistryRecord* record, const char* folder, const char* name,
                                  const char* dateText, COLORREF averageColor);     // 10
BOOL __stdcall WpApi_UpdateCurrentWallpaper();                                      // 11
BOOL __stdcall WpApi_SetRandomWallpaper();                                          // 12
BOOL __stdcall WpApi_ExcludeCurrentFromList();                                      // 13
void __stdcall WpApi_CancelCurrentOperation();                                      // 14
BOOL __stdcall WpApi_Cancelled();                                                   // 15
BOOL __stdcall WpApi_ScreenSaverReplaceImage(HWND window, RegistryRecord* record);  // 16
}

typedef BOOL(__stdcall* PFN_LoadBmpFromJpgFileEx)(BITMAPINFO*, void*, const char*, DWORD*, BOOL, FILETIME*);
typedef void(__stdcall* PFN_WpApi_ShowProgressWindow)();
typedef void(__stdcall* PFN_WpApi_SetProgressMsg)(const char*);
typedef void(__stdcall* PFN_WpApi_HideProgressWindow)();
typedef void(__stdcall* PFN_WpApi_RecalcRightMarginForCalendar)(RegistryRecord*);
typedef void(__stdcall* PFN_WpApi_SetProgressProc)(ProgressProc);
typedef BOOL(__stdcall* PFN_WpApi_GetJpgFileInfo)(const char*, DWORD*, DWORD*);
typedef COLORREF(__stdcall* PFN_WpApi_GetAverageRgbValue)(BITMAPINFO*, void*);
typedef BOOL(__stdcall* PFN_WpApi_LoadBmpFromJpgFile)(BITMAPINFO*, void*, const char*, DWORD*, BOOL,
                                                      FILETIME*);
typedef BOOL(__stdcall* PFN_WpApi_SetWallpaper)(RegistryRecord*, const char*, const char*, const char*,
                                                COLORREF);
typedef BOOL(__stdcall* PFN_WpApi_UpdateCurrentWallpaper)();
typedef BOOL(__stdcall* PFN_WpApi_SetRandomWallpaper)();
typedef BOOL(__stdcall* PFN_WpApi_ExcludeCurrentFromList)();
typedef void(__stdcall* PFN_WpApi_CancelCurrentOperation)();
typedef BOOL(__stdcall* PFN_WpApi_Cancelled)();
typedef BOOL(__stdcall* PFN_WpApi_ScreenSaverReplaceImage)(HWND, RegistryRecord*);
