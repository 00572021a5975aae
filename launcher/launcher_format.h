// The file launch_data: a count, then path and title lines in pairs, blanks
// written as question marks. Plain functions on plain data.
#pragma once
#include <cstddef>
#include <string>

#include "launcher/launcher_list.h"

// Direction 0 turns every blank into a question mark (file form), 1 every
// question mark into a blank; any other direction changes nothing.
void ConvertSpaceMarks(char* text, int direction);

// Writes the form of a path in which two names of one file compare equal (the
// long form of an 8.3 path) into out, size bytes, always zero-terminated.
constexpr std::size_t kPathFormSize = 260;
using LauncherPathForm = void (*)(const char* path, char* out, std::size_t size);

// 1 when an entry of list other than the one at skip (-1: none skipped) has
// this path (compared case-sensitively, each side first put in form when one is
// given), 0 otherwise.
int FindLauncherPath(const LauncherListRecord& list, const char* text, int skip, LauncherPathForm form = nullptr);

// Reads the file's bytes into list, which is cleared first. The count is taken
// as written, but a negative count reads as 0 and a larger one than the capacity
// as the capacity; words fill positions 0 to 99 in path/title pairs, later words
// are not read. A lone question mark stands for an empty text. A title too long
// for its field is cut on a character boundary; a path too long for its field is
// not taken (a cut path names another file) and its entry keeps an empty path.
void ParseLauncherText(const char* data, std::size_t size, LauncherListRecord* list);

// Whether text is a whole file as FormatLauncherText writes it: a count from
// 0 to the capacity, exactly that many path/title pairs, and the last line's
// line feed.
bool LauncherTextIsWhole(const std::string& text);

// The file's content for list: every text one word, so that every pair reads
// back as written. White space becomes question marks, an empty text a lone one.
std::string FormatLauncherText(const LauncherListRecord& list);

// Puts text into a 101-byte title field: tabs and line breaks become blanks (the
// file would split the title at them) and an over-long title is cut on a
// character boundary.
void FillLauncherTitle(char* field, const char* text);

// Why a path cannot be stored, or Ok.
enum class LauncherPathCheck { Ok, TooLong, HasControlSpace };
LauncherPathCheck CheckLauncherPath(const char* path);
