// Uninstall.exe: started from the install folder it restarts from a temporary copy; the copy, which
// gets the install folder as its parameter, shows the window and removes the system.
#include <windows.h>

#include "Fmain.h"
#include "UTxLog.h"
#include "UiApp.h"
#include "UninstallStart.h"

extern const CLogSettings g_LogSettings = {"Uninstall ", "", false, 80, false, false, true};

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ui::App::Init("Kestrova Setup");
    // The first start only hands over to its copy and ends before any window exists.
    if (RestartFromTempCopy()) return 0;

    ui::WindowClass windowClass("TFormMainUninstall");
    if (!windowClass.Register()) return 1;
    int exitCode = 0;
    {
        ui::Owner<TFormMain> form;
        form.parameters = CommandLineParameters(::GetCommandLineA());
        if (!form.Create(windowClass)) return 2;
        form.Show();
        exitCode = ui::App::Run();
    }
    windowClass.Unregister();
    return exitCode;
}
