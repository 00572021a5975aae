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
// in. A ".old" is removed after every replace. Returns 0 on success, 1 on
// failure, in which case the old file is untouched.
int WriteTextFileReplacing(const char* path, const std::string& content);

// What start-up found beside a file before reading it.
enum class SaveRecovery { Nothing, FromTemporary, FromSetAside };

// Start-up, before path is read: puts right what a save cut short left beside
// it. isWhole tells whether a text is a whole file of its kind.
// - path exists: it is the file; a ".tmp" or ".old" beside it is left over
//   (a save that never replaced it, or one that ended before its clean-up) and
//   is removed.
// - path is missing and a whole ".tmp" lies there: a Windows 95/98 replace was
//   cut short between its two moves; the new text moves in, the ".old" goes.
// - path is missing and a ".tmp" that is not whole lies there: the ".old"
//   moves back.
// - otherwise nothing comes back: a ".old" without a ".tmp" outlived a save
//   that finished (the user may have deleted the file on purpose) and is removed.
SaveRecovery RecoverInterruptedSave(const char* path, bool (*isWhole)(const std::string& text));

// Deletes path with the ".tmp" and ".old" a save may have left beside it, so
// that nothing of it comes back at the next start.
void DeleteSavedFile(const char* path);
