// What the user does to the skin window with the mouse: drag it, click it for
// the main menu, right-click to close an open popup.
#pragma once
#include <windows.h>

LRESULT OnSkinLButtonDown(HWND skinWindow, LPARAM lParam);
LRESULT OnSkinMouseMove(HWND skinWindow, WPARAM wParam, LPARAM lParam);
LRESULT OnSkinLButtonUp(HWND skinWindow);
LRESULT OnSkinRButtonDown();
LRESULT OnSkinKillFocus();
