#include "core/skin_window.h"

#include "commands/window_ops.h"
#include "core/app_state.h"
#include "core/command_routing.h"
#include "core/drop_dispatch.h"
#include "core/hotkeys.h"
#include "core/missing_library.h"
#include "core/pointer_input.h"
#include "core/skin_loader.h"
#include "core/skin_region.h"
#include "core/tracking.h"
#include "launcher/launcher_icons.h"
#include "launcher/popup_menus.h"
#include "resources/resource_ids.h"

namespace {

// The picture the window was created with, and its size. Its region and class
// brush are made from it and stay until a restart, so the picture must too: a
// skin loaded later (the settings dialog's browse) replaces Skin.SkinBitmap
// without deleting this handle.
struct CreationPicture {
    HBITMAP Bitmap;
    int Width;
    int Height;
};
CreationPicture WindowPicture = {nullptr, 0, 0};

LRESULT OnCreate(HWND hwnd) {
    SetMissingLibraryOwner(hwnd);
    // The outline comes from the file's own pixels: the window's picture is a
    // device bitmap, which on a High Color display no longer holds the key
    // colour exactly.
    HBITMAP shape = LoadSkinShape();
    HRGN region = BuildSkinRegion(shape ? shape : Skin.SkinBitmap, kSkinColourKey);
    if (shape) DeleteObject(shape);
    SetWindowRgn(hwnd, region, TRUE);
    if (region) SetPropA(hwnd, kRegionProperty, region);
    RegisterSkinHotkeys(hwnd);
    ListenForTaskbarCreated();
    StartTracking(hwnd);
    SetAttachment(1);
    return 0;
}

LRESULT OnDestroy(HWND hwnd) {
    // Windows of other programs must not stay hidden after this one ends.
    ShowStoredWindowsAndRemoveIcon();
    StopTracking(hwnd);
    if (GetPropA(hwnd, kRegionProperty)) RemovePropA(hwnd, kRegionProperty);
    UnregisterSkinHotkeys(hwnd);
    PostQuitMessage(0);
    return 0;
}

// The session ends and the process with it: whatever is stored comes back first.
LRESULT OnEndSession(HWND hwnd, WPARAM ending) {
    if (ending && ShowStoredWindowsAndRemoveIcon()) {
        ShowWindow(hwnd, SW_SHOW);
        StartTracking(hwnd);
    }
    return 0;
}

// The skin is painted from its bitmap: the Windows 95/98 family uses only the
// top-left 8 x 8 pixels of a larger pattern brush, so the class brush alone
// would show a tiled corner there.
LRESULT OnEraseBackground(HWND hwnd, HDC dc, WPARAM wParam, LPARAM lParam) {
    if (!WindowPicture.Bitmap) return DefWindowProcA(hwnd, WM_ERASEBKGND, wParam, lParam);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, WindowPicture.Bitmap);
    BitBlt(dc, 0, 0, WindowPicture.Width, WindowPicture.Height, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    return 1;
}

}  // namespace

HWND CreateSkinWindow(HINSTANCE instance) {
    WindowPicture = {Skin.SkinBitmap, Skin.SkinWidth, Skin.SkinHeight};
    WNDCLASSEXA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = SkinWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PELTO));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    // The class keeps the skin as its brush; WM_ERASEBKGND paints the bitmap
    // itself over it. A null bitmap gives no brush and the system's default
    // background.
    wc.hbrBackground = Skin.SkinBitmap ? CreatePatternBrush(Skin.SkinBitmap) : nullptr;
    wc.lpszClassName = kSkinClassName;
    wc.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
    RegisterClassExA(&wc);
    return CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_ACCEPTFILES | WS_EX_TOPMOST, kSkinClassName, kSkinWindowTitle,
                           WS_POPUP | WS_VISIBLE | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT, CW_USEDEFAULT,
                           Skin.SkinWidth, Skin.SkinHeight, nullptr, nullptr, instance, nullptr);
}

LRESULT CALLBACK SkinWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate(hwnd);
    case WM_DESTROY: return OnDestroy(hwnd);
    case WM_KILLFOCUS: return OnSkinKillFocus();
    case WM_DRAWITEM: DrawListItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return 0;
    case WM_MEASUREITEM: MeasureListItem(hwnd, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)); return 0;
    case WM_ERASEBKGND: return OnEraseBackground(hwnd, reinterpret_cast<HDC>(wParam), wParam, lParam);
    case WM_ENDSESSION: return OnEndSession(hwnd, wParam);
    case WM_CAPTURECHANGED: return OnSkinCaptureChanged(hwnd, lParam);
    case WM_COMMAND: return RouteCommand(hwnd, wParam, lParam);
    // The tracking timer is the host's only timer: any WM_TIMER, whatever its
    // id, is a tick.
    case WM_TIMER: return TrackingTick(hwnd);
    case WM_MOUSEMOVE: return OnSkinMouseMove(hwnd, wParam, lParam);
    case WM_LBUTTONDOWN: return OnSkinLButtonDown(hwnd, lParam);
    case WM_LBUTTONUP: return OnSkinLButtonUp(hwnd);
    case WM_RBUTTONDOWN: return OnSkinRButtonDown();
    case WM_DROPFILES: return OnSkinDropFiles(hwnd, reinterpret_cast<HDROP>(wParam));
    case WM_HOTKEY: return OnSkinHotkey(hwnd, wParam);
    case kTrayCallbackMessage: return OnTrayCallback(hwnd, wParam, lParam);
    case kLauncherIconsMessage: return OnLauncherIconsReady();
    case kMissingLibraryMessage: return OnMissingLibraryMessage(hwnd, wParam);
    default:
        if (IsTaskbarCreated(message)) return OnTaskbarCreated(hwnd);
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}
