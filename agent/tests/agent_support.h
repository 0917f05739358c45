// Helpers of the Agent's tests: local times from text, the settings key written and read directly,
// and a fake environment that stands in for the clock, the tick count, the screen, the engine and
// the notification area.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "KvTestSupport.h"
#include "Uregistryroot.h"

namespace agenttest {

// "2026-03-01 10:59:50" (seconds optional) as a local FILETIME.
FILETIME Local(const char* text);
using testsupport::FileTimeFromUnits;
using testsupport::FileTimeUnits;
FILETIME LocalNow();

constexpr const char* kSettingsKey = KV_REG_ROOT;
constexpr const char* kStubKey = "Software\\Dalvex\\KestrovaTest\\StubEngine";
constexpr const char* kLanguageKey = KV_REG_ROOT "\\Language";

// Removes the user settings and the stub engine's records.
void ClearSettings();
void WriteDword(const std::string& subkey, const char* name, DWORD value, HKEY root = HKEY_CURRENT_USER);
void WriteText(const std::string& subkey, const char* name, const std::string& text, DWORD type = REG_SZ,
               HKEY root = HKEY_CURRENT_USER);
void WriteTime(const std::string& subkey, const char* name, const FILETIME& time);
// The value, or `fallback` when it is absent or no DWORD.
DWORD ReadDword(const std::string& subkey, const char* name, DWORD fallback = 0xDEADBEEF,
                HKEY root = HKEY_CURRENT_USER);
bool ReadTime(const std::string& subkey, const char* name, FILETIME& time);

// What a configured Agent needs to stay: Configured, AllFilesCount, AutoRun; the tray icon off.
void WriteRunnableSettings(DWORD type, DWORD period, const FILETIME& lastChange);

// The stand-in environment.
struct FakeWorld {
    FILETIME now = {};
    DWORD tick = 1000;
    int screenWidth = 1024;
    int screenHeight = 768;
    // Engine.
    bool loadFails = false;
    DWORD loadError = ERROR_MOD_NOT_FOUND;
    bool lacksExport = false;
    BOOL engineResult = TRUE;
    std::vector<std::string> calls;  // "load", "SetRandomWallpaper", ..., "free"
    // Notification area.
    BOOL trayResult = TRUE;
    struct TrayCall {
        DWORD message;
        HICON icon;
        std::string tip;
    };
    std::vector<TrayCall> trayCalls;
};
extern FakeWorld g_World;

// Points g_AgentEnvironment at g_World (reset to its defaults); ticks of the timer thread come
// only every `waitMs`.
void UseFakeEnvironment(DWORD waitMs = 3600000);
void UseSystemEnvironment();

// Dispatches this thread's messages for about `ms` milliseconds. Not stretched by the suite's time
// factor: the tests count what the code under test does within that window (no more ticks than its
// period allows, no tick before it is due), which a longer window would not prove. A wait for
// something to happen is testsupport::PumpUntil, whose deadline is scaled.
void PumpFor(DWORD ms);

}  // namespace agenttest
