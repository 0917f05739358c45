// The default procedure of the saver window. The full-screen saver ends on the user's first real
// input; the preview lives until the platform destroys its parent.
#include <windows.h>
#include <windowsx.h>

#include <scrnsave.h>

#include <cstdlib>

namespace {

// A pointer that trembles by a pixel or two, or the move the system reports when the window comes
// up under it, is no sign of a user.
constexpr int kMoveThreshold = 4;

struct InputState {
    bool havePointer = false;
    POINT pointer = {};
    bool wasActive = false;
    bool closing = false;
};
InputState g_Input;

void Close(HWND window)
{
    if (g_Input.closing) return;
    g_Input.closing = true;
    ::PostMessageA(window, WM_CLOSE, 0, 0);
}

bool IsRealMove(LPARAM lParam)
{
    const POINT now = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (!g_Input.havePointer) {
        g_Input.havePointer = true;
        g_Input.pointer = now;
        return false;
    }
    return std::abs(now.x - g_Input.pointer.x) > kMoveThreshold ||
           std::abs(now.y - g_Input.pointer.y) > kMoveThreshold;
}

// Input that ends the full-screen saver; true when the message was taken.
bool HandleFullScreenInput(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (msg) {
    case WM_SETCURSOR:
        ::SetCursor(nullptr);
        result = TRUE;
        return true;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_CLOSE) {
            result = FALSE;
            return true;
        }
        return false;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
        Close(window);
        return false;
    case WM_MOUSEMOVE:
        if (IsRealMove(lParam)) Close(window);
        return false;
    case WM_ACTIVATEAPP:
        // Only a saver that had the foreground and lost it to another program ends here; one that
        // never got it (a start from a background process) would otherwise close at once.
        if (wParam)
            g_Input.wasActive = true;
        else if (g_Input.wasActive)
            Close(window);
        return false;
    default:
        return false;
    }
}

}  // namespace

extern "C" LRESULT WINAPI DefScreenSaverProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CREATE) g_Input = InputState{};
    if (!fChildPreview) {
        LRESULT result = 0;
        if (HandleFullScreenInput(window, msg, wParam, lParam, result)) return result;
    }
    if (msg == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcA(window, msg, wParam, lParam);
}
