// Commands on Windows itself: leaving Windows, control-panel applets, wallpaper.
#pragma once
#include <windows.h>

enum class WindowsExit { ShutDown, Restart, LogOff };

// Asks, and on Yes asks Windows to shut down, restart or log off (never forced).
void ExitWindowsAfterQuestion(HWND skinWindow, WindowsExit how);

// Starts "control.exe" with the applet; a failed start says so.
void OpenControlPanelApplet(HWND skinWindow, const char* applet);

// Lets the user pick a bitmap and makes it the wallpaper at once.
void SetWallpaperByDialog(HWND skinWindow);

// Asks whether the dropped bitmap should become the wallpaper.
void SetWallpaperByDrop(HWND skinWindow, const char* path);
