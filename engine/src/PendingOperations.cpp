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

bool ScreenSaverReplaceImage(HWND, RegistryRecord*)
{
    NotAvailable("ScreenSaverReplaceImage");
    return false;
}
