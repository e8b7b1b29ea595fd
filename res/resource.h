// Resource and command ids, shared by the resource scripts and the code.
#pragma once

#define IDD_ABOUT 100
#define IDS_ABOUT_ITEM 101
#define IDD_HOST 102
#define IDI_STATUS_NORMAL 128
#define IDR_TRAY_MENU 129
#define IDI_STATUS_ALERT 145
#define IDC_LINK_CURSOR 146

#define IDC_AUTORUN 1000
#define IDC_SECONDS 1001
#define IDC_SAVE 1002
#define IDC_DISCARD 1003
#define IDC_EMAIL_LINK 1004

#define IDM_SYS_ABOUT 0x0010
#define ID_TRAY_SETTINGS 32771
#define ID_TRAY_EXIT 32772
#define ID_TRAY_ABOUT 57670
