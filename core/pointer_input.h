// What the user does to the skin window with the mouse: drag it, click it for
// the main menu, right-click to close an open popup.
#pragma once
#include <windows.h>

LRESULT OnSkinLButtonDown(HWND skinWindow, LPARAM lParam);
LRESULT OnSkinMouseMove(HWND skinWindow, WPARAM wParam, LPARAM lParam);
LRESULT OnSkinLButtonUp(HWND skinWindow);
// The capture went elsewhere during a drag: tracking starts again.
LRESULT OnSkinCaptureChanged(HWND skinWindow, LPARAM lParam);
// Forgets a drag in progress, for a command that keeps tracking stopped itself
// (the rename dialog takes the capture as it opens).
void ForgetSkinDrag();
LRESULT OnSkinRButtonDown();
LRESULT OnSkinKillFocus();
