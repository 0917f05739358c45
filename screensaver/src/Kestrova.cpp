// Kestrova.scr: the slide-show screen saver. The screen-saver library runs the command line; this
// program brings the saver window's procedure, the configuration dialog and the log settings.
#include "UTxLog.h"

const CLogSettings g_LogSettings = {"ScrSaver  ", "", false, 80, false, false, true};
