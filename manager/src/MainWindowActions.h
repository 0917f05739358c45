// The windows the main window opens that are forms of their own: the image browser, the settings
// dialog with its program picker and help pictures, and the screen-saver test window. The program
// entry creates them in its order; the main window's buttons open them through these functions.
#pragma once

namespace manager {

class TFormMain;

void CreateFileListForm(TFormMain& main);
void CreatePicturesForm(TFormMain& main);
void CreateSettingsForm(TFormMain& main);
void CreateTestImgForm(TFormMain& main);
void CreateProcessEnumForm(TFormMain& main);
// Destroys them again, before the main window goes.
void DestroySecondaryForms();

// Shows the image browser modally with a copy of the main window's record and its image list.
void OpenImageBrowser(TFormMain& main);
// Shows the settings dialog; true when it was closed with OK.
bool OpenSettingsDialog(TFormMain& main);
// Shows the test window and lets the screen saver's engine paint into it.
void OpenScreenSaverTest(TFormMain& main);

}  // namespace manager
