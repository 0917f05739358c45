// The Manager program: its forms created in order, then the message loop until the main window
// closes.
#include <windows.h>

#include "FormMain.h"
#include "FormTree.h"
#include "MainWindowActions.h"
#include "UTxLog.h"
#include "UiApp.h"

extern const CLogSettings g_LogSettings = {"KvManag   ", "", false, 80, false, false, true};

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ui::App::Init("Kestrova Manager");
    ui::WindowClass formClass("TFormKvManager");
    if (!formClass.Register()) return 1;
    {
        ui::Owner<manager::TFormMain> formMain;
        ui::Owner<manager::TFormNewFolder> formNewFolder;
        ui::Owner<manager::TFormTree> formTree;
        if (!formMain.Create(formClass)) return 2;
        manager::CreateFileListForm(formMain);
        if (!formNewFolder.Create(formClass, formMain.Handle())) return 2;
        manager::CreatePicturesForm(formMain);
        manager::CreateSettingsForm(formMain);
        if (!formTree.Create(formClass, formMain.Handle(), &formNewFolder)) return 2;
        manager::CreateTestImgForm(formMain);
        manager::CreateProcessEnumForm(formMain);
        formMain.SetFolderPicker(&formTree);
        formMain.Show();
        ui::App::Run();
        manager::DestroySecondaryForms();
    }
    formClass.Unregister();
    return 0;
}
