// What the platform asks a screen-saver program to do, read from its command line.
#pragma once

#include <windows.h>

namespace scrsaver {

enum class SaverMode {
    Configure,       // "/c", "/c:<hwnd>", no argument or an unknown switch: the settings dialog
    Preview,         // "/p <hwnd>": a child of the platform's preview window
    FullScreen,      // "/s": the saver itself
    ChangePassword,  // "/a <hwnd>": the platform keeps passwords itself, nothing to do
};

struct SaverCommand {
    SaverMode mode = SaverMode::Configure;
    // The window given on the command line (decimal); null when none was given or it was not a
    // number. For Configure a null parent means "owned by the foreground window".
    HWND parent = nullptr;
};

// Accepts "/" or "-", either letter case, and the handle after blanks or a ':'. Never fails: what
// it does not understand asks for the settings dialog.
SaverCommand ParseSaverCommandLine(const char* commandLine);

}  // namespace scrsaver
