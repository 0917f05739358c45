#include <string>

#include "ManagerForms.h"
#include "UiListView.h"
#include "CaptionTable.h"
#include "Umanaglang.h"

namespace manager {

const ui::WindowClass& ManagerFormClass()
{
    static ui::WindowClass windowClass("TKvManagerForm");
    windowClass.Register();
    return windowClass;
}

void ApplyCaptions(const char* formName, ui::Form& form, std::initializer_list<CaptionTarget> targets)
{
    ManagerTextKey key;
    if (FindCaption(formName, "", 0, key)) form.SetText(Text(key));
    for (const CaptionTarget& target : targets) {
        if (!target.window || !target.window->Exists()) continue;
        if (FindCaption(formName, target.component, 0, key)) target.window->SetText(Text(key));
        auto* list = dynamic_cast<ui::ListView*>(target.window);
        for (int column = 1; list && FindCaption(formName, target.component, column, key); ++column)
            list->SetColumnCaption(column - 1, Text(key));
    }
}

bool ReadDwordValue(HKEY key, const char* name, DWORD& value)
{
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof data)
        return false;
    value = data;
    return true;
}

bool WriteDwordValue(HKEY key, const char* name, DWORD value)
{
    return ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
           ERROR_SUCCESS;
}

void ReadFormBounds(HKEY key, const char* prefix, ui::Form& form)
{
    const std::string p = prefix;
    const RECT now = form.GetWindowRect();
    DWORD values[4] = {static_cast<DWORD>(now.left), static_cast<DWORD>(now.top),
                       static_cast<DWORD>(now.right - now.left), static_cast<DWORD>(now.bottom - now.top)};
    const char* const names[4] = {"Left", "Top", "Width", "Height"};
    for (int i = 0; i < 4; ++i)
        ReadDwordValue(key, (p + names[i]).c_str(), values[i]);
    const int x = static_cast<int>(values[0]);
    const int y = static_cast<int>(values[1]);
    const int cx = static_cast<int>(values[2]);
    const int cy = static_cast<int>(values[3]);
    // A place saved on a screen that is gone must not hide the window: its caption stays reachable.
    const int screenLeft = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int screenTop = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int screenRight = screenLeft + ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int screenBottom = screenTop + ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (cx < 100 || cy < 60 || cx > 4 * (screenRight - screenLeft) || cy > 4 * (screenBottom - screenTop))
        return;
    if (x + cx < screenLeft + 40 || x > screenRight - 40 || y < screenTop - 10 || y > screenBottom - 30)
        return;
    form.SetPos(nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void WriteFormBounds(HKEY key, const char* prefix, const ui::Form& form)
{
    const std::string p = prefix;
    const RECT r = form.GetWindowRect();
    WriteDwordValue(key, (p + "Left").c_str(), static_cast<DWORD>(r.left));
    WriteDwordValue(key, (p + "Top").c_str(), static_cast<DWORD>(r.top));
    WriteDwordValue(key, (p + "Width").c_str(), static_cast<DWORD>(r.right - r.left));
    WriteDwordValue(key, (p + "Height").c_str(), static_cast<DWORD>(r.bottom - r.top));
}

}  // namespace manager
