// The launcher entries' small icons, fetched once per change of the list on a
// low-priority worker thread and kept in one image list, so that no popup waits
// for the shell. The finished image list reaches the user-interface thread in the
// private message kLauncherIconsMessage, posted to the skin window.
#pragma once
#include <windows.h>

constexpr UINT kLauncherIconsMessage = WM_APP + 0x160;

// Asks the worker for the icons of LauncherList as it is now (started on first
// use). Called once the skin window shows, and after every change of the list.
void RefreshLauncherIcons(HWND skinWindow);

// The skin window's kLauncherIconsMessage: takes the finished image list and
// frees the one it replaces.
LRESULT OnLauncherIconsReady(WPARAM wParam, LPARAM lParam);

// Matches the fetched icons to the list's positions; before each launcher popup.
void PrepareLauncherIcons();

// Draws the icon of launcher position at (x, y), width by height pixels. Uses the
// fetched icon when there is one for the entry's path, else asks the shell as it
// draws. Returns false when the entry has no icon.
bool DrawLauncherIcon(HDC dc, int position, int x, int y, int width, int height);

// Exit: stops the worker, waits for it, and frees every image list, also one
// still on its way in the message queue.
void ShutDownLauncherIcons();
