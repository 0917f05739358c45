// The log settings of the Manager's test program (logging stays off unless a test opens a log file).
#include "UTxLog.h"

const CLogSettings g_LogSettings = {"MngTests  ", "", false, 0, true, true, false};
