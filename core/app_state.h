// The host's process-wide records. Start-up fills them; they live until exit and
// are touched only on the user-interface thread.
#pragma once
#include <windows.h>

#include "common/text_buffers.h"
#include "core/skin_format.h"

struct SettingsRecord {
    int TimerInterval;                // tracking timer period, ms; -1 marks "none read"
    unsigned char FollowingMouse;     // 1 = glide the pointer to a new target
    char SkinFileName[kTextSize];     // definition file in skin\, "デフォルト" for the default
};

// The skin: what its definition file gives (BitmapFileName, AnchorCorner 1
// top-left to 4 bottom-left, NormalX/NormalY while the target is wide,
// SmallX/SmallY while it is not wider than the skin + 200, Author), and the
// bitmap loaded from it with its size.
struct SkinRecord : SkinFileFields {
    HBITMAP SkinBitmap;
    int SkinWidth;
    int SkinHeight;
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
