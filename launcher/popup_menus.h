// The launcher and plug-in popups: which one was shown last, so that a small
// command id can be read as a position in its list.
#pragma once
#include <windows.h>

extern int LauncherMenuShown;
extern int PluginMenuShown;

// Clears both popup flags (a right click, lost focus, any command).
void ClearPopupFlags();

// Runs before the command table: while a popup's flag is set, a wParam below 100
// is the position of the chosen entry. Clears both flags whatever the command.
// Returns true when the command was a popup item.
bool PopupCommandPreCheck(HWND skinWindow, WPARAM wParam);

// The popups at the pointer; each does nothing while its list is empty.
void ShowLauncherPopup(HWND skinWindow);
void ShowPluginPopup(HWND skinWindow);
