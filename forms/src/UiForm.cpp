#include "UiForm.h"

#include <atomic>

#include "UTxLog.h"
#include "UiApp.h"
#include "UiButton.h"

namespace ui {

namespace {
std::atomic<ModalObserver*> g_modalObserver{nullptr};
}  // namespace

ModalObserver* SetModalObserver(ModalObserver* observer)
{
    return g_modalObserver.exchange(observer);
}

Form::~Form()
{
    if (Exists()) {
        LogF("!%s still had its window when its object went: its own handlers missed WM_DESTROY",
             Name().c_str());
        Destroy();
    }
}

DWORD Form::Style() const
{
    DWORD style = 0;
    switch (borderStyle) {
    case BorderStyle::None:
        return WS_POPUP | WS_CLIPCHILDREN;
    case BorderStyle::Single:
        style = WS_OVERLAPPED | WS_CAPTION;
        break;
    case BorderStyle::Sizeable:
        style = WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME;
        break;
    case BorderStyle::Dialog:
        // As in the framework, a dialog frame never carries minimise or maximise boxes.
        return WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN | (systemMenu ? WS_SYSMENU : 0);
    }
    if (systemMenu) style |= WS_SYSMENU;
    if (minimizeBox) style |= WS_MINIMIZEBOX;
    if (maximizeBox) style |= WS_MAXIMIZEBOX;
    return style | WS_CLIPCHILDREN;
}

DWORD Form::ExStyle() const
{
    // Tab and the arrow keys enter the panels and group boxes of the form.
    return WS_EX_CONTROLPARENT | (borderStyle == BorderStyle::Dialog ? WS_EX_DLGMODALFRAME : 0);
}

bool Form::Create(const WindowClass& windowClass, HWND owner)
{
    if (Exists()) return false;
    m_Font = font.Create();
    m_Background.Set(color);
    RECT r = {0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&r, Style(), FALSE, ExStyle());
    return CreateOwnClass(windowClass, ExStyle(), caption.c_str(), Style(), left, top, r.right - r.left,
                          r.bottom - r.top, owner, nullptr);
}

void Form::Show()
{
    if (!Exists()) return;
    if (onShow) onShow(*this);
    ShowWindow(SW_SHOW);
}

void Form::Hide()
{
    if (!Exists()) return;
    const bool wasVisible = IsVisible();
    ShowWindow(SW_HIDE);
    if (wasVisible && onHide) onHide(*this);
}

bool Form::CloseQuery()
{
    bool canClose = true;
    if (onCloseQuery) onCloseQuery(*this, canClose);
    return canClose;
}

void Form::Close()
{
    if (!Exists()) return;
    if (m_bModal) {
        m_iModalResult = kModalCancel;
        return;
    }
    if (!CloseQuery()) return;
    if (onClose) onClose(*this);
    if (mainForm) {
        Destroy();
        App::Terminate();
        return;
    }
    Hide();
}

int Form::ShowModal()
{
    if (!Exists() || m_bModal) return kModalNone;
    HWND owner = ::GetWindow(Handle(), GW_OWNER);
    if (!owner) owner = ::GetActiveWindow();
    if (owner == Handle()) owner = nullptr;
    const bool disableOwner = owner && ::IsWindowEnabled(owner);
    if (disableOwner) ::EnableWindow(owner, FALSE);

    m_iModalResult = kModalNone;
    m_bModal = true;
    Show();
    ::SetActiveWindow(Handle());
    bool quit = false;
    int quitCode = 0;
    MSG msg;
    while (Exists()) {
        if (m_iModalResult != kModalNone) {
            if (CloseQuery()) break;
            m_iModalResult = kModalNone;
            continue;
        }
        ModalObserver* observer = g_modalObserver.load();
        if (observer && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) && observer->OnModalIdle(*this))
            continue;
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            quit = got == 0;
            quitCode = static_cast<int>(msg.wParam);
            m_iModalResult = kModalCancel;
            break;
        }
        App::DispatchOne(msg);
    }
    const int result = Exists() ? m_iModalResult : kModalCancel;
    if (Exists()) {
        if (!quit && onClose) onClose(*this);
        // The owner comes back before the form goes, so the system does not activate another window.
        if (disableOwner) ::EnableWindow(owner, TRUE);
        Hide();
    } else if (disableOwner) {
        ::EnableWindow(owner, TRUE);
    }
    m_bModal = false;
    if (owner && ::IsWindow(owner)) ::SetActiveWindow(owner);
    if (quit) ::PostQuitMessage(quitCode);
    return result;
}

void Form::DialogCommand(UINT id)
{
    // Enter and Esc of the dialog keys when the button is not a direct child of the form. Without
    // a cancel button Esc does nothing, as in the framework: it never closes a main form.
    if (id == IDCANCEL) {
        if (m_pCancelButton && m_pCancelButton->Exists()) m_pCancelButton->Click();
    } else if (m_pDefaultButton && m_pDefaultButton->Exists() &&
               static_cast<int>(id) == m_pDefaultButton->Id()) {
        m_pDefaultButton->Click();
    }
}

LRESULT Form::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT r = GetClientRect();
        ::FillRect(reinterpret_cast<HDC>(wParam), &r, m_Background.Get());
        return 1;
    }
    case WM_PRINTCLIENT: {  // a transparent child asks for what lies under it
        RECT r = GetClientRect();
        ::FillRect(reinterpret_cast<HDC>(wParam), &r, m_Background.Get());
        return 0;
    }
    case WM_GETFONT:  // the font its controls take
        return reinterpret_cast<LRESULT>(Font());
    case DM_GETDEFID:
        if (m_pDefaultButton && m_pDefaultButton->Exists())
            return MAKELRESULT(m_pDefaultButton->Id(), DC_HASDEFID);
        return 0;
    case WM_COMMAND:
        if (lParam == 0 && HIWORD(wParam) == BN_CLICKED) DialogCommand(LOWORD(wParam));
        return 0;
    case WM_CLOSE:
        Close();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = ::GetFocus();
            if (focus && ::IsChild(Handle(), focus)) m_hLastFocus = focus;
        } else if (!HIWORD(wParam)) {
            // As a dialog does: the keyboard goes back to the control that had it, or to the first
            // one Tab reaches.
            const HWND target = m_hLastFocus && ::IsChild(Handle(), m_hLastFocus)
                                    ? m_hLastFocus
                                    : ::GetNextDlgTabItem(Handle(), nullptr, FALSE);
            if (target) {
                ::SetFocus(target);
                return 0;
            }
        }
        break;
    default:
        break;
    }
    return Window::OnMessage(msg, wParam, lParam);
}

}  // namespace ui
