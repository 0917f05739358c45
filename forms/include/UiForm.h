// A top-level window in the framework's manner: its properties are set first, then Create makes it.
//
// The window goes before the object: a derived form's handlers are gone once ~Form runs, so a form
// is destroyed explicitly or held by ui::Owner, whose destructor destroys the window while the whole
// object still exists. Its controls, members of the form, go with its window. ~Form that still finds
// its window writes a "!" log line.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "UiGraphics.h"
#include "UiWindow.h"

namespace ui {

class Button;

enum class BorderStyle {
    None,      // WS_POPUP, no frame
    Single,    // caption, fixed thin frame
    Sizeable,  // caption, sizing frame
    Dialog,    // caption, dialog frame (WS_EX_DLGMODALFRAME); never minimise or maximise boxes
};

// The modal results of the framework; a form may use any other positive number too.
constexpr int kModalNone = 0;
constexpr int kModalOk = IDOK;
constexpr int kModalCancel = IDCANCEL;

class Form : public Window {
public:
    Form() = default;
    ~Form() override;

    // Properties, set before Create.
    std::string caption;
    BorderStyle borderStyle = BorderStyle::Sizeable;
    bool systemMenu = true;  // the BorderIcons of the framework
    bool minimizeBox = true;
    bool maximizeBox = true;
    int left = CW_USEDEFAULT;
    int top = CW_USEDEFAULT;
    int clientWidth = 320;
    int clientHeight = 240;
    Color color = Color::System(COLOR_BTNFACE);
    FontSpec font;
    bool mainForm = false;  // closing it destroys it and ends the message loop

    // Events.
    std::function<void(Form&)> onShow;                        // before the form becomes visible
    std::function<void(Form&, bool& canClose)> onCloseQuery;  // a close may be refused
    std::function<void(Form&)> onClose;                       // the close goes ahead
    std::function<void(Form&)> onHide;                        // after the form was hidden

    // Creates the window, hidden, with an outer size that gives the client size asked for.
    bool Create(const WindowClass& windowClass, HWND owner = nullptr);
    // Modeless: onShow, then ShowWindow(SW_SHOW).
    void Show();
    // ShowWindow(SW_HIDE), then onHide when the form was visible.
    void Hide();
    // As the close box does: modal, it ends the loop with kModalCancel; modeless, CloseQuery, Close,
    // Hide (the main form is destroyed instead and the message loop ends).
    void Close();

    // Shows the form with its owner disabled and runs a message loop with the dialog keys until a
    // modal result is set and the form agrees to close; then, always in this order, onCloseQuery,
    // onClose, Hide and onHide, and the owner enabled and activated again. A WM_QUIT ends the loop
    // (kModalCancel) and is passed on to the loop outside.
    int ShowModal();
    int ModalResult() const { return m_iModalResult; }
    void SetModalResult(int result) { m_iModalResult = result; }
    bool IsModal() const { return m_bModal; }

    // The buttons Enter and Esc press; a Button with `isDefault` or `isCancel` registers itself.
    void SetDefaultButton(Button* button) { m_pDefaultButton = button; }
    void SetCancelButton(Button* button) { m_pCancelButton = button; }
    Button* DefaultButton() const { return m_pDefaultButton; }
    Button* CancelButton() const { return m_pCancelButton; }

    // The form's font, for its controls that take the parent's font.
    HFONT Font() const { return static_cast<HFONT>(m_Font.get()); }
    Color BackColor() const { return color; }

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    DWORD Style() const;
    DWORD ExStyle() const;
    bool CloseQuery();
    void DialogCommand(UINT id);

    GdiObject m_Font;
    SolidBrush m_Background;
    int m_iModalResult = kModalNone;
    bool m_bModal = false;
    Button* m_pDefaultButton = nullptr;
    Button* m_pCancelButton = nullptr;
    HWND m_hLastFocus = nullptr;  // the control that had the keyboard when the form was deactivated
};

// Holds a form, or a control whose object may end before its parent's window, and destroys its
// window while the whole object still exists, so the class's own handlers see their WM_DESTROY:
//   ui::Owner<TFormMain> formMain;
// This is the one place that does so: no class destroys its own window in its destructor, where the
// handlers of the classes derived from it would already be gone.
template <typename T> class Owner final : public T {
public:
    using T::T;
    ~Owner() override { this->Destroy(); }
};

// Watches the modal loops of the program. A program has none; the test kit installs one to act on a
// modal form as a user would, once its loop has shown it and handled what was waiting.
class ModalObserver {
public:
    virtual ~ModalObserver() = default;
    // The loop of `form` has nothing waiting and is about to wait for the next message. Returns true
    // when it acted, so that the loop looks at the form's modal result again before it waits.
    virtual bool OnModalIdle(Form& form) = 0;
};
// Installs `observer` (not owned; null for none) for the modal loops of every thread, and returns the
// one it replaces.
ModalObserver* SetModalObserver(ModalObserver* observer);

}  // namespace ui
