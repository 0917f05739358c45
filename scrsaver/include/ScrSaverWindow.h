// The screen-saver program's side of the platform contract: the saver window of class
// "WindowsScreenSaverClass" with the program's ScreenSaverProc as its procedure, and the whole run
// of a command. The program supplies ScreenSaverProc, ScreenSaverConfigureDialog and
// RegisterDialogClasses (declared in the toolchain's scrnsave.h); WinMain comes from this library.
#pragma once

#include <windows.h>

#include "ScrSaverCommandLine.h"

namespace scrsaver {

constexpr const char* kSaverClassName = "WindowsScreenSaverClass";

// Registers the class once per process; false when the system refuses.
bool RegisterSaverClass(HINSTANCE instance);

// FullScreen: a topmost pop-up over the whole screen. Preview: a child filling the client area of
// `parent`, with fChildPreview set. Null on failure or for the other modes.
HWND CreateSaverWindow(HINSTANCE instance, SaverMode mode, HWND parent);

// Runs one command to its end and gives the program's exit code.
int RunSaverCommand(HINSTANCE instance, const SaverCommand& command);

}  // namespace scrsaver
