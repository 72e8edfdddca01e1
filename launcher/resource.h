#pragma once
// Resource ids of the launcher.
#define IDR_MAINFRAME 128
#define IDD_LOGIN_DIALOG 102
#define IDD_LOGIN_BACK 103
#define IDC_BROWSER 1000
#define IDC_MINIMIZE 1001
#define IDC_CLOSE 1002
