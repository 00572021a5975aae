// The eight global hotkeys of the skin window.
#pragma once
#include <windows.h>

constexpr int kFirstHotkeyId = 20;
constexpr int kLastHotkeyId = 27;

// Registers hotkeys 20 to 27 on the skin window in order; each one that fails
// shows its message (owned by the skin window) and the rest go on.
void RegisterSkinHotkeys(HWND skinWindow);

// Unregisters hotkeys 20 to 27 in increasing order.
void UnregisterSkinHotkeys(HWND skinWindow);

// WM_HOTKEY: what each of the eight hotkeys does. Other ids are ignored.
LRESULT OnSkinHotkey(HWND skinWindow, WPARAM wParam);
