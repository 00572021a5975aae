#include "core/tracking.h"

#include <cstring>

#include "core/app_state.h"
#include "core/glide.h"
#include "core/placement.h"

namespace {

int Attached = 0;

const char kDesktopClass[] = "Progman";

void PlaceOnTarget(HWND skinWindow, const RECT& target) {
    SkinPlacementRule rule = {Skin.SkinWidth, Skin.AnchorCorner, Skin.NormalX, Skin.NormalY, Skin.SmallX, Skin.SmallY};
    int x, y;
    if (PlaceSkin({target.left, target.top, target.right, target.bottom}, rule, &x, &y))
        MoveWindow(skinWindow, x, y, Skin.SkinWidth, Skin.SkinHeight, TRUE);
}

// Glides the pointer to the new target's centre unless it is off the screen by
// its top-left corner, is the desktop, or already holds the pointer.
void FollowWithPointer(HWND target) {
    POINT pointer;
    RECT r;
    GetCursorPos(&pointer);
    GetWindowRect(target, &r);
    if (r.left > GetSystemMetrics(SM_CXSCREEN) || r.left < 0 || r.top < 0 || r.top > GetSystemMetrics(SM_CYSCREEN))
        return;
    if (std::strcmp(TargetWindow.ClassName, kDesktopClass) == 0) return;
    if (r.left <= pointer.x && pointer.x <= r.right && r.top <= pointer.y && pointer.y <= r.bottom) return;
    GlidePointer((r.left + r.right) / 2, (r.top + r.bottom) / 2, pointer.x, pointer.y);
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
