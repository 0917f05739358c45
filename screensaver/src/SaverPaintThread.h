// The saver's paint thread: it waits for paint requests (window timer, background erase) and has
// the engine paint the next image, or shows the blocked display.
#pragma once

#include <windows.h>

// Starts the thread unless it runs already; the events of g_Saver must exist.
void StartPaintThread();

// Asks the thread to end and waits for it. False when it is still running after the wait (stuck in
// the engine): its handles and the engine must then stay as they are.
bool StopPaintThread();

DWORD WINAPI PaintThreadProc(LPVOID);
