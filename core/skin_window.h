// The skin window: its class, creation and the window procedure that dispatches
// every message of the host.
#pragma once
#include <windows.h>

// Registers "PeltoClass" (background brush from the skin bitmap) and creates the
// skin window at the skin's size. Returns the window, or null.
HWND CreateSkinWindow(HINSTANCE instance);

LRESULT CALLBACK SkinWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
