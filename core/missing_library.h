// A system library that the 64-bit build loads at its first use (the shell,
// COM, the common dialogs and controls), or one of its functions, that could
// not be loaded then. The user is told once, by a message box owned by the skin
// window and shown by its thread, and the program goes on without what needed it.
#pragma once
#include <windows.h>

constexpr UINT kMissingLibraryMessage = WM_APP + 0x161;

// The libraries, as the program names them for delay-loading.
constexpr char kShellLibrary[] = "SHELL32.dll";
constexpr char kCommonControlsLibrary[] = "COMCTL32.dll";

// The window that shows the reports (the skin window, once created); before it
// exists a report is shown at once on the reporting thread, without owner.
void SetMissingLibraryOwner(HWND skinWindow);

// Any thread. function null: the library itself could not be loaded. Each
// library is reported once, and a function of a library already reported as
// missing is not reported again.
void ReportMissingLibrary(const char* library, const char* function);

// Whether the library could not be loaded (its name compared without case).
bool SystemLibraryMissing(const char* library);

// The skin window's kMissingLibraryMessage: shows the report numbered wParam,
// once; any other number finds nothing.
LRESULT OnMissingLibraryMessage(HWND skinWindow, WPARAM wParam);
