// The log settings of the common test program (the log sink needs one definition per program).
#include "UTxLog.h"

const CLogSettings g_LogSettings = {"common_tst", "", false, 80, false, false, true};
