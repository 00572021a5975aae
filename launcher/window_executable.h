// Which executable runs the process that owns a window.
#pragma once
#include <windows.h>

// Fills buffer (size bytes, at least 260) with the full path of the program of
// window's process: through PSAPI on the NT family (and, where PSAPI cannot
// tell, QueryFullProcessImageNameA of Vista and later, with the limited query
// right that an elevated process grants too), through tool-help on the 95
// family, all looked up at run time. 1 when filled, 0 otherwise.
int FindWindowExecutable(HWND window, char* buffer, int size);
