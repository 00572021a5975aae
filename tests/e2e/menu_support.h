// Pelto's main menu chosen as a user chooses it: Ctrl+Shift+A opens it, and
// real clicks (xdotool) choose a submenu and an item, each row first seen
// highlighted under the pointer, so the test knows the menu really opened and
// the row really was the one clicked.
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

// Opens the main menu with Ctrl+Shift+A (sent through Wine's input queue), or
// with a real click on the skin window when one is given (a second copy of
// Pelto holds no hotkey), and returns its visible "#32768" window, or null
// when none opens.
HWND OpenMainMenu(const PeltoProcess& pelto, HWND clickSkin = nullptr);

// Chooses the command from the main menu with real clicks and waits until the
// menu has closed. False, with the reason in why, when the menu did not open,
// a row did not highlight under the pointer or the menu stayed open. The menu
// opens as OpenMainMenu opens it.
bool ChooseFromMainMenu(const PeltoProcess& pelto, unsigned commandId, std::string* why = nullptr,
                        HWND clickSkin = nullptr);

}  // namespace e2e
