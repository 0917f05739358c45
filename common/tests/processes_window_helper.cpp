// Shows one visible window titled with the command line and runs until the window is closed.
// The conflicting-program tests start copies of it under the program names they need.
#include <windows.h>

static LRESULT CALLBACK HelperWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(wnd, msg, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HelperWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = "KvProcessesHelper";
    if (!::RegisterClassA(&wc)) return 1;
    if (!::CreateWindowExA(0, wc.lpszClassName, commandLine, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                           nullptr, nullptr, instance, nullptr))
        return 2;
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}
