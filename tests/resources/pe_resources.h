// Resources of a built Windows program or DLL, read from its file: the PE
// headers and the resource directory are walked by hand, and dialog and menu
// templates decoded, so the layouts can be checked without running anything.
// Texts come back as code page 932 bytes, as the programs show them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace pe {

enum ResourceType { kBitmap = 2, kMenu = 4, kDialog = 5 };

struct Resource {
    std::string bytes;      // empty when not found
    unsigned language = 0;  // of the first language entry
    std::string error;      // why not found
};
// Resource type/id of the PE file at path.
Resource Load(const std::string& path, int type, int id);

// A dialog template (plain or extended). A control's class given by atom is
// named "Button", "Edit", "Static", "ListBox", "ScrollBar" or "ComboBox"; a text
// given as an ordinal (a bitmap id) is "#<number>".
struct Control {
    int id = 0;
    std::string className, text;
    int x = 0, y = 0, cx = 0, cy = 0;
    uint32_t style = 0;
};
struct Dialog {
    std::string error;  // why the template could not be read whole; "" when it was
    uint32_t style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::string caption, fontName;  // fontName empty without DS_SETFONT
    int fontPointSize = 0;
    std::vector<Control> controls;
};
Dialog ParseDialog(const std::string& bytes);

// A plain menu template's items, each pop-up holding its own.
struct MenuItem {
    std::string text;
    int id = 0;  // 0 for a pop-up or a separator
    std::vector<MenuItem> items = {};
    unsigned flags = 0;
    bool popup = false, separator = false;
};
// False when the template is not a plain one or ends early.
bool ParseMenu(const std::string& bytes, std::vector<MenuItem>* items);

// bytes converted between two iconv encodings; ok false when a character does
// not convert.
std::string Convert(const std::string& bytes, const char* from, const char* to, bool* ok = nullptr);

}  // namespace pe
