#include "commands/about_box.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include "common/text_buffers.h"
#include "core/app_state.h"
#include "resources/resource_ids.h"

namespace {

// 1 when "Pelto.lnk" was in the Startup folder as the box opened.
unsigned char StartupRegistered = 0;

const char kHomePage[] = "http://www.example.com/quorval/";
const char kLinkName[] = "\\Pelto.lnk";

// The shortcut's path in the user's Startup folder, which is created when
// missing. False when the folder is unknown or the path would not fit.
bool StartupLinkPath(HWND owner, char* out, std::size_t outSize) {
    char folder[MAX_PATH];
    folder[0] = '\0';
    if (!SHGetSpecialFolderPathA(owner, folder, CSIDL_STARTUP, TRUE)) return false;
    folder[sizeof folder - 1] = '\0';
    return JoinText(out, outSize, folder, kLinkName);
}

bool FileExists(const char* path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

void OnInit(HWND box) {
    StartupRegistered = 0;
    char link[kTextSize];
    if (StartupLinkPath(box, link, sizeof link) && FileExists(link)) StartupRegistered = 1;
}

void OpenHomePage(HWND box) {
    HINSTANCE result = ShellExecuteA(nullptr, "open", kHomePage, nullptr, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<ULONG_PTR>(result) < 32) MessageBoxA(box, "起動に失敗しました。", kMessageCaption, MB_OK);
}

void RegisterInStartup(HWND box) {
    if (StartupRegistered == 1) {
        MessageBoxA(box, "既に登録されています。", kMessageCaption, MB_OK);
        return;
    }
    char target[kTextSize], link[kTextSize];
    if (!JoinText(target, sizeof target, ProgramDir, "Pelto.exe") || !StartupLinkPath(box, link, sizeof link)) return;
    if (FAILED(CoInitialize(nullptr))) return;
    HRESULT saved = CreateShortcut(link, target, "高機能デスクトップユーティリティ", "/s", nullptr, nullptr, 0, SW_SHOWNORMAL);
    CoUninitialize();
    if (SUCCEEDED(saved)) MessageBoxA(box, "Pelto のスタートアップへの登録は完了しました。", kMessageCaption, MB_OK);
}

INT_PTR CALLBACK AboutBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: OnInit(box); return TRUE;
    case WM_COMMAND:
        // The cancel command of Esc and the close box is ignored: only OK ends it.
        switch (LOWORD(wParam)) {
        case IDC_ABOUT_OK: EndDialog(box, 0); break;
        case IDC_ABOUT_HOME_PAGE: OpenHomePage(box); break;
        case IDC_ABOUT_REGISTER: RegisterInStartup(box); break;
        default: break;
        }
        return TRUE;
    default: return FALSE;
    }
}

}  // namespace

HRESULT CreateShortcut(const char* linkFile, const char* target, const char* description, const char* arguments,
                       const char* workingDirectory, const char* iconFile, int iconIndex, int showCommand) {
    IShellLinkA* shellLink = nullptr;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      reinterpret_cast<void**>(&shellLink));
    if (FAILED(result)) return result;
    IPersistFile* persist = nullptr;
    result = shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist));
    if (FAILED(result)) {
        shellLink->Release();
        return result;
    }
    shellLink->SetPath(target);
    shellLink->SetDescription(description);
    shellLink->SetArguments(arguments);
    // "None" goes to the link as an empty text: a null one is no valid
    // argument, and some shell-link objects store garbage for it.
    shellLink->SetWorkingDirectory(workingDirectory ? workingDirectory : "");
    shellLink->SetIconLocation(iconFile ? iconFile : "", iconIndex);
    shellLink->SetShowCmd(showCommand);
    WCHAR widePath[kTextSize];
    widePath[0] = L'\0';
    MultiByteToWideChar(CP_ACP, 0, linkFile, -1, widePath, kTextSize);
    result = persist->Save(widePath, TRUE);
    persist->Release();
    shellLink->Release();
    return result;
}

void RunAboutBox(HWND skinWindow) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(skinWindow, GWLP_HINSTANCE));
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), skinWindow, AboutBoxProc, 0);
}
