// Real input, as a user gives it: the mouse and the keys go through the
// system's input queue (SendInput), the way a hardware event does. Wine moves
// the X pointer with it and picks the window under the pointer by its own
// z-order, so no X tool is needed and no X stacking can take a click.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace e2e {

// ---------------------------------------------------------------- the pointer

// The pointer moved to a point of the virtual screen (every monitor), true once
// the system reports it there; a button (1 left, 3 right) pressed or released.
bool MoveMouse(POINT to);
bool MouseButton(int button, bool down);

// Waits until no pointer glide of Pelto's is under way or about to start: the
// pointer has stood still, every Pelto answers, and the window in front has
// been there for longer than a tracking tick (a tick that finds a new window
// glides to it). False when that does not come within timeoutMs.
bool WaitForPointerToRest(DWORD timeoutMs = 5000);

// A spot no target covers, for the pointer to wait on; waiting (up to 5 s) for
// the pointer at (x, y), as a glide leaves it.
constexpr int kParkX = 1250, kParkY = 1000;
bool ParkPointer();
bool PointerAt(int x, int y);
bool WaitForPointerAt(int x, int y);
POINT CursorPos();

// ---------------------------------------------------------------- clicks

// A point of the window (its middle when free) where a click reaches
// expectedHit, not a window covering it; false when there is none.
bool UncoveredPoint(HWND window, HWND expectedHit, POINT* point);

// Clicks the window with a button (1 left, 3 right) at a point (screen
// coordinates), once the pointer is at rest; without a point, at its middle or
// where no other window covers it. False when the point does not reach the
// window (or one of its children): nothing is clicked then.
bool Click(HWND window, POINT at, int button = 1);
bool Click(HWND window, int button = 1);
// Presses the left button on the window at a point, the start of a drag: the
// moves (MoveMouse) and the release (MouseButton) are the caller's.
bool PressOn(HWND window, POINT at);
// With the button held since PressOn, moves the pointer to `to` until the
// dragged window's top-left corner is at `corner`. Under Wine a move can lose
// its button state to the X pointer's own motion and drag nothing, so the move
// is given again, a pixel aside and back, as a hand on a mouse does.
bool DragTo(HWND window, POINT to, POINT corner, DWORD timeoutMs = 5000);

// Presses a dialog's button with a click (the dialog brought to the front
// first when another window covers all of it). An id that no visible button
// of the dialog carries (IDOK and IDCANCEL, as Enter and Esc give them) is
// sent as the command message itself. False, with the failure recorded, when
// the button cannot be reached.
bool ClickDialogButton(HWND dialog, int id);

// The window's close box: a point its own hit test calls HTCLOSE.
bool ClickCloseBox(HWND window);
POINT CloseBoxPoint(HWND window);

// ---------------------------------------------------------------- keys

// One chord: the keys pressed in order and released in reverse ({VK_MENU, 'A'}
// is Alt+A). They go to the window in front (hotkeys need no window), whose
// thread has taken them on return.
bool PressKeys(std::initializer_list<WORD> chord);
// Keys, or printable ASCII text, typed on a window brought to the front, each
// key taken by its thread before the next.
bool PressKeysOn(HWND window, const std::vector<WORD>& keys);
bool TypeText(HWND window, const std::string& text);
// Releases Ctrl, Shift and Alt where the system still holds one down (a test
// that ended between a press and its release).
void ReleaseModifierKeys();

// The focus in the window's thread (null if none); Tab moving a dialog's
// focus, the positive control for keys sent to it.
HWND FocusOfThreadOf(HWND window);
bool TabMovesFocus(HWND dialog);

// Makes a window of another process the foreground window and waits until it is.
bool BringToForeground(HWND window, DWORD timeoutMs = 5000);

}  // namespace e2e
