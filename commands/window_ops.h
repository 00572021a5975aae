// Commands on other programs' windows: the all-windows sweeps, and the active
// window (the target, found by its recorded class name and title, or by its
// recorded handle once a rename has emptied its title).
#pragma once
#include <windows.h>

#include "commands/sweep_rules.h"

void MinimizeAllWindows();
void CloseAllWindows();
// direction: kSweepUp, kSweepDown, kSweepLeft or kSweepRight; 100 pixels.
void MoveAllWindows(int direction);

// ShowWindow on the target (SW_MAXIMIZE or SW_MINIMIZE), and WM_CLOSE to it.
void ShowTarget(int showCommand);
void CloseTarget();

// Hides the skin window and the target behind a notification-area icon.
void StoreTargetInTray(HWND skinWindow);
// The icon's callback: a left-button press brings everything back.
LRESULT OnTrayCallback(HWND skinWindow, WPARAM wParam, LPARAM lParam);
// Shows the skin window and every stored window, removes the icon and restarts
// tracking.
void RestoreFromTray(HWND skinWindow);
// Shows every stored window again and removes the icon: every way out of the
// program runs it, so that nothing stays hidden without a way back. Returns
// whether anything was stored.
bool ShowStoredWindowsAndRemoveIcon();

// The shell's "TaskbarCreated" broadcast (a new notification area, as after
// Explorer restarts): the icon of a store is added again.
void ListenForTaskbarCreated();
bool IsTaskbarCreated(UINT message);
LRESULT OnTaskbarCreated(HWND skinWindow);

// The rename dialog (resource 120) and the title it leaves for the target.
void RunRenameDialog(HWND skinWindow);
void ApplyNewTitle(HWND skinWindow);

constexpr UINT kTrayIconId = 1291;
constexpr UINT kTrayCallbackMessage = WM_APP + 0x81;
