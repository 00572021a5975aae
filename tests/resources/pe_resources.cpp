#include "tests/resources/pe_resources.h"

#include <iconv.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace pe {
namespace {

// Little-endian reads over bytes; a read past the end leaves ok false for good.
class Cursor {
public:
    explicit Cursor(const std::string& bytes, std::size_t at = 0) : bytes_(bytes), at_(at) {}
    bool ok() const { return ok_; }
    bool AtEnd() const { return at_ >= bytes_.size(); }
    std::size_t At() const { return at_; }
    void Seek(std::size_t at) { at_ = at; }
    void Skip(std::size_t n) { at_ += Fits(n) ? n : 0; }
    void Align4() { at_ = std::min((at_ + 3) & ~std::size_t(3), bytes_.size()); }  // the last item may be unpadded
    uint32_t Read(std::size_t n) {
        if (!Fits(n)) return 0;
        uint32_t v = 0;
        for (std::size_t i = n; i-- > 0;) v = v << 8 | static_cast<unsigned char>(bytes_[at_ + i]);
        at_ += n;
        return v;
    }
    unsigned Word() { return Read(2); }
    uint32_t Dword() { return Read(4); }
    int Short() { return static_cast<int16_t>(Word()); }
    std::string Text() {  // zero-terminated UTF-16, as code page 932
        std::string utf16;
        for (unsigned c; (c = Word()) != 0 && ok_;) utf16 += {static_cast<char>(c), static_cast<char>(c >> 8)};
        return Convert(utf16, "UTF-16LE", "CP932");
    }

private:
    bool Fits(std::size_t n) {
        ok_ = ok_ && at_ <= bytes_.size() && bytes_.size() - at_ >= n;
        return ok_;
    }
    const std::string& bytes_;
    std::size_t at_;
    bool ok_ = true;
};

// A name or an ordinal: 0 for none, 0xFFFF and a number ("#<number>"), or a text.
std::string NameOrOrdinal(Cursor& c, unsigned* ordinal = nullptr) {
    const unsigned first = c.Word();
    if (first == 0) return "";
    if (first != 0xFFFF) {
        c.Seek(c.At() - 2);
        return c.Text();
    }
    const unsigned value = c.Word();
    if (ordinal) *ordinal = value;
    return "#" + std::to_string(value);
}

const char* const kPredefinedClasses[] = {"Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox"};

// The entry of a resource directory whose id is wanted (-1: the first id
// entry); its name and the offset it points to, or false.
bool DirectoryEntry(const std::string& image, std::size_t directory, long wanted, uint32_t* name, uint32_t* target) {
    Cursor c(image, directory + 12);
    const unsigned named = c.Word(), ids = c.Word();
    for (unsigned i = 0; i < named + ids && c.ok(); ++i) {
        *name = c.Dword();
        *target = c.Dword();
        if (i >= named && (wanted < 0 || *name == static_cast<uint32_t>(wanted))) return c.ok();
    }
    return false;
}

bool ParseItems(Cursor& c, int depth, std::vector<MenuItem>* items) {
    for (bool last = false; !last;) {
        if (depth > 8 || c.AtEnd()) return false;
        MenuItem item;
        item.flags = c.Word();
        item.popup = (item.flags & 0x10) != 0;  // MF_POPUP
        last = (item.flags & 0x80) != 0;        // MF_END
        if (!item.popup) item.id = static_cast<int>(c.Word());
        item.text = c.Text();
        item.separator = (item.flags & 0x800) || (!item.popup && item.id == 0 && item.text.empty());
        if (!c.ok() || (item.popup && !ParseItems(c, depth + 1, &item.items))) return false;
        items->push_back(item);
    }
    return true;
}

}  // namespace

std::string Convert(const std::string& bytes, const char* from, const char* to, bool* ok) {
    iconv_t cd = iconv_open(to, from);
    std::string out(bytes.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    char* at = &out[0];
    std::size_t inLeft = bytes.size(), outLeft = out.size();
    const bool converted = cd != reinterpret_cast<iconv_t>(-1) && iconv(cd, &in, &inLeft, &at, &outLeft) == 0;
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    if (ok) *ok = converted;
    out.resize(out.size() - outLeft);
    return out;
}

Resource Load(const std::string& path, int type, int id) {
    Resource r;
    std::ifstream file(path, std::ios::binary);
    const std::string image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    Cursor c(image, 0x3C);
    c.Seek(c.Dword());
    if (image.empty() || c.Dword() != 0x4550) {  // "PE\0\0"
        r.error = path + " is missing or no PE image";
        return r;
    }
    c.Skip(2);
    const unsigned sections = c.Word();
    c.Skip(12);
    const std::size_t optionalSize = c.Word();
    c.Skip(2);
    const std::size_t optional = c.At();
    // Data directory 2 (resources), after the PE32 or PE32+ optional header's fields.
    c.Seek(optional + (c.Word() == 0x20B ? 112 : 96) + 2 * 8);
    const uint32_t resourcesRva = c.Dword();
    // The file offset of an address, through the section table.
    auto offsetOf = [&](uint32_t rva, std::size_t* offset) {
        for (unsigned i = 0; i < sections; ++i) {
            Cursor s(image, optional + optionalSize + 40 * i + 8);
            const uint32_t virtualSize = s.Dword(), address = s.Dword(), rawSize = s.Dword(), raw = s.Dword();
            if (s.ok() && rva >= address && rva - address < std::max(virtualSize, rawSize)) {
                *offset = raw + (rva - address);
                return true;
            }
        }
        return false;
    };
    std::size_t root = 0, data = 0;
    uint32_t name = 0, typeDir = 0, idDir = 0, entry = 0;
    constexpr uint32_t kSubdirectory = 0x80000000;
    if (!c.ok() || resourcesRva == 0 || !offsetOf(resourcesRva, &root) ||
        !DirectoryEntry(image, root, type, &name, &typeDir) || !(typeDir & kSubdirectory) ||
        !DirectoryEntry(image, root + (typeDir & ~kSubdirectory), id, &name, &idDir) || !(idDir & kSubdirectory) ||
        !DirectoryEntry(image, root + (idDir & ~kSubdirectory), -1, &r.language, &entry)) {
        r.error = "no resource " + std::to_string(id) + " of type " + std::to_string(type) + " in " + path;
        return r;
    }
    Cursor e(image, root + entry);
    const uint32_t rva = e.Dword(), size = e.Dword();
    if (!e.ok() || !offsetOf(rva, &data) || data > image.size() || image.size() - data < size)
        r.error = "resource " + std::to_string(id) + " lies outside " + path;
    else
        r.bytes = image.substr(data, size);
    return r;
}

Dialog ParseDialog(const std::string& bytes) {
    Dialog d;
    Cursor c(bytes);
    const unsigned first = c.Word(), second = c.Word();
    const bool extended = first == 1 && second == 0xFFFF;  // DLGTEMPLATEEX
    if (extended) c.Skip(8);                                // help id, extended style
    d.style = extended ? c.Dword() : first | second << 16;
    if (!extended) c.Skip(4);  // extended style
    const unsigned count = c.Word();
    d.x = c.Short(), d.y = c.Short(), d.cx = c.Short(), d.cy = c.Short();
    NameOrOrdinal(c);  // menu
    NameOrOrdinal(c);  // window class
    d.caption = c.Text();
    if (d.style & 0x40) {  // DS_SETFONT
        d.fontPointSize = static_cast<int>(c.Word());
        if (extended) c.Skip(4);  // weight, italic, character set
        d.fontName = c.Text();
    }
    for (unsigned i = 0; i < count && c.ok(); ++i) {
        Control k;
        c.Align4();
        if (extended) c.Skip(8);  // help id, extended style
        k.style = c.Dword();
        if (!extended) c.Skip(4);
        k.x = c.Short(), k.y = c.Short(), k.cx = c.Short(), k.cy = c.Short();
        k.id = extended ? static_cast<int>(c.Dword()) : c.Short();
        unsigned atom = 0;
        k.className = NameOrOrdinal(c, &atom);
        if (atom >= 0x80 && atom <= 0x85) k.className = kPredefinedClasses[atom - 0x80];
        k.text = NameOrOrdinal(c);
        c.Skip(c.Word());  // creation data
        d.controls.push_back(k);
    }
    if (!c.ok()) d.error = "the template ends early";
    return d;
}

bool ParseMenu(const std::string& bytes, std::vector<MenuItem>* items) {
    Cursor c(bytes);
    const unsigned version = c.Word(), headerSize = c.Word();
    c.Skip(headerSize);
    return version == 0 && c.ok() && ParseItems(c, 0, items);
}

}  // namespace pe
