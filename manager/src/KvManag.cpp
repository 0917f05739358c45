// The Manager program: its forms created in order, then the message loop until the main window
// closes.
#include <windows.h>

#include <exception>

#include "FormMain.h"
#include "FormTree.h"
#include "MainWindowActions.h"
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
    ui::WindowClass formClass("TFormKvManager");
    if (!formClass.Register()) return 1;
    int result = 0;
    {
        ui::Owner<TFormMain> formMain;
        ui::Owner<TFormNewFolder> formNewFolder;
        ui::Owner<TFormTree> formTree;
        if (!formMain.Create(formClass)) return 2;
        instance.Publish(formMain.Handle());
        // The settings dialog shows the help pictures and opens the picker: both are made before
        // it is first shown, in the program's order of forms.
        if (!CreateFileListForm(formMain) || !formNewFolder.Create(formClass, formMain.Handle()) ||
            !CreatePicturesForm() || !CreateSettingsForm(formMain) ||
            !formTree.Create(formClass, formMain.Handle(), &formNewFolder) || !CreateTestImgForm(formMain) ||
            !CreateProcessEnumForm()) {
            DestroySecondaryForms();
            return 2;
        }
        formMain.SetFolderPicker(&formTree);
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
        if (started) {
            ui::App::Run();
        } else {
            formMain.StartupFailed();
            result = 3;
        }
        DestroySecondaryForms();
    }
    formClass.Unregister();
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
