// The library's entry point and its log settings (each program, and each test program, has its own).
#include <windows.h>

#include "Fprogress.h"
#include "UTxLog.h"

extern const CLogSettings g_LogSettings = {
    "KvApi.DLL ",  // szModuleName
    "",            // szFileName
    false,         // bSplitLines
    80,            // iLineWidth
    false,         // bCreateNewFile
    true,          // bNoFlush
    true,          // bTimeStamp
};

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    // Windows keeps a DLL's window classes after FreeLibrary, and a window left open would call into
    // the unloaded code, so both go with the library. At process exit (reserved set) the system
    // removes them itself, and other threads may already be gone.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) ReleaseProgressWindow();
    return TRUE;
}
