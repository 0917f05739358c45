// The program entry of every screen saver built on this library. Kept alone in its object file, so
// a test program that links the library for its windows keeps its own main.
#include "ScrSaverWindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    return scrsaver::RunSaverCommand(instance, scrsaver::ParseSaverCommandLine(commandLine));
}
