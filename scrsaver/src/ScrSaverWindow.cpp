#include "ScrSaverWindow.h"

#include <scrnsave.h>

namespace scrsaver {

bool RegisterSaverClass(HINSTANCE instance)
{
    WNDCLASSA existing = {};
    if (::GetClassInfoA(instance, kSaverClassName, &existing)) return true;
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_SAVEBITS | CS_DBLCLKS;
    wc.lpfnWndProc = &ScreenSaverProc;
    wc.hInstance = instance;
    wc.hCursor = nullptr;  // the full-screen saver hides the pointer; see DefScreenSaverProc
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kSaverClassName;
    return ::RegisterClassA(&wc) != 0;
}

HWND CreateSaverWindow(HINSTANCE instance, SaverMode mode, HWND parent)
{
    if (!RegisterSaverClass(instance)) return nullptr;
    hMainInstance = instance;
    HWND window = nullptr;
    if (mode == SaverMode::FullScreen) {
        fChildPreview = FALSE;
        window = ::CreateWindowExA(
            WS_EX_TOPMOST, kSaverClassName, "", WS_POPUP | WS_VISIBLE, ::GetSystemMetrics(SM_XVIRTUALSCREEN),
            ::GetSystemMetrics(SM_YVIRTUALSCREEN), ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
            ::GetSystemMetrics(SM_CYVIRTUALSCREEN), nullptr, nullptr, instance, nullptr);
    } else if (mode == SaverMode::Preview && parent && ::IsWindow(parent)) {
        fChildPreview = TRUE;
        RECT client = {};
        ::GetClientRect(parent, &client);
        window = ::CreateWindowExA(0, kSaverClassName, "Preview", WS_CHILD | WS_VISIBLE, 0, 0,
                                   client.right - client.left, client.bottom - client.top, parent, nullptr,
                                   instance, nullptr);
    }
    hMainWindow = window;
    return window;
}

namespace {

int RunConfigure(HINSTANCE instance, HWND parent)
{
    if (!parent) parent = ::GetForegroundWindow();
    RegisterDialogClasses(instance);
    // scrnsave.h declares the dialog procedure with a BOOL result, which has the size of INT_PTR
    // on the 32-bit target; the calling convention is the same.
    const INT_PTR result =
        ::DialogBoxParamA(instance, MAKEINTRESOURCEA(DLG_SCRNSAVECONFIGURE), parent,
                          reinterpret_cast<DLGPROC>(reinterpret_cast<void*>(&ScreenSaverConfigureDialog)), 0);
    return result == -1 ? 1 : 0;
}

int RunSaverWindow(HINSTANCE instance, SaverMode mode, HWND parent)
{
    if (!CreateSaverWindow(instance, mode, parent)) return mode == SaverMode::Preview ? 0 : 1;
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}

}  // namespace

int RunSaverCommand(HINSTANCE instance, const SaverCommand& command)
{
    switch (command.mode) {
    case SaverMode::Configure:
        return RunConfigure(instance, command.parent);
    case SaverMode::Preview:
    case SaverMode::FullScreen:
        return RunSaverWindow(instance, command.mode, command.parent);
    case SaverMode::ChangePassword:
        break;  // the platform checks and changes passwords itself
    }
    return 0;
}

}  // namespace scrsaver
