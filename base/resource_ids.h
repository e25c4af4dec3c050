// Resource ids: the one list read by both res/orv.rc and the code. Preprocessor only,
// so that the resource compiler can read it too.
#pragma once

// The program's name in captions, the tray and the version block.
#define ORV_TITLE_TEXT "Orv - Facebook interface"

#define IDS_TITLE 103
#define IDS_CLASS 109
#define IDA_MAIN 109
#define IDC_NOACTION 104

// Icons. The tray shows one of four: normal, new items announced, a request running,
// and a page of the browser announcing something.
#define IDI_PROGRAM 107
#define IDI_TRAY_NORMAL 130
#define IDI_TRAY_BUSY 138
#define IDI_TRAY_NEW 143
#define IDI_TRAY_BROWSER 156
#define IDI_TOOL_BACK 157
#define IDI_TOOL_CLOSE 158
#define IDI_TOOL_FORWARD 159
#define IDI_TOOL_UPDATE 160
#define IDI_TOOL_GOOGLE 161
#define IDI_TOOL_GOOGLEPLUS 162
#define IDI_TOOL_TWITTER 163
#define IDI_TOOL_YOUTUBE 164
#define IDI_TOOL_WEATHER 175
#define IDI_TOOL_NEWPOSTS 176
#define IDI_TOOL_STATUS 182

// MENUICONS images are named by their file (res/menuicons/ID.ext); the code names the
// ones it picks itself.
#define IDM_NOTICE_PICTURE 137
#define IDM_PAGE_TAB 169

// Dialog templates and their controls.
#define IDD_COMMENT 147
#define IDC_COMMENT_SEND 1000
#define IDC_TEXT 1001

#define IDD_PREFERENCES 132
#define IDC_PREFS_SAVE 1006
#define IDC_PREFS_CANCEL 1007
#define IDC_PREFS_INTERVAL 1008
#define IDC_PREFS_RUNATLOGON 1009
#define IDC_PREFS_OPENMAIN 1010
#define IDC_PREFS_NOTIFY 1011
#define IDC_PREFS_WIDTH 1012
#define IDC_PREFS_NEWESTFIRST 1013
#define IDC_PREFS_HIDEREAD 1014
#define IDC_PREFS_LIKESFRIENDS 1015
#define IDC_PREFS_HIDENOTICE 1016
#define IDC_PREFS_HIDDENONLY 1017
#define IDC_PREFS_COMMENTSFRIENDS 1018
#define IDC_PREFS_LANGUAGE 1021
#define IDC_PREFS_LANGUAGE_LABEL 1022
#define IDC_PREFS_HIDENOTICE_LABEL 1025
#define IDC_PREFS_HIDENOTICE_UNIT 1026
#define IDC_PREFS_HIDEREAD_UNIT 1027
#define IDC_PREFS_INTERVAL_UNIT 1028
#define IDC_PREFS_INTERVAL_LABEL 1029
#define IDC_PREFS_HIDEREAD_LABEL 1030

#define IDD_INFORMATION 397
#define IDC_LOG_LIST 1115
#define IDC_LOG_CHANNEL 1116

#define IDD_ABOUT 154
#define IDC_ABOUT_TEXT 1005

#define IDD_ADDFAVORITE 398
#define IDC_ADDFAV_ADDRESS 1002
#define IDC_ADDFAV_CLOSE 1003
#define IDC_ADDFAV_NAME_LABEL 1023
#define IDC_ADDFAV_ADDRESS_LABEL 1024
#define IDC_ADDFAV_NAME 1031
#define IDC_ADDFAV_ADD 1032

#define IDD_FAVORITES 399
#define IDC_FAV_CLOSE 1035
#define IDC_FAV_DELETE 1036
#define IDC_FAV_LIST 1037

#define IDD_STATUS 400
#define IDC_STATUS_CLOSE 1002
#define IDC_STATUS_SEND 1038
#define IDC_STATUS_HEADER 1039
