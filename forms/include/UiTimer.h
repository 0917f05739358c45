// A repeating timer on a window's thread: onTimer runs every `interval` ms while it is enabled.
#pragma once

#include <windows.h>

#include <functional>

#include "UiWindow.h"

namespace ui {

class Timer {
public:
    Timer() = default;
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    UINT interval = 1000;  // ms; takes effect at the next Start
    std::function<void(Timer&)> onTimer;

    // SetTimer on the window; the window's thread runs onTimer.
    bool Start(const Window& owner);
    void Stop();  // KillTimer
    bool IsRunning() const { return m_hOwner != nullptr; }

private:
    static void CALLBACK Tick(HWND wnd, UINT msg, UINT_PTR id, DWORD time) noexcept;
    HWND m_hOwner = nullptr;
};

}  // namespace ui
