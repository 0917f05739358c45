// One Manager at a time: the first one claims a named object and publishes its main window in it;
// a second start finds it, brings that window to the front and ends.
#pragma once

#include <windows.h>

#include "UTxUtils.h"

namespace manager {

class ManagerInstance {
public:
    // False when another Manager of this user already runs.
    bool Claim();
    // Lets go of the object (after a failed claim, so that it can go with the other Manager).
    void Release() { m_hMapping.reset(); }
    // Where a second start finds the window to bring to the front.
    void Publish(HWND mainWindow);
    // The running Manager's window (its open dialog, if any) to the front; false when none is found
    // within a few seconds (it may still be starting).
    static bool BringRunningToFront();

private:
    Handle m_hMapping;
};

}  // namespace manager
