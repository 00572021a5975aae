// Dialog and menu layouts read from a built program's own resources (the module
// is loaded as a data file, nothing of it runs), and their comparison with the
// tables a test expects. Texts come back as code page 932 bytes.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// One control of a dialog template. className is the registered name; the
// predefined atoms 0x80 to 0x85 are given as "Button", "Edit", "Static",
// "ListBox", "ScrollBar" and "ComboBox", any other atom as "#<number>".
// A text given as an ordinal (an icon or bitmap id) is "#<number>", with
// textIsOrdinal set.
struct DialogControl {
    int id = 0;
    std::string className;
    std::string text;
    bool textIsOrdinal = false;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    DWORD style = 0;
};

// A dialog template (plain or DLGTEMPLATEEX), as far as the tests compare it.
struct DialogLayout {
    DWORD style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    std::string caption;
    bool hasFont = false;  // DS_SETFONT (or DS_SHELLFONT)
    int fontPointSize = 0;
    std::string fontName;
    std::vector<DialogControl> controls;
};

struct MenuItemLayout {
    std::string text;
    int id = 0;              // 0 for a pop-up of a normal template
    unsigned flags = 0;      // MF_* option word (normal) or MFT_* type (MENUEX)
    unsigned state = 0;      // MFS_* (MENUEX only)
    bool separator = false;
    bool popup = false;
    std::vector<MenuItemLayout> items;  // the pop-up's own items
};

struct MenuLayout {
    bool extended = false;  // MENUEX
    std::vector<MenuItemLayout> items;
};

// Reads RT_DIALOG / RT_MENU resource `id` of the module at modulePath (a path the
// calling process can open). On failure returns false and, when error is given,
// says why.
bool LoadDialogLayout(const std::string& modulePath, int dialogId, DialogLayout* out,
                      std::string* error = nullptr);
bool LoadMenuLayout(const std::string& modulePath, int menuId, MenuLayout* out, std::string* error = nullptr);

// ---------------------------------------------------------------- comparing

// A control a table names. Only the style bits in styleMask are compared:
// (style & styleMask) must equal styleValue, so a mask can demand bits and
// forbid others (e.g. the button type in the low four bits).
struct ExpectedControl {
    int id;
    const char* className;
    const char* text;
    int x, y, cx, cy;
    DWORD styleMask;
    DWORD styleValue;
};

struct ExpectedDialog {
    const char* caption;
    int cx, cy;                 // size in dialog units (the position is not compared)
    const char* fontName;
    int fontPointSize;
    DWORD styleMask;            // as for controls
    DWORD styleValue;
    std::vector<ExpectedControl> controls;  // in template order
};

// Every difference between the layout and the table, one per "; "-separated
// part, or "" when they agree. Controls are matched by position in the template.
std::string CompareDialogLayout(const DialogLayout& actual, const ExpectedDialog& expected);

// Dialog `id` of the module checked against the table: one failure naming every
// difference; the running test stops when the dialog cannot be read. The layout
// comes back for further checks.
DialogLayout ExpectDialogLayout(const std::string& modulePath, int id, const ExpectedDialog& expected);

// One row of a menu table, in the order the items appear, walking each pop-up's
// items right after it. depth 0 is the template's top level.
struct ExpectedMenuItem {
    int depth;
    const char* text;  // "" for a separator
    int id;            // 0 for a pop-up or a separator
    bool separator;
    bool popup;
};

// Every difference between the menu and the table ("" when they agree).
std::string CompareMenuLayout(const MenuLayout& actual, const std::vector<ExpectedMenuItem>& expected);

}  // namespace e2e
