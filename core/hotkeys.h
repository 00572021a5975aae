// The eight global hotkeys of the skin window, with the keys the user gave
// them in the hotkey file (core/hotkey_file.h).
#pragma once
#include <windows.h>

// Their ids, registered on the skin window in this order. The four move keys
// hand their id on as the sweep's direction (kSweepUp ... kSweepRight).
constexpr int kHotkeyLauncherPopup = 20;  // Ctrl+Shift+Z
constexpr int kHotkeyPluginPopup = 21;    // Ctrl+Shift+X
constexpr int kHotkeyMainMenu = 22;       // Ctrl+Shift+A
constexpr int kHotkeyAttachToggle = 23;   // Shift+Enter
constexpr int kHotkeyMoveUp = 24;         // Ctrl+Shift+arrow keys
constexpr int kHotkeyMoveDown = 25;
constexpr int kHotkeyMoveLeft = 26;
constexpr int kHotkeyMoveRight = 27;
constexpr int kFirstHotkeyId = kHotkeyLauncherPopup;
constexpr int kLastHotkeyId = kHotkeyMoveRight;

// Registers the hotkeys on the skin window in order of their ids, with the keys
// of the hotkey file, leaving out those it switches off. A file with lines it
// cannot read says so first, in one message; each registration that fails
// shows its message; all are owned by the skin window, and the rest go on.
void RegisterSkinHotkeys(HWND skinWindow);

// Unregisters them in increasing order of their ids.
void UnregisterSkinHotkeys(HWND skinWindow);

// WM_HOTKEY: what each of the eight hotkeys does. Other ids are ignored.
LRESULT OnSkinHotkey(HWND skinWindow, WPARAM wParam);
