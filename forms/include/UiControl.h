// The base of every child control. A control follows one shape: public properties that Create reads,
// events as std::function members, and one member per wrapped message, named beside it
// (// BM_GETCHECK). Every notification the control sends its parent comes back to its own object,
// whatever window the parent is, so a form never switches over control ids.
//
// Change events are the same for every control: a change made by code (a setter or the raw message)
// or by the user fires the change event once; setting the value it already has fires nothing.
#pragma once

#include <windows.h>

#include "UiWindow.h"

namespace ui {

class Form;

class Control : public Window {
public:
    // A control still there when its object ends writes a "!" line: it is held by ui::Owner when it
    // may end before its parent's window.
    ~Control() override;

    // Bounds in the parent's client coordinates, set before Create.
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool visible = true;
    bool enabled = true;

    int Id() const;            // GetDlgCtrlID
    bool IsEnabled() const;    // IsWindowEnabled
    void SetEnabled(bool on);  // EnableWindow
    void SetVisible(bool on);  // ShowWindow
    // The bound properties, and SetWindowPos once the window exists.
    void SetBounds(int x, int y, int cx, int cy);
    void SetFocus();  // SetFocus
    // The form the control sits on, through any panels and group boxes, or null.
    Form* ParentForm() const;

    // WM_CTLCOLOR* of this control: colour the DC and return the background brush, or null to keep
    // the system's colours.
    virtual HBRUSH OnCtlColor(HDC dc);

protected:
    // CreateWindowExA of a system class as a child of `parent` at the bound properties, subclassed to
    // this object, with the parent's font.
    bool CreateControl(Window& parent, int id, const char* className, DWORD style, DWORD exStyle = 0,
                       const char* text = "");

    bool OnNotification(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // WM_COMMAND's notification code (BN_CLICKED, EN_CHANGE, ...); true when handled.
    virtual bool OnCommand(WORD code);
    // WM_NOTIFY; true when handled, `result` being the answer.
    virtual bool OnNotify(NMHDR& header, LRESULT& result);
    // WM_HSCROLL or WM_VSCROLL with its request code (TB_LINEDOWN, ...).
    virtual void OnScroll(WORD code);

    // Paints what lies under this control in its parent into `dc` (WM_PRINTCLIENT of the parent with
    // the origin moved), for controls that draw only part of their area.
    void PaintParentBackground(HDC dc);
};

}  // namespace ui
