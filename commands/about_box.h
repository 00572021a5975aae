// The About box (resource 115): pictures, version and credits, the maker's home
// page, and registration in the Startup folder through a shell link.
#pragma once
#include <windows.h>

// Opens the box modally, owned by the skin window.
void RunAboutBox(HWND skinWindow);

// Writes a shell link (.lnk) through IShellLinkA / IPersistFile. Texts are code
// page 932; workingDirectory and iconFile may be null. Returns the save's
// HRESULT, or that of the first creation step that failed. COM must be
// initialised on the calling thread.
HRESULT CreateShortcut(const char* linkFile, const char* target, const char* description, const char* arguments,
                       const char* workingDirectory, const char* iconFile, int iconIndex, int showCommand);
