#include "core/pointer_input.h"

#include "core/app_state.h"
#include "core/tracking.h"
#include "launcher/popup_menus.h"

namespace {

// The client point where the left button went down: the anchor of a drag.
struct {
    short x, y;
} GrabPoint;

// From the press on the skin to its release: the tracking timer is stopped.
bool Dragging = false;

}  // namespace

LRESULT OnSkinLButtonDown(HWND skinWindow, LPARAM lParam) {
    // No tracking during the drag, or attachment would pull the window back.
    StopTracking(skinWindow);
    GrabPoint.x = static_cast<short>(LOWORD(lParam));
    GrabPoint.y = static_cast<short>(HIWORD(lParam));
    Dragging = true;
    SetCapture(skinWindow);
    return 0;
}

LRESULT OnSkinMouseMove(HWND skinWindow, WPARAM wParam, LPARAM lParam) {
    // Only a press on the skin itself drags it; that press took the capture.
    // The button may also be down from a press on another window that crosses
    // the skin, and Wine can queue such a move ahead of the skin's own press.
    if (!(wParam & MK_LBUTTON) || GetCapture() != skinWindow) return 0;
    POINT p = {static_cast<short>(LOWORD(lParam)) - GrabPoint.x, static_cast<short>(HIWORD(lParam)) - GrabPoint.y};
    ClientToScreen(skinWindow, &p);
    RECT r;
    GetWindowRect(skinWindow, &r);
    MoveWindow(skinWindow, p.x, p.y, r.right - r.left, r.bottom - r.top, TRUE);
    return 0;
}

LRESULT OnSkinLButtonUp(HWND skinWindow) {
    StartTracking(skinWindow);
    Dragging = false;
    ReleaseCapture();
    POINT p;
    GetCursorPos(&p);
    TrackPopupMenu(GetSubMenu(MainMenu, 0), 0, p.x, p.y, 0, skinWindow, nullptr);
    return 0;
}

LRESULT OnSkinCaptureChanged(HWND skinWindow, LPARAM lParam) {
    // Another window took the mouse before the release came: the drag is over
    // and no release will restart tracking.
    if (Dragging && reinterpret_cast<HWND>(lParam) != skinWindow) {
        Dragging = false;
        StartTracking(skinWindow);
    }
    return 0;
}

void ForgetSkinDrag() { Dragging = false; }

LRESULT OnSkinRButtonDown() {
    HWND popup = FindWindowA("#32768", nullptr);
    if (popup && IsWindowVisible(popup)) PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    ClearPopupFlags();
    return 0;
}

LRESULT OnSkinKillFocus() {
    ClearPopupFlags();
    return 0;
}
