// Work handed from any thread to a window's own thread.
//
//   auto inbox = form.Inbox();                       // on the window's thread
//   worker: inbox->Post([&form] { form.Loaded(); });  // runs on the window's thread, in order
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>

namespace ui {

class WindowInbox {
public:
    explicit WindowInbox(HWND wnd) : m_hWnd(wnd) {}
    WindowInbox(const WindowInbox&) = delete;
    WindowInbox& operator=(const WindowInbox&) = delete;

    // Any thread: queues `work` for the window's thread, which runs the functions in the order they
    // were posted. False, and `work` dropped, once the window is gone: it never runs then.
    bool Post(std::function<void()> work);

    // The window message that tells the window's thread to look into its inbox.
    static UINT Message();

private:
    friend class Window;
    void RunPending();  // the window's thread
    void Close();       // the window's thread, as the window goes

    std::mutex m_Lock;
    const HWND m_hWnd;
    bool m_bOpen = true;
    std::deque<std::function<void()>> m_Queue;
};

}  // namespace ui
