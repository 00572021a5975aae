// The host's process-wide records. Start-up fills them; they live until exit and
// are touched only on the user-interface thread.
#pragma once
#include <windows.h>

#include "common/text_buffers.h"

struct SettingsRecord {
    int TimerInterval;                // tracking timer period, ms; -1 marks "none read"
    unsigned char FollowingMouse;     // 1 = glide the pointer to a new target
    char SkinFileName[kTextSize];     // definition file in skin\, "デフォルト" for the default
};

struct SkinRecord {
    HBITMAP SkinBitmap;
    int SkinWidth;
    int SkinHeight;
    char BitmapFileName[kTextSize];
    int AnchorCorner;                 // 1 top-left, 2 top-right, 3 bottom-right, 4 bottom-left
    int NormalX, NormalY;             // offsets while the target is wide
    int SmallX, SmallY;               // offsets while it is not wider than the skin + 200
    char Author[kTextSize];
};

struct TargetWindowRecord {
    HWND Handle;
    char Title[kTextSize];
    char ClassName[kTextSize];
};

extern SettingsRecord Settings;
extern SkinRecord Skin;
extern TargetWindowRecord TargetWindow;

extern char ModulePath[kTextSize];
extern char ProgramDir[kTextSize];
extern HINSTANCE ProgramInstance;
extern HMENU MainMenu;      // menu resource 119; its submenu 0 is the main menu
extern HICON TrayIcon;      // icon resource 111, shown while a window is stored

// Window class, title and region property of the skin window.
extern const char kSkinClassName[];
extern const char kSkinWindowTitle[];
extern const char kRegionProperty[];
extern const char kMessageCaption[];

constexpr UINT_PTR kTrackingTimerId = 100;
constexpr COLORREF kSkinColourKey = 0xFF00FF;
