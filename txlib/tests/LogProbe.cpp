// Logs a few fixed lines through the library's sink and exits with 11 when logging was on at its
// start, 10 when it was off.
//   txlib_log_probe log               the fixed lines
//   txlib_log_probe one               one line "one"
//   txlib_log_probe late READY GO     signals READY, waits for GO, then logs one line
#include <windows.h>

#include <cstring>
#include <string>

#include "KvTimeScale.h"
#include "UTxLog.h"

extern const CLogSettings g_LogSettings = {"KvApi.DLL ", "", false, 80, false, true, true};

namespace {

void LogFixedLines()
{
    LogEnter("TxProbe::Outer");
    {
        CLogScope scope("TxProbe::Inner");
        LogF("abc");
        LogF("!%s=%d", "value", 42);
    }
    LogLeave();
    LogText("done");
    // Far longer than the sink's text buffer: it must arrive cut, not overflow anything.
    const std::string longText(5000, 'L');
    LogF("%s", longText.c_str());
}

bool WaitForNamedEvent(const char* ready, const char* go)
{
    const HANDLE readyEvent = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, ready);
    const HANDLE goEvent = ::OpenEventA(SYNCHRONIZE, FALSE, go);
    bool ok = readyEvent && goEvent;
    if (ok) {
        ::SetEvent(readyEvent);
        ok = ::WaitForSingleObject(goEvent, testsupport::ScaledMs(30000)) == WAIT_OBJECT_0;
    }
    if (readyEvent) ::CloseHandle(readyEvent);
    if (goEvent) ::CloseHandle(goEvent);
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    const int enabled = g_bLogEnabled ? 11 : 10;
    if (argc >= 2 && std::strcmp(argv[1], "log") == 0) {
        LogFixedLines();
        return enabled;
    }
    if (argc >= 2 && std::strcmp(argv[1], "one") == 0) {
        LogText("one");
        return enabled;
    }
    if (argc >= 4 && std::strcmp(argv[1], "late") == 0) {
        if (!WaitForNamedEvent(argv[2], argv[3])) return 2;
        LogText("late");
        return g_bLogEnabled ? 11 : 10;
    }
    return 1;
}
