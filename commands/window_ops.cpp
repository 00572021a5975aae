#include "commands/window_ops.h"

#include <shellapi.h>

#include "commands/sweep_rules.h"
#include "core/app_state.h"
#include "core/tracking.h"
#include "resources/resource_ids.h"

namespace {

SweepMode CurrentSweepMode = SweepMode::Minimize;
int MoveDirection = 0;

NOTIFYICONDATAA TrayRecord;
bool TrayIconShown = false;

// Every window hidden by a store while the icon shows. A second store (the
// hotkeys and the main menu still work while the skin window is hidden) hides
// another target; each one must come back with the icon, not only the last.
constexpr int kMaxStored = 64;
HWND StoredWindows[kMaxStored];
int StoredCount = 0;

char NewTitle[256];

BOOL CALLBACK SweepCallback(HWND w, LPARAM) {
    char title[128], className[128];
    title[0] = className[0] = '\0';
    GetWindowTextA(w, title, sizeof title);
    GetClassNameA(w, className, sizeof className);
    if (!SweepQualifies(IsWindowVisible(w) != FALSE, GetWindow(w, GW_OWNER) != nullptr, title, className))
        return TRUE;
    switch (CurrentSweepMode) {
    case SweepMode::Minimize: ShowWindow(w, SW_MINIMIZE); break;
    case SweepMode::Close: PostMessageA(w, WM_CLOSE, 0, 0); break;
    case SweepMode::Move: {
        RECT r;
        GetWindowRect(w, &r);
        SweepRect moved = MovedBy100({r.left, r.top, r.right, r.bottom}, MoveDirection);
        MoveWindow(w, moved.left, moved.top, r.right - r.left, r.bottom - r.top, TRUE);
        break;
    }
    }
    return TRUE;
}

void Sweep(SweepMode mode) {
    CurrentSweepMode = mode;
    EnumWindows(SweepCallback, 0);
}

HWND FindTarget() { return FindWindowA(TargetWindow.ClassName, TargetWindow.Title); }

INT_PTR CALLBACK RenameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: SetDlgItemTextA(dialog, IDC_RENAME_CURRENT, TargetWindow.Title); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_RENAME_OK:
            GetWindowTextA(GetDlgItem(dialog, IDC_RENAME_NEW), NewTitle, sizeof NewTitle);
            EndDialog(dialog, 0);
            SendMessageA(GetParent(dialog), WM_COMMAND, wParam, 0);
            break;
        case IDC_RENAME_CANCEL:
            EndDialog(dialog, 0);
            SendMessageA(GetParent(dialog), WM_COMMAND, wParam, 0);
            break;
        default: break;  // Enter, Esc and the close box end nothing
        }
        return TRUE;
    default: return FALSE;
    }
}

}  // namespace

void MinimizeAllWindows() { Sweep(SweepMode::Minimize); }
void CloseAllWindows() { Sweep(SweepMode::Close); }

void MoveAllWindows(int direction) {
    MoveDirection = direction;
    Sweep(SweepMode::Move);
}

void ShowTarget(int showCommand) { ShowWindow(FindTarget(), showCommand); }
void CloseTarget() { PostMessageA(FindTarget(), WM_CLOSE, 0, 0); }

void StoreTargetInTray(HWND skinWindow) {
    if (!TrayIconShown) {
        ZeroMemory(&TrayRecord, sizeof TrayRecord);
        TrayRecord.cbSize = NOTIFYICONDATAA_V1_SIZE;
        TrayRecord.hWnd = skinWindow;
        TrayRecord.uID = kTrayIconId;
        TrayRecord.uFlags = NIF_ICON | NIF_MESSAGE;
        TrayRecord.uCallbackMessage = kTrayCallbackMessage;
        TrayRecord.hIcon = TrayIcon;
        Shell_NotifyIconA(NIM_ADD, &TrayRecord);
        TrayIconShown = true;
    }
    ShowWindow(skinWindow, SW_HIDE);
    HWND target = FindTarget();
    ShowWindow(target, SW_HIDE);
    bool known = false;
    for (int i = 0; i < StoredCount; ++i) known = known || StoredWindows[i] == target;
    if (target && !known && StoredCount < kMaxStored) StoredWindows[StoredCount++] = target;
    StopTracking(skinWindow);
}

LRESULT OnTrayCallback(HWND skinWindow, WPARAM wParam, LPARAM lParam) {
    if (wParam != kTrayIconId || lParam != WM_LBUTTONDOWN) return 0;
    ShowWindow(skinWindow, SW_SHOW);
    for (int i = 0; i < StoredCount; ++i) ShowWindow(StoredWindows[i], SW_SHOW);
    StoredCount = 0;
    Shell_NotifyIconA(NIM_DELETE, &TrayRecord);
    TrayIconShown = false;
    StartTracking(skinWindow);
    return 0;
}

void RunRenameDialog(HWND skinWindow) {
    StopTracking(skinWindow);
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(skinWindow, GWLP_HINSTANCE));
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_RENAME), skinWindow, RenameDialogProc, 0);
}

void ApplyNewTitle(HWND skinWindow) {
    StartTracking(skinWindow);
    SetWindowTextA(FindTarget(), NewTitle);
}
