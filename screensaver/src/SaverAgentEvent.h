// The Agent holds its wallpaper changes while a saver window exists: the saver sets the Agent's
// manual-reset disable event (AgentControl.h) when the Agent runs, and does nothing when it does not;
// it clears the event only when no other saver still runs.
// Around the pause the saver holds the mutex of UScreenSaverRunning.h, by which the Agent tells a
// pause whose saver has died from a real one.
#pragma once

void SetAgentExternalDisable();
void ResetAgentExternalDisable();
