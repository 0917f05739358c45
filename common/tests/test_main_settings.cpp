// The log settings of the common test program (logging stays off unless a test opens a log file).
#include "UTxLog.h"

const CLogSettings g_LogSettings = {"ComTests  ", "", false, 0, true, true, false};
