// A DLL that shows a form of the layer, as the engine shows its progress window: loaded and freed
// again and again by one process.
#include <windows.h>

#include "UTxLog.h"
#include "UiControls.h"

extern const CLogSettings g_LogSettings = {"FormsDll  ", "", false, 80, false, true, false};

namespace {
ui::WindowClass g_FormClass("KvFormsTestDllForm");
}

// Shows a form with a label and a button, clicks the button and closes the form. Returns the clicks
// its handler saw (1), or a negative number for the step that failed.
extern "C" __declspec(dllexport) int ShowFormOnce()
{
    if (!g_FormClass.Register()) return -1;
    ui::Owner<ui::Form> form;
    form.caption = "From a DLL";
    ui::Label label;
    label.caption = "A form of a DLL";
    label.width = 200;
    label.height = 13;
    ui::Button button;
    button.caption = "Press";
    button.top = 20;
    button.width = 75;
    button.height = 25;
    int clicks = 0;
    button.onClick = [&clicks](ui::Button&) { ++clicks; };
    if (!form.Create(g_FormClass) || !label.Create(form) || !button.Create(form)) return -2;
    form.Show();
    ::SendMessageA(button.Handle(), BM_CLICK, 0, 0);
    form.Destroy();
    return clicks;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    // Windows keeps a DLL's window classes after FreeLibrary: the class goes with the library.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) g_FormClass.Unregister();
    return TRUE;
}
