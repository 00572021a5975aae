// The layouts of the plug-ins' dialogs, read from the resources of the built
// Tachel.ppi and Moldra.ppi in the installed plugins folder.
#include <windows.h>

#include <string>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "plugin_support.h"

namespace {

using namespace e2e;

constexpr WORD kButton = 0x80, kEdit = 0x81, kStatic = 0x82;
constexpr WORD kNoId = 0xFFFF;

struct ExpectedItem {
    WORD id;
    WORD classAtom;          // 0 for a named class
    const char* className;   // for a named class
    const char* text;        // null for a picture
    short x, y, cx, cy;
    DWORD styleBits;         // bits that must be set
    DWORD styleMask;         // bits compared with styleBits (the control type)
};

void CheckLayout(const DialogLayout& layout, const char* what, const std::vector<ExpectedItem>& expected) {
    CHECK_MSG(layout.items.size() == expected.size(), "%s has %d controls, expected %d", what,
              static_cast<int>(layout.items.size()), static_cast<int>(expected.size()));
    for (std::size_t i = 0; i < layout.items.size() && i < expected.size(); ++i) {
        const DialogItemLayout& a = layout.items[i];
        const ExpectedItem& e = expected[i];
        const std::string where = Format("%s control %d (id %u)", what, static_cast<int>(i), e.id);
        CHECK_MSG(a.id == e.id, "%s: id %u", where.c_str(), a.id);
        // A predefined class may be named instead of given by its atom.
        static const char* const kPredefined[] = {"Button", "Edit", "Static"};
        const bool named = e.classAtom >= kButton && e.classAtom <= kStatic && a.classAtom == 0 &&
                           lstrcmpiA(a.className.c_str(), kPredefined[e.classAtom - kButton]) == 0;
        CHECK_MSG(a.classAtom == e.classAtom || named, "%s: class atom 0x%X \"%s\"", where.c_str(), a.classAtom,
                  a.className.c_str());
        if (e.className) CHECK_MSG(lstrcmpiA(a.className.c_str(), e.className) == 0, "%s: class \"%s\"", where.c_str(), a.className.c_str());
        if (e.text) {
            CHECK_MSG(a.text == e.text, "%s: text \"%s\", expected \"%s\"", where.c_str(), Printable(a.text).c_str(),
                      Printable(e.text).c_str());
        }
        CHECK_MSG(a.x == e.x && a.y == e.y && a.cx == e.cx && a.cy == e.cy, "%s: at %d, %d, %d, %d, expected %d, %d, %d, %d",
                  where.c_str(), a.x, a.y, a.cx, a.cy, e.x, e.y, e.cx, e.cy);
        CHECK_MSG((a.style & e.styleMask) == e.styleBits, "%s: styles 0x%08lX", where.c_str(),
                  static_cast<unsigned long>(a.style));
        CHECK_MSG((a.style & (WS_CHILD | WS_VISIBLE)) == (WS_CHILD | WS_VISIBLE), "%s: not a visible child",
                  where.c_str());
    }
}

E2E_TEST(PluginDialogs_LayoutsFromTheirOwnResources) {
    const DWORD buttonType = 0x0F;  // BS_TYPEMASK
    {
        DialogLayout d = ReadDialogLayout(JoinPath(StagedInstall(), "plugins\\Tachel.ppi"), 101);
        REQUIRE_MSG(d.ok, "no dialog 101 in Tachel.ppi");
        CHECK_EQ_STR(d.caption, "Quorval Tachel");
        CHECK_MSG(d.x == 0 && d.y == 0 && d.cx == 111 && d.cy == 9, "Tachel's dialog at %d, %d, %d, %d", d.x, d.y, d.cx,
                  d.cy);
        CHECK_MSG(d.pointSize == 9, "Tachel's font is %u points", d.pointSize);
        CHECK_EQ_STR(d.font, "ＭＳ Ｐゴシック");
        CHECK_MSG(PRIMARYLANGID(d.language) == LANG_JAPANESE, "Tachel's dialog language 0x%04X", d.language);
        CHECK_MSG((d.style & (WS_CAPTION | DS_MODALFRAME | WS_POPUP)) == (WS_CAPTION | DS_MODALFRAME | WS_POPUP) &&
                      !(d.style & WS_SYSMENU),
                  "Tachel's dialog styles 0x%08lX: caption and modal frame, no system menu",
                  static_cast<unsigned long>(d.style));
        CHECK_MSG(!(d.style & (DS_CENTER | DS_CENTERMOUSE)), "Tachel's dialog is centred, not at (0, 0)");
        CheckLayout(d, "Tachel", {
            {1000, 0, "msctls_progress32", "Progress1", 0, 0, 84, 9, WS_BORDER, WS_BORDER},
            {1001, kButton, nullptr, "x", 84, 0, 27, 9, WS_TABSTOP | BS_PUSHBUTTON, WS_TABSTOP | buttonType},
        });
    }
    {
        DialogLayout d = ReadDialogLayout(JoinPath(StagedInstall(), "plugins\\Moldra.ppi"), 101);
        REQUIRE_MSG(d.ok, "no dialog 101 in Moldra.ppi");
        CHECK_EQ_STR(d.caption, "■　Quorval Moldra");
        CHECK_MSG(d.x == 0 && d.y == 0 && d.cx == 235 && d.cy == 201, "Moldra's dialog at %d, %d, %d, %d", d.x, d.y,
                  d.cx, d.cy);
        CHECK_MSG(d.pointSize == 9, "Moldra's font is %u points", d.pointSize);
        CHECK_EQ_STR(d.font, "ＭＳ Ｐゴシック");
        CHECK_MSG(PRIMARYLANGID(d.language) == LANG_JAPANESE, "Moldra's dialog language 0x%04X", d.language);
        CHECK_MSG((d.style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX)) == (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
                  "Moldra's dialog styles 0x%08lX: system menu and minimize box expected",
                  static_cast<unsigned long>(d.style));
        const DWORD typeMask = SS_TYPEMASK;
        const DWORD editStyles = WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
        CheckLayout(d, "Moldra", {
            {kNoId, kStatic, nullptr, nullptr, 3, 3, 229, 40, SS_BITMAP, typeMask},
            {kNoId, kStatic, nullptr, "スキンの名前", 3, 48, 51, 12, SS_LEFT, typeMask},
            {1000, kEdit, nullptr, "", 57, 48, 99, 12, editStyles, editStyles},
            {kNoId, kStatic, nullptr, "Bmpファイル", 3, 66, 51, 12, SS_LEFT, typeMask},
            {1001, kEdit, nullptr, "", 57, 66, 123, 12, editStyles, editStyles},
            {1002, kButton, nullptr, "参照", 183, 66, 39, 12, BS_PUSHBUTTON, buttonType},
            {kNoId, kStatic, nullptr, "作者名", 3, 87, 51, 12, SS_LEFT, typeMask},
            {1003, kEdit, nullptr, "", 57, 87, 99, 12, editStyles, editStyles},
            {kNoId, kButton, nullptr, "スキンの表示位置", 3, 105, 228, 72, BS_GROUPBOX, buttonType},
            {kNoId, kStatic, nullptr, "\n\nスキンの\n表示位置の\n基準", 6, 117, 42, 54, SS_LEFT, typeMask},
            {1011, kButton, nullptr, "右上", 51, 117, 75, 21, BS_PUSHBUTTON, buttonType},
            {kNoId, kStatic, nullptr, "通常の X 座標", 129, 114, 54, 12, SS_LEFT, typeMask},
            {1006, kEdit, nullptr, "", 186, 114, 39, 12, editStyles, editStyles},
            {kNoId, kStatic, nullptr, "通常の Y 座標", 129, 129, 54, 12, SS_LEFT, typeMask},
            {1007, kEdit, nullptr, "", 186, 129, 39, 12, editStyles, editStyles},
            {kNoId, kStatic, nullptr, "スキンよりウインドウが小さいときの X 座標", 51, 144, 132, 12, SS_LEFT, typeMask},
            {1008, kEdit, nullptr, "", 186, 144, 39, 12, editStyles, editStyles},
            {kNoId, kStatic, nullptr, "スキンよりウインドウが小さいときの Y 座標", 51, 159, 132, 12, SS_LEFT, typeMask},
            {1009, kEdit, nullptr, "", 186, 159, 39, 12, editStyles, editStyles},
            {1004, kButton, nullptr, "スキンファイルの作成", 39, 183, 78, 15, BS_PUSHBUTTON, buttonType},
            {1005, kButton, nullptr, "キャンセル", 123, 183, 63, 15, BS_PUSHBUTTON, buttonType},
        });
        // No default push button: Enter ends nothing.
        for (const DialogItemLayout& item : d.items)
            CHECK_MSG(!(item.classAtom == kButton && (item.style & buttonType) == BS_DEFPUSHBUTTON),
                      "control %u is a default push button", item.id);
        CHECK_MSG(!d.items.empty() && d.items[0].textOrdinal == 102, "the banner shows resource %d, expected 102",
                  d.items.empty() ? -1 : d.items[0].textOrdinal);
    }
    // The banner itself: bitmap 102, 400 x 60, 256 colours.
    HMODULE moldra = LoadLibraryExA(JoinPath(StagedInstall(), "plugins\\Moldra.ppi").c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE);
    REQUIRE_MSG(moldra != nullptr, "cannot load Moldra.ppi as data");
    HRSRC found = FindResourceA(moldra, MAKEINTRESOURCEA(102), reinterpret_cast<LPCSTR>(RT_BITMAP));
    const BITMAPINFOHEADER* header =
        found ? static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(moldra, found))) : nullptr;
    CHECK_MSG(header && header->biWidth == 400 && header->biHeight == 60 && header->biBitCount == 8,
              "bitmap 102 is not 400 x 60 at 8 bits a pixel");
    FreeLibrary(moldra);
}

}  // namespace
