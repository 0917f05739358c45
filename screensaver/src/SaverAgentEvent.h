// The Agent holds its wallpaper changes while a saver window exists: the saver sets the Agent's
// manual-reset event "KvAgentExternalDisable" when the Agent runs, and does nothing when it does not.
#pragma once

void SetAgentExternalDisable();
void ResetAgentExternalDisable();
