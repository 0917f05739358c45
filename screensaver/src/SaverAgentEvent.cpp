#include "SaverAgentEvent.h"

#include "UTxUtils.h"

#include <windows.h>

namespace {

constexpr const char* kAgentDisableName = "KvAgentExternalDisable";

}  // namespace

void SetAgentExternalDisable()
{
    const Handle event(::OpenEventA(EVENT_MODIFY_STATE, FALSE, kAgentDisableName));
    if (event) ::SetEvent(event.get());
}

void ResetAgentExternalDisable()
{
    const Handle event(::OpenEventA(EVENT_MODIFY_STATE, FALSE, kAgentDisableName));
    if (event) ::ResetEvent(event.get());
}
