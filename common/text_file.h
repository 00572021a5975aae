// Whole-file reading and crash-safe writing of the program's small text files.
#pragma once
#include <string>

enum class ReadResult { Ok, NotOpened, NotClosed };

// Reads the file (mode "rb") into text. Files are tiny; anything past 1 MiB is
// not read. On NotClosed, text holds what was read.
ReadResult ReadTextFile(const char* path, std::string* text);

// Writes content (mode "wb") to path so that path never ends up truncated or
// missing: the bytes go to path + ".tmp" in the same folder first, and only a
// fully written copy, committed to the disk and closed, replaces the old file.
// On Windows 95/98 the old file waits as path + ".old" while the new one moves
// in. Returns 0 on success, 1 on failure, in which case the old file is
// untouched.
int WriteTextFileReplacing(const char* path, const std::string& content);

// A replace on Windows 95/98 cut short between its two moves leaves the old
// file as path + ".old" and nothing at path: moves it back. Does nothing when
// path exists or there is no ".old". Returns true when it moved the file back.
bool RestoreSetAsideFile(const char* path);
