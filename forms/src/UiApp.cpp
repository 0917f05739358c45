#include "UiApp.h"

#include <atomic>

#include "UTxLog.h"
#include "UiForm.h"

namespace ui {

namespace {
std::atomic<int> g_waitCursors{0};
}  // namespace

// Set by App::Init, which lives apart so that a DLL or a program without forms of its own links
// neither the common controls nor the dialogs.
void (*g_pfnErrorBox)(const std::string& text) = nullptr;

void App::DispatchOne(MSG& msg)
{
    const HWND root = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && dynamic_cast<Form*>(Window::FromHandle(root)) && ::IsDialogMessageA(root, &msg)) return;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
}

int App::Run()
{
    MSG msg;
    for (;;) {
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got == -1) return -1;
        DispatchOne(msg);
    }
}

void App::ProcessMessages()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Left for the loop that owns the program's end.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        DispatchOne(msg);
    }
}

void App::Terminate(int exitCode)
{
    ::PostQuitMessage(exitCode);
}

void App::HandleException(const char* what, UINT message)
{
    if (what)
        LogF("!Exception in window procedure (message 0x%04x): %s", message, what);
    else
        LogF("!Exception in window procedure (message 0x%04x)", message);
    if (g_pfnErrorBox) g_pfnErrorBox(what ? what : "An unexpected error occurred.");
}

WaitCursor::WaitCursor() : m_hPrevious(::SetCursor(::LoadCursorA(nullptr, IDC_WAIT)))
{
    ++g_waitCursors;
}

WaitCursor::~WaitCursor()
{
    if (--g_waitCursors == 0) ::SetCursor(m_hPrevious);
}

bool WaitCursor::Active()
{
    return g_waitCursors > 0;
}

}  // namespace ui
