#include "core/hotkeys.h"

#include "commands/window_ops.h"
#include "core/app_state.h"
#include "resources/resource_ids.h"

namespace {

struct HotkeyRow {
    int id;
    UINT modifiers;
    UINT key;
    const char* failure;
};

const HotkeyRow kHotkeys[] = {
    {20, MOD_CONTROL | MOD_SHIFT, 'Z', "ホットキーの設定に失敗しました。\n失敗したホットキー：ランチャ一覧表示"},
    {21, MOD_CONTROL | MOD_SHIFT, 'X', "ホットキーの設定に失敗しました。\n失敗したホットキー：プラグイン一覧表示"},
    {22, MOD_CONTROL | MOD_SHIFT, 'A', "ホットキーの設定に失敗しました。\n失敗したホットキー：メインメニュー表示"},
    {23, MOD_SHIFT, VK_RETURN, "ホットキーの設定に失敗しました。\n失敗したホットキー：寄生のON / OFF"},
    {24, MOD_CONTROL | MOD_SHIFT, VK_UP, "ホットキーの設定に失敗しました。\n失敗したホットキー：全ウインドウを㊤"},
    {25, MOD_CONTROL | MOD_SHIFT, VK_DOWN, "ホットキーの設定に失敗しました。\n失敗したホットキー：全ウインドウを㊦"},
    {26, MOD_CONTROL | MOD_SHIFT, VK_LEFT, "ホットキーの設定に失敗しました。\n失敗したホットキー：全ウインドウを㊧"},
    {27, MOD_CONTROL | MOD_SHIFT, VK_RIGHT, "ホットキーの設定に失敗しました。\n失敗したホットキー：全ウインドウを㊨"},
};

}  // namespace

void RegisterSkinHotkeys(HWND skinWindow) {
    for (const HotkeyRow& row : kHotkeys)
        if (!RegisterHotKey(skinWindow, row.id, row.modifiers, row.key))
            MessageBoxA(skinWindow, row.failure, kMessageCaption, MB_OK);
}

void UnregisterSkinHotkeys(HWND skinWindow) {
    for (int id = kFirstHotkeyId; id <= kLastHotkeyId; ++id) UnregisterHotKey(skinWindow, id);
}

LRESULT OnSkinHotkey(HWND skinWindow, WPARAM wParam) {
    const int id = LOWORD(wParam);
    switch (id) {
    case 20:
        SetForegroundWindow(skinWindow);
        SendMessageA(skinWindow, WM_COMMAND, IDM_LAUNCHER_LIST, 0);
        break;
    case 21:
        SetForegroundWindow(skinWindow);
        SendMessageA(skinWindow, WM_COMMAND, IDM_PLUGIN_LIST, 0);
        break;
    case 22:
        // As if the skin window had been clicked: tracking restarts, menu opens.
        SetForegroundWindow(skinWindow);
        SendMessageA(skinWindow, WM_LBUTTONUP, 0, 0);
        break;
    case 23: SendMessageA(skinWindow, WM_COMMAND, IDM_ATTACH_TOGGLE, 0); break;
    case 24:
    case 25:
    case 26:
    case 27: MoveAllWindows(id); break;
    default: break;
    }
    return 0;
}
