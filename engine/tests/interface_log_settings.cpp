// The log settings of the engine's test program.
#include "UTxLog.h"

extern const CLogSettings g_LogSettings = {"KvApiTest ", "", false, 80, false, true, true};
