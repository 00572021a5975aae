#include "plugins/skin_maker/skin_maker_dialog.h"

#include <cstdio>
#include <string>

#include "common/open_file_dialog.h"
#include "common/path_ops.h"
#include "common/text_buffers.h"
#include "common/text_scan.h"
#include "plugins/skin_maker/skin_maker_rules.h"
#include "resources/moldra_ids.h"

namespace {

const char kCaption[] = "Moldra";
const char kOpenFailedText[] = "ファイルがオープンできませんでした。";
const char kCloseFailedText[] = "ファイルがクローズできませんでした。\nファイルは削除されます。";
const char kCopyFailedText[] = "ビットマップファイルのコピーに失敗しました。\nお手数ですが、手動でコピーをして下さい。";
const char kDoneText[] = "貴方のスキンは正常に作成・インストールされました。";

// Every start is given the same host path, so one copy serves all open dialogs.
char HostPath[kTextSize];

// The anchor state belongs to each open dialog, kept in its user data.
int AnchorState(HWND dialog) { return static_cast<int>(GetWindowLongPtrA(dialog, DWLP_USER)); }

void SetAnchorState(HWND dialog, int state) {
    SetWindowLongPtrA(dialog, DWLP_USER, state);
    SetDlgItemTextA(dialog, IDC_ANCHOR, AnchorCornerText(state));
}

void Browse(HWND dialog) {
    static const char kFilter[] = "ﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙ(*.bmp)\0*.bmp\0";  // the literal adds the last zero
    char file[kTextSize] = "";
    if (AskOpenFileName(dialog, kFilter, nullptr, file, sizeof file)) SetDlgItemTextA(dialog, IDC_BITMAP_PATH, file);
}

int ReadNumber(HWND dialog, int id) {
    char text[kTextSize];
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return LeadingInt(text);
}

void CreateSkin(HWND dialog) {
    char skinName[kTextSize];
    char bitmapName[kTextSize];
    char author[kTextSize];
    char copySource[kTextSize];
    GetDlgItemTextA(dialog, IDC_SKIN_NAME, skinName, sizeof skinName);
    GetDlgItemTextA(dialog, IDC_BITMAP_PATH, bitmapName, sizeof bitmapName);
    GetDlgItemTextA(dialog, IDC_AUTHOR, author, sizeof author);
    CopyText(copySource, sizeof copySource, bitmapName);
    const int normalX = ReadNumber(dialog, IDC_NORMAL_X);
    const int normalY = ReadNumber(dialog, IDC_NORMAL_Y);
    const int smallX = ReadNumber(dialog, IDC_SMALL_X);
    const int smallY = ReadNumber(dialog, IDC_SMALL_Y);
    TailAfterLast(bitmapName, '\\');

    char skinFolder[kTextSize];
    char definitionPath[kTextSize];
    char bitmapTarget[kTextSize];
    // A definition path that does not fit cannot be opened either: the same
    // message. A bitmap path that does not fit is a failed copy, after the
    // definition has been written.
    const SkinPathsFit fits =
        BuildSkinPaths(HostPath, skinName, bitmapName, skinFolder, definitionPath, bitmapTarget, kTextSize);
    const std::string line = FormatSkinText(
        NewSkinDefinition(bitmapName, AnchorState(dialog), normalX, normalY, smallX, smallY, author));
    FILE* file = fits.definition ? std::fopen(definitionPath, "wb") : nullptr;
    if (!file) {
        MessageBoxA(dialog, kOpenFailedText, kCaption, MB_OK);
        return;
    }
    const bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
    if (std::fclose(file) != 0 || !written) {
        MessageBoxA(dialog, kCloseFailedText, kCaption, MB_OK);
        DeleteFileA(definitionPath);
        return;
    }
    if (!fits.bitmap || !CopyFileA(copySource, bitmapTarget, FALSE))
        MessageBoxA(dialog, kCopyFailedText, kCaption, MB_OK);
    MessageBoxA(dialog, kDoneText, kCaption, MB_OK);
    EndDialog(dialog, 0);
}

}  // namespace

void KeepHostPath(const char* hostPath) { CopyText(HostPath, sizeof HostPath, hostPath ? hostPath : ""); }

INT_PTR CALLBACK SkinMakerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: SetAnchorState(dialog, 2); return TRUE;
    case WM_COMMAND:
        // Esc and the close box give IDCANCEL and Enter gives IDOK: none of them
        // ends the dialog, only its own buttons do.
        switch (LOWORD(wParam)) {
        case IDC_ANCHOR: SetAnchorState(dialog, NextAnchorState(AnchorState(dialog))); break;
        case IDC_BROWSE: Browse(dialog); break;
        case IDC_CREATE: CreateSkin(dialog); break;
        case IDC_CANCEL_MAKER: EndDialog(dialog, 0); break;
        default: break;
        }
        return TRUE;
    default: return FALSE;
    }
}
