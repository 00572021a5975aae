// The launcher settings dialog (128) and its entry dialog (129).
#pragma once
#include <windows.h>

#include "launcher/launcher_list.h"

// The copy of the list that the settings dialog edits; LauncherList changes
// only when the user applies it.
extern LauncherListRecord WorkingList;
// 1 while the entry dialog creates an entry, 2 while it edits the one at EditIndex.
extern int EntryMode;
extern int EditIndex;

// Command 40062: the settings dialog, modal, owned by the skin window.
void RunLauncherSettingsDialog(HWND skinWindow);
