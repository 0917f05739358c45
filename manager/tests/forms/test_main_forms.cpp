// The log settings of the forms' test program: a log file beside it, read back by the tests.
#include "UTxLog.h"

const CLogSettings g_LogSettings = {"MngForms  ", "manager_forms_tests.log", false, 200, false, false, false};
