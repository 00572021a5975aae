#include "core/tracking.h"

#include <cstring>

#include "common/library_lookup.h"
#include "core/app_state.h"
#include "core/glide.h"
#include "core/placement.h"

namespace {

int Attached = 0;

void PlaceOnTarget(HWND skinWindow, const RECT& target) {
    SkinPlacementRule rule = {Skin.SkinWidth, Skin.AnchorCorner, Skin.NormalX, Skin.NormalY, Skin.SmallX, Skin.SmallY};
    int x, y;
    if (PlaceSkin({target.left, target.top, target.right, target.bottom}, rule, &x, &y))
        MoveWindow(skinWindow, x, y, Skin.SkinWidth, Skin.SkinHeight, TRUE);
}

// Whether a point lies on any monitor, a second one beside the primary too.
// MonitorFromPoint is looked up: Windows 95 and NT 4 lack it, and there the
// primary screen is the only one.
bool OnAMonitor(int x, int y) {
    auto monitorFromPoint =
        LibraryFunction<decltype(::MonitorFromPoint)>(GetModuleHandleA("USER32.DLL"), "MonitorFromPoint");
    if (monitorFromPoint) return monitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONULL) != nullptr;
    return 0 <= x && x <= GetSystemMetrics(SM_CXSCREEN) && 0 <= y && y <= GetSystemMetrics(SM_CYSCREEN);
}

// Glides the pointer to the new target's centre unless its top-left corner is
// on no monitor, it is the desktop, or it already holds the pointer.
void FollowWithPointer(HWND target) {
    POINT pointer;
    RECT r;
    GetCursorPos(&pointer);
    GetWindowRect(target, &r);
    PointerPos centre;
    if (GlideDestination({r.left, r.top, r.right, r.bottom}, TargetWindow.ClassName, {pointer.x, pointer.y}, OnAMonitor,
                         &centre))
        GlidePointer(centre.x, centre.y, pointer.x, pointer.y);
}

}  // namespace

void GlidePointer(int targetX, int targetY, int startX, int startY) {
    for (const PointerPos& p : GlidePath(targetX, targetY, startX, startY)) SetCursorPos(p.x, p.y);
}

LRESULT TrackingTick(HWND skinWindow) {
    RECT own;
    GetWindowRect(skinWindow, &own);

    HWND foreground = GetForegroundWindow();
    if (!IsWindowVisible(foreground)) return 0;
    char title[kTextSize];
    GetWindowTextA(foreground, title, sizeof title);
    if (title[0] == '\0' || std::strcmp(title, kSkinWindowTitle) == 0) return 0;

    const bool newlyFound = foreground != TargetWindow.Handle;
    if (!newlyFound && std::strcmp(title, TargetWindow.Title) == 0) {
        RECT r;
        GetWindowRect(foreground, &r);
        if (r.left == own.left && r.top == own.top && r.right == own.right) return 0;
    }

    TargetWindow.Handle = GetForegroundWindow();
    GetWindowTextA(TargetWindow.Handle, TargetWindow.Title, sizeof TargetWindow.Title);
    GetClassNameA(TargetWindow.Handle, TargetWindow.ClassName, sizeof TargetWindow.ClassName);
    RECT target;
    GetWindowRect(TargetWindow.Handle, &target);

    if (Attached) PlaceOnTarget(skinWindow, target);
    if (newlyFound && Settings.FollowingMouse == 1) FollowWithPointer(TargetWindow.Handle);
    return 0;
}

void StartTracking(HWND skinWindow) {
    SetTimer(skinWindow, kTrackingTimerId, static_cast<UINT>(Settings.TimerInterval), nullptr);
}

void StopTracking(HWND skinWindow) { KillTimer(skinWindow, kTrackingTimerId); }

void SetAttachment(int on) { Attached = on; }
void ToggleAttachment() { Attached = Attached ? 0 : 1; }
