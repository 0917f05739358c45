// Helper program of the desktop tests: it builds the shell's icon-view chain (Progman >
// SHELLDLL_DefView > SysListView32) in its own process, applies the caption colours as the
// wallpaper operation does, and writes what the list view ended up with to a result file.
// One process per case, because the icon view and "ListviewShadow" are cached per process.
//
//   desktop_captions_probe <result file> <mode> <adapt> <adaptSys> <transparent> <average colour hex>
//
// Modes: "plain" (apply twice, the second time nothing should be sent), "restart" (the shell's
// windows are replaced between the two calls), "hung" (the view's thread stops answering).
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "UTxLog.h"
#include "Udesktop.h"

const CLogSettings g_LogSettings = {"DeskProbe ", "", false, 0, false, false, false};

namespace {

// Colours the view starts with, so that any change shows.
constexpr COLORREF kInitialText = RGB(0x12, 0x34, 0x56);
constexpr COLORREF kInitialBack = RGB(0x65, 0x43, 0x21);

WNDPROC g_pListViewProc = nullptr;
int g_iColorMessages = 0;

LRESULT CALLBACK CountingProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == LVM_SETTEXTCOLOR || msg == LVM_SETTEXTBKCOLOR) ++g_iColorMessages;
    return ::CallWindowProcA(g_pListViewProc, wnd, msg, wParam, lParam);
}

struct ShellWindows {
    HWND progman = nullptr;
    HWND view = nullptr;
};

void RegisterShellClasses()
{
    WNDCLASSA cls = {};
    cls.lpfnWndProc = ::DefWindowProcA;
    cls.hInstance = ::GetModuleHandleA(nullptr);
    cls.lpszClassName = "Progman";
    ::RegisterClassA(&cls);
    cls.lpszClassName = "SHELLDLL_DefView";
    ::RegisterClassA(&cls);
}

ShellWindows CreateShellWindows(bool counting)
{
    ShellWindows shell;
    shell.progman = ::CreateWindowExA(0, "Progman", "Program Manager", WS_POPUP | WS_VISIBLE, 0, 0, 200, 150,
                                      nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    const HWND defView = ::CreateWindowExA(0, "SHELLDLL_DefView", "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 150,
                                           shell.progman, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    shell.view = ::CreateWindowExA(0, WC_LISTVIEWA, "FolderView", WS_CHILD | WS_VISIBLE | LVS_ICON, 0, 0, 200,
                                   150, defView, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ::SendMessageA(shell.view, LVM_SETTEXTCOLOR, 0, kInitialText);
    ::SendMessageA(shell.view, LVM_SETTEXTBKCOLOR, 0, kInitialBack);
    if (counting) {
        g_pListViewProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(shell.view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc)));
    }
    return shell;
}

// What the wallpaper operation does with the three switches after a change.
void ApplyCaptionColors(bool adapt, bool adaptSys, bool transparent, COLORREF average)
{
    if (adapt || transparent)
        SetColorUnderIcons(ContrastTextColor(average), average, transparent, adapt && !adaptSys);
}

bool IsDirty(HWND view)
{
    return ::GetUpdateRect(view, nullptr, FALSE) != FALSE;
}

COLORREF Ask(HWND view, UINT msg)
{
    return static_cast<COLORREF>(::SendMessageA(view, msg, 0, 0));
}

struct HungShell {
    ShellWindows shell;
    HANDLE ready = nullptr;
    HANDLE release = nullptr;
};

DWORD WINAPI HungShellThread(void* param)
{
    auto* hung = static_cast<HungShell*>(param);
    hung->shell = CreateShellWindows(false);
    ::SetEvent(hung->ready);
    // Stops pumping messages: every message sent to its windows waits.
    ::WaitForSingleObject(hung->release, INFINITE);
    ::DestroyWindow(hung->shell.progman);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 7) return 2;
    LogDesktopEntryExit(false);
    const char* resultPath = argv[1];
    const std::string mode = argv[2];
    const bool adapt = std::atoi(argv[3]) != 0;
    const bool adaptSys = std::atoi(argv[4]) != 0;
    const bool transparent = std::atoi(argv[5]) != 0;
    const COLORREF average = static_cast<COLORREF>(std::strtoul(argv[6], nullptr, 16));

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    if (!::InitCommonControlsEx(&controls)) return 3;
    RegisterShellClasses();

    char result[256];
    if (mode == "hung") {
        HungShell hung;
        hung.ready = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        hung.release = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        const HANDLE thread = ::CreateThread(nullptr, 0, HungShellThread, &hung, 0, nullptr);
        ::WaitForSingleObject(hung.ready, INFINITE);
        const DWORD start = ::GetTickCount();
        ApplyCaptionColors(adapt, adaptSys, transparent, average);
        const DWORD elapsed = ::GetTickCount() - start;
        ::SetEvent(hung.release);
        ::WaitForSingleObject(thread, INFINITE);
        std::snprintf(result, sizeof result, "elapsed=%lu", static_cast<unsigned long>(elapsed));
    } else {
        ShellWindows shell = CreateShellWindows(true);
        if (!shell.view) return 4;
        ::ValidateRect(shell.view, nullptr);
        ApplyCaptionColors(adapt, adaptSys, transparent, average);
        const int firstMessages = g_iColorMessages;
        const bool firstDirty = IsDirty(shell.view);

        if (mode == "restart") {
            // The shell restarts: the view found first is gone and a new chain takes its place.
            ::DestroyWindow(shell.progman);
            shell = CreateShellWindows(true);
            g_iColorMessages = 0;
        }
        ::ValidateRect(shell.view, nullptr);
        ApplyCaptionColors(adapt, adaptSys, transparent, average);
        const int secondMessages = g_iColorMessages - (mode == "restart" ? 0 : firstMessages);
        const bool secondDirty = IsDirty(shell.view);

        std::snprintf(result, sizeof result, "text=%08lx back=%08lx first=%d/%d second=%d/%d",
                      static_cast<unsigned long>(Ask(shell.view, LVM_GETTEXTCOLOR)),
                      static_cast<unsigned long>(Ask(shell.view, LVM_GETTEXTBKCOLOR)), firstMessages,
                      firstDirty ? 1 : 0, secondMessages, secondDirty ? 1 : 0);
        ::DestroyWindow(shell.progman);
    }

    FILE* out = std::fopen(resultPath, "w");
    if (!out) return 5;
    std::fputs(result, out);
    std::fclose(out);
    return 0;
}
