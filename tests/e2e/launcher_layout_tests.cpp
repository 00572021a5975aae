// The launcher settings dialog (128) and its entry dialog (129) as built into
// Pelto.exe, read from its own resources and compared with their tables.
#include <windows.h>

#include <string>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "resource_layout.h"

namespace {

using namespace e2e;

std::string PeltoPath() { return JoinPath(StagedInstall(), "Pelto.exe"); }

// A modal frame with title bar and system menu, placed at the template's
// position rather than centred.
const DWORD kFrameMask = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER;
const DWORD kFrame = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
// The low four bits are the button type: plain push buttons, never the default
// one, so that Enter ends nothing.
const DWORD kButtonType = 0x0F;

void CheckAtOrigin(const DialogLayout& dialog, int id) {
    CHECK_MSG(dialog.x == 0 && dialog.y == 0, "dialog %d at (%d, %d), expected (0, 0)", id, dialog.x, dialog.y);
}

TEST(LauncherLayout, Layout_LauncherSettingsDialogMatchesItsTable) {
    const DWORD listMask = LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER;
    const DWORD list = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER;  // unsorted
    const ExpectedDialog expected = {
        "ランチャの設定", 261, 121, "ＭＳ Ｐゴシック", 9, kFrameMask, kFrame,
        {
            {1013, "ListBox", "", 9, 12, 165, 99, listMask, list},
            {-1, "Button", "登録されたファイル", 3, 0, 177, 117, kButtonType, BS_GROUPBOX},
            {1014, "Button", "追加(&A)", 189, 3, 66, 15, kButtonType, BS_PUSHBUTTON},
            {1015, "Button", "削除(&D)", 189, 21, 66, 15, kButtonType, BS_PUSHBUTTON},
            {1016, "Button", "編集(&E)", 189, 39, 66, 15, kButtonType, BS_PUSHBUTTON},
            {1019, "Button", "変更を適応(&U)", 189, 84, 66, 15, kButtonType, BS_PUSHBUTTON},
            {1018, "Button", "キャンセル(&C)", 189, 102, 66, 15, kButtonType, BS_PUSHBUTTON},
        }};
    const DialogLayout dialog = ExpectDialogLayout(PeltoPath(), 128, expected);
    CheckAtOrigin(dialog, 128);
    // Command 1017 is the entry dialog's refresh request: no control has that id.
    for (const DialogControl& c : dialog.controls) CHECK_MSG(c.id != 1017, "dialog 128 has a control 1017");
}

TEST(LauncherLayout, Layout_LauncherEntryDialogMatchesItsTable) {
    const DWORD editMask = ES_AUTOHSCROLL | ES_MULTILINE;
    const DWORD label = SS_TYPEMASK;
    const ExpectedDialog expected = {
        "新規登録 or 登録済みデータの編集", 215, 93, "ＭＳ Ｐゴシック", 9, kFrameMask, kFrame,
        {
            {-1, "Static", "対象のファイルのある場所", 6, 6, 90, 12, label, SS_LEFT},
            {1015, "Edit", "", 6, 21, 165, 12, editMask, ES_AUTOHSCROLL},
            {1018, "Button", "参照", 174, 21, 36, 12, kButtonType, BS_PUSHBUTTON},
            {-1, "Static", "ファイルのタイトル", 6, 36, 90, 12, label, SS_LEFT},
            {1016, "Edit", "", 6, 51, 165, 12, editMask, ES_AUTOHSCROLL},
            {1017, "Button", "&OK", 75, 75, 66, 15, kButtonType, BS_PUSHBUTTON},
        }};
    CheckAtOrigin(ExpectDialogLayout(PeltoPath(), 129, expected), 129);
}

}  // namespace
