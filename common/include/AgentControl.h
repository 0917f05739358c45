// How the other programs see and end the resident Agent: by its two named events. The Agent holds
// "KvAgentIsRunning" for as long as it runs (and has let go of the database only once it is gone)
// and ends when "KvAgentExternalClose" is set.
#pragma once

#include <windows.h>

#include <functional>

constexpr const char* kAgentIsRunningEvent = "KvAgentIsRunning";
constexpr const char* kAgentCloseEvent = "KvAgentExternalClose";
// Manual reset: set while a screen saver runs, and the Agent changes nothing meanwhile.
constexpr const char* kAgentDisableEvent = "KvAgentExternalDisable";

// True while some process holds the running event.
bool AgentIsRunning();

// Sets the running Agent's close event; false when none exists, that is when no Agent runs.
bool AskAgentToClose();

struct AgentStopWaits {
    // After the close event: the Agent may be in the middle of a change that writes the database.
    DWORD pauseMs = 0;
    // Then at most this long until the running event is gone.
    DWORD limitMs = 15000;
};

enum class AgentStopResult {
    NoneRunning,   // no close event: nothing was asked, nothing awaited
    Stopped,       // the running event is gone
    StillRunning,  // the Agent was asked, but still ran at the limit
};

// Asks the running Agent to close and waits for its end as `waits` say. `found` (may be empty) runs
// once an Agent was found and before it is asked, so a caller can show that it now waits.
AgentStopResult StopRunningAgent(const AgentStopWaits& waits, const std::function<void()>& found = {});
