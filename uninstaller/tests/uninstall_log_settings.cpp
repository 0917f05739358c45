// The log settings of the uninstaller's test program.
#include "UTxLog.h"

const CLogSettings g_LogSettings = {"UninstTest", "", false, 80, false, false, true};
