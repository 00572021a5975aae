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
            const RECT pixel = {x, y, x + 1, y + 1};
            UnionRect(&h.box, &h.box, &pixel);  // the empty box of none yet gives the pixel's
            h.found = true;
        }
    OffsetRect(&h.box, origin.x, origin.y);
    return h;
}

namespace {

// Says why a step failed.
bool Failed(std::string* why, const std::string& text) {
    *why = text;
    return false;
}

Highlight MenuHighlight(HWND menu) {
    RECT area = WindowRect(menu);
    Image shot = CaptureScreen(area);
    if (!shot.ok()) return Highlight();
    return FindHighlight(shot, {area.left, area.top}, GetSysColor(COLOR_HIGHLIGHT));
}

// A command's row in the main menu (IDR_MAIN_MENU) and, in a submenu, its row there
// (-1 otherwise); rows count separators.
struct MainMenuPlace {
    int top = -1;
    int sub = -1;
};

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

// The rows' extents from the menu window's top, learnt once per menu and size by moving
// the pointer down and reading the highlight (separators never highlight).
using RowSpans = std::vector<std::pair<int, int>>;
std::map<std::string, RowSpans> learnt;

// The pointer at (x, y) and a highlight there, top at or below minTop; none on a separator.
bool HoverHighlight(HWND menu, int x, int y, int minTop, Highlight* out, DWORD timeoutMs) {
    if (!MoveMouse(POINT{x, y})) return false;
    return WaitUntil(timeoutMs, [&] {
        *out = MenuHighlight(menu);
        return out->found && out->box.top >= minTop && out->box.top <= y && out->box.bottom > y;
    });
}

bool LearnRows(HWND menu, const std::vector<MenuRow>& rows, RowSpans* spans) {
    const RECT w = WindowRect(menu), client = ClientRectOnScreen(menu);
    const int x = client.left + (client.right - client.left) / 2, bottom = client.bottom;
    int y = client.top + 1;
    spans->assign(rows.size(), {0, 0});
    DWORD patience = 1500;  // the first move waits for the first paint too
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (rows[r].separator) continue;
        Highlight h;
        bool found = false;
        // After a separator (or the top margin) the next row lies a few pixels on.
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
        if (!LearnRows(menu, rows, &spans))
            return Failed(why, "the rows of menu " + key + " did not highlight under the pointer");
        it = learnt.emplace(fullKey, spans).first;
    }
    const std::pair<int, int>& span = it->second[static_cast<std::size_t>(row)];
    const RECT client = ClientRectOnScreen(menu);
    const int x = client.left + (client.right - client.left) / 2;
    const int y = w.top + (span.first + span.second) / 2;
    Highlight h;
    // A busy machine can be slow to repaint: one more move onto the row.
    auto onRow = [&] { return HoverHighlight(menu, x, y, w.top + span.first, &h, 2000) && h.box.top == w.top + span.first; };
    if (!onRow() && !(MoveMouse(POINT{x, y - 3}) && onRow()))
        return Failed(why, Format("row %d of menu %s did not highlight at y %d", row, key.c_str(), y));
    return (MouseButton(1, true) && MouseButton(1, false)) || Failed(why, "SendInput could not click");
}

bool FindMainMenuItem(unsigned commandId, MainMenuPlace* place) {
    const std::vector<MenuRow>* rows = MainMenuRows();
    if (!rows) return false;
    for (int t = 0; t < static_cast<int>(rows->size()); ++t) {
        const MenuRow& item = (*rows)[static_cast<std::size_t>(t)];
        // The row itself (-1), then its pop-up's rows.
        for (int s = -1; s < static_cast<int>(item.items.size()); ++s) {
            const MenuRow& row = s < 0 ? item : item.items[static_cast<std::size_t>(s)];
            if (row.items.empty() && !row.separator && row.id == commandId) {
                *place = {t, s};
                return true;
            }
        }
    }
    return false;
}

HWND OpenMainMenu(const PeltoProcess& pelto, HWND clickSkin) {
    if (!clickSkin) return OpenMenuWithHotkey(pelto.pid(), 'A');
    return Click(clickSkin) ? WaitForMenuWindow(pelto.pid()) : nullptr;
}

// Every menu window gone (or moved: a command may open a popup of its own at once).
bool MenusClosed(const std::vector<HWND>& menus) {
    std::vector<RECT> where;
    for (HWND m : menus) where.push_back(WindowRect(m));
    return WaitUntil(5000, [&] {
        for (std::size_t i = 0; i < menus.size(); ++i)
            if (IsWindow(menus[i]) && IsWindowVisible(menus[i]) && SameRect(WindowRect(menus[i]), where[i])) return false;
        return true;
    });
}

// By keys: Down selects the next row (separators passed over), Right opens a pop-up on
// its first row, Enter chooses. When Wine did not bring the menu's owner to the front
// (skin hidden, windows stored), the driver does what Pelto asked for.
bool ChooseByKeys(HWND menu, const MainMenuPlace& place) {
    const DWORD menuThread = GetWindowThreadProcessId(menu, nullptr);
    if (!WaitUntil(1000, [&] { return GetWindowThreadProcessId(GetForegroundWindow(), nullptr) == menuThread; })) {
        const HWND owner = ThreadState(menuThread).hwndMenuOwner;
        if (!owner || !BringToForeground(owner)) return false;
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
    if (!FindMainMenuItem(commandId, &place)) return Failed(why, Format("command %u is not in the main menu", commandId));
    Trace("choosing command %u from the main menu", commandId);
    WaitForPointerToRest();  // a glide to a new target would carry the pointer off the rows
    HWND menu = OpenMainMenu(pelto, clickSkin);
    if (!menu)
        return Failed(why, std::string(clickSkin ? "a click on the skin" : "Ctrl+Shift+A") + " opened no main menu: " +
                               pelto.Describe());
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
        // A menu of the hidden skin window hears no pointer motion under Wine: keys choose instead.
        std::printf("  %s: the menu's keys choose instead\n", why->c_str());
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
