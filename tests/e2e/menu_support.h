// Pelto's main menu chosen as a user does: Ctrl+Shift+A, then real clicks, each row
// first seen highlighted under the pointer (the row clicked is the one meant).
#pragma once
#include <windows.h>

#include <string>

#include "driver_support.h"

namespace e2e {

// The box of the highlight fill in a capture of a menu window (screen coordinates, right/bottom exclusive).
struct Highlight {
    bool found = false;
    RECT box = {0, 0, 0, 0};
};
Highlight FindHighlight(const Image& shot, POINT origin, COLORREF colour);

// A command chosen with real clicks from the main menu, opened with Ctrl+Shift+A or, given
// the skin window, a click on it (a second Pelto holds no hotkey); true once the menu has
// closed, else why says which step failed.
bool ChooseFromMainMenu(const PeltoProcess& pelto, unsigned commandId, std::string* why = nullptr,
                        HWND clickSkin = nullptr);

}  // namespace e2e
