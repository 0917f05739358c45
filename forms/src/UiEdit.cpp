#include "UiEdit.h"

#include <utility>

namespace ui {

bool Edit::Create(Window& parent, int id)
{
    DWORD style = WS_TABSTOP | (readOnly ? ES_READONLY : 0);
    style |= multiLine ? ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | WS_VSCROLL
                       : ES_AUTOHSCROLL;
    if (!CreateControl(parent, id, "EDIT", style, WS_EX_CLIENTEDGE, text.c_str())) return false;
    if (maxLength > 0) SetMaxLength(maxLength);
    m_sLast = GetText();
    return true;
}

void Edit::SetReadOnly(bool on)
{
    readOnly = on;
    if (Handle()) ::SendMessageA(Handle(), EM_SETREADONLY, on ? TRUE : FALSE, 0);
}

void Edit::SetMaxLength(int length)
{
    maxLength = length;
    if (Handle()) ::SendMessageA(Handle(), EM_LIMITTEXT, length > 0 ? length : 0, 0);
}

void Edit::AppendLine(const std::string& line)
{
    if (!Handle()) return;
    const LRESULT length = ::SendMessageA(Handle(), WM_GETTEXTLENGTH, 0, 0);
    const std::string text = length > 0 ? "\r\n" + line : line;
    ::SendMessageA(Handle(), EM_SETSEL, length, length);
    ::SendMessageA(Handle(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void Edit::NoteText()
{
    // The system's edit also notifies a keystroke its text limit refused.
    std::string now = GetText();
    if (now == m_sLast) return;
    m_sLast = std::move(now);
    if (onChange) onChange(*this);
}

LRESULT Edit::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_SETTEXT) return Control::OnMessage(msg, wParam, lParam);
    ++m_iSettingText;
    const LRESULT result = Control::OnMessage(msg, wParam, lParam);
    --m_iSettingText;
    NoteText();
    return result;
}

bool Edit::OnCommand(WORD code)
{
    if (code != EN_CHANGE) return false;
    if (m_iSettingText == 0) NoteText();
    return true;
}

}  // namespace ui
