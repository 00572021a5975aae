// Which executable runs the process that owns a window.
#pragma once
#include <windows.h>

// Fills buffer (size bytes) with the full path of the executable of the process
// that owns window. Returns 1 when filled, 0 otherwise.
int FindWindowExecutable(HWND window, char* buffer, int size);
