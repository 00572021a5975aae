// The launcher entries' small icons, fetched on a low-priority worker thread
// and handed over as strips ready to copy, so that no popup waits for the
// shell. The worker fetches when the list changes, and after each launcher popup
// it looks cheaply at every entry's file and fetches again what changed (a file
// deleted, created or replaced since), so the icons follow the files. A finished
// set waits in a record shared with the worker; the private message
// kLauncherIconsMessage, posted to the skin window, only says that one is there.
#pragma once
#include <windows.h>

constexpr UINT kLauncherIconsMessage = WM_APP + 0x160;

// Asks the worker for the icons of LauncherList as it is now (started on first
// use). Called once the skin window shows, and after every change of the list.
void RefreshLauncherIcons(HWND skinWindow);

// After a launcher popup: the worker looks at the entries' files again (at most
// every few seconds) and fetches the icons of those that changed.
void CheckLauncherIconFiles();

// The skin window's kLauncherIconsMessage: takes the finished set the worker
// left, if any, and frees the one it replaces. The message carries nothing, so
// a stray one (another program's broadcast of that number) only finds nothing.
LRESULT OnLauncherIconsReady();

// Matches the fetched icons to the list's positions; before each launcher popup.
void PrepareLauncherIcons();

// Draws the icon of launcher position at (x, y), width by height pixels. Uses the
// fetched icon when there is one for the entry's path, else asks the shell as it
// draws. Returns false when the entry has no icon.
bool DrawLauncherIcon(HDC dc, int position, int x, int y, int width, int height);

// Exit: stops the worker, waits for it, and frees every icon set.
void ShutDownLauncherIcons();
