// Which windows an all-windows sweep acts on, and where a move sends them.
#pragma once

enum class SweepMode { Minimize = 0, Close = 1, Move = 2 };

// A window qualifies unless it is hidden, owned, untitled, the desktop
// ("Progman") or the skin window itself ("Quorval Pelto"). Texts are compared
// exactly.
bool SweepQualifies(bool visible, bool hasOwner, const char* title, const char* className);

struct SweepRect {
    int left, top, right, bottom;
};

// The rectangle moved 100 pixels by a move hotkey id: 24 up, 25 down, 26 left,
// 27 right; any other id leaves it where it is. Nothing keeps it on the screen.
SweepRect MovedBy100(const SweepRect& r, int direction);
