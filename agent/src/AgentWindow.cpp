#include "AgentWindow.h"

#include "AgentChange.h"
#include "AgentMessages.h"
#include "AgentState.h"
#include "AgentTexts.h"
#include "AgentTray.h"
#include "UTxDiskApi.h"
#include "UTxLog.h"
#include "Uinstallvalues.h"

#include <string>

TFormAgent g_FormAgent;

bool TFormAgent::Create(const ui::WindowClass& windowClass)
{
    if (!CreateOwnClass(windowClass, WS_EX_TOOLWINDOW, caption.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                        CW_USEDEFAULT, 0, nullptr, nullptr))
        return false;
    ShowWindow(SW_HIDE);
    ::UpdateWindow(Handle());
    // Explorer announces a new taskbar with this message; the icons of the old one are lost.
    m_uTaskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");

    m_Menu.Create();
    m_Menu.AppendItem(IDM_NEXT_PAPER, AgentText(gla_Next));
    m_Menu.AppendSeparator();
    m_Menu.AppendItem(IDM_EXLUDE_THIS, AgentText(gla_DoNotDisplayAgain));
    m_Menu.AppendItem(IDM_MANAGER, AgentText(gla_Manager));
    m_Menu.AppendItem(IDM_DISABLE_CHANGES, AgentText(gla_Disable));
    m_Menu.AppendSeparator();
    m_Menu.AppendItem(IDM_EXIT, AgentText(gla_Exit));
    return true;
}

LRESULT TFormAgent::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_DESTROY:
        LogText("WndProc: WM_DESTROY");
        if (g_RegistryRecord.Agent.bSysTrayIcon) RemoveTrayIcon();
        g_hAgentWindow = nullptr;
        ::PostQuitMessage(0);
        return 0;
    case WM_COMMAND:
        return Command(LOWORD(wParam), wParam, lParam);
    case WM_WPAGENT_NOTIFYICON:
        TrayNotify(wParam, lParam);
        return 1;
    case WM_WPAGENT_EXTERNAL_CLOSE:
        LogText("WndProc: WM_WPAGENT_EXTERNAL_CLOSE");
        RequestClose();
        return 0;
    case WM_CLOSE:
        // Sent to a program's top-level windows to end it politely (a task manager, taskkill);
        // during a change it must wait as every other close does.
        LogText("WndProc: WM_CLOSE");
        RequestClose();
        return 0;
    case WM_WPAGENT_TIMER:
        RetryTrayIcon();
        CheckExchange();
        return 0;
    default:
        if (m_uTaskbarCreated && msg == m_uTaskbarCreated) {
            OnTaskbarCreated();
            return 0;
        }
        return DefaultMessage(msg, wParam, lParam);
    }
}

LRESULT TFormAgent::Command(UINT id, WPARAM wParam, LPARAM lParam)
{
    switch (id) {
    case IDM_EXIT:
        LogText("WndProc: WM_COMMAND - IDM_EXIT");
        RequestClose();
        return 0;
    case IDM_NEXT_PAPER:
        LogText("WndProc: WM_COMMAND - IDM_NEXT_PAPER");
        ChangeBackground(false, false);
        return 0;
    case IDM_MANAGER:
        LogText("WndProc: WM_COMMAND - IDM_MANAGER");
        StartManager();
        return 0;
    case IDM_DISABLE_CHANGES:
        LogText("WndProc: WM_COMMAND - IDM_DISABLE_CHANGES");
        ToggleBlock();
        return 0;
    case IDM_EXLUDE_THIS:
        LogText("WndProc: WM_COMMAND - IDM_EXLUDE_THIS");
        ChangeBackground(true, false);
        return 0;
    default:
        return DefaultMessage(WM_COMMAND, wParam, lParam);
    }
}

void TFormAgent::TrayNotify(WPARAM id, LPARAM mouseMessage)
{
    if (id != AGENT_TRAY_ICON_ID || (mouseMessage != WM_LBUTTONDOWN && mouseMessage != WM_RBUTTONDOWN))
        return;
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    ::SetForegroundWindow(Handle());
    m_Menu.Track(*this, cursor, TPM_RIGHTALIGN | TPM_BOTTOMALIGN);
    ::PostMessageA(Handle(), WM_NULL, 0, 0);
}

void TFormAgent::StartManager()
{
    const std::string folder = TxProgramFolder();
    if (folder.empty()) return;
    const std::string path = folder + kManagerExe;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (::CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                         &process)) {
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    } else {
        LogLastErrorF("!Cannot start %s", path.c_str());
    }
}

void TFormAgent::ToggleBlock()
{
    g_RegistryRecord.Agent.bBlock = g_RegistryRecord.Agent.bBlock ? 0 : 1;
    UpdateMenu();
    UpdateTrayIcon();
    // The list is not written back: one that was too long to read would be lost.
    WriteAgentToRegistry(g_RegistryRecord.Agent, false);
}

void UpdateMenu()
{
    ui::PopupMenu& menu = g_FormAgent.Menu();
    const bool blocked = g_RegistryRecord.Agent.bBlock != 0;
    menu.SetItemText(IDM_DISABLE_CHANGES, AgentText(blocked ? gla_Enable : gla_Disable));
    menu.EnableItem(IDM_NEXT_PAPER, !blocked);
}
