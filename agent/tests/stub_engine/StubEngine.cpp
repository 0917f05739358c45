// A stand-in KvApi.dll for the Agent's tests: it counts its loads, frees and calls under
// HKCU "Software\Dalvex\KestrovaTest\StubEngine" and, like the real engine after a change, writes
// \CurrentImage "LastChangeTime" with the local time. "Result" (DWORD, 1 when absent) is what the
// wallpaper calls return.
#include <windows.h>

#include "KvTestRegistry.h"
#include "Uregistryroot.h"

namespace {

constexpr const char* kStubKey = "Software\\Dalvex\\KestrovaTest\\StubEngine";
constexpr const char* kCurrentImageKey = KV_REG_ROOT "\\CurrentImage";

void Count(const char* name)
{
    const testsupport::RegValue count = testsupport::ReadRegValue(HKEY_CURRENT_USER, kStubKey, name);
    const DWORD value = count.type == REG_DWORD ? count.Dword() : 0;
    testsupport::WriteRegDword(HKEY_CURRENT_USER, kStubKey, name, value + 1);
}

BOOL Result()
{
    const testsupport::RegValue result = testsupport::ReadRegValue(HKEY_CURRENT_USER, kStubKey, "Result");
    return result.type == REG_DWORD && result.Dword() == 0 ? FALSE : TRUE;
}

void WriteLastChangeTime()
{
    SYSTEMTIME local;
    ::GetLocalTime(&local);
    FILETIME now = {};
    ::SystemTimeToFileTime(&local, &now);
    testsupport::WriteRegValue(HKEY_CURRENT_USER, kCurrentImageKey, "LastChangeTime", REG_BINARY,
                               std::string(reinterpret_cast<const char*>(&now), sizeof now));
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
void WINAPI WpApi_ExcludeCurrentFromList()
{
    Count("ExcludeCurrentFromList");
}
#endif

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) Count("Loads");
    if (reason == DLL_PROCESS_DETACH) Count("Frees");
    return TRUE;
}

}  // extern "C"
