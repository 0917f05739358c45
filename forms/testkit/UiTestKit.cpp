#include "UiTestKit.h"

#include <windows.h>

#include <commctrl.h>

#include <utility>

#include "UiApp.h"

namespace uitest {

std::vector<std::string> EventLog::Take()
{
    std::vector<std::string> taken;
    taken.swap(m_Events);
    return taken;
}

void Click(HWND button)
{
    ::SendMessageA(button, BM_CLICK, 0, 0);
}

void ClickAt(HWND wnd, int x, int y)
{
    const LPARAM at = MAKELPARAM(x, y);
    ::SendMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageA(wnd, WM_LBUTTONUP, 0, at);
}

namespace {
LPARAM KeyData(UINT virtualKey, bool up)
{
    const UINT scan = ::MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    return 1 | (static_cast<LPARAM>(scan) << 16) | (up ? (3u << 30) : 0);
}
}  // namespace

void PressKey(HWND wnd, UINT virtualKey)
{
    ::SendMessageA(wnd, WM_KEYDOWN, virtualKey, KeyData(virtualKey, false));
    const UINT character = ::MapVirtualKeyA(virtualKey, MAPVK_VK_TO_CHAR);
    if (character >= ' ') ::SendMessageA(wnd, WM_CHAR, character, KeyData(virtualKey, false));
    ::SendMessageA(wnd, WM_KEYUP, virtualKey, KeyData(virtualKey, true));
}

void TypeText(HWND wnd, const std::string& text)
{
    for (unsigned char c : text)
        ::SendMessageA(wnd, WM_CHAR, c, 1);
}

void PostKey(HWND wnd, UINT virtualKey)
{
    ::PostMessageA(wnd, WM_KEYDOWN, virtualKey, KeyData(virtualKey, false));
    ::PostMessageA(wnd, WM_KEYUP, virtualKey, KeyData(virtualKey, true));
}

bool SelectListItem(HWND listView, int item)
{
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    return ::SendMessageA(listView, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&state)) != 0;
}

namespace {
// Acts once, in the first modal loop that falls idle, and leaves the loops alone again.
class NextModal final : public ui::ModalObserver {
public:
    void Set(std::function<void(ui::Form&)> act)
    {
        m_Act = std::move(act);
        ui::SetModalObserver(m_Act ? this : nullptr);
    }

    bool OnModalIdle(ui::Form& form) override
    {
        // Taken first: the act may ask for the next modal form, which it opens itself.
        std::function<void(ui::Form&)> act = std::move(m_Act);
        Set(nullptr);
        if (!act) return false;
        act(form);
        return true;
    }

private:
    std::function<void(ui::Form&)> m_Act;
};

NextModal& TheNextModal()
{
    static NextModal next;
    return next;
}
}  // namespace

void OnNextModal(std::function<void(ui::Form&)> act)
{
    TheNextModal().Set(std::move(act));
}

void Settle()
{
    // A thread message cannot be lost to a window that goes meanwhile.
    static const UINT marker = ::RegisterWindowMessageA("Kestrova.uitest.Settle");
    ::PostThreadMessageA(::GetCurrentThreadId(), marker, 0, 0);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == marker) return;
        ui::App::DispatchOne(msg);
    }
}

Picture Capture(HWND wnd)
{
    return testsupport::CaptureWindow(wnd, testsupport::PictureArea::WholeWindow);
}

}  // namespace uitest
