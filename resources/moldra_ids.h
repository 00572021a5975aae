// Resource and control ids of the skin maker.
#ifndef MOLDRA_IDS_H
#define MOLDRA_IDS_H

#define IDD_SKIN_MAKER 101
#define IDB_MOLDRA_BANNER 102   /* 400 x 60, 256 colours */

#define IDC_SKIN_NAME 1000
#define IDC_BITMAP_PATH 1001
#define IDC_BROWSE 1002
#define IDC_AUTHOR 1003
#define IDC_CREATE 1004
#define IDC_CANCEL_MAKER 1005
#define IDC_NORMAL_X 1006
#define IDC_NORMAL_Y 1007
#define IDC_SMALL_X 1008
#define IDC_SMALL_Y 1009
#define IDC_ANCHOR 1011

#endif
