// Until the image browser and the settings dialog exist, their buttons open nothing.
#include "MainWindowActions.h"

#include "FormMain.h"

namespace manager {

void CreateFileListForm(TFormMain&) {}
void CreatePicturesForm(TFormMain&) {}
void CreateSettingsForm(TFormMain&) {}
void CreateTestImgForm(TFormMain&) {}
void CreateProcessEnumForm(TFormMain&) {}
void DestroySecondaryForms() {}

void OpenImageBrowser(TFormMain&) {}

bool OpenSettingsDialog(TFormMain&)
{
    return false;
}

void OpenScreenSaverTest(TFormMain&) {}

}  // namespace manager
