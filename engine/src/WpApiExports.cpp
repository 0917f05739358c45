// The exports of KvApi.dll. Each checks its arguments, then runs its operation as a locked export
// (Uexport.h); ordinal 1 and the two cancel exports take no lock.
#include <cstring>

#include "Fprogress.h"
#include "UTxLog.h"
#include "Uexport.h"
#include "Usync.h"
#include "Uwallapi.h"
#include "WpApi.h"

namespace {

constexpr COLORREF kAverageColorFailure = 0x7F7F7F;

// A NULL where the export needs a value ends the call with its failure result.
bool Present(const char* exportName, const void* pointer, const char* what)
{
    if (pointer) return true;
    LogF("!%s: %s is NULL", exportName, what);
    return false;
}

// Paths and names end up in MAX_PATH fields and ANSI file calls; a longer one is refused whole,
// since a cut one would name another file.
bool FitsPath(const char* exportName, const char* text, const char* what)
{
    if (!Present(exportName, text, what)) return false;
    if (::strnlen(text, MAX_PATH) < MAX_PATH) return true;
    LogF("!%s: %s is %d characters or longer", exportName, what, MAX_PATH);
    return false;
}

// A path that is refused names no file whose EXIF date could be read: the date is 0, as for any
// file without one.
bool FitsImagePath(const char* exportName, const char* path, FILETIME* exifDate)
{
    if (FitsPath(exportName, path, "path")) return true;
    if (exifDate) *exifDate = FILETIME{};
    return false;
}

}  // namespace

void LogExportException(const char* message) noexcept
{
    LogF("!VCL Exception: %s", message ? message : "");
}

// Ordinal 1, exported under the name LoadBmpFromJpgFileEx: the decoding routine itself takes no lock,
// and this wrapper only keeps exceptions inside the library.
extern "C" BOOL __stdcall KvApiExport_LoadBmpFromJpgFileEx(BITMAPINFO* info, void* bits, const char* path,
                                                           DWORD* size, BOOL rotateByExif, FILETIME* exifDate)
{
    BOOL result = FALSE;
    RunCatching([&] {
        if (!FitsImagePath("LoadBmpFromJpgFileEx", path, exifDate)) return false;
        result = LoadBmpFromJpgFileEx(info, bits, path, size, rotateByExif, exifDate);
        return result != FALSE;
    });
    return result;
}

extern "C" void __stdcall WpApi_ShowProgressWindow()
{
    RunLockedExport({"WpApi_ShowProgressWindow", ExportLog::BeforeLock, true}, [] {
        ShowProgressWindow();
        return true;
    });
}

extern "C" void __stdcall WpApi_SetProgressMsg(const char* text)
{
    RunLockedExport({"WpApi_SetProgressMsg", ExportLog::BeforeLock, true}, [text] {
        if (!Present("WpApi_SetProgressMsg", text, "text")) return false;
        SetProgressMsg(text);
        return true;
    });
}

extern "C" void __stdcall WpApi_HideProgressWindow()
{
    RunLockedExport({"WpApi_HideProgressWindow", ExportLog::BeforeLock, false}, [] {
        HideProgressWindow();
        return true;
    });
}

extern "C" void __stdcall WpApi_RecalcRightMarginForCalendar(RegistryRecord* record)
{
    RunLockedExport({"WpApi_RecalcRightMarginForCalendar", ExportLog::None, true}, [record] {
        if (!Present("WpApi_RecalcRightMarginForCalendar", record, "record")) return false;
        RecalcRightMarginForCalendar(*record);
        return true;
    });
}

extern "C" void __stdcall WpApi_SetProgressProc(ProgressProc proc)
{
    RunLockedExport({"WpApi_SetProgressProc", ExportLog::None, true}, [proc] {
        SetProgressProc(proc);
        return true;
    });
}

extern "C" BOOL __stdcall WpApi_GetJpgFileInfo(const char* path, DWORD* width, DWORD* height)
{
    BOOL result = FALSE;
    RunLockedExport({"WpApi_GetJpgFileInfo", ExportLog::BeforeLock, true}, [&] {
        if (!FitsPath("WpApi_GetJpgFileInfo", path, "path")) return false;
        int w = 0;
        int h = 0;
        result = GetJpgFileInfo(path, &w, &h) ? TRUE : FALSE;
        if (result && width) *width = static_cast<DWORD>(w);
        if (result && height) *height = static_cast<DWORD>(h);
        return result != FALSE;
    });
    return result;
}

extern "C" COLORREF __stdcall WpApi_GetAverageRgbValue(BITMAPINFO* info, void* bits)
{
    COLORREF result = kAverageColorFailure;
    RunLockedExport({"WpApi_GetAverageRgbValue", ExportLog::BeforeLock, true}, [&] {
        if (!Present("WpApi_GetAverageRgbValue", info, "header") ||
            !Present("WpApi_GetAverageRgbValue", bits, "pixels"))
            return false;
        result = GetAverageRgbValue(info, bits);
        return true;
    });
    return result;
}

extern "C" BOOL __stdcall WpApi_LoadBmpFromJpgFile(BITMAPINFO* info, void* bits, const char* path,
                                                   DWORD* size, BOOL rotateByExif, FILETIME* exifDate)
{
    BOOL result = FALSE;
    RunLockedExport({"WpApi_LoadBmpFromJpgFile", ExportLog::BeforeLock, true}, [&] {
        if (!FitsImagePath("WpApi_LoadBmpFromJpgFile", path, exifDate)) return false;
        result = LoadBmpFromJpgFileEx(info, bits, path, size, rotateByExif ? TRUE : FALSE, exifDate);
        return result != FALSE;
    });
    return result;
}

extern "C" BOOL __stdcall WpApi_SetWallpaper(RegistryRecord* record, const char* folder, const char* name,
                                             const char* dateText, COLORREF averageColor)
{
    BOOL result = FALSE;
    RunLockedExport({"WpApi_SetWallpaper", ExportLog::AfterLock, true}, [&] {
        if (!Present("WpApi_SetWallpaper", record, "record") ||
            !FitsPath("WpApi_SetWallpaper", folder, "folder") ||
            !FitsPath("WpApi_SetWallpaper", name, "file name"))
            return false;
        result = SetWallpaper(record, folder, name, dateText ? dateText : "", averageColor) ? TRUE : FALSE;
        return result != FALSE;
    });
    return result;
}

extern "C" BOOL __stdcall WpApi_UpdateCurrentWallpaper()
{
    BOOL result = FALSE;
    RunLockedExport({"WpApi_UpdateCurrentWallpaper", ExportLog::AfterLock, true}, [&] {
        result = UpdateCurrentWallpaper() ? TRUE : FALSE;
        return result != FALSE;
    });
    return result;
}

extern "C" BOOL __stdcall WpApi_SetRandomWallpaper()
{
    BOOL result = FALSE;
    RunLockedExport({"WpApi_SetRandomWallpaper", ExportLog::AfterLock, true}, [&] {
        result = SetRandomWallpaper() ? TRUE : FALSE;
        return result != FALSE;
    });
    return result;
}

extern "C" void __stdcall WpApi_ExcludeCurrentFromList()
{
    RunLockedExport({"WpApi_ExcludeCurrentFromList", ExportLog::BeforeLock, true}, [] {
        ExcludeCurrentFromList();
        return true;
    });
}

extern "C" void __stdcall WpApi_CancelCurrentOperation()
{
    g_Synchronization.Cancel();
}

extern "C" BOOL __stdcall WpApi_Cancelled()
{
    return g_Synchronization.IsCancelled() ? TRUE : FALSE;
}

extern "C" BOOL __stdcall WpApi_ScreenSaverReplaceImage(HWND window, RegistryRecord* record)
{
    BOOL result = FALSE;
    RunLockedExport({"WpApi_ScreenSaverReplaceImage", ExportLog::AfterLock, false}, [&] {
        if (!Present("WpApi_ScreenSaverReplaceImage", record, "record")) return false;
        if (!::IsWindow(window)) {
            LogF("!WpApi_ScreenSaverReplaceImage: 0x%p is not a window", static_cast<void*>(window));
            return false;
        }
        result = ScreenSaverReplaceImage(window, record) ? TRUE : FALSE;
        return result != FALSE;
    });
    return result;
}
