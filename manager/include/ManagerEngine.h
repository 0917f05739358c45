// Every engine call of the Manager behind one replaceable set, so that tests stand in for the decoder,
// the wallpaper changes and the screen saver's painting:
//
//   ManagerEngineOverride fake;   // the real exports of KvApi.dll come back when it goes
//   fake->updateCurrentWallpaper = [&] { ++recompositions; return TRUE; };
#pragma once

#include <windows.h>

#include <functional>

struct RegistryRecord;

namespace manager {

struct ManagerEngine {
    std::function<BOOL(BITMAPINFO* info, void* bits, const char* path, DWORD* size, BOOL rotateByExif,
                       FILETIME* exifDate)>
        loadBmpFromJpgFile;
    std::function<COLORREF(BITMAPINFO* info, void* bits)> getAverageRgbValue;
    std::function<void()> showProgressWindow;
    std::function<void()> hideProgressWindow;
    std::function<BOOL(RegistryRecord* record, const char* folder, const char* name, const char* dateText,
                       COLORREF averageColor)>
        setWallpaper;
    std::function<BOOL()> updateCurrentWallpaper;
    std::function<void()> cancelCurrentOperation;
    std::function<BOOL()> setRandomWallpaper;
    std::function<void(RegistryRecord* record)> recalcRightMarginForCalendar;
    std::function<BOOL(HWND window, RegistryRecord* record)> screenSaverReplaceImage;
};

// The exports of KvApi.dll.
ManagerEngine RealEngine();
// The set the Manager uses now: the real one unless a test replaced it.
ManagerEngine& TheEngine();

class ManagerEngineOverride {
public:
    ManagerEngineOverride() : m_Saved(TheEngine()) {}
    ~ManagerEngineOverride() { TheEngine() = m_Saved; }
    ManagerEngineOverride(const ManagerEngineOverride&) = delete;
    ManagerEngineOverride& operator=(const ManagerEngineOverride&) = delete;
    ManagerEngine* operator->() { return &TheEngine(); }

private:
    ManagerEngine m_Saved;
};

}  // namespace manager
