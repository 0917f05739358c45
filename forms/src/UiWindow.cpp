#include "UiWindow.h"

#include <exception>
#include <vector>

#include "UTxLog.h"
#include "UiApp.h"
#include "UiInbox.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace ui {

namespace {
// The property that ties a window to its object; it lets a parent find the object of any child.
constexpr const char* kObjectProperty = "kvui";
// The own procedure of a subclassed system control, kept with the window: once code outside the layer
// has put a procedure of its own over the layer's, the layer's stays in the chain after its object
// went, and hands the messages on through this.
constexpr const char* kControlProcProperty = "kvui.proc";

WNDPROC CurrentProc(HWND wnd)
{
    return reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(wnd, GWLP_WNDPROC));
}

// The window's title as the system keeps it, read without a message: the window's thread may be
// busy or waiting for the caller.
std::string TitleOf(HWND wnd)
{
    wchar_t title[128];
    const int length = ::InternalGetWindowText(wnd, title, static_cast<int>(sizeof title / sizeof title[0]));
    if (length <= 0) return std::string();
    char text[256];
    const int size = ::WideCharToMultiByte(CP_ACP, 0, title, length, text, static_cast<int>(sizeof text),
                                           nullptr, nullptr);
    return std::string(text, static_cast<size_t>(size > 0 ? size : 0));
}
}  // namespace

HINSTANCE ThisModule()
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

bool WindowClass::Register()
{
    if (m_bRegistered) return true;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = &Window::ClassProc;
    wc.hInstance = ThisModule();
    wc.hCursor = ::LoadCursorA(nullptr, cursor);
    wc.hIcon = icon;
    wc.hIconSm = smallIcon;
    wc.hbrBackground = background;
    wc.lpszClassName = m_sName.c_str();
    if (!::RegisterClassExA(&wc)) {
        // Left behind by an earlier load of this module at the same address that could not remove it;
        // its procedure may point into freed code, so it is replaced.
        if (::GetLastError() != ERROR_CLASS_ALREADY_EXISTS || !::UnregisterClassA(Name(), ThisModule()) ||
            !::RegisterClassExA(&wc)) {
            LogLastErrorF("!RegisterClassExA(%s) failed", Name());
            return false;
        }
    }
    m_bRegistered = true;
    return true;
}

bool WindowClass::Unregister()
{
    if (!m_bRegistered) return true;
    if (!::UnregisterClassA(Name(), ThisModule())) {
        LogLastErrorF("!UnregisterClassA(%s) failed", Name());
        return false;
    }
    m_bRegistered = false;
    return true;
}

Window::~Window()
{
    Destroy();
}

BOOL CALLBACK Window::DetachChild(HWND child, LPARAM) noexcept
{
    if (Window* object = FromHandle(child)) {
        LogF("!%s was cut loose with its parent on another thread: it misses its WM_DESTROY",
             object->Name().c_str());
        object->Detach();
    }
    return TRUE;
}

bool Window::Exists() const
{
    // The handle of a window that died with its thread may already name another window.
    return m_hWnd && ::IsWindow(m_hWnd) && FromHandle(m_hWnd) == this;
}

std::string Window::Describe(HWND wnd)
{
    const std::string title = TitleOf(wnd);
    if (!(::GetWindowLongA(wnd, GWL_STYLE) & WS_CHILD)) return "Form \"" + title + "\"";
    char className[64] = "";
    ::GetClassNameA(wnd, className, static_cast<int>(sizeof className));
    return std::string("Control ") + className + " " + std::to_string(::GetDlgCtrlID(wnd)) + " \"" + title +
           "\"";
}

std::string Window::Name() const
{
    if (Exists()) m_sName = Describe(m_hWnd);
    return m_sName;
}

void Window::Destroy()
{
    if (!m_hWnd) return;
    if (!Exists()) {
        // Its WM_NCDESTROY never came here: a procedure put on later had left the layer's out of the
        // chain, or the window died with its thread.
        LostWindow();
        return;
    }
    if (::GetWindowThreadProcessId(m_hWnd, nullptr) == ::GetCurrentThreadId()) {
        const HWND wnd = m_hWnd;
        ::DestroyWindow(wnd);  // WM_NCDESTROY detaches this object
        if (m_hWnd == wnd && !::IsWindow(wnd)) LostWindow();
        m_hWnd = nullptr;
        return;
    }
    // DestroyWindow works only on the window's own thread, and sending to that thread could wait
    // forever. So the window and its children are cut loose from their objects, which may go away
    // now, and the thread closes the window when it next reads its messages.
    HWND wnd = m_hWnd;
    LogF("!%s went on another thread than its window's: the window closes later, without its handlers",
         Name().c_str());
    ::EnumChildWindows(wnd, &DetachChild, 0);
    const bool ownClass = m_pfnControlProc == nullptr;
    if (m_Inbox) m_Inbox->Close();  // nothing handed over from now on would ever run
    Detach();
    // A procedure that code outside the layer put on the window later keeps its place: it still
    // sees the window's last messages, and the layer's below it finds no object and passes them on.
    if (ownClass && CurrentProc(wnd) == &ClassProc)
        ::SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&::DefWindowProcA));
    ::PostMessageA(wnd, WM_CLOSE, 0, 0);
}

void Window::LostWindow()
{
    LogF("!%s lost its window without WM_DESTROY reaching it", m_sName.c_str());
    m_hWnd = nullptr;
    m_pfnControlProc = nullptr;
}

std::string Window::GetText() const
{
    if (!m_hWnd) return std::string();
    const LRESULT length = ::SendMessageA(m_hWnd, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied =
        ::SendMessageA(m_hWnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return std::string(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}

void Window::SetText(const std::string& text)
{
    if (!m_hWnd) return;
    ::SendMessageA(m_hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Name();  // remembered for a window that goes without this object seeing it
}

void Window::SetFont(HFONT font, bool redraw)
{
    if (m_hWnd) ::SendMessageA(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
}

LONG Window::GetStyle() const
{
    return m_hWnd ? ::GetWindowLongA(m_hWnd, GWL_STYLE) : 0;
}

void Window::SetStyle(LONG style)
{
    if (m_hWnd) ::SetWindowLongA(m_hWnd, GWL_STYLE, style);
}

RECT Window::GetWindowRect() const
{
    RECT r = {};
    if (m_hWnd) ::GetWindowRect(m_hWnd, &r);
    return r;
}

RECT Window::GetClientRect() const
{
    RECT r = {};
    if (m_hWnd) ::GetClientRect(m_hWnd, &r);
    return r;
}

bool Window::IsVisible() const
{
    return m_hWnd && ::IsWindowVisible(m_hWnd);
}

void Window::SetPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    if (m_hWnd) ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags);
}

void Window::ShowWindow(int how)
{
    if (m_hWnd) ::ShowWindow(m_hWnd, how);
}

void Window::Invalidate()
{
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void Window::RepaintNow()
{
    if (m_hWnd) ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

Window* Window::FromHandle(HWND wnd)
{
    return wnd ? static_cast<Window*>(::GetPropA(wnd, kObjectProperty)) : nullptr;
}

std::shared_ptr<WindowInbox> Window::Inbox()
{
    if (!m_Inbox && Exists()) m_Inbox = std::make_shared<WindowInbox>(m_hWnd);
    return m_Inbox;
}

bool Window::OnNotification(UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}

LRESULT Window::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefaultMessage(msg, wParam, lParam);
}

LRESULT Window::DefaultMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnControlProc) return ::CallWindowProcA(m_pfnControlProc, m_hWnd, msg, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, msg, wParam, lParam);
}

bool Window::CreateOwnClass(const WindowClass& windowClass, DWORD exStyle, const char* text, DWORD style,
                            int x, int y, int cx, int cy, HWND parent, HMENU menu)
{
    if (Exists()) return false;
    HWND wnd = ::CreateWindowExA(exStyle, windowClass.Name(), text, style, x, y, cx, cy, parent, menu,
                                 ThisModule(), this);
    if (!wnd) {
        LogLastErrorF("!CreateWindowExA(%s) failed", windowClass.Name());
        return false;
    }
    Name();
    return true;
}

bool Window::CreateSystemClass(const char* className, DWORD exStyle, const char* text, DWORD style, int x,
                               int y, int cx, int cy, HWND parent, HMENU menu)
{
    if (Exists()) return false;
    HWND wnd =
        ::CreateWindowExA(exStyle, className, text, style, x, y, cx, cy, parent, menu, ThisModule(), nullptr);
    if (!wnd) {
        LogLastErrorF("!CreateWindowExA(%s) failed", className);
        return false;
    }
    m_pfnControlProc = CurrentProc(wnd);
    ::SetPropA(wnd, kControlProcProperty, reinterpret_cast<HANDLE>(m_pfnControlProc));
    Attach(wnd);
    ::SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::SubclassProc));
    Name();
    return true;
}

void Window::Attach(HWND wnd)
{
    m_hWnd = wnd;
    ::SetPropA(wnd, kObjectProperty, this);
}

void Window::Detach()
{
    if (!m_hWnd) return;
    ::RemovePropA(m_hWnd, kObjectProperty);
    // The control's own procedure comes back only where the layer's is still the window's: over one
    // put on later it would cut that one out, and it would never see the window's end.
    if (m_pfnControlProc && CurrentProc(m_hWnd) == &SubclassProc) {
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnControlProc));
        ::RemovePropA(m_hWnd, kControlProcProperty);
    }
    m_pfnControlProc = nullptr;
    m_hWnd = nullptr;
}

LRESULT CALLBACK Window::ClassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Window* self = FromHandle(wnd);
    if (!self && msg == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (self) self->Attach(wnd);
    }
    if (!self) return ::DefWindowProcA(wnd, msg, wParam, lParam);
    return Dispatch(self, wnd, msg, wParam, lParam);
}

LRESULT CALLBACK Window::SubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (Window* self = FromHandle(wnd)) return Dispatch(self, wnd, msg, wParam, lParam);
    // Still in the chain under a later procedure after the object went: the control goes on working.
    const auto own = reinterpret_cast<WNDPROC>(::GetPropA(wnd, kControlProcProperty));
    if (!own) return ::DefWindowProcA(wnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) ::RemovePropA(wnd, kControlProcProperty);
    return ::CallWindowProcA(own, wnd, msg, wParam, lParam);
}

bool Window::HandOnToChild(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    HWND child = nullptr;
    switch (msg) {
    case WM_COMMAND:  // lParam is null for menus and accelerators
    case WM_HSCROLL:  // and for the window's own scroll bars
    case WM_VSCROLL:
        child = reinterpret_cast<HWND>(lParam);
        break;
    case WM_NOTIFY:
        child = lParam ? reinterpret_cast<const NMHDR*>(lParam)->hwndFrom : nullptr;
        break;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item && item->CtlType != ODT_MENU) child = item->hwndItem;
        break;
    }
    default:
        if (!IsControlColorMessage(msg)) return false;
        child = reinterpret_cast<HWND>(lParam);
        break;
    }
    Window* object = FromHandle(child);
    return object && object->OnNotification(msg, wParam, lParam, result);
}

LRESULT Window::Dispatch(Window* self, HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    // A C++ exception cannot travel through the system's frames of a window procedure, so every
    // message ends here.
    LRESULT result = 0;
    try {
        if (msg == WM_SETCURSOR && WaitCursor::Active()) {
            ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
            result = TRUE;
        } else if (msg == WindowInbox::Message()) {
            // Held here: a function that destroys the window releases the window's reference.
            if (std::shared_ptr<WindowInbox> inbox = self->m_Inbox) inbox->RunPending();
        } else if (!HandOnToChild(msg, wParam, lParam, result)) {
            result = self->OnMessage(msg, wParam, lParam);
        }
    } catch (const std::exception& e) {
        App::HandleException(e.what(), msg);
    } catch (...) {
        App::HandleException(nullptr, msg);
    }
    if (msg == WM_NCDESTROY && self->m_hWnd == wnd) {
        if (self->m_Inbox) self->m_Inbox->Close();
        self->m_Inbox.reset();
        self->Detach();
        ::RemovePropA(wnd, kControlProcProperty);
    }
    return result;
}

}  // namespace ui
