// The globals scrnsave.h promises to a screen-saver program.
#include <windows.h>

#include <scrnsave.h>

extern "C" {
HINSTANCE hMainInstance = nullptr;
HWND hMainWindow = nullptr;
WINBOOL fChildPreview = FALSE;
}
