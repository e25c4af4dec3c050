// Resource ids shared by the resource script and the shell.
#pragma once

#define IDS_TITLE 103
#define IDS_CLASS 109
#define IDA_MAIN 109
#define IDI_PROGRAM 107
#define IDI_TRAY_NORMAL 130
#define IDI_TRAY_BUSY 138
#define IDI_TRAY_NEW 143
#define IDI_TRAY_BROWSER 156
#define IDC_NOACTION 104

#define IDD_COMMENT 147
#define IDD_PREFERENCES 132
#define IDD_INFORMATION 397
#define IDD_ABOUT 154
#define IDD_ADDFAVORITE 398
#define IDD_FAVORITES 399
#define IDD_STATUS 400
