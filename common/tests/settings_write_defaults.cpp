// Writes the settings defaults, as a program without a window makes them, to a clean settings key.
// The test around it compares what `reg query` then shows with a listing written by hand.
#include "Wcommon.h"

#include "KvTestRegistry.h"
#include "UTxLog.h"

const CLogSettings g_LogSettings = {"KvDefault ", "", false, 0, true, true, false};

int main()
{
    if (!testsupport::DeleteRegTree(HKEY_CURRENT_USER, kRegRootPath)) return 2;

    RegistryRecord record;
    SetRegistryDefaults(nullptr, &record, false, false);
    if (!WriteRegistryRoot(false, 0)) return 3;
    if (!WriteToRegistry(&record)) return 4;
    return 0;
}
