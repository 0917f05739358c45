#include "UiSpinEdit.h"

#include <commctrl.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

namespace ui {

namespace {
constexpr int kButtonsWidth = 16;
}

bool SpinEdit::Buttons::Create(Window& parent)
{
    if (!CreateControl(parent, 0, UPDOWN_CLASSA, UDS_ARROWKEYS)) return false;
    ::SendMessageA(Handle(), UDM_SETRANGE32, 0, 100);
    ::SendMessageA(Handle(), UDM_SETPOS32, 0, 50);
    return true;
}

bool SpinEdit::Buttons::OnNotify(NMHDR& header, LRESULT& result)
{
    if (header.code != UDN_DELTAPOS) return false;
    const auto& change = reinterpret_cast<const NMUPDOWN&>(header);
    if (onStep) onStep(change.iDelta);
    result = TRUE;  // the position stays where it is
    return true;
}

bool SpinEdit::Create(Window& parent, int id)
{
    const int fullWidth = width;
    width = std::max(0, fullWidth - kButtonsWidth);
    text = std::to_string(value);
    const bool created = Edit::Create(parent, id);
    width = fullWidth;
    if (!created) return false;
    m_Buttons.left = left + fullWidth - kButtonsWidth;
    m_Buttons.top = top;
    m_Buttons.width = kButtonsWidth;
    m_Buttons.height = height;
    m_Buttons.visible = visible;
    m_Buttons.enabled = enabled;
    m_Buttons.onStep = [this](int delta) { Step(delta); };
    return m_Buttons.Create(parent);
}

int SpinEdit::Value() const
{
    const std::string digits = GetText();
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(digits.c_str(), &end, 10);
    if (digits.empty() || *end != '\0' || errno == ERANGE || number < INT_MIN || number > INT_MAX)
        return minValue;
    return static_cast<int>(number);
}

void SpinEdit::SetValue(int v)
{
    SetText(std::to_string(v));
}

void SpinEdit::Step(int steps)
{
    const long long next = static_cast<long long>(Value()) + static_cast<long long>(steps) * increment;
    SetValue(static_cast<int>(std::clamp<long long>(next, minValue, maxValue)));
}

LRESULT SpinEdit::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN)) {
        if (!readOnly) Step(wParam == VK_UP ? 1 : -1);
        return 0;
    }
    return Edit::OnMessage(msg, wParam, lParam);
}

}  // namespace ui
