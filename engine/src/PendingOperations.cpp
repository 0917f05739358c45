// Stand-ins for the operations that are not built yet. Each is deleted from here when its real
// implementation lands.
#include "UTxLog.h"
#include "Uwallapi.h"

namespace {
void NotAvailable(const char* name)
{
    CLogScope scope(name);
    LogText("!not available");
}
}  // namespace

bool SetWallpaper(RegistryRecord*, const char*, const char*, const char*, COLORREF)
{
    NotAvailable("SetWallpaper");
    return false;
}

bool SetRandomWallpaper()
{
    NotAvailable("SetRandomWallpaper");
    return false;
}

bool UpdateCurrentWallpaper()
{
    NotAvailable("UpdateCurrentWallpaper");
    return false;
}

void ExcludeCurrentFromList()
{
    NotAvailable("ExcludeCurrentFromList");
}

bool ScreenSaverReplaceImage(HWND, RegistryRecord*)
{
    NotAvailable("ScreenSaverReplaceImage");
    return false;
}
