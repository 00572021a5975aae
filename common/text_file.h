// Whole-file reading and crash-safe writing of the program's small text files.
#pragma once
#include <string>

enum class ReadResult { Ok, NotOpened, NotClosed };

// Reads the file (mode "rb") into text. Files are tiny; anything past 1 MiB is
// not read. On NotClosed, text holds what was read.
ReadResult ReadTextFile(const char* path, std::string* text);

// Writes content (mode "wb") to path so that path never ends up truncated or
// missing: the bytes go to path + ".tmp" in the same folder first, and only a
// fully written and closed copy replaces the old file. Returns 0 on success,
// 1 on failure, in which case the old file is untouched.
int WriteTextFileReplacing(const char* path, const std::string& content);
