// How the Agent starts and when it refuses to: the body of its WinMain.
#pragma once

#include "UiWindow.h"

#include <windows.h>

// "/r" as the whole command line, in either case: the start entry of a log-on.
bool IsRebootSwitch(const char* commandLine);
// The screen size \RunTime recorded; false, outputs untouched, when the key does not open.
bool ReadRunTimeFromRegistry(int* width, int* height);
// Loads the tray icons and registers the window class named by string 109.
bool RegisterAgentClass(HINSTANCE instance, ui::WindowClass& windowClass);
// The hidden window, its menu, the tray icon and the timer thread.
bool InitInstance(HINSTANCE instance, const ui::WindowClass& windowClass, int showState);

// Start-up checks, the window and the message loop; the exit code.
int AgentMain(HINSTANCE instance, const char* commandLine, int showState);
