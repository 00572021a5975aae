#include "core/hotkeys.h"

#include <string>

#include "commands/window_ops.h"
#include "common/text_file.h"
#include "core/app_state.h"
#include "core/hotkey_file.h"
#include "resources/resource_ids.h"

namespace {

enum class HotkeyAction { LauncherPopup, PluginPopup, MainMenu, AttachToggle, MoveAll };

// One row a hotkey, in the order of the hotkey file's names: its id, its own
// keys, what it does, and what the user is told when another program holds the
// keys already.
struct HotkeyRow {
    int id;
    UINT modifiers;
    UINT key;
    HotkeyAction action;
    const char* failure;
};

const HotkeyRow kHotkeys[] = {
    {kHotkeyLauncherPopup, MOD_CONTROL | MOD_SHIFT, 'Z', HotkeyAction::LauncherPopup,
     "ホットキーの設定に失敗しました。\n失敗したホットキー：ランチャ一覧表示"},
    {kHotkeyPluginPopup, MOD_CONTROL | MOD_SHIFT, 'X', HotkeyAction::PluginPopup,
     "ホットキーの設定に失敗しました。\n失敗したホットキー：プラグイン一覧表示"},
    {kHotkeyMainMenu, MOD_CONTROL | MOD_SHIFT, 'A', HotkeyAction::MainMenu,
     "ホットキーの設定に失敗しました。\n失敗したホットキー：メインメニュー表示"},
    {kHotkeyAttachToggle, MOD_SHIFT, VK_RETURN, HotkeyAction::AttachToggle,
     "ホットキーの設定に失敗しました。\n失敗したホットキー：寄生のON / OFF"},
    {kHotkeyMoveUp, MOD_CONTROL | MOD_SHIFT, VK_UP, HotkeyAction::MoveAll,
     "ホットキーの設定に失敗しました。\n失敗したホットキー：全ウインドウを㊤"},
    {kHotkeyMoveDown, MOD_CONTROL | MOD_SHIFT, VK_DOWN, HotkeyAction::MoveAll,
     "ホットキーの設定に失敗しました。\n失敗したホットキー：全ウインドウを㊦"},
    {kHotkeyMoveLeft, MOD_CONTROL | MOD_SHIFT, VK_LEFT, HotkeyAction::MoveAll,
     "ホットキーの設定に失敗しました。\n失敗したホットキー：全ウインドウを㊧"},
    {kHotkeyMoveRight, MOD_CONTROL | MOD_SHIFT, VK_RIGHT, HotkeyAction::MoveAll,
     "ホットキーの設定に失敗しました。\n失敗したホットキー：全ウインドウを㊨"},
};

static_assert(sizeof kHotkeys / sizeof kHotkeys[0] == kHotkeyCount, "a name in the hotkey file for each hotkey");
static_assert(MOD_ALT == kHotkeyAlt && MOD_CONTROL == kHotkeyControl && MOD_SHIFT == kHotkeyShift &&
                  MOD_WIN == kHotkeyWin,
              "the hotkey file's modifiers are RegisterHotKey's");

static_assert(kHotkeyMoveUp == kSweepUp && kHotkeyMoveDown == kSweepDown && kHotkeyMoveLeft == kSweepLeft &&
                  kHotkeyMoveRight == kSweepRight,
              "a move hotkey's id is its sweep direction");

const HotkeyRow* FindHotkey(int id) {
    for (const HotkeyRow& row : kHotkeys)
        if (row.id == id) return &row;
    return nullptr;
}

// The user's choices from the hotkey file; every hotkey keeps its own keys
// when there is none.
void ReadHotkeyFile(HotkeyFileResult* file) {
    char path[kTextSize];
    std::string text;
    if (JoinText(path, sizeof path, ProgramDir, kHotkeyFileName)) ReadTextFile(path, &text);
    ParseHotkeyFile(text.data(), text.size(), file);
}

}  // namespace

void RegisterSkinHotkeys(HWND skinWindow) {
    HotkeyFileResult file;
    ReadHotkeyFile(&file);
    if (file.BadLines > 0) MessageBoxA(skinWindow, HotkeyFileMessage(file).c_str(), kMessageCaption, MB_OK);
    for (int i = 0; i < kHotkeyCount; ++i) {
        const HotkeyRow& row = kHotkeys[i];
        const HotkeyChoiceRow& choice = file.Hotkeys[i];
        if (choice.Choice == HotkeyChoice::Off) continue;
        const bool own = choice.Choice == HotkeyChoice::Default;
        if (!RegisterHotKey(skinWindow, row.id, own ? row.modifiers : choice.Modifiers, own ? row.key : choice.Key))
            MessageBoxA(skinWindow, row.failure, kMessageCaption, MB_OK);
    }
}

void UnregisterSkinHotkeys(HWND skinWindow) {
    for (int id = kFirstHotkeyId; id <= kLastHotkeyId; ++id) UnregisterHotKey(skinWindow, id);
}

LRESULT OnSkinHotkey(HWND skinWindow, WPARAM wParam) {
    const HotkeyRow* row = FindHotkey(LOWORD(wParam));
    if (!row) return 0;
    switch (row->action) {
    case HotkeyAction::LauncherPopup:
        SetForegroundWindow(skinWindow);
        SendMessageA(skinWindow, WM_COMMAND, IDM_LAUNCHER_LIST, 0);
        break;
    case HotkeyAction::PluginPopup:
        SetForegroundWindow(skinWindow);
        SendMessageA(skinWindow, WM_COMMAND, IDM_PLUGIN_LIST, 0);
        break;
    case HotkeyAction::MainMenu:
        // As if the skin window had been clicked: tracking restarts, menu opens.
        SetForegroundWindow(skinWindow);
        SendMessageA(skinWindow, WM_LBUTTONUP, 0, 0);
        break;
    case HotkeyAction::AttachToggle: SendMessageA(skinWindow, WM_COMMAND, IDM_ATTACH_TOGGLE, 0); break;
    case HotkeyAction::MoveAll: MoveAllWindows(row->id); break;
    }
    return 0;
}
