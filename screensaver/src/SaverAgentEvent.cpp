#include "SaverAgentEvent.h"

#include "AgentControl.h"
#include "UScreenSaverRunning.h"
#include "UTxUtils.h"

#include <windows.h>

namespace {

// Taken before the pause is set and let go after it is lifted, so the Agent never sees the pause
// without it while this saver lives.
Handle g_SaverRunning;

}  // namespace

void SetAgentExternalDisable()
{
    if (!g_SaverRunning) g_SaverRunning.reset(::CreateMutexA(nullptr, FALSE, kScreenSaverRunningName));
    const Handle event(::OpenEventA(EVENT_MODIFY_STATE, FALSE, kAgentDisableEvent));
    if (event) ::SetEvent(event.get());
}

void ResetAgentExternalDisable()
{
    // Let go first, then look: another saver (a full-screen one that replaced a preview) may still
    // run, and its pause must hold.
    g_SaverRunning.reset();
    if (IsScreenSaverRunning()) return;
    const Handle event(::OpenEventA(EVENT_MODIFY_STATE, FALSE, kAgentDisableEvent));
    if (!event) return;
    ::ResetEvent(event.get());
    // A saver that started between the look and the reset may have set the pause before it: set
    // it again for that one.
    if (IsScreenSaverRunning()) ::SetEvent(event.get());
}
