// Unpacking a dropped LZH or ZIP archive into a folder of its own.
#pragma once
#include <windows.h>

enum class ArchiveKind { Lzh, Zip };

void ExtractDroppedArchive(HWND skinWindow, const char* archivePath, ArchiveKind kind);
