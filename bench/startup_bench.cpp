// StartupBench: the time from starting a program to its window shown, for Pelto
// (100 launcher entries and the plug-ins in its folder) against a bare window
// program, started alternately; the minimum of each is compared.
//
//   StartupBench.exe PELTO_EXE BARE_EXE [--runs N]      (default 9 starts of each)
//
// Writes PELTO_EXE's launch_data with 100 files of the system folder first. A
// start counts until a visible window of the program's class belongs to the new
// process; the process is then ended.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/system_files.h"

namespace {

constexpr int kEntries = 100;

std::string FolderOf(const std::string& path) {
    const std::size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string(".") : path.substr(0, cut);
}

bool WriteLaunchData(const std::string& peltoExe) {
    const std::vector<std::string> files = SystemFiles(kEntries);
    if (files.empty()) return false;
    std::string text = std::to_string(kEntries) + "\n";
    for (int i = 0; i < kEntries; ++i)
        text += files[static_cast<std::size_t>(i) % files.size()] + "\nProgram?" + std::to_string(i) + "\n";
    FILE* f = std::fopen((FolderOf(peltoExe) + "\\launch_data").c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

struct WindowSearch {
    DWORD pid;
    const char* className;
    bool found;
};

BOOL CALLBACK FindShown(HWND window, LPARAM lParam) {
    WindowSearch* s = reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char name[64];
    if (pid == s->pid && IsWindowVisible(window) && GetClassNameA(window, name, sizeof name) &&
        std::strcmp(name, s->className) == 0) {
        s->found = true;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds from CreateProcess to the window shown; -1 when it never shows.
double TimeStart(const std::string& exe, const char* className) {
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    std::string commandLine = "\"" + exe + "\"";
    const std::string folder = FolderOf(exe);
    const double start = NowMs();
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
        return -1;
    double shown = -1;
    while (NowMs() - start < 20000) {
        WindowSearch s = {pi.dwProcessId, className, false};
        EnumWindows(FindShown, reinterpret_cast<LPARAM>(&s));
        if (s.found) {
            shown = NowMs() - start;
            break;
        }
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
        Sleep(0);
    }
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return shown;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: StartupBench PELTO_EXE BARE_EXE [--runs N]\n");
        return 1;
    }
    int runs = 9;
    for (int i = 3; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[++i]));
    const std::string pelto = argv[1];
    const std::string bare = argv[2];
    if (!WriteLaunchData(pelto)) {
        std::printf("cannot write launch_data beside %s\n", pelto.c_str());
        return 1;
    }
    // One start of each first: the first start of a program also loads the
    // files into the cache, which no later start pays again.
    TimeStart(pelto, "PeltoClass");
    TimeStart(bare, "BareWindowClass");
    std::vector<double> peltoTimes, bareTimes;
    for (int r = 0; r < runs; ++r) {
        const double p = TimeStart(pelto, "PeltoClass");
        const double b = TimeStart(bare, "BareWindowClass");
        if (p < 0 || b < 0) {
            std::printf("a start showed no window (Pelto %.1f ms, bare %.1f ms)\n", p, b);
            return 1;
        }
        peltoTimes.push_back(p);
        bareTimes.push_back(b);
    }
    const double peltoMin = *std::min_element(peltoTimes.begin(), peltoTimes.end());
    const double bareMin = *std::min_element(bareTimes.begin(), bareTimes.end());
    std::sort(peltoTimes.begin(), peltoTimes.end());
    std::sort(bareTimes.begin(), bareTimes.end());
    std::printf("Pelto, 100 entries and both plug-ins, to the skin window shown: min %.1f ms (median %.1f) of %d starts\n",
                peltoMin, peltoTimes[peltoTimes.size() / 2], runs);
    std::printf("bare window program, to its window shown:                      min %.1f ms (median %.1f) of %d starts\n",
                bareMin, bareTimes[bareTimes.size() / 2], runs);
    std::printf("start-up / bare window: %.2f x (target: within 1.3x)\n", peltoMin / bareMin);
    return 0;
}
