#include "menu_support.h"

#include <map>
#include <vector>

#include "driver_framework.h"
#include "resources/resource_ids.h"
#include "target_support.h"

namespace e2e {

Highlight FindHighlight(const Image& shot, POINT origin, COLORREF colour) {
    Highlight h;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            if (!SameColour(shot.At(x, y), colour)) continue;
            if (!h.found) {
                h.found = true;
                h.box = {x, y, x + 1, y + 1};
            }
            if (x < h.box.left) h.box.left = x;
            if (y < h.box.top) h.box.top = y;
            if (x + 1 > h.box.right) h.box.right = x + 1;
            if (y + 1 > h.box.bottom) h.box.bottom = y + 1;
        }
    OffsetRect(&h.box, origin.x, origin.y);
    return h;
}

Highlight MenuHighlight(HWND menu) {
    RECT area = WindowRect(menu);
    Image shot = CaptureScreen(area);
    if (!shot.ok()) return Highlight();
    return FindHighlight(shot, {area.left, area.top}, GetSysColor(COLOR_HIGHLIGHT));
}

namespace {

// A row of a menu: its command id (none for a pop-up) or a separator, and a
// pop-up's own rows.
struct MenuRow {
    UINT id;
    bool separator;
    std::vector<MenuRow> items;
};

std::vector<MenuRow> RowsOf(HMENU menu) {
    std::vector<MenuRow> rows;
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        HMENU sub = GetSubMenu(menu, i);
        // A pop-up's state holds its item count where a separator's flag would be.
        const bool separator = !sub && (GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR);
        rows.push_back({GetMenuItemID(menu, i), separator, sub ? RowsOf(sub) : std::vector<MenuRow>()});
    }
    return rows;
}

// The shown main menu (pop-up 0 of Pelto.exe's menu resource), as the system
// loads it; null when it cannot be loaded.
const std::vector<MenuRow>* MainMenuRows() {
    static std::vector<MenuRow> rows;
    if (rows.empty()) {
        DataModule pelto(JoinPath(StagedInstall(), "Pelto.exe"));
        HMENU menu = pelto.get() ? LoadMenuA(pelto.get(), MAKEINTRESOURCEA(IDR_MAIN_MENU)) : nullptr;
        if (menu && GetSubMenu(menu, 0)) rows = RowsOf(GetSubMenu(menu, 0));
        if (menu) DestroyMenu(menu);
    }
    return rows.empty() ? nullptr : &rows;
}

}  // namespace

bool FindMainMenuItem(unsigned commandId, MainMenuPlace* place) {
    const std::vector<MenuRow>* rows = MainMenuRows();
    if (!rows) return false;
    for (std::size_t t = 0; t < rows->size(); ++t) {
        const MenuRow& item = (*rows)[t];
        if (item.items.empty() && !item.separator && item.id == commandId) {
            *place = {static_cast<int>(t), -1};
            return true;
        }
        for (std::size_t s = 0; s < item.items.size(); ++s)
            if (!item.items[s].separator && item.items[s].id == commandId) {
                *place = {static_cast<int>(t), static_cast<int>(s)};
                return true;
            }
    }
    return false;
}

HWND OpenMainMenu(const PeltoProcess& pelto, HWND clickSkin) {
    if (!clickSkin) return OpenMenuWithHotkey(pelto.pid(), 'A');
    return Click(clickSkin) ? WaitForMenuWindow(pelto.pid()) : nullptr;
}

bool ChooseFromMainMenu(const PeltoProcess& pelto, unsigned commandId, std::string* why, HWND clickSkin) {
    std::string reason;
    if (!why) why = &reason;
    MainMenuPlace place;
    if (!FindMainMenuItem(commandId, &place)) {
        *why = Format("command %u is not in the main menu", commandId);
        return false;
    }
    HWND menu = OpenMainMenu(pelto, clickSkin);
    if (!menu) {
        *why = std::string(clickSkin ? "a click on the skin" : "Ctrl+Shift+A") + " opened no main menu: " +
               pelto.Describe();
        return false;
    }
    // The rows by their keys, as a user can choose them: Down selects the next
    // row (the first one first; separators are passed over), Right opens a
    // pop-up with its first row selected, Enter chooses.
    const std::vector<MenuRow>& rows = *MainMenuRows();
    auto selectable = [](const std::vector<MenuRow>& r, int upTo) {
        int n = 0;
        for (int i = 0; i < upTo; ++i) n += r[static_cast<std::size_t>(i)].separator ? 0 : 1;
        return n;
    };
    std::vector<WORD> keys(static_cast<std::size_t>(selectable(rows, place.top + 1)), VK_DOWN);
    if (place.sub >= 0) {
        keys.push_back(VK_RIGHT);
        keys.insert(keys.end(), static_cast<std::size_t>(selectable(rows[place.top].items, place.sub)), VK_DOWN);
    }
    keys.push_back(VK_RETURN);
    // The keys go to the thread in front. Pelto brings its skin window to the
    // front before it opens the menu; under Wine that now and then does not
    // take while the skin is hidden (windows stored): the driver does what
    // Pelto asked for.
    const DWORD menuThread = GetWindowThreadProcessId(menu, nullptr);
    if (!WaitUntil(1000, [&] { return GetWindowThreadProcessId(GetForegroundWindow(), nullptr) == menuThread; })) {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        if (GetGUIThreadInfo(menuThread, &info) && info.hwndMenuOwner) BringToForeground(info.hwndMenuOwner);
    }
    for (WORD key : keys) PressKeys({key});
    // Every menu window goes (a command may open a popup of its own, later).
    const RECT menuRect = WindowRect(menu);
    if (!WaitUntil(5000, [&] { return !IsWindow(menu) || !IsWindowVisible(menu) || !SameRect(WindowRect(menu), menuRect); })) {
        *why = Format("the main menu stayed open after the keys for command %u", commandId);
        CloseMenu(pelto.pid());
        CloseMenu(pelto.pid());
        return false;
    }
    return true;
}

}  // namespace e2e
