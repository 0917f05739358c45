// A text field, single-line or multi-line (the framework's Edit and Memo). onChange fires once for
// each change of the text, typed or set by code; the system's edit notifies on WM_SETTEXT only when it
// is single-line, so both kinds are brought to the same rule here.
#pragma once

#include <functional>
#include <string>

#include "UiControl.h"

namespace ui {

class Edit : public Control {
public:
    // Properties, set before Create.
    std::string text;
    bool multiLine = false;  // with a vertical scroll bar, no word wrap
    bool readOnly = false;
    int maxLength = 0;  // 0: no limit beyond the system's

    std::function<void(Edit&)> onChange;

    bool Create(Window& parent, int id = 0);
    std::string Text() const { return GetText(); }  // WM_GETTEXT
    void SetReadOnly(bool on);                      // EM_SETREADONLY
    void SetMaxLength(int length);                  // EM_LIMITTEXT
    // A new last line, after a line break unless the text is empty: put where the text ends
    // (EM_SETSEL, EM_REPLACESEL) instead of setting the whole text again, which a long log would
    // copy once per line.
    void AppendLine(const std::string& line);

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;  // WM_SETTEXT from anyone
    bool OnCommand(WORD code) override;                                  // EN_CHANGE
    // The text differs from the last one seen: remember it and fire.
    void NoteText();

private:
    int m_iSettingText = 0;
    std::string m_sLast;
};

}  // namespace ui
