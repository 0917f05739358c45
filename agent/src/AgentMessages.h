// Window messages, menu commands and resource ids of the Agent: other programs and the tests find
// and drive it by these numbers.
#pragma once

#define WM_WPAGENT_NOTIFYICON (0x8000 + 1)  // tray callback
#define WM_WPAGENT_EXTERNAL_CLOSE (0x8000 + 2)
#define WM_WPAGENT_TIMER (0x8000 + 3)

#define IDM_EXIT 105
#define IDM_NEXT_PAPER 151
#define IDM_MANAGER 152
#define IDM_DISABLE_CHANGES 153
#define IDM_EXLUDE_THIS 154

#define IDS_AGENT_TITLE 103  // "Kestrova Agent"
#define IDS_AGENT_CLASS 109  // "KESTROVA"

#define IDI_AGENT 107        // program icon, the class icon
#define IDI_TRAY_NORMAL 108  // also the class's small icon
#define IDI_TRAY_DISABLED 109
#define IDI_TRAY_WORKING 131
#define IDI_TRAY_CONFLICT 135

#define AGENT_TRAY_ICON_ID 1
