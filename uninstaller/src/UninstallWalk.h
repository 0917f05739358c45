// The removal: the Agent stopped first, then the install log undone from its last line to its first,
// one progress line per handled entry.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "RemovalPathCheck.h"
#include "UTxCollections.h"

using ProgressSink = std::function<void(const std::string& line)>;

struct AgentStopTimes {
    DWORD fixedWaitMs = 1500;     // after the close event, as the Agent needs to wind down
    DWORD runningWaitMs = 15000;  // then at most this long until "KvAgentIsRunning" is gone
};

// Signals a running Agent's close event ("KvAgentExternalClose"), after a glu_ClosingAgent progress
// line and `shown` (which lets the window show it), waits the fixed time and then until the Agent's
// "KvAgentIsRunning" event is gone. Without the close event no Agent runs: no line, no wait.
// True when an Agent was asked to end.
bool StopAgent(const ProgressSink& progress, const std::function<void()>& shown,
               const AgentStopTimes& times = AgentStopTimes());

struct RemovalOutcome {
    int scheduled = 0;              // files in use, to be deleted at the next restart
    int failed = 0;                 // files that could neither be deleted nor scheduled
    int kept = 0;                   // lines refused, and registry entries kept for programs that stay
    bool logIncomplete = false;     // the log ends before the installation's time line
    bool sharedPiecesOurs = false;  // the screen saver and the language texts were this installation's
};

// Undoes the lines from the last to the first, acting only on what lies in this installation
// (`places`): every other line gets a glu_NotInstalledHereS progress line. Image files stay when
// written after the installation time in force (the nearest "S_TIME___ " line below them; without
// one, every image stays) or when they are no longer the file the installer logged. A file that
// cannot be deleted is scheduled for deletion at the next restart without its read-only attribute.
// The uninstall entry and the Agent's Run value go after the files, and only when the program they
// start is gone (or goes at the restart); an entry of this installation that the log does not name
// (a log cut short) goes then too. The screen saver goes when this installation is the registered
// one, or none is and the saver is the very file this log identifies. Every path that exists is
// compared in its long form. No failure stops the walk: each one is its progress line.
RemovalOutcome RunRemoval(const TxStringCollection& lines, const InstallPlaces& places,
                          const ProgressSink& progress);
