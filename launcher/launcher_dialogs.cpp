#include "launcher/launcher_dialogs.h"

#include <cstring>

#include "common/open_file_dialog.h"
#include "common/text_buffers.h"
#include "core/app_state.h"
#include "launcher/launcher_format.h"
#include "launcher/launcher_icons.h"
#include "launcher/launcher_store.h"
#include "resources/resource_ids.h"

LauncherListRecord WorkingList;
int EntryMode = 0;
int EditIndex = 0;

namespace {

bool ListApplied = false;  // set by apply: the icons are fetched again once the dialog has closed

HINSTANCE InstanceOf(HWND window) { return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)); }

void FillListBox(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_LAUNCHER_LIST);
    while (SendMessageA(list, LB_DELETESTRING, 0, 0) > 0) {
    }
    for (int i = 0; i < WorkingList.Count; ++i)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WorkingList.Entries[i].Path));
}

int SelectedLine(HWND dialog) {
    LRESULT line = SendMessageA(GetDlgItem(dialog, IDC_LAUNCHER_LIST), LB_GETCURSEL, 0, 0);
    return (line == LB_ERR || line < 0 || line >= WorkingList.Count) ? -1 : static_cast<int>(line);
}

// ---------------------------------------------------------------- entry dialog

void BrowseForPath(HWND dialog) {
    static const char kFilter[] = "すべてのファイル(*.*)\0*.*\0";
    char file[kTextSize] = "";
    if (AskOpenFileName(dialog, kFilter, nullptr, file, sizeof file)) SetDlgItemTextA(dialog, IDC_ENTRY_PATH, file);
}

// OK: checks the path, stores the entry in WorkingList and has the settings
// dialog refresh its list. false keeps the entry dialog open.
bool AcceptEntry(HWND dialog) {
    char path[kTextSize] = "";
    GetDlgItemTextA(dialog, IDC_ENTRY_PATH, path, sizeof path);
    switch (CheckLauncherPath(path)) {
    case LauncherPathCheck::TooLong:
        MessageBoxA(dialog, "ファイルの場所が長すぎます。\n登録できるのは100バイトまでです。", kMessageCaption, MB_OK);
        return false;
    case LauncherPathCheck::HasControlSpace:
        MessageBoxA(dialog, "ファイルの場所にタブや改行は使えません。", kMessageCaption, MB_OK);
        return false;
    case LauncherPathCheck::Ok: break;
    }
    const int skip = EntryMode == 2 ? EditIndex : -1;
    if (FindLauncherPath(WorkingList, path, skip, LongPathForm)) {
        MessageBoxA(dialog, "このファイル名は既に登録されています。", kMessageCaption, MB_OK);
        return false;
    }
    char title[kTextSize] = "";
    GetDlgItemTextA(dialog, IDC_ENTRY_TITLE, title, sizeof title);

    int position;
    if (EntryMode == 2) {
        if (EditIndex < 0 || EditIndex >= WorkingList.Count) return true;
        position = EditIndex;
    } else {
        if (WorkingList.Count >= kLauncherCapacity) {
            ShowLauncherFullMessage(dialog);
            return false;
        }
        position = WorkingList.Count++;
    }
    CopyText(WorkingList.Entries[position].Path, kLauncherTextSize, path);
    FillLauncherTitle(WorkingList.Entries[position].Title, title);
    SendMessageA(GetWindow(dialog, GW_OWNER), WM_COMMAND, IDC_ENTRY_OK, 0);
    return true;
}

INT_PTR CALLBACK EntryDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        // The fields hold what a list entry can: 100 bytes each.
        SendMessageA(GetDlgItem(dialog, IDC_ENTRY_PATH), EM_LIMITTEXT, kLauncherTextSize - 1, 0);
        SendMessageA(GetDlgItem(dialog, IDC_ENTRY_TITLE), EM_LIMITTEXT, kLauncherTextSize - 1, 0);
        if (EntryMode == 2 && EditIndex >= 0 && EditIndex < WorkingList.Count) {
            SetWindowTextA(dialog, "登録済みデータの編集");
            SetDlgItemTextA(dialog, IDC_ENTRY_PATH, WorkingList.Entries[EditIndex].Path);
            SetDlgItemTextA(dialog, IDC_ENTRY_TITLE, WorkingList.Entries[EditIndex].Title);
        } else {
            SetWindowTextA(dialog, "新規登録");
        }
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_ENTRY_OK:
            if (AcceptEntry(dialog)) EndDialog(dialog, 0);
            break;
        case IDC_ENTRY_BROWSE: BrowseForPath(dialog); break;
        default: break;  // Esc and the close box end nothing
        }
        return TRUE;
    default: return FALSE;
    }
}

// ---------------------------------------------------------------- settings dialog

void OpenEntryDialog(HWND dialog, int mode) {
    EntryMode = mode;
    DialogBoxParamA(InstanceOf(dialog), MAKEINTRESOURCEA(IDD_LAUNCHER_ENTRY), dialog, EntryDialogProc, 0);
}

void DeleteSelected(HWND dialog) {
    if (MessageBoxA(dialog, "本当に削除してよろしいですか？", kMessageCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    const int p = SelectedLine(dialog);
    if (p < 0) return;
    SendMessageA(GetDlgItem(dialog, IDC_LAUNCHER_LIST), LB_DELETESTRING, static_cast<WPARAM>(p), 0);
    for (int i = p; i + 1 < WorkingList.Count; ++i) WorkingList.Entries[i] = WorkingList.Entries[i + 1];
    --WorkingList.Count;
    std::memset(&WorkingList.Entries[WorkingList.Count], 0, sizeof(LauncherEntry));
}

void Apply(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_LAUNCHER_LIST);
    LRESULT lines = SendMessageA(list, LB_GETCOUNT, 0, 0);
    if (lines < 0) lines = 0;
    if (lines > WorkingList.Count) lines = WorkingList.Count;
    const int count = static_cast<int>(lines);
    for (int i = 0; i < count; ++i) {
        LauncherEntry& entry = LauncherList.Entries[i];
        // The list shows exactly the working paths; a line that would not fit
        // its field keeps the working path instead.
        LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length >= 0 && length < kLauncherTextSize)
            SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry.Path));
        else
            CopyText(entry.Path, sizeof entry.Path, WorkingList.Entries[i].Path);
        CopyText(entry.Title, sizeof entry.Title, WorkingList.Entries[i].Title);
    }
    LauncherList.Count = count;
    // An empty list is written too, so that deleted entries stay deleted.
    SaveLauncherList(dialog);
    ListApplied = true;
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        std::memcpy(&WorkingList, &LauncherList, sizeof WorkingList);
        if (WorkingList.Count < 0) WorkingList.Count = 0;
        if (WorkingList.Count > kLauncherCapacity) WorkingList.Count = kLauncherCapacity;
        FillListBox(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_LAUNCHER_ADD:
            if (WorkingList.Count >= kLauncherCapacity)
                ShowLauncherFullMessage(dialog);
            else
                OpenEntryDialog(dialog, 1);
            break;
        case IDC_LAUNCHER_EDIT: {
            const int p = SelectedLine(dialog);
            if (p >= 0) {
                EditIndex = p;
                OpenEntryDialog(dialog, 2);
            }
            break;
        }
        case IDC_LAUNCHER_DELETE: DeleteSelected(dialog); break;
        case IDC_LAUNCHER_REFRESH: FillListBox(dialog); break;
        case IDC_LAUNCHER_CANCEL: EndDialog(dialog, 0); break;
        case IDC_LAUNCHER_APPLY:
            Apply(dialog);
            EndDialog(dialog, 0);
            break;
        default: break;  // Esc and the close box end nothing
        }
        return TRUE;
    default: return FALSE;
    }
}

}  // namespace

void RunLauncherSettingsDialog(HWND skinWindow) {
    ListApplied = false;
    DialogBoxParamA(InstanceOf(skinWindow), MAKEINTRESOURCEA(IDD_LAUNCHER_SETTINGS), skinWindow, SettingsDialogProc,
                    0);
    if (ListApplied) RefreshLauncherIcons(skinWindow);
}
