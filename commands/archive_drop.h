// Unpacking a dropped LZH or ZIP archive into its own folder through the outside
// archive library (UNLHA32.DLL or UNZIP32.DLL), then offering the archive to the
// recycle bin.
#pragma once
#include <windows.h>

#include "commands/archive_command.h"

void ExtractDroppedArchive(HWND skinWindow, const char* archivePath, ArchiveKind kind);
