// Resource and control ids of ZTLumbrel.exe. Other programs, tests and translators rely on these
// numbers: change none of them.
#pragma once

// Document template (menu, icon and document string), application title.
#define IDR_MAINFRAME 128
#define IDS_APP_TITLE 57344  // "Zentab Lumbrel", the caption of the application's message boxes

// Icons.
#define IDI_TRAY 133
#define IDI_ARROW_UP 134
#define IDI_ARROW_DOWN 137
#define IDI_ARROW_LEFT 138
#define IDI_ARROW_RIGHT 139

// Tray menu 130 and its commands, by position: 0 settings, 2 help, 3 about, 5 exit.
#define IDR_TRAYMENU 130
#define ID_TRAY_SETTINGS 32775
#define ID_TRAY_HELP 32776
#define ID_APP_ABOUT 57664
#define ID_TRAY_EXIT 32774
// Put into the menu when it is shown, after the settings and their separator: the save folder,
// the lesson's handout and a new lesson.
#define ID_TRAY_OPEN_FOLDER 32777
#define ID_TRAY_HANDOUT 32778
#define ID_TRAY_NEW_LESSON 32779

// About dialog.
#define IDD_ABOUTBOX 100
#define IDC_VERSION_TEXT 1024
#define IDC_COPYRIGHT_TEXT 1025
#define IDC_IJG_NOTICE 1034
#define IDC_LIBTIFF_NOTICE 1035

// Settings dialog and its accelerators (Alt + arrow keys).
#define IDD_SETTINGS 104
#define IDR_SETTINGS_ACCEL 132
#define IDC_PREVIEW_BOX 1000
#define IDC_SAVE_FOLDER 1002
#define IDC_BROWSE 1003
#define IDC_SAVE_NOW 1005
#define IDC_AUTO_SAVE 1006
#define IDC_WIDTH_ZOOM 1007
#define IDC_WIDTH_SPIN 1008
#define IDC_HEIGHT_ZOOM 1009
#define IDC_HEIGHT_SPIN 1010
#define IDC_X_OFFSET 1011
#define IDC_Y_OFFSET 1013
#define IDC_DEFAULTS 1015
#define IDC_MOVE_UP 1016
#define IDC_MOVE_DOWN 1017
#define IDC_MOVE_RIGHT 1018
#define IDC_MOVE_LEFT 1019
#define IDC_PREVIEW_CLIP 1020
#define IDC_SIZE_BOARD 1021
#define IDC_SIZE_PC 1022
#define IDC_SIZE_GROUP 1026
#define IDC_ZOOM_GROUP 1027
#define IDC_WIDTH_LABEL 1028
#define IDC_HEIGHT_LABEL 1029
#define IDC_FOLDER_LABEL 1030
#define IDC_POSITION_GROUP 1031
#define IDC_X_LABEL 1032
#define IDC_Y_LABEL 1033
// The display to capture and calibration from a scan: added after the ids above, which keep
// their numbers.
#define IDC_DISPLAY_LABEL 1040
#define IDC_DISPLAY_CHOICE 1041
#define IDC_CALIBRATE_SCAN 1042
#define IDC_LESSON_HANDOUT 1043
#define IDC_SAVE_BALLOON 1044
#define IDC_POLICY_NOTE 1045

// Calibration hint.
#define IDD_CALIBRATION 131
#define IDC_CALIB_ICON 1022
#define IDC_CALIB_TEXT 1023
