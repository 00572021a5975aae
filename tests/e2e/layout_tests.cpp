// The main menu and the rename dialog as built into Pelto.exe, read from its own
// resources and compared with the tables the program must show.
#include <windows.h>

#include <string>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "resource_layout.h"

namespace {

using namespace e2e;

std::string PeltoPath() { return JoinPath(StagedInstall(), "Pelto.exe"); }

TEST(Layout, Layout_MainMenuHoldsEveryItemInOrder) {
    MenuLayout menu;
    std::string error;
    REQUIRE_MSG(LoadMenuLayout(PeltoPath(), 119, &menu, &error), "menu 119: %s", error.c_str());
    REQUIRE_MSG(menu.items.size() == 1 && menu.items[0].popup, "menu 119 holds %u top items, expected one pop-up",
                static_cast<unsigned>(menu.items.size()));
    MenuLayout shown;
    shown.items = menu.items[0].items;
    const std::vector<ExpectedMenuItem> expected = {
        {0, "■　Windows", 0, false, true},
        {1, "■　終了", 40024, false, false},
        {1, "■　再起動", 40025, false, false},
        {1, "", 0, true, false},
        {1, "■　ログオフ", 40026, false, false},
        {0, "■　全てのウインドウ", 0, false, true},
        {1, "■　最小化", 40030, false, false},
        {1, "■　終了", 40031, false, false},
        {0, "■　アクティブウインドウ", 0, false, true},
        {1, "■　システムトレイに格納", 40032, false, false},
        {1, "", 0, true, false},
        {1, "■　最大化", 40033, false, false},
        {1, "■　最小化", 40034, false, false},
        {1, "■　終了", 40035, false, false},
        {1, "", 0, true, false},
        {1, "■　名前の変更", 40036, false, false},
        {0, "■　コントロール パネル", 0, false, true},
        {1, "■　システム", 40054, false, false},
        {1, "■　アプリケーションの追加と削除", 40051, false, false},
        {1, "■　画面", 40059, false, false},
        {1, "■　マルチメディア", 40056, false, false},
        {1, "■　マウス", 40055, false, false},
        {0, "■　ランチャ", 0, false, true},
        {1, "■　一覧表示", 40061, false, false},
        {1, "■　このウインドウを追加", 40060, false, false},
        {1, "■　ランチャの設定", 40062, false, false},
        {0, "■　壁紙変更", 40041, false, false},
        {0, "■　寄生 ON/OFF", 40023, false, false},
        {0, "", 0, true, false},
        {0, "■　プラグイン", 40063, false, false},
        {0, "", 0, true, false},
        {0, "■　Peltoメニュー", 0, false, true},
        {1, "■　プラグイン情報を更新", 40064, false, false},
        {1, "", 0, true, false},
        {1, "■　Peltoについて", 40038, false, false},
        {1, "■　設定", 40039, false, false},
        {1, "", 0, true, false},
        {1, "■　閉じる", 40040, false, false},
    };
    std::string differences = CompareMenuLayout(shown, expected);
    CHECK_MSG(differences.empty(), "menu 119 differs: %s", differences.c_str());

    // No item is checked or greyed.
    std::vector<const MenuItemLayout*> pending;
    for (const MenuItemLayout& item : shown.items) pending.push_back(&item);
    while (!pending.empty()) {
        const MenuItemLayout* item = pending.back();
        pending.pop_back();
        unsigned marks = menu.extended ? (item->state & (MFS_CHECKED | MFS_GRAYED))
                                       : (item->flags & (MF_CHECKED | MF_GRAYED | MF_DISABLED));
        CHECK_MSG(marks == 0, "item %d \"%s\" is checked or greyed (0x%X)", item->id, Printable(item->text).c_str(),
                  marks);
        for (const MenuItemLayout& child : item->items) pending.push_back(&child);
    }
}

TEST(Layout, Layout_RenameDialogMatchesItsTable) {
    const DWORD frame = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD label = SS_TYPEMASK | SS_SUNKEN;
    const DWORD edit = ES_READONLY | ES_AUTOHSCROLL | ES_MULTILINE;
    // The low four bits are the button type: a plain push button, never the
    // default one, so that Enter ends nothing.
    const DWORD button = 0x0F;
    const ExpectedDialog expected = {
        "■　アクティブウインドウの名前の変更", 187, 73, "ＭＳ Ｐゴシック", 9, frame, frame,
        {
            {-1, "Static", "元の名前", 3, 6, 45, 12, label, SS_CENTER | SS_SUNKEN},
            {1002, "Edit", "", 51, 6, 132, 12, edit, ES_READONLY | ES_AUTOHSCROLL},
            {-1, "Static", "新しいの名前", 3, 27, 45, 12, label, SS_CENTER | SS_SUNKEN},
            {1003, "Edit", "", 51, 27, 132, 12, edit, ES_AUTOHSCROLL},
            {1001, "Button", "&OK", 75, 51, 51, 15, button, BS_PUSHBUTTON},
            {1005, "Button", "ｷｬﾝｾﾙ(&C)", 132, 51, 51, 15, button, BS_PUSHBUTTON},
        }};
    ExpectDialogLayout(PeltoPath(), 120, expected);
}

}  // namespace
