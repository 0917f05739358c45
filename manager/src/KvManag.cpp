// The Manager program: its forms created in order, then the message loop until the main window
// closes.
#include <windows.h>

#include <exception>

#include "Fmain.h"
#include "ManagerForms.h"
#include "SingleInstance.h"
#include "UTxLog.h"
#include "UiApp.h"
#include "UiDialogs.h"

extern const CLogSettings g_LogSettings = {"KvManag   ", "", false, 80, false, false, true};

namespace manager {

namespace {

// The application's error box for an exception that reached the program entry.
void ShowFatalError(const char* what)
{
    LogF("!Exception during the start of the Manager: %s", what ? what : "unknown");
    ui::TheDialogs().messageBox(nullptr, what ? what : "An unexpected error occurred.", ui::App::Title(),
                                MB_OK | MB_ICONERROR);
}

int RunManager(ManagerInstance& instance)
{
    const ui::WindowClass& formClass = ManagerFormClass();
    ui::Owner<TFormMain> formMain;
    if (!formMain.Create(formClass)) return 2;
    instance.Publish(formMain.Handle());
    // Every form is made before the main window is first shown: its start-up gives them their texts
    // and places.
    if (!formMain.CreateSecondaryForms()) return 2;
    // The start-up runs here, outside any window procedure: what it throws is caught here.
    bool started = false;
    try {
        formMain.Show();
        started = true;
    } catch (const std::exception& e) {
        ShowFatalError(e.what());
    } catch (...) {
        ShowFatalError(nullptr);
    }
    int result = 0;
    if (started) {
        ui::App::Run();
    } else {
        formMain.StartupFailed();
        result = 3;
    }
    formMain.DestroySecondaryForms();
    return result;
}

}  // namespace

}  // namespace manager

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ui::App::Init("Kestrova Manager");
    manager::ManagerInstance instance;
    if (!instance.Claim()) {
        // Two Managers would each save their own lists over the other's.
        if (manager::ManagerInstance::BringRunningToFront()) {
            LogText("Kestrova Manager runs already: brought to the front");
            return 0;
        }
        // A Manager without its window is ending; this start follows once it has gone.
        bool claimed = false;
        for (int tries = 0; tries < 50 && !claimed; ++tries) {
            instance.Release();
            ::Sleep(200);
            claimed = instance.Claim();
        }
        if (!claimed) {
            LogText("Kestrova Manager runs already; its window was not found");
            return 0;
        }
    }
    try {
        return manager::RunManager(instance);
    } catch (const std::exception& e) {
        manager::ShowFatalError(e.what());
    } catch (...) {
        manager::ShowFatalError(nullptr);
    }
    return 3;
}
