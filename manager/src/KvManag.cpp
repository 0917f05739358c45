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
        // The settings dialog shows the help pictures and opens the picker: both are made before
        // it is first shown, in the program's order of forms.
        if (!manager::CreateFileListForm(formMain) || !formNewFolder.Create(formClass, formMain.Handle()) ||
            !manager::CreatePicturesForm() || !manager::CreateSettingsForm(formMain) ||
            !formTree.Create(formClass, formMain.Handle(), &formNewFolder) ||
            !manager::CreateTestImgForm(formMain) || !manager::CreateProcessEnumForm()) {
            manager::DestroySecondaryForms();
            return 2;
        }
        formMain.SetFolderPicker(&formTree);
        formMain.Show();
        ui::App::Run();
        manager::DestroySecondaryForms();
    }
    formClass.Unregister();
    return 0;
}
