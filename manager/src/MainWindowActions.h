// The windows the main window opens that are forms of their own: the image browser, the settings
// dialog with its program picker and help pictures, and the screen-saver test window. The program
// entry creates them in its order; they live until DestroySecondaryForms, and the main window's
// start-up, buttons and shutdown reach them through these functions (each does nothing for a form
// that was not created).
#pragma once

#include <windows.h>

namespace manager {

class CSettings;
class TFormMain;
struct ManagerWindowPositions;

bool CreateFileListForm(TFormMain& main);
bool CreatePicturesForm();
bool CreateSettingsForm(TFormMain& main);
bool CreateTestImgForm(TFormMain& main);
bool CreateProcessEnumForm();
// Destroys them again, before the main window goes.
void DestroySecondaryForms();

// The Manager texts on the forms again, once the main window has loaded the language.
void ApplySecondaryTexts();
// The picker becomes the editor of the schema's program lists (the schema is rebuilt by the first show).
void UseProgramPicker(CSettings& settings);
// The outer sizes of the browser and the settings dialog, so the main window places the real windows.
void TakeSecondarySizes(ManagerWindowPositions& positions);
// The browser and the settings dialog moved to where `positions` places them.
void PlaceSecondaryForms(const ManagerWindowPositions& positions);
// Their places under \Manager (an open key).
void ReadSecondaryPositions(HKEY managerKey);
void WriteSecondaryPositions(HKEY managerKey);

// Shows the image browser modally with a copy of the main window's record and its image list.
void OpenImageBrowser(TFormMain& main);
// Shows the settings dialog; true when it was closed with OK.
bool OpenSettingsDialog(TFormMain& main);
// Shows the test window and lets the screen saver's engine paint into it.
void OpenScreenSaverTest(TFormMain& main);

}  // namespace manager
