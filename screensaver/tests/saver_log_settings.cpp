// The log settings of the screen saver's test program.
#include "UTxLog.h"

const CLogSettings g_LogSettings = {"SaverTest ", "", false, 80, false, false, true};
