// PluginRunner.exe PLUGIN SECONDS [--steady PERCENT]: runs one plug-in's PpiStart
// on a thread of its own, as Pelto does, in a process that does nothing else, for
// SECONDS seconds. The processor time of this process is then the plug-in's own.
//
// --steady writes the Windows 95/98 processor statistic (HKEY_DYN_DATA
// PerfStats\StatData, KERNEL\CPUUsage) first, for a run that Wine reports as
// Windows 98: Tachel then reads a reading that never changes, and its bar never
// needs painting again.
#include <windows.h>

#include <cstdlib>

namespace {

using StartFunction = int(WINAPI*)(HWND, HWND, const char*, const char*);

StartFunction Start = nullptr;
char PluginPath[MAX_PATH];

DWORD WINAPI RunPlugin(LPVOID) {
    Start(nullptr, nullptr, PluginPath, "");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    const DWORD seconds = argc > 2 ? static_cast<DWORD>(std::atoi(argv[2])) : 60u;
    lstrcpynA(PluginPath, argv[1], sizeof PluginPath);
    if (argc > 4 && lstrcmpA(argv[3], "--steady") == 0) {
        HKEY key = nullptr;
        const HKEY dynData = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000006));
        if (RegCreateKeyExA(dynData, "PerfStats\\StatData", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return 1;
        const DWORD reading = static_cast<DWORD>(std::atoi(argv[4]));
        RegSetValueExA(key, "KERNEL\\CPUUsage", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&reading), sizeof reading);
        RegCloseKey(key);
    }
    HMODULE library = LoadLibraryExA(PluginPath, nullptr, 0);
    if (!library) return 1;
    Start = reinterpret_cast<StartFunction>(reinterpret_cast<void*>(GetProcAddress(library, "PpiStart")));
    if (!Start) return 1;
    DWORD id;
    HANDLE thread = CreateThread(nullptr, 0, RunPlugin, nullptr, 0, &id);
    if (!thread) return 1;
    WaitForSingleObject(thread, seconds * 1000u);
    // The plug-in's window is still open: end here, without unloading it.
    ExitProcess(0);
}
