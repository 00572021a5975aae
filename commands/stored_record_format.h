// The record of the windows stored in the notification area, kept in the file
// "stored_windows" while any is stored, so that a Pelto that was killed (the
// task manager, a crash, a forced log-off) can show them again at its next
// start. One line a window, ending in LF:
//
//     handle TAB process-id TAB class TAB title
//
// handle and process id in decimal; in the class and the title every byte
// below 0x20 and the '%' are written as '%' and two upper-case hex digits (a
// tab as %09), so a field holds no tab or line end. Neither byte can be the
// second byte of a code page 932 character, so the rest is written as it is.
#pragma once
#include <cstddef>
#include <string>

#include "commands/stored_windows.h"
#include "common/text_buffers.h"

struct RecordedWindow {
    unsigned long long Handle;  // nonzero
    unsigned long ProcessId;
    char ClassName[kTextSize];  // never empty
    char Title[kTextSize];
};

struct StoredRecord {
    RecordedWindow Windows[kMaxStoredWindows];
    int Count;
};

// The file's text for the record's windows (empty for none). A window whose
// class is empty is left out: it cannot be recognised again.
std::string FormatStoredRecord(const StoredRecord& record);

// Reads a record's text. Blank lines are skipped; a line that is not as
// written above (a missing or extra field, a number that is not one or is out
// of range, a handle of 0, an empty class, a bad '%' escape, a text over 259
// bytes), and every line past the first kMaxStoredWindows good ones, is left
// out. CR LF line ends read like LF. Returns the number of lines left out.
int ParseStoredRecord(const char* data, std::size_t size, StoredRecord* record);
