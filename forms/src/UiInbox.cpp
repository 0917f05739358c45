#include "UiInbox.h"

#include <exception>
#include <utility>

#include "UiApp.h"

namespace ui {

UINT WindowInbox::Message()
{
    static const UINT message = ::RegisterWindowMessageA("Kestrova.ui.WindowInbox");
    return message;
}

bool WindowInbox::Post(std::function<void()> work)
{
    std::lock_guard<std::mutex> lock(m_Lock);
    if (!m_bOpen || !work) return false;
    m_Queue.push_back(std::move(work));
    // One wake-up is enough while the queue is not empty: RunPending empties it.
    if (m_Queue.size() == 1 && !::PostMessageA(m_hWnd, Message(), 0, 0)) {
        m_Queue.pop_back();
        return false;
    }
    return true;
}

void WindowInbox::RunPending()
{
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard<std::mutex> lock(m_Lock);
            if (!m_bOpen || m_Queue.empty()) return;
            work = std::move(m_Queue.front());
            m_Queue.pop_front();
        }
        // One failing function must not drop the ones queued after it.
        try {
            work();
        } catch (const std::exception& e) {
            App::HandleException(e.what(), Message());
        } catch (...) {
            App::HandleException(nullptr, Message());
        }
    }
}

void WindowInbox::Close()
{
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard<std::mutex> lock(m_Lock);
        m_bOpen = false;
        dropped.swap(m_Queue);
    }
}

}  // namespace ui
