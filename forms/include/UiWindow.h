// The base of every window of the form layer: one C++ object owns one HWND and handles its messages.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace ui {

class WindowInbox;

// The module (program or DLL) this code is linked into; the window classes of the layer belong to it.
HINSTANCE ThisModule();

// A window class registered by this module. A DLL must unregister its classes before it unloads:
// Windows keeps them after FreeLibrary, with a window procedure that then points into freed code,
// and the next load of the DLL could not register them again.
class WindowClass {
public:
    explicit WindowClass(const char* name) : m_sName(name) {}
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;
    ~WindowClass() = default;

    // Properties, set before Register.
    UINT style = 0;
    LPCSTR cursor = IDC_ARROW;
    HICON icon = nullptr;         // the system's default when null
    HICON smallIcon = nullptr;    // taken from `icon` when null
    HBRUSH background = nullptr;  // none when null: the window paints its own background

    const char* Name() const { return m_sName.c_str(); }
    bool IsRegistered() const { return m_bRegistered; }
    // RegisterClassExA with this module and the layer's window procedure; true when already registered.
    bool Register();
    // UnregisterClassA; fails (and stays registered) while windows of the class exist.
    bool Unregister();

private:
    std::string m_sName;
    bool m_bRegistered = false;
};

// WM_CTLCOLORMSGBOX to WM_CTLCOLORSTATIC: a child asks its parent for its colours.
inline bool IsControlColorMessage(UINT msg)
{
    return msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC;
}

// BeginPaint and EndPaint around the painting of one WM_PAINT.
class PaintScope {
public:
    explicit PaintScope(HWND wnd) : m_hWnd(wnd), m_hDc(::BeginPaint(wnd, &m_Paint)) {}
    ~PaintScope() { ::EndPaint(m_hWnd, &m_Paint); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC Dc() const { return m_hDc; }

private:
    HWND m_hWnd;
    PAINTSTRUCT m_Paint;
    HDC m_hDc;
};

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    // A window still there when its object ends is destroyed here, where only this base's handlers
    // are left: whatever a class must see of its own window's end needs the window gone first, by
    // its parent's end or by ui::Owner (UiForm.h). The objects of its children still hear theirs.
    virtual ~Window();

    HWND Handle() const { return m_hWnd; }
    // The window still exists (IsWindow); false before Create and after it was destroyed.
    bool Exists() const;
    // DestroyWindow. A window of another thread cannot be destroyed from here: it is cut loose from
    // this object and closed through its own thread's message queue instead (WM_CLOSE), and a "!"
    // line says so. So does one for a window that went without this object hearing of it.
    void Destroy();

    std::string GetText() const;            // WM_GETTEXTLENGTH, WM_GETTEXT
    void SetText(const std::string& text);  // WM_SETTEXT
    void SetFont(HFONT font, bool redraw);  // WM_SETFONT
    LONG GetStyle() const;                  // GetWindowLongA(GWL_STYLE)
    void SetStyle(LONG style);              // SetWindowLongA(GWL_STYLE)
    RECT GetWindowRect() const;             // GetWindowRect: outer bounds in screen coordinates
    RECT GetClientRect() const;             // GetClientRect
    bool IsVisible() const;                 // IsWindowVisible
    void SetPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags);  // SetWindowPos
    void ShowWindow(int how);                                                 // ShowWindow
    void Invalidate();                                                        // InvalidateRect
    // Paints the window now, also while its thread does not pump messages (RedrawWindow with
    // RDW_UPDATENOW), rather than only marking it for the next WM_PAINT.
    void RepaintNow();

    // The object of this layer behind a window, or null.
    static Window* FromHandle(HWND wnd);

    // How the log names this window: Form "title", or Control class id "text". Read from any thread
    // without a message while the window exists; the last one read after it went.
    std::string Name() const;

    // Where other threads hand functions to this window's thread (see UiInbox.h). Made on first use;
    // ask for it on the window's own thread while the window exists.
    std::shared_ptr<WindowInbox> Inbox();

protected:
    // Handles one message; the default passes it on to DefaultMessage.
    virtual LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // A notification this window sent its parent (WM_COMMAND, WM_NOTIFY, WM_HSCROLL, WM_VSCROLL,
    // WM_DRAWITEM, WM_CTLCOLOR*), handed back to it whatever the parent is, so a control handles its
    // own events. Returns true when handled; `result` is then the parent's answer.
    virtual bool OnNotification(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // DefWindowProcA, or the own procedure of a subclassed system control.
    LRESULT DefaultMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    // CreateWindowExA of a class registered by WindowClass; this object handles its messages from
    // WM_NCCREATE on.
    bool CreateOwnClass(const WindowClass& windowClass, DWORD exStyle, const char* text, DWORD style, int x,
                        int y, int cx, int cy, HWND parent, HMENU menu);
    // CreateWindowExA of a system class ("STATIC", "BUTTON", ...), then subclassed to this object.
    bool CreateSystemClass(const char* className, DWORD exStyle, const char* text, DWORD style, int x, int y,
                           int cx, int cy, HWND parent, HMENU menu);

private:
    friend class WindowClass;
    static LRESULT CALLBACK ClassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static BOOL CALLBACK DetachChild(HWND child, LPARAM) noexcept;
    static LRESULT Dispatch(Window* self, HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    static bool HandOnToChild(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    static std::string Describe(HWND wnd);
    void Attach(HWND wnd);
    void Detach();
    void LostWindow();  // the window went without its messages reaching this object

    HWND m_hWnd = nullptr;
    WNDPROC m_pfnControlProc = nullptr;  // the own procedure of a subclassed system control
    std::shared_ptr<WindowInbox> m_Inbox;
    mutable std::string m_sName;  // see Name
};

}  // namespace ui
