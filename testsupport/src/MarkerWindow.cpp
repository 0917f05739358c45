#include "KvTestSupport.h"

namespace testsupport {

namespace {

constexpr char kMarkerClass[] = "KvTestMarkerWindow";
constexpr UINT kMarkerMessage = WM_APP + 0x3A7;

}  // namespace

MarkerWindow::MarkerWindow()
{
    static const bool registered = [] {
        WNDCLASSA cls = {};
        cls.lpfnWndProc = &MarkerWindow::WindowProc;
        cls.hInstance = ::GetModuleHandleA(nullptr);
        cls.lpszClassName = kMarkerClass;
        return ::RegisterClassA(&cls) != 0;
    }();
    if (!registered) return;
    m_hWnd = ::CreateWindowExA(0, kMarkerClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               ::GetModuleHandleA(nullptr), this);
}

MarkerWindow::~MarkerWindow()
{
    if (m_hWnd) ::DestroyWindow(m_hWnd);
}

LONG MarkerWindow::Post()
{
    const LONG marker = ++m_Posted;
    if (!m_hWnd || !::PostMessageA(m_hWnd, kMarkerMessage, 0, marker)) return 0;
    return marker;
}

LRESULT CALLBACK MarkerWindow::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (msg == kMarkerMessage) {
        auto* self = reinterpret_cast<MarkerWindow*>(::GetWindowLongPtrA(wnd, GWLP_USERDATA));
        if (self && static_cast<LONG>(lParam) > self->m_Handled) self->m_Handled = static_cast<LONG>(lParam);
        return 0;
    }
    return ::DefWindowProcA(wnd, msg, wParam, lParam);
}

}  // namespace testsupport
