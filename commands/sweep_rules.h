// Which windows an all-windows sweep acts on, and where a move sends them.
#pragma once

enum class SweepMode { Minimize = 0, Close = 1, Move = 2 };

// A window qualifies unless it is hidden, cloaked, owned, untitled, the desktop
// ("Progman") or the skin window itself ("Quorval Pelto"). Texts are compared
// exactly. A cloaked window (the system's compositor keeps it off the screen: a
// suspended store app, a window on another virtual desktop) counts as "visible"
// to the system but the user cannot see it, so it is skipped like a hidden one.
bool SweepQualifies(bool visible, bool cloaked, bool hasOwner, const char* title, const char* className);

struct SweepRect {
    int left, top, right, bottom;
};

// The directions of a move sweep. Their values are the ids of the hotkeys that
// ask for them (Ctrl+Shift+arrow), which hand their id on as the direction.
constexpr int kSweepUp = 24;
constexpr int kSweepDown = 25;
constexpr int kSweepLeft = 26;
constexpr int kSweepRight = 27;

// The rectangle moved 100 pixels in a direction; any other value leaves it where
// it is. Nothing keeps it on the screen.
SweepRect MovedBy100(const SweepRect& r, int direction);
