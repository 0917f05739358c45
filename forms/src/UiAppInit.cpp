#include <windows.h>

#include <commctrl.h>

#include "UiApp.h"
#include "UiDialogs.h"

namespace ui {

extern void (*g_pfnErrorBox)(const std::string& text);

namespace {
std::string g_title;

void ShowErrorBox(const std::string& text)
{
    TheDialogs().messageBox(::GetActiveWindow(), text, g_title, MB_OK | MB_ICONERROR);
}
}  // namespace

void App::Init(const std::string& title)
{
    g_title = title;
    g_pfnErrorBox = &ShowErrorBox;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
}

const std::string& App::Title()
{
    return g_title;
}

void App::SetTitle(const std::string& title)
{
    g_title = title;
}

}  // namespace ui
