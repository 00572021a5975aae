// The system's open-file dialog, as every browse button of the programs uses it.
#pragma once
#include <windows.h>

// Shows the open-file dialog owned by owner. filter is a double-zero-ended
// filter list; initialDir may be null (the system's choice). On OK the chosen
// path is in file (size bytes; its text on entry is the initial name) and the
// result is true; false on cancel or when the path does not fit.
bool AskOpenFileName(HWND owner, const char* filter, const char* initialDir, char* file, DWORD size);
