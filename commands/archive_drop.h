// Unpacking a dropped LZH or ZIP archive into its own folder through the outside
// archive library (UNLHA32.DLL or UNZIP32.DLL), then offering the archive to the
// recycle bin.
#pragma once
#include <windows.h>

// The entries of the drop dispatch, given the skin window and the dropped path.
// Both run one procedure; they differ only in the library, its function and the
// command line.
void ExtractLzh(HWND skinWindow, const char* archivePath);
void ExtractZip(HWND skinWindow, const char* archivePath);
