#include "resource_layout.h"

#include <cstdio>
#include <cstring>

#include "driver_framework.h"

namespace e2e {
namespace {

// A bounded reader over a resource's bytes: every read checks the end, and a
// failed read leaves ok false for good.
class Reader {
public:
    Reader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

    bool ok() const { return ok_; }
    std::size_t offset() const { return pos_; }

    unsigned Word() {
        if (!Need(2)) return 0;
        unsigned v = data_[pos_] | (data_[pos_ + 1] << 8);
        pos_ += 2;
        return v;
    }
    DWORD Dword() {
        DWORD lo = Word();
        DWORD hi = Word();
        return lo | (hi << 16);
    }
    int Short() { return static_cast<short>(static_cast<unsigned short>(Word())); }
    // A zero-terminated UTF-16 string.
    std::wstring WideString() {
        std::wstring s;
        for (;;) {
            unsigned c = Word();
            if (!ok_ || c == 0) break;
            s += static_cast<wchar_t>(c);
        }
        return s;
    }
    void AlignDword() {
        std::size_t aligned = (pos_ + 3) & ~static_cast<std::size_t>(3);
        if (aligned > size_) {
            // The last item of a template may end without padding.
            pos_ = size_;
            return;
        }
        pos_ = aligned;
    }
    void Skip(std::size_t n) {
        if (Need(n)) pos_ += n;
    }
    bool AtEnd() const { return pos_ >= size_; }

private:
    bool Need(std::size_t n) {
        if (!ok_ || size_ - pos_ < n || pos_ > size_) {
            ok_ = false;
            return false;
        }
        return true;
    }
    const unsigned char* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

std::string ToCp932(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    int n = WideCharToMultiByte(932, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(932, 0, wide.c_str(), static_cast<int>(wide.size()), &out[0], n, nullptr, nullptr);
    return out;
}

// sz_Or_Ord: 0x0000 none, 0xFFFF and an ordinal, or a string.
std::string NameOrOrdinal(Reader& r, bool* isOrdinal, unsigned* ordinal) {
    if (isOrdinal) *isOrdinal = false;
    unsigned first = r.Word();
    if (first == 0) return std::string();
    if (first == 0xFFFF) {
        unsigned value = r.Word();
        if (isOrdinal) *isOrdinal = true;
        if (ordinal) *ordinal = value;
        return "#" + std::to_string(value);
    }
    std::wstring s(1, static_cast<wchar_t>(first));
    s += r.WideString();
    return ToCp932(s);
}

std::string ControlClass(Reader& r) {
    bool isOrdinal = false;
    unsigned atom = 0;
    std::string name = NameOrOrdinal(r, &isOrdinal, &atom);
    if (!isOrdinal) return name;
    switch (atom) {
    case 0x80: return "Button";
    case 0x81: return "Edit";
    case 0x82: return "Static";
    case 0x83: return "ListBox";
    case 0x84: return "ScrollBar";
    case 0x85: return "ComboBox";
    default: return name;
    }
}

void SetError(std::string* error, const std::string& text) {
    if (error) *error = text;
}

// Parses a resource of the module, loaded as a data file for the parse.
template <typename Layout>
bool ParseModuleResource(const std::string& modulePath, LPCSTR type, int id,
                         bool (*parse)(const unsigned char*, std::size_t, Layout*, std::string*), Layout* out,
                         std::string* error) {
    HMODULE module = LoadLibraryExA(modulePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) {
        SetError(error, "cannot load " + modulePath + " as a data file (error " + std::to_string(GetLastError()) + ")");
        return false;
    }
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    bool ok = false;
    if (!bytes)
        SetError(error, "resource " + std::to_string(id) + " not found in " + modulePath);
    else
        ok = parse(static_cast<const unsigned char*>(bytes), SizeofResource(module, found), out, error);
    FreeLibrary(module);
    return ok;
}

bool ParseMenuItems(Reader& r, bool extended, int depth, std::vector<MenuItemLayout>* items) {
    if (depth > 16) return false;
    for (;;) {
        MenuItemLayout item;
        bool last = false;
        if (extended) {
            r.AlignDword();
            DWORD type = r.Dword();
            DWORD state = r.Dword();
            DWORD id = r.Dword();
            unsigned resInfo = r.Word();
            std::wstring text = r.WideString();
            if (!r.ok()) return false;
            item.flags = type;
            item.state = state;
            item.id = static_cast<int>(id);
            item.text = ToCp932(text);
            item.separator = (type & MFT_SEPARATOR) != 0 || (text.empty() && id == 0 && !(resInfo & 0x01));
            item.popup = (resInfo & 0x01) != 0;
            last = (resInfo & 0x80) != 0;
            if (item.popup) {
                r.AlignDword();
                r.Dword();  // help id
                if (!ParseMenuItems(r, true, depth + 1, &item.items)) return false;
            }
        } else {
            unsigned option = r.Word();
            item.flags = option;
            item.popup = (option & MF_POPUP) != 0;
            if (!item.popup) item.id = static_cast<int>(r.Word());
            std::wstring text = r.WideString();
            if (!r.ok()) return false;
            item.text = ToCp932(text);
            item.separator = (option & MF_SEPARATOR) != 0 || (!item.popup && item.id == 0 && text.empty());
            last = (option & MF_END) != 0;
            if (item.popup && !ParseMenuItems(r, false, depth + 1, &item.items)) return false;
        }
        items->push_back(item);
        if (last) return true;
        if (r.AtEnd()) return false;
    }
}

void FlattenMenu(const std::vector<MenuItemLayout>& items, int depth, std::vector<ExpectedMenuItem>* rows,
                 std::vector<const MenuItemLayout*>* sources) {
    for (const MenuItemLayout& item : items) {
        rows->push_back({depth, item.text.c_str(), item.popup ? 0 : item.id, item.separator, item.popup});
        sources->push_back(&item);
        FlattenMenu(item.items, depth + 1, rows, sources);
    }
}

std::string MenuRowText(const ExpectedMenuItem& row) {
    std::string s = "depth " + std::to_string(row.depth) + " ";
    if (row.separator) return s + "separator";
    s += row.popup ? "pop-up \"" : "item " + std::to_string(row.id) + " \"";
    return s + Printable(row.text) + "\"";
}

void Append(std::string* all, const std::string& part) {
    if (!all->empty()) *all += "; ";
    *all += part;
}

bool ParseDialogTemplate(const unsigned char* data, std::size_t size, DialogLayout* out, std::string* error) {
    *out = DialogLayout();
    Reader r(data, size);
    unsigned first = r.Word();
    unsigned second = r.Word();
    unsigned count = 0;
    const bool extended = first == 1 && second == 0xFFFF;  // DLGTEMPLATEEX
    if (extended) {
        r.Dword();  // help id
        r.Dword();  // extended style
        out->style = r.Dword();
    } else {
        out->style = first | (second << 16);
        r.Dword();  // extended style
    }
    count = r.Word();
    out->x = r.Short();
    out->y = r.Short();
    out->cx = r.Short();
    out->cy = r.Short();
    NameOrOrdinal(r, nullptr, nullptr);  // menu
    NameOrOrdinal(r, nullptr, nullptr);  // window class
    out->caption = ToCp932(r.WideString());
    if (out->style & (DS_SETFONT | DS_SHELLFONT)) {
        out->hasFont = true;
        out->fontPointSize = static_cast<int>(r.Word());
        if (extended) r.Skip(4);  // weight, italic, character set
        out->fontName = ToCp932(r.WideString());
    }
    for (unsigned i = 0; i < count && r.ok(); ++i) {
        DialogControl c;
        r.AlignDword();
        if (extended) {
            r.Dword();  // help id
            r.Dword();  // extended style
            c.style = r.Dword();
        } else {
            c.style = r.Dword();
            r.Dword();  // extended style
        }
        c.x = r.Short();
        c.y = r.Short();
        c.cx = r.Short();
        c.cy = r.Short();
        if (extended)
            c.id = static_cast<int>(r.Dword());
        else
            c.id = static_cast<short>(static_cast<unsigned short>(r.Word()));
        c.className = ControlClass(r);
        unsigned ordinal = 0;
        c.text = NameOrOrdinal(r, &c.textIsOrdinal, &ordinal);
        unsigned extra = r.Word();
        r.Skip(extra);
        if (r.ok()) out->controls.push_back(c);
    }
    if (!r.ok()) {
        SetError(error, "the dialog template ends early (" + std::to_string(out->controls.size()) + " of " +
                            std::to_string(count) + " controls read)");
        return false;
    }
    return true;
}

bool ParseMenuTemplate(const unsigned char* data, std::size_t size, MenuLayout* out, std::string* error) {
    *out = MenuLayout();
    Reader r(data, size);
    unsigned version = r.Word();
    unsigned offset = r.Word();
    if (version == 1) {
        out->extended = true;
        r.Skip(offset);  // the header's help id and anything before the items
    } else if (version == 0) {
        r.Skip(offset);
    } else {
        SetError(error, "unknown menu template version " + std::to_string(version));
        return false;
    }
    if (!r.ok() || !ParseMenuItems(r, out->extended, 0, &out->items)) {
        SetError(error, "the menu template ends early or is malformed");
        return false;
    }
    return true;
}

}  // namespace

bool LoadDialogLayout(const std::string& modulePath, int dialogId, DialogLayout* out, std::string* error) {
    return ParseModuleResource(modulePath, MAKEINTRESOURCEA(5) /* RT_DIALOG */, dialogId, ParseDialogTemplate, out,
                               error);
}

bool LoadMenuLayout(const std::string& modulePath, int menuId, MenuLayout* out, std::string* error) {
    return ParseModuleResource(modulePath, MAKEINTRESOURCEA(4) /* RT_MENU */, menuId, ParseMenuTemplate, out, error);
}

std::string CompareDialogLayout(const DialogLayout& actual, const ExpectedDialog& expected) {
    std::string all;
    char buffer[160];
    if (actual.caption != expected.caption)
        Append(&all, "caption \"" + Printable(actual.caption) + "\", expected \"" + Printable(expected.caption) + "\"");
    if (actual.cx != expected.cx || actual.cy != expected.cy) {
        std::snprintf(buffer, sizeof buffer, "size %d x %d, expected %d x %d", actual.cx, actual.cy, expected.cx,
                      expected.cy);
        Append(&all, buffer);
    }
    if (!actual.hasFont)
        Append(&all, "no font (DS_SETFONT not set)");
    else if (actual.fontName != expected.fontName || actual.fontPointSize != expected.fontPointSize)
        Append(&all, "font \"" + Printable(actual.fontName) + "\" " + std::to_string(actual.fontPointSize) +
                         " pt, expected \"" + Printable(expected.fontName) + "\" " +
                         std::to_string(expected.fontPointSize) + " pt");
    if ((actual.style & expected.styleMask) != expected.styleValue) {
        std::snprintf(buffer, sizeof buffer, "style 0x%08lX (masked 0x%08lX), expected 0x%08lX under mask 0x%08lX",
                      static_cast<unsigned long>(actual.style),
                      static_cast<unsigned long>(actual.style & expected.styleMask),
                      static_cast<unsigned long>(expected.styleValue), static_cast<unsigned long>(expected.styleMask));
        Append(&all, buffer);
    }
    if (actual.controls.size() != expected.controls.size())
        Append(&all, std::to_string(actual.controls.size()) + " controls, expected " +
                         std::to_string(expected.controls.size()));
    std::size_t n = actual.controls.size() < expected.controls.size() ? actual.controls.size()
                                                                       : expected.controls.size();
    for (std::size_t i = 0; i < n; ++i) {
        const DialogControl& a = actual.controls[i];
        const ExpectedControl& e = expected.controls[i];
        std::string where = "control " + std::to_string(i) + " (id " + std::to_string(e.id) + "): ";
        if (a.id != e.id) Append(&all, where + "id " + std::to_string(a.id));
        if (a.className != e.className)
            Append(&all, where + "class \"" + Printable(a.className) + "\", expected \"" + e.className + "\"");
        if (a.text != e.text)
            Append(&all, where + "text \"" + Printable(a.text) + "\", expected \"" + Printable(e.text) + "\"");
        if (a.x != e.x || a.y != e.y || a.cx != e.cx || a.cy != e.cy) {
            std::snprintf(buffer, sizeof buffer, "at %d, %d, %d x %d, expected %d, %d, %d x %d", a.x, a.y, a.cx, a.cy,
                          e.x, e.y, e.cx, e.cy);
            Append(&all, where + buffer);
        }
        if ((a.style & e.styleMask) != e.styleValue) {
            std::snprintf(buffer, sizeof buffer, "style 0x%08lX (masked 0x%08lX), expected 0x%08lX under mask 0x%08lX",
                          static_cast<unsigned long>(a.style), static_cast<unsigned long>(a.style & e.styleMask),
                          static_cast<unsigned long>(e.styleValue), static_cast<unsigned long>(e.styleMask));
            Append(&all, where + buffer);
        }
    }
    for (std::size_t i = n; i < expected.controls.size(); ++i)
        Append(&all, "missing control " + std::to_string(i) + " (id " + std::to_string(expected.controls[i].id) + ")");
    for (std::size_t i = n; i < actual.controls.size(); ++i)
        Append(&all, "extra control " + std::to_string(i) + " (id " + std::to_string(actual.controls[i].id) + ", \"" +
                         Printable(actual.controls[i].text) + "\")");
    return all;
}

DialogLayout ExpectDialogLayout(const std::string& modulePath, int id, const ExpectedDialog& expected) {
    DialogLayout dialog;
    std::string error;
    REQUIRE_MSG(LoadDialogLayout(modulePath, id, &dialog, &error), "dialog %d: %s", id, error.c_str());
    const std::string differences = CompareDialogLayout(dialog, expected);
    CHECK_MSG(differences.empty(), "dialog %d of %s differs: %s", id, modulePath.c_str(), differences.c_str());
    return dialog;
}

std::string CompareMenuLayout(const MenuLayout& actual, const std::vector<ExpectedMenuItem>& expected) {
    std::vector<ExpectedMenuItem> rows;
    std::vector<const MenuItemLayout*> sources;
    FlattenMenu(actual.items, 0, &rows, &sources);
    std::string all;
    std::size_t n = rows.size() < expected.size() ? rows.size() : expected.size();
    for (std::size_t i = 0; i < n; ++i) {
        const ExpectedMenuItem& a = rows[i];
        const ExpectedMenuItem& e = expected[i];
        bool same = a.depth == e.depth && a.separator == e.separator && a.popup == e.popup &&
                    (e.separator || (a.id == e.id && std::strcmp(a.text, e.text) == 0));
        if (!same) Append(&all, "row " + std::to_string(i) + ": " + MenuRowText(a) + ", expected " + MenuRowText(e));
    }
    if (rows.size() != expected.size())
        Append(&all, std::to_string(rows.size()) + " rows, expected " + std::to_string(expected.size()));
    for (std::size_t i = n; i < expected.size(); ++i) Append(&all, "missing row " + std::to_string(i) + ": " + MenuRowText(expected[i]));
    for (std::size_t i = n; i < rows.size(); ++i) Append(&all, "extra row " + std::to_string(i) + ": " + MenuRowText(rows[i]));
    return all;
}

}  // namespace e2e
