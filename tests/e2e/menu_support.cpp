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

// The rows' vertical extents, relative to the menu window's top, learnt once
// for each menu and window size by moving the pointer down the menu and reading
// where the highlight appears. Separators never highlight: their rows stay empty.
using RowSpans = std::vector<std::pair<int, int>>;
std::map<std::string, RowSpans> learnt;

// Moves the pointer to (x, y) and waits for a highlight whose top is at or
// below minTop; false when none comes (the pointer is on a separator).
bool HoverHighlight(HWND menu, int x, int y, int minTop, Highlight* out, DWORD timeoutMs) {
    if (!MoveMouse(POINT{x, y})) return false;
    return WaitUntil(timeoutMs, [&] {
        *out = MenuHighlight(menu);
        return out->found && out->box.top >= minTop && out->box.top <= y && out->box.bottom > y;
    });
}

bool LearnRows(HWND menu, const std::vector<MenuRow>& rows, RowSpans* spans) {
    RECT w = WindowRect(menu);
    RECT client;
    GetClientRect(menu, &client);
    POINT origin = {0, 0};
    ClientToScreen(menu, &origin);
    const int x = origin.x + client.right / 2;
    int y = origin.y + 1;
    const int bottom = origin.y + client.bottom;
    spans->assign(rows.size(), {0, 0});
    DWORD patience = 1500;  // the first move also waits for the menu's first paint
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (rows[r].separator) continue;
        Highlight h;
        bool found = false;
        // After a separator (or the menu's top margin) the next row lies a few
        // pixels further on.
        for (; y < bottom && !found; y += 2, patience = 150) found = HoverHighlight(menu, x, y, y - 40, &h, patience);
        if (!found) return false;
        (*spans)[r] = {h.box.top - w.top, h.box.bottom - w.top};
        y = h.box.bottom;
    }
    return true;
}

// Hovers the row, checks that it is the one highlighted, then clicks it.
bool ClickRow(HWND menu, const std::string& key, const std::vector<MenuRow>& rows, int row, std::string* why) {
    RECT w = WindowRect(menu);
    std::string fullKey = key + Format(":%ld:%ld", w.right - w.left, w.bottom - w.top);
    auto it = learnt.find(fullKey);
    if (it == learnt.end()) {
        RowSpans spans;
        if (!LearnRows(menu, rows, &spans)) {
            *why = "the rows of menu " + key + " did not highlight under the pointer";
            return false;
        }
        it = learnt.emplace(fullKey, spans).first;
    }
    const std::pair<int, int>& span = it->second[static_cast<std::size_t>(row)];
    RECT client;
    GetClientRect(menu, &client);
    POINT origin = {0, 0};
    ClientToScreen(menu, &origin);
    const int x = origin.x + client.right / 2;
    const int y = w.top + (span.first + span.second) / 2;
    Highlight h;
    // A busy machine can be slow to repaint: one more move onto the row.
    auto onRow = [&] { return HoverHighlight(menu, x, y, w.top + span.first, &h, 2000) && h.box.top == w.top + span.first; };
    if (!onRow() && !(MoveMouse(POINT{x, y - 3}) && onRow())) {
        *why = Format("row %d of menu %s did not highlight at y %d", row, key.c_str(), y);
        return false;
    }
    if (!MouseButton(1, true) || !MouseButton(1, false)) {
        *why = "SendInput could not click";
        return false;
    }
    return true;
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

namespace {

// Waits until every menu window of the process has gone (or moved: a command
// may open a popup of its own at once).
bool MenusClosed(const std::vector<HWND>& menus) {
    std::vector<RECT> where;
    for (HWND m : menus) where.push_back(WindowRect(m));
    return WaitUntil(5000, [&] {
        for (std::size_t i = 0; i < menus.size(); ++i)
            if (IsWindow(menus[i]) && IsWindowVisible(menus[i]) && SameRect(WindowRect(menus[i]), where[i])) return false;
        return true;
    });
}

// The rows by their keys: Down selects the next row (the first one first;
// separators are passed over), Right opens a pop-up with its first row
// selected, Enter chooses. The keys go to the thread in front: when Wine did
// not bring the menu's owner there for Pelto (its skin window hidden, windows
// stored), the driver does what Pelto asked for.
bool ChooseByKeys(HWND menu, const MainMenuPlace& place) {
    const DWORD menuThread = GetWindowThreadProcessId(menu, nullptr);
    if (!WaitUntil(1000, [&] { return GetWindowThreadProcessId(GetForegroundWindow(), nullptr) == menuThread; })) {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        if (!GetGUIThreadInfo(menuThread, &info) || !info.hwndMenuOwner || !BringToForeground(info.hwndMenuOwner))
            return false;
    }
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
    for (WORD key : keys)
        if (!PressKeys({key})) return false;
    return true;
}

}  // namespace

bool ChooseFromMainMenu(const PeltoProcess& pelto, unsigned commandId, std::string* why, HWND clickSkin) {
    std::string reason;
    if (!why) why = &reason;
    MainMenuPlace place;
    if (!FindMainMenuItem(commandId, &place)) {
        *why = Format("command %u is not in the main menu", commandId);
        return false;
    }
    Trace("choosing command %u from the main menu", commandId);
    // A pointer glide to a new target would carry the pointer off the rows.
    WaitForPointerToRest();
    HWND menu = OpenMainMenu(pelto, clickSkin);
    if (!menu) {
        *why = std::string(clickSkin ? "a click on the skin" : "Ctrl+Shift+A") + " opened no main menu: " +
               pelto.Describe();
        return false;
    }
    // Real clicks, each row first seen highlighted under the pointer.
    const std::vector<MenuRow>& rows = *MainMenuRows();
    std::vector<HWND> open = {menu};
    bool clicked = ClickRow(menu, "main", rows, place.top, why);
    if (clicked && place.sub >= 0) {
        HWND sub = nullptr;
        WaitUntil(3000, [&] {
            for (HWND m : TopLevelWindowsOf(pelto.pid(), "#32768"))
                if (m != menu && IsWindowVisible(m)) sub = m;
            return sub != nullptr;
        });
        clicked = sub && ClickRow(sub, Format("sub%d", place.top), rows[static_cast<std::size_t>(place.top)].items,
                                  place.sub, why);
        if (sub) open.push_back(sub);
    }
    if (!clicked) {
        // A menu of the hidden skin window (windows stored) hears no motion of
        // the pointer under Wine: its keys choose instead, from the top.
        std::printf("  %s: the menu's keys choose instead\n", why->c_str());
        std::fflush(stdout);
        for (int level = 0; level < 3 && VisibleMenuWindow(pelto.pid()); ++level) CloseMenu(pelto.pid());
        menu = OpenMainMenu(pelto, clickSkin);
        if (!menu || !ChooseByKeys(menu, place)) {
            *why += "; the keys did not choose either";
            CloseMenu(pelto.pid());
            return false;
        }
        open = {menu};
    }
    if (!MenusClosed(open)) {
        *why = Format("the main menu stayed open after command %u was chosen", commandId);
        CloseMenu(pelto.pid());
        CloseMenu(pelto.pid());
        return false;
    }
    return true;
}

}  // namespace e2e
