// ScreenSaverReplaceImage: one step of the screen saver behind its export.
#include "UTxLog.h"
#include "Uoperations.h"
#include "Uscreensaver.h"
#include "Usync.h"
#include "Uwallapi.h"

bool ScreenSaverReplaceImage(HWND window, RegistryRecord* record)
{
    const CLogScope scope("ScreenSaverReplaceImage");
    if (!record) return false;
    // The caller's record holds the settings; only whether there is anything to show comes from
    // the registry.
    if (!IsConfiguredWithImages()) return false;
    CheckForAndWriteChangesOnDisk();
    TxString folder, name, dateText;
    COLORREF colour = 0;
    if (!FindNextScreenSaverImage(record, &folder, &name, &dateText, &colour)) return false;
    // Nothing is painted once the saver asked to stop.
    if (g_Synchronization.IsCancelled()) return false;
    return PaintScreenSaverImage(window, folder, name, dateText, *record);
}
