#include "UiTimer.h"

#include <exception>

#include "UiApp.h"

namespace ui {

Timer::~Timer()
{
    Stop();
}

bool Timer::Start(const Window& owner)
{
    Stop();
    if (!owner.Exists()) return false;
    // The timer's id is this object, so the callback finds it without a table.
    if (!::SetTimer(owner.Handle(), reinterpret_cast<UINT_PTR>(this), interval, &Timer::Tick)) return false;
    m_hOwner = owner.Handle();
    return true;
}

void Timer::Stop()
{
    if (m_hOwner) ::KillTimer(m_hOwner, reinterpret_cast<UINT_PTR>(this));
    m_hOwner = nullptr;
}

void CALLBACK Timer::Tick(HWND, UINT, UINT_PTR id, DWORD) noexcept
{
    auto* self = reinterpret_cast<Timer*>(id);
    try {
        if (self->onTimer) self->onTimer(*self);
    } catch (const std::exception& e) {
        App::HandleException(e.what(), WM_TIMER);
    } catch (...) {
        App::HandleException(nullptr, WM_TIMER);
    }
}

}  // namespace ui
