// The process-wide state of the saver: one saver window per process, its settings, the paint
// thread's events and the engine it paints with.
#pragma once

#include "SaverEngine.h"
#include "UTxUtils.h"
#include "Wcommon.h"

#include <atomic>

struct SaverState {
    // Stored by the window thread on every message, read by the paint thread.
    std::atomic<HWND> hWnd{nullptr};
    // Filled once at window creation; only read afterwards, by both threads.
    RegistryRecord record = {};
    // Manual reset, unnamed, created unset.
    Handle hRunning;  // set by the paint thread while it runs
    Handle hStopped;  // set by the paint thread when it ends
    Handle hStop;     // asks the paint thread to end
    Handle hPaint;    // asks the paint thread for the next image
    // Set with the paint request of an erase: the window is black, so that request is never merged
    // into the image being painted.
    std::atomic<bool> bErased{false};
    Handle hThread;
    SaverEngine engine;
    UINT_PTR timerId = 0;
};
extern SaverState g_Saver;
