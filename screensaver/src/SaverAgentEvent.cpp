#include "SaverAgentEvent.h"

#include "UScreenSaverRunning.h"
#include "UTxUtils.h"

#include <windows.h>

namespace {

constexpr const char* kAgentDisableName = "KvAgentExternalDisable";

// Taken before the pause is set and let go after it is lifted, so the Agent never sees the pause
// without it while this saver lives.
Handle g_SaverRunning;

}  // namespace

void SetAgentExternalDisable()
{
    if (!g_SaverRunning) g_SaverRunning.reset(::CreateMutexA(nullptr, FALSE, kScreenSaverRunningName));
    const Handle event(::OpenEventA(EVENT_MODIFY_STATE, FALSE, kAgentDisableName));
    if (event) ::SetEvent(event.get());
}

void ResetAgentExternalDisable()
{
    const Handle event(::OpenEventA(EVENT_MODIFY_STATE, FALSE, kAgentDisableName));
    if (event) ::ResetEvent(event.get());
    g_SaverRunning.reset();
}
