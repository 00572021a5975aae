// The layouts of the plug-ins' dialogs, read from the resources of the built
// Tachel.ppi and Moldra.ppi in the installed plugins folder.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "resource_layout.h"

namespace {

using namespace e2e;

// Every control of these dialogs is a visible child.
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

std::string PluginPath(const char* file) { return JoinPath(StagedInstall(), std::string("plugins\\") + file); }

// Whether the module holds the dialog in the Japanese language.
bool JapaneseDialog(const std::string& modulePath, int id) {
    DataModule module(modulePath);
    return module.get() && FindResourceExA(module.get(), reinterpret_cast<LPCSTR>(RT_DIALOG), MAKEINTRESOURCEA(id),
                                           MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)) != nullptr;
}

TEST(PluginLayout, PluginDialogs_LayoutsFromTheirOwnResources) {
    const DWORD button = kChild | 0x0F;  // the low four bits: the button type
    {
        // A caption and modal frame, no system menu (no close box), not centred.
        const DWORD frame = WS_CAPTION | DS_MODALFRAME | WS_POPUP;
        const ExpectedDialog expected = {
            "Quorval Tachel", 111, 9, "ＭＳ Ｐゴシック", 9, frame | WS_SYSMENU | DS_CENTER | DS_CENTERMOUSE, frame,
            {
                // A class given by name is stored in capitals by the resource compiler.
                {1000, "MSCTLS_PROGRESS32", "Progress1", 0, 0, 84, 9, kChild | WS_BORDER, kChild | WS_BORDER},
                {1001, "Button", "x", 84, 0, 27, 9, button | WS_TABSTOP, kChild | WS_TABSTOP | BS_PUSHBUTTON},
            }};
        const DialogLayout d = ExpectDialogLayout(PluginPath("Tachel.ppi"), 101, expected);
        CHECK_MSG(d.x == 0 && d.y == 0, "Tachel's dialog at %d, %d", d.x, d.y);
        CHECK_MSG(JapaneseDialog(PluginPath("Tachel.ppi"), 101), "Tachel's dialog is not in Japanese");
    }
    {
        const DWORD frame = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
        const DWORD label = kChild | SS_TYPEMASK;
        const DWORD edit = kChild | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
        // Plain push buttons only, never a default one: Enter ends nothing.
        const DWORD push = kChild | BS_PUSHBUTTON;
        const ExpectedDialog expected = {
            "■　Quorval Moldra", 235, 201, "ＭＳ Ｐゴシック", 9, frame, frame,
            {
                // The banner's CONTROL line names its class: stored in capitals.
                {-1, "STATIC", "#102", 3, 3, 229, 40, label, kChild | SS_BITMAP},
                {-1, "Static", "スキンの名前", 3, 48, 51, 12, label, kChild | SS_LEFT},
                {1000, "Edit", "", 57, 48, 99, 12, edit, edit},
                {-1, "Static", "Bmpファイル", 3, 66, 51, 12, label, kChild | SS_LEFT},
                {1001, "Edit", "", 57, 66, 123, 12, edit, edit},
                {1002, "Button", "参照", 183, 66, 39, 12, button, push},
                {-1, "Static", "作者名", 3, 87, 51, 12, label, kChild | SS_LEFT},
                {1003, "Edit", "", 57, 87, 99, 12, edit, edit},
                {-1, "Button", "スキンの表示位置", 3, 105, 228, 72, button, kChild | BS_GROUPBOX},
                {-1, "Static", "\n\nスキンの\n表示位置の\n基準", 6, 117, 42, 54, label, kChild | SS_LEFT},
                {1011, "Button", "右上", 51, 117, 75, 21, button, push},
                {-1, "Static", "通常の X 座標", 129, 114, 54, 12, label, kChild | SS_LEFT},
                {1006, "Edit", "", 186, 114, 39, 12, edit, edit},
                {-1, "Static", "通常の Y 座標", 129, 129, 54, 12, label, kChild | SS_LEFT},
                {1007, "Edit", "", 186, 129, 39, 12, edit, edit},
                {-1, "Static", "スキンよりウインドウが小さいときの X 座標", 51, 144, 132, 12, label, kChild | SS_LEFT},
                {1008, "Edit", "", 186, 144, 39, 12, edit, edit},
                {-1, "Static", "スキンよりウインドウが小さいときの Y 座標", 51, 159, 132, 12, label, kChild | SS_LEFT},
                {1009, "Edit", "", 186, 159, 39, 12, edit, edit},
                {1004, "Button", "スキンファイルの作成", 39, 183, 78, 15, button, push},
                {1005, "Button", "キャンセル", 123, 183, 63, 15, button, push},
            }};
        const DialogLayout d = ExpectDialogLayout(PluginPath("Moldra.ppi"), 101, expected);
        CHECK_MSG(d.x == 0 && d.y == 0, "Moldra's dialog at %d, %d", d.x, d.y);
        CHECK_MSG(JapaneseDialog(PluginPath("Moldra.ppi"), 101), "Moldra's dialog is not in Japanese");
        CHECK_MSG(!d.controls.empty() && d.controls[0].textIsOrdinal, "the banner names no bitmap resource");
    }
    // The banner itself: bitmap 102, 400 x 60, 256 colours.
    DataModule moldra(PluginPath("Moldra.ppi"));
    REQUIRE_MSG(moldra.get() != nullptr, "cannot load Moldra.ppi as data");
    const std::string bytes = moldra.Resource(reinterpret_cast<LPCSTR>(RT_BITMAP), MAKEINTRESOURCEA(102));
    BITMAPINFOHEADER header = {};
    if (bytes.size() >= sizeof header) std::memcpy(&header, bytes.data(), sizeof header);
    CHECK_MSG(header.biWidth == 400 && header.biHeight == 60 && header.biBitCount == 8,
              "bitmap 102 is not 400 x 60 at 8 bits a pixel");
}

}  // namespace
