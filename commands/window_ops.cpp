#include "commands/window_ops.h"

#include <shellapi.h>

#include <cstring>

#include "commands/stored_record.h"
#include "commands/stored_windows.h"
#include "commands/sweep_rules.h"
#include "common/library_lookup.h"
#include "core/app_state.h"
#include "core/pointer_input.h"
#include "core/tracking.h"
#include "resources/resource_ids.h"

namespace {

SweepMode CurrentSweepMode = SweepMode::Minimize;
int MoveDirection = 0;

// The compositor's answer whether a window is cloaked (Windows 8 and later;
// DWMWA_CLOAKED, which the Windows 2000 headers do not have). Looked up in
// dwmapi.dll for each sweep: Windows 98 and 2000 have no such library.
using DwmGetWindowAttributeFunction = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
constexpr DWORD kDwmCloakedAttribute = 14;
DwmGetWindowAttributeFunction SweepCloakQuery = nullptr;

bool IsCloaked(HWND w) {
    if (!SweepCloakQuery) return false;
    DWORD cloaked = 0;
    return SUCCEEDED(SweepCloakQuery(w, kDwmCloakedAttribute, &cloaked, sizeof cloaked)) && cloaked != 0;
}

NOTIFYICONDATAA TrayRecord;
bool TrayIconShown = false;
UINT TaskbarCreatedMessage = 0;

// Every window hidden by a store while the icon shows. A second store (the
// hotkeys and the main menu still work while the skin window is hidden) hides
// another target; each one must come back with the icon, not only the last.
StoredWindowTable StoredWindows;

const char kTrayAddFailed[] = "通知領域にアイコンを追加できませんでした。\nウインドウは格納しません。";
const char kTrayReAddFailed[] =
    "通知領域にアイコンを戻せませんでした。\n格納していたウインドウを元に戻します。";
const char kStoreTableFull[] = "これ以上ウインドウを格納できません。";

char NewTitle[256];

BOOL CALLBACK SweepCallback(HWND w, LPARAM) {
    char title[128], className[128];
    title[0] = className[0] = '\0';
    GetWindowTextA(w, title, sizeof title);
    GetClassNameA(w, className, sizeof className);
    if (!SweepQualifies(IsWindowVisible(w) != FALSE, IsCloaked(w), GetWindow(w, GW_OWNER) != nullptr, title,
                        className))
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
    HMODULE dwm = LoadSystemLibrary("DWMAPI.DLL");
    SweepCloakQuery = LibraryFunction<DwmGetWindowAttributeFunction>(dwm, "DwmGetWindowAttribute");
    EnumWindows(SweepCallback, 0);
    SweepCloakQuery = nullptr;
    if (dwm) FreeLibrary(dwm);
}

// The target: the window FindWindowA finds by the recorded class and title, the
// first of them, so that a program that made its window anew is still found.
// Tracking never records an untitled window, so an empty title is the rename's:
// by class and empty title FindWindowA would give the first such window, a
// hidden one of the same program perhaps, never the renamed one in particular.
// Then the recorded handle counts, and only while it is still a window of the
// recorded class; otherwise there is no target.
HWND FindTarget() {
    if (TargetWindow.Title[0] != '\0') return FindWindowA(TargetWindow.ClassName, TargetWindow.Title);
    HWND window = TargetWindow.Handle;
    if (!window || !IsWindow(window)) return nullptr;
    char className[kTextSize];
    if (GetClassNameA(window, className, sizeof className) == 0 || std::strcmp(className, TargetWindow.ClassName) != 0)
        return nullptr;
    return window;
}

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
    HWND target = FindTarget();
    // A window is hidden only when it can come back: through an icon that
    // exists and a place in the table.
    if (target && !CanStore(StoredWindows, target)) {
        MessageBoxA(skinWindow, kStoreTableFull, kMessageCaption, MB_OK);
        return;
    }
    if (!TrayIconShown) {
        ZeroMemory(&TrayRecord, sizeof TrayRecord);
        TrayRecord.cbSize = NOTIFYICONDATAA_V1_SIZE;
        TrayRecord.hWnd = skinWindow;
        TrayRecord.uID = kTrayIconId;
        TrayRecord.uFlags = NIF_ICON | NIF_MESSAGE;
        TrayRecord.uCallbackMessage = kTrayCallbackMessage;
        TrayRecord.hIcon = TrayIcon;
        if (!Shell_NotifyIconA(NIM_ADD, &TrayRecord)) {
            MessageBoxA(skinWindow, kTrayAddFailed, kMessageCaption, MB_OK);
            return;
        }
        TrayIconShown = true;
    }
    ShowWindow(skinWindow, SW_HIDE);
    if (AddStored(&StoredWindows, target)) {
        // On the disk before it is hidden: a Pelto killed after the hide still
        // finds it at its next start.
        SaveStoredRecord(StoredWindows);
        ShowWindow(target, SW_HIDE);
    }
    StopTracking(skinWindow);
}

bool ShowStoredWindowsAndRemoveIcon() {
    const bool anything = TrayIconShown || StoredWindows.Count > 0;
    for (int i = 0; i < StoredWindows.Count; ++i)
        ShowWindow(static_cast<HWND>(const_cast<void*>(StoredWindows.Windows[i])), SW_SHOW);
    if (StoredWindows.Count > 0) {
        ClearStored(&StoredWindows);
        SaveStoredRecord(StoredWindows);
    }
    if (TrayIconShown) Shell_NotifyIconA(NIM_DELETE, &TrayRecord);
    TrayIconShown = false;
    return anything;
}

void RestoreFromTray(HWND skinWindow) {
    ShowWindow(skinWindow, SW_SHOW);
    ShowStoredWindowsAndRemoveIcon();
    StartTracking(skinWindow);
}

LRESULT OnTrayCallback(HWND skinWindow, WPARAM wParam, LPARAM lParam) {
    if (wParam != kTrayIconId || lParam != WM_LBUTTONDOWN) return 0;
    RestoreFromTray(skinWindow);
    return 0;
}

void ListenForTaskbarCreated() { TaskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated"); }

bool IsTaskbarCreated(UINT message) { return TaskbarCreatedMessage != 0 && message == TaskbarCreatedMessage; }

LRESULT OnTaskbarCreated(HWND skinWindow) {
    if (!TrayIconShown) return 0;
    // A new notification area has lost the icon; one that kept it refuses a
    // second add but takes a modify.
    if (Shell_NotifyIconA(NIM_ADD, &TrayRecord) || Shell_NotifyIconA(NIM_MODIFY, &TrayRecord)) return 0;
    TrayIconShown = false;
    RestoreFromTray(skinWindow);
    MessageBoxA(skinWindow, kTrayReAddFailed, kMessageCaption, MB_OK);
    return 0;
}

void RunRenameDialog(HWND skinWindow) {
    ForgetSkinDrag();
    StopTracking(skinWindow);
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(skinWindow, GWLP_HINSTANCE));
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_RENAME), skinWindow, RenameDialogProc, 0);
}

void ApplyNewTitle(HWND skinWindow) {
    StartTracking(skinWindow);
    HWND target = FindTarget();
    SetWindowTextA(target, NewTitle);
    // The commands find the target by its title, and no tick refreshes it while
    // the skin window is in front: the record takes the title the window now
    // has (the old one if the rename did not take), and the handle of the
    // window renamed, which FindWindowA may have chosen among several of the
    // same class and title.
    if (target) {
        TargetWindow.Handle = target;
        GetWindowTextA(target, TargetWindow.Title, sizeof TargetWindow.Title);
    }
}
