// Resource ids of Kestrova.scr, shared by the resource script and the code. String 1 and dialog
// 2003 are the platform's (IDS_DESCRIPTION and DLG_SCRNSAVECONFIGURE in scrnsave.h).
#pragma once

// The platform finds these by number: the saver's name in its list and the dialog for "/c".
#define IDS_SAVER_DESCRIPTION 1
#define IDD_SAVER_CONFIGURE 2003

#define IDI_SAVER 102
#define IDI_SAVER_CONFIGURE 104  // shown in the configuration dialog
#define IDI_SAVER_SMALL 105

#define IDC_PERIOD_EDIT 1000
#define IDC_SHOW_FILE_NAME 1002
#define IDC_APPEND_DATE 1003
#define IDC_PERIOD_LABEL 1004
#define IDC_INTERPOLATION 1005
#define IDC_SECONDS_LABEL 1006
#define IDC_RANDOM_SELECTION 1007
