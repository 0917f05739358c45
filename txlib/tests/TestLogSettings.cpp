// The test program's own log settings: line splitting and wrapping on, so the log tests can show
// them through a log file; no log file is named, so logging starts off.
#include "UTxLog.h"

extern const CLogSettings g_LogSettings = {"TxTests   ", "", true, 80, false, false, true};
