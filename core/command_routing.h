// Routing of WM_COMMAND to the owner of each command id.
#pragma once
#include <windows.h>

LRESULT RouteCommand(HWND skinWindow, WPARAM wParam, LPARAM lParam);
