#include "plugin_host/plugin_launch.h"

#include <commctrl.h>

#include "common/library_lookup.h"
#include "common/text_buffers.h"
#include "core/app_state.h"
#include "launcher/native_path.h"
#include "launcher/window_executable.h"
#include "plugin_host/plugin_contract.h"
#include "plugin_host/plugin_list.h"
#include "plugin_host/plugin_table.h"

namespace {

const char kMissingPluginText[] = "指定されたプラグインがありません。";
const char kNotAPluginText[] = "指定されたプラグインはPeltoプラグインではありません。\n指定し直してください。";

// What one start hands its thread. Each start has its own, which the thread owns
// and frees when it ends: a later start can change neither the library an earlier
// thread loads nor the texts its PpiStart is still reading.
struct LaunchRecord {
    char PluginPath[kTextSize];
    HWND HostWindow;
    HWND TargetHandle;
    char TargetExePath[kTextSize];
};

DWORD WINAPI PluginThread(void* parameter) {
    LaunchRecord* launch = static_cast<LaunchRecord*>(parameter);
    HMODULE library = LoadLibraryExA(launch->PluginPath, nullptr, 0);
    if (!library) {
        MessageBoxA(launch->HostWindow, kMissingPluginText, kMessageCaption, MB_OK);
    } else if (auto start = LibraryFunction<PpiStartFunction>(library, kPpiStartName)) {
        start(launch->HostWindow, launch->TargetHandle, ModulePath, launch->TargetExePath);
        FreeLibrary(library);
    } else {
        MessageBoxA(launch->HostWindow, kNotAPluginText, kMessageCaption, MB_OK);
        FreeLibrary(library);
    }
    HeapFree(GetProcessHeap(), 0, launch);
    return 0;
}

}  // namespace

void StartPlugin(HWND skinWindow, int position) {
    if (position < 0 || position >= PluginList.Count || position >= kPluginUsableRows) return;
    // The plug-ins create common controls (the CPU meter's progress bar) and
    // register none themselves. Done here, not at start-up, so that start-up
    // does not load the library.
    InitCommonControls();
    LaunchRecord* launch =
        static_cast<LaunchRecord*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(LaunchRecord)));
    if (!launch) return;
    CopyText(launch->PluginPath, sizeof launch->PluginPath, PluginList.Entries[position].FileName);
    launch->HostWindow = skinWindow;
    launch->TargetHandle = TargetWindow.Handle;
    // Empty, never an earlier start's path, when the program cannot be found.
    // A 32-bit plug-in is redirected like Pelto: it gets the path it can open.
    char program[kTextSize];
    if (FindWindowExecutable(launch->TargetHandle, program, sizeof program) != 1) program[0] = '\0';
    char buffer[kTextSize];
    CopyText(launch->TargetExePath, sizeof launch->TargetExePath, NativePath(program, buffer, sizeof buffer));
    // Windows 95/98 refuse a null thread-id pointer; the id itself is not needed.
    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, PluginThread, launch, 0, &threadId);
    if (thread) {
        CloseHandle(thread);
    } else {
        HeapFree(GetProcessHeap(), 0, launch);
    }
}
