// Pelto's main menu chosen as a user chooses it: Ctrl+Shift+A opens it, and
// real clicks choose a submenu and an item, each row first seen highlighted
// under the pointer (the menu really opened, the row clicked is the one meant).
#pragma once
#include <windows.h>

#include <string>

#include "driver_support.h"

namespace e2e {

// The box of the selected row's highlight fill in a screen capture of a menu
// window (screen coordinates, right and bottom exclusive).
struct Highlight {
    bool found = false;
    RECT box = {0, 0, 0, 0};
};
Highlight FindHighlight(const Image& shot, POINT origin, COLORREF colour);
Highlight MenuHighlight(HWND menu);

// Where a command lies in the main menu (menu resource 119 of Pelto.exe): its
// row in the main menu and, for an item of a submenu, its row there (-1
// otherwise). Rows count separators. False for an id the menu does not hold.
struct MainMenuPlace {
    int top = -1;
    int sub = -1;
};
bool FindMainMenuItem(unsigned commandId, MainMenuPlace* place);

// The main menu's window, opened with Ctrl+Shift+A or, given the skin window,
// a real click on it (a second copy of Pelto holds no hotkey); null for none.
// A command chosen from it with real clicks, true once the menu has closed;
// why says which step failed (no menu, a row not highlighted, still open).
HWND OpenMainMenu(const PeltoProcess& pelto, HWND clickSkin = nullptr);
bool ChooseFromMainMenu(const PeltoProcess& pelto, unsigned commandId, std::string* why = nullptr,
                        HWND clickSkin = nullptr);

}  // namespace e2e
