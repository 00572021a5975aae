// Real input through SendInput, as hardware gives it. Wine moves the X pointer with it
// and picks the window under the pointer by its own z-order, so X stacking takes no click.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace e2e {

// ---------------------------------------------------------------- the pointer

// The pointer moved on the virtual screen, true once the system reports it there;
// a button (1 left, 3 right) pressed or released.
bool MoveMouse(POINT to);
bool MouseButton(int button, bool down);

// No glide of Pelto's under way or about to start: the pointer stands still, every
// Pelto answers, and the window in front has been there longer than a tracking tick.
bool WaitForPointerToRest(DWORD timeoutMs = 5000);

// A spot no target covers; waiting (up to 5 s) for the pointer at (x, y), as a glide leaves it.
constexpr int kParkX = 1250, kParkY = 1000;
bool ParkPointer();
bool PointerAt(int x, int y);
bool WaitForPointerAt(int x, int y);
POINT CursorPos();

// ---------------------------------------------------------------- clicks

// A click (once the pointer rests) at a screen point, or at the middle or where nothing
// covers the window; false, with nothing clicked, when the point does not reach it.
bool Click(HWND window, POINT at, int button = 1);
bool Click(HWND window, int button = 1);
// The left button pressed on the window, the start of a drag (moves and release: the caller's).
bool PressOn(HWND window, POINT at);

// A click on a dialog's button (the dialog brought to the front when covered). An id no
// visible button carries (IDOK, IDCANCEL from Enter, Esc) is sent as the command itself.
// False, with the failure recorded, when the button cannot be reached.
bool ClickDialogButton(HWND dialog, int id);

// The window's close box: a point its own hit test calls HTCLOSE.
bool ClickCloseBox(HWND window);
// Esc and Enter typed for real (a Tab after them moves the focus: they arrived), then a real
// click on the close box: the dialog (named `which` in a failure) stays open through all three.
void CheckEscEnterAndCloseBoxLeaveOpen(HWND dialog, const char* which);

// ---------------------------------------------------------------- keys

// One chord, pressed in order and released in reverse ({VK_MENU, 'A'}: Alt+A), to the
// window in front, whose thread has taken it on return.
bool PressKeys(std::initializer_list<WORD> chord);
// Keys, or printable ASCII, typed on a window brought to the front, each taken before the next.
bool PressKeysOn(HWND window, const std::vector<WORD>& keys);
bool TypeText(HWND window, const std::string& text);
// Releases modifiers and buttons still held down (a test ended between press and release).
void ReleaseModifierKeys();

// A thread's focus, capture and menu state (all empty when it cannot be read); the focus in
// the window's thread; Tab moving a dialog's focus (a positive control for keys).
GUITHREADINFO ThreadState(DWORD thread);
HWND FocusOfThreadOf(HWND window);
bool TabMovesFocus(HWND dialog);

bool BringToForeground(HWND window, DWORD timeoutMs = 5000);  // of another process

}  // namespace e2e
