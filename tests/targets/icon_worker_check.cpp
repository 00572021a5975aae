// PeltoIconWorkerCheck.exe: the launcher icons' worker thread, with Pelto's own
// code, seen from another thread of its process. This program's thread
// initializes no COM (under Wine, Pelto's does, through the input method, as
// soon as its window is active), so the worker is the process's first
// single-threaded apartment, the one COM sends other threads' calls to, by
// messages to a window of the worker's thread. Once the icons have come, the
// worker waits for work: that window must still answer at once.
// Exit code 0: it answered; 1: it did not within 2 s; 2: the icons never came;
// 3: the worker has no apartment window.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "launcher/launcher_icons.h"
#include "launcher/launcher_store.h"
#include "tests/targets/plain_window.h"

namespace {

bool Arrived = false;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kLauncherIconsMessage) {
        Arrived = true;
        return OnLauncherIconsReady();
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND WorkerApartmentWindow() {
    for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, "OleMainThreadWndClass", nullptr); w;
         w = FindWindowExA(HWND_MESSAGE, w, "OleMainThreadWndClass", nullptr)) {
        DWORD process = 0;
        const DWORD thread = GetWindowThreadProcessId(w, &process);
        if (process == GetCurrentProcessId() && thread != GetCurrentThreadId()) return w;
    }
    return nullptr;
}

}  // namespace

int main() {
    LauncherList.Count = 1;
    std::strcpy(LauncherList.Entries[0].Path, "C:\\windows\\win.ini");
    std::strcpy(LauncherList.Entries[0].Title, "win.ini");
    RegisterPlainClass("PeltoIconWorkerCheck", OwnerProc, 0);
    HWND owner = CreateWindowExA(0, "PeltoIconWorkerCheck", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    RefreshLauncherIcons(owner);
    const DWORD start = GetTickCount();
    MSG msg;
    while (!Arrived && GetTickCount() - start < 20000) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        else
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    int result = 2;
    if (Arrived) {
        HWND apartment = WorkerApartmentWindow();
        DWORD_PTR answer = 0;
        result = !apartment ? 3 : SendMessageTimeoutA(apartment, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &answer) ? 0 : 1;
    }
    std::printf("icon worker check: %s\n", result == 0   ? "its apartment window answered"
                                           : result == 1 ? "its apartment window did not answer within 2 s"
                                           : result == 2 ? "the icons never came"
                                                         : "no apartment window of the worker's thread");
    ShutDownLauncherIcons();
    DestroyWindow(owner);
    return result;
}
