// The settings dialog (resource 122): tracking interval, skin file and
// FollowingMouse, with a restart of the program when the skin changes.
#pragma once
#include <windows.h>

// Opens the dialog modally, owned by the skin window.
void RunSettingsDialog(HWND skinWindow);
