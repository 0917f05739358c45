// Shows the sample form until it is closed, or for the seconds given as the argument (for a picture
// taken from outside, under X).
#include <windows.h>

#include <cstdlib>

#include "SampleForm.h"
#include "UTxLog.h"
#include "UiApp.h"

extern const CLogSettings g_LogSettings = {"FormSample", "", false, 80, false, false, true};

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    ui::App::Init("Form layer sample");
    ui::WindowClass windowClass("KvFormSample");
    if (!windowClass.Register()) return 1;
    int exitCode = 0;
    {
        ui::Owner<SampleForm> form;
        form.mainForm = true;
        if (!form.Create(windowClass)) return 2;
        const int seconds = std::atoi(commandLine);
        if (seconds > 0) {
            form.timer.interval = static_cast<UINT>(seconds) * 1000;
            form.timer.onTimer = [&form](ui::Timer&) { form.Close(); };
            form.timer.Start(form);
        }
        form.Show();
        exitCode = ui::App::Run();
    }
    windowClass.Unregister();
    return exitCode;
}
