// Resource and command ids of Pelto. Shared by the resource script and the code.
#ifndef PELTO_RESOURCE_IDS_H
#define PELTO_RESOURCE_IDS_H

#define IDI_PELTO 111            /* program icon, 48 x 48, 256 colours */
#define IDI_PLUGIN_ITEM 130      /* plug-in menu item icon, 16 x 16, 16 colours */
#define IDR_MAIN_MENU 119        /* main menu; submenu 0 is shown */
#define IDD_ABOUT 115
#define IDD_RENAME 120
#define IDD_SETTINGS 122
#define IDD_LAUNCHER_SETTINGS 128
#define IDD_LAUNCHER_ENTRY 129

/* Rename dialog controls; OK and Cancel are forwarded to the skin window. */
#define IDC_RENAME_OK 1001
#define IDC_RENAME_CANCEL 1005
#define IDC_RENAME_CURRENT 1002
#define IDC_RENAME_NEW 1003

/* Launcher settings dialog; 1017 has no control: the entry dialog sends it
   after an OK to have the list refreshed. */
#define IDC_LAUNCHER_LIST 1013
#define IDC_LAUNCHER_ADD 1014
#define IDC_LAUNCHER_DELETE 1015
#define IDC_LAUNCHER_EDIT 1016
#define IDC_LAUNCHER_REFRESH 1017
#define IDC_LAUNCHER_CANCEL 1018
#define IDC_LAUNCHER_APPLY 1019

/* Launcher entry dialog. */
#define IDC_ENTRY_PATH 1015
#define IDC_ENTRY_TITLE 1016
#define IDC_ENTRY_OK 1017
#define IDC_ENTRY_BROWSE 1018

/* The launcher and plug-in popups: an item's id is its position in the list,
   0 to 99; the main menu's commands all lie above. */
#define IDM_POPUP_ROW_FIRST 0
#define IDM_POPUP_ROW_LAST 99

/* Main menu commands. */
#define IDM_ATTACH_TOGGLE 40023
#define IDM_SHUTDOWN 40024
#define IDM_RESTART 40025
#define IDM_LOGOFF 40026
#define IDM_ALL_MINIMIZE 40030
#define IDM_ALL_CLOSE 40031
#define IDM_STORE_IN_TRAY 40032
#define IDM_TARGET_MAXIMIZE 40033
#define IDM_TARGET_MINIMIZE 40034
#define IDM_TARGET_CLOSE 40035
#define IDM_TARGET_RENAME 40036
#define IDM_ABOUT 40038
#define IDM_SETTINGS 40039
#define IDM_CLOSE 40040
#define IDM_WALLPAPER 40041
#define IDM_CPL_APPWIZ 40051
#define IDM_CPL_SYSTEM 40054
#define IDM_CPL_MOUSE 40055
#define IDM_CPL_MULTIMEDIA 40056
#define IDM_CPL_DISPLAY 40059
#define IDM_LAUNCHER_ADD 40060
#define IDM_LAUNCHER_LIST 40061
#define IDM_LAUNCHER_SETTINGS 40062
#define IDM_PLUGIN_LIST 40063
#define IDM_PLUGIN_REFRESH 40064

/* Settings dialog controls. */
#define IDC_SETTINGS_OK 1001
#define IDC_SETTINGS_INTERVAL 1005
#define IDC_SETTINGS_SKIN_FILE 1006
#define IDC_SETTINGS_BROWSE 1007
#define IDC_SETTINGS_BITMAP 1008
#define IDC_SETTINGS_AUTHOR 1009
#define IDC_SETTINGS_SIZE 1010
#define IDC_SETTINGS_CANCEL 1012
#define IDC_SETTINGS_FOLLOWING 1031

/* About box: its pictures and buttons. */
#define IDB_ABOUT_BANNER 110     /* 344 x 110, 256 colours */
#define IDB_ABOUT_MASCOT 125     /* 73 x 70, 256 colours */
#define IDC_ABOUT_OK 1001
#define IDC_ABOUT_HOME_PAGE 1002
#define IDC_ABOUT_REGISTER 1003

#endif
