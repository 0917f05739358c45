// A stand-in KvApi.dll for the Agent's tests: it counts its loads, frees and calls under
// HKCU "Software\Dalvex\KestrovaTest\StubEngine" and, like the real engine after a change, writes
// \CurrentImage "LastChangeTime" with the local time. "Result" (DWORD, 1 when absent) is what the
// wallpaper calls return.
#include <windows.h>

namespace {

constexpr const char* kStubKey = "Software\\Dalvex\\KestrovaTest\\StubEngine";
constexpr const char* kCurrentImageKey = "Software\\Dalvex\\Kestrova\\CurrentImage";

void Count(const char* name)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kStubKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return;
    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD type = 0;
    if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        value = 0;
    ++value;
    ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    ::RegCloseKey(key);
}

BOOL Result()
{
    DWORD value = 1;
    DWORD size = sizeof(value);
    ::RegGetValueA(HKEY_CURRENT_USER, kStubKey, "Result", RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value ? TRUE : FALSE;
}

void WriteLastChangeTime()
{
    SYSTEMTIME local;
    ::GetLocalTime(&local);
    FILETIME now = {};
    ::SystemTimeToFileTime(&local, &now);
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kCurrentImageKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return;
    ::RegSetValueExA(key, "LastChangeTime", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&now), sizeof(now));
    ::RegCloseKey(key);
}

}  // namespace

extern "C" {

BOOL WINAPI WpApi_SetRandomWallpaper()
{
    Count("SetRandomWallpaper");
    WriteLastChangeTime();
    return Result();
}

BOOL WINAPI WpApi_UpdateCurrentWallpaper()
{
    Count("UpdateCurrentWallpaper");
    WriteLastChangeTime();
    return Result();
}

#ifndef KV_STUB_INCOMPATIBLE
void WINAPI WpApi_ExcludeCurrentFromList() { Count("ExcludeCurrentFromList"); }
#endif

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) Count("Loads");
    if (reason == DLL_PROCESS_DETACH) Count("Frees");
    return TRUE;
}

}  // extern "C"
