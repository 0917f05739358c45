#include "agent_support.h"

#include "AgentEnvironment.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "KvTestRegistry.h"

namespace agenttest {

FakeWorld g_World;

FILETIME Local(const char* text)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    std::sscanf(text, "%d-%d-%d %d:%d:%d", &year, &month, &day, &hour, &minute, &second);
    return testsupport::CalendarFileTime(static_cast<WORD>(year), static_cast<WORD>(month),
                                         static_cast<WORD>(day), static_cast<WORD>(hour),
                                         static_cast<WORD>(minute), static_cast<WORD>(second));
}

FILETIME LocalNow()
{
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    FILETIME result = {};
    ::SystemTimeToFileTime(&t, &result);
    return result;
}

void ClearSettings()
{
    EXPECT_TRUE(testsupport::DeleteRegTree(HKEY_CURRENT_USER, kSettingsKey)) << "the settings key stays";
    EXPECT_TRUE(testsupport::DeleteRegTree(HKEY_CURRENT_USER, kStubKey)) << "the stand-in's key stays";
}

void WriteDword(const std::string& subkey, const char* name, DWORD value, HKEY root)
{
    EXPECT_TRUE(testsupport::WriteRegDword(root, subkey, name, value)) << subkey << " " << name;
}

void WriteText(const std::string& subkey, const char* name, const std::string& text, DWORD type, HKEY root)
{
    EXPECT_TRUE(testsupport::WriteRegValue(root, subkey, name, type, text)) << subkey << " " << name;
}

void WriteTime(const std::string& subkey, const char* name, const FILETIME& time)
{
    const std::string bytes(reinterpret_cast<const char*>(&time), sizeof time);
    EXPECT_TRUE(testsupport::WriteRegValue(HKEY_CURRENT_USER, subkey, name, REG_BINARY, bytes))
        << subkey << " " << name;
}

DWORD ReadDword(const std::string& subkey, const char* name, DWORD fallback, HKEY root)
{
    const testsupport::RegValue value = testsupport::ReadRegValue(root, subkey, name);
    if (!value.exists || value.type != REG_DWORD || value.bytes.size() != sizeof(DWORD)) return fallback;
    return value.Dword();
}

bool ReadTime(const std::string& subkey, const char* name, FILETIME& time)
{
    const testsupport::RegValue value = testsupport::ReadRegValue(HKEY_CURRENT_USER, subkey, name);
    if (!value.exists || value.type != REG_BINARY || value.bytes.size() != sizeof time) return false;
    std::memcpy(&time, value.bytes.data(), sizeof time);
    return true;
}

void WriteRunnableSettings(DWORD type, DWORD period, const FILETIME& lastChange)
{
    const std::string root = kSettingsKey;
    WriteDword(root, "Configured", 1);
    WriteDword(root, "AllFilesCount", 16);
    WriteDword(root + "\\Agent", "AutoRun", 1);
    WriteDword(root + "\\Agent", "SysTrayIcon", 0);
    WriteDword(root + "\\Exchange", "Type", type);
    WriteDword(root + "\\Exchange", "Period", period);
    WriteTime(root + "\\CurrentImage", "LastChangeTime", lastChange);
}

namespace {

void FakeLocalTime(FILETIME* now)
{
    *now = g_World.now;
}
DWORD FakeTickCount()
{
    return g_World.tick;
}
void FakeScreenSize(int* width, int* height)
{
    *width = g_World.screenWidth;
    *height = g_World.screenHeight;
}

HMODULE const kFakeEngine = reinterpret_cast<HMODULE>(static_cast<UINT_PTR>(0x7E570000));

BOOL WINAPI FakeSetRandomWallpaper()
{
    g_World.calls.push_back("SetRandomWallpaper");
    WriteTime(std::string(kSettingsKey) + "\\CurrentImage", "LastChangeTime", g_World.now);
    return g_World.engineResult;
}

BOOL WINAPI FakeUpdateCurrentWallpaper()
{
    g_World.calls.push_back("UpdateCurrentWallpaper");
    WriteTime(std::string(kSettingsKey) + "\\CurrentImage", "LastChangeTime", g_World.now);
    return g_World.engineResult;
}

void WINAPI FakeExcludeCurrentFromList()
{
    g_World.calls.push_back("ExcludeCurrentFromList");
}

HMODULE FakeLoadEngine(const char* path)
{
    g_World.calls.push_back("load");
    (void)path;
    if (g_World.loadFails) {
        ::SetLastError(g_World.loadError);
        return nullptr;
    }
    return kFakeEngine;
}

FARPROC FakeGetEngineExport(HMODULE engine, const char* name)
{
    if (engine != kFakeEngine) return nullptr;
    const std::string wanted = name;
    if (wanted == "WpApi_SetRandomWallpaper") return reinterpret_cast<FARPROC>(&FakeSetRandomWallpaper);
    if (wanted == "WpApi_UpdateCurrentWallpaper")
        return reinterpret_cast<FARPROC>(&FakeUpdateCurrentWallpaper);
    if (wanted == "WpApi_ExcludeCurrentFromList" && !g_World.lacksExport)
        return reinterpret_cast<FARPROC>(&FakeExcludeCurrentFromList);
    return nullptr;
}

void FakeFreeEngine(HMODULE engine)
{
    if (engine == kFakeEngine) g_World.calls.push_back("free");
}

BOOL FakeShellNotifyIcon(DWORD message, NOTIFYICONDATAA* data)
{
    g_World.trayCalls.push_back({message, data->hIcon, data->szTip});
    return g_World.trayResult;
}

}  // namespace

void UseFakeEnvironment(DWORD waitMs)
{
    g_World = FakeWorld();
    AgentEnvironment& env = g_AgentEnvironment;
    env = SystemAgentEnvironment();
    env.GetLocalTimeAsFileTime = &FakeLocalTime;
    env.GetTickCount = &FakeTickCount;
    env.GetScreenSize = &FakeScreenSize;
    env.dwFirstWaitMs = waitMs;
    env.dwFirstWaitAfterRebootMs = waitMs;
    env.dwWaitMs = waitMs;
    env.LoadEngine = &FakeLoadEngine;
    env.GetEngineExport = &FakeGetEngineExport;
    env.FreeEngine = &FakeFreeEngine;
    env.ShellNotifyIcon = &FakeShellNotifyIcon;
}

void UseSystemEnvironment()
{
    g_AgentEnvironment = SystemAgentEnvironment();
}

void PumpFor(DWORD ms)
{
    const DWORD start = ::GetTickCount();
    do {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (::GetTickCount() - start < ms);
}

}  // namespace agenttest
