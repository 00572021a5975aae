// The user's own hotkey file, "hotkeys.txt" beside "setting": it can switch
// off each of the eight hotkeys or give it other keys. Pelto only reads it.
// One line a hotkey, in ASCII (code page 932 reads the same):
//
//     ; a comment (also #), and blank lines, are skipped
//     Attachment = off
//     MoveRight = Ctrl+Alt+Shift+Right
//
// The hotkey's name, "=", then "off" or the keys: any of the modifiers Ctrl,
// Shift, Alt and Win, then one key, joined by "+". Names and keys are read
// without regard to case; blanks around "=" and "+" do not count; CR LF line
// ends read like LF. A hotkey no line names keeps its own keys.
#pragma once
#include <cstddef>
#include <string>

constexpr char kHotkeyFileName[] = "hotkeys.txt";
constexpr int kHotkeyCount = 8;

// The names in the file, in the order of the hotkey ids 20 to 27.
extern const char* const kHotkeyFileNames[kHotkeyCount];

// Modifier bits as RegisterHotKey takes them.
constexpr unsigned kHotkeyAlt = 1, kHotkeyControl = 2, kHotkeyShift = 4, kHotkeyWin = 8;

enum class HotkeyChoice { Default, Off, Keys };

struct HotkeyChoiceRow {
    HotkeyChoice Choice;
    unsigned Modifiers;  // with Keys: kHotkeyAlt | ...
    unsigned Key;        // with Keys: a virtual-key code
};

// Why a line cannot be read.
enum class HotkeyLineProblem { NoEquals, UnknownHotkey, UnknownKey, GivenTwice, TooLong };

// A line longer than this, blanks at its ends and its line end not counted, is
// not read.
constexpr std::size_t kHotkeyLineMaxBytes = 200;
// How much of a bad line the message shows.
constexpr std::size_t kHotkeyShownLineBytes = 60;

struct HotkeyFileResult {
    HotkeyChoiceRow Hotkeys[kHotkeyCount];  // in the order of kHotkeyFileNames
    int BadLines;
    int FirstBadLine;                       // counted from 1; 0 when every line was read
    HotkeyLineProblem FirstProblem;
    char FirstBadText[kHotkeyShownLineBytes + 1];  // its start, control bytes as '?'
};

// Reads the file's text. A hotkey that a line cannot be read for (its keys are
// not known, or a second line names it) keeps its own keys, whatever other
// lines say. A UTF-8 byte-order mark at the start is skipped.
void ParseHotkeyFile(const char* data, std::size_t size, HotkeyFileResult* result);

// The one message for a file with bad lines: the first one, its number and
// why, and how many more there are. Empty when every line was read.
std::string HotkeyFileMessage(const HotkeyFileResult& result);
