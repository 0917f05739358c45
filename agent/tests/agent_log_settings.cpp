// The log settings of the Agent's test program.
#include "UTxLog.h"

const CLogSettings g_LogSettings = {"AgentTest ", "", false, 80, false, false, true};
