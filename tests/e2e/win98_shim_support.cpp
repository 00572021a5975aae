#include "win98_shim_support.h"

#include "driver_framework.h"
#include "driver_support.h"
#include "target_support.h"

namespace e2e {

namespace {

std::string logPath;
std::size_t testStartOffset = 0;

std::string ShimPath() { return JoinPath(DriverFolder(), "Win98Shim.dll"); }

std::string LogText() { return logPath.empty() ? "" : ReadFileText(logPath); }

}  // namespace

bool Win98ShimWanted() { return ReportedWindows() == "win98"; }

bool PrepareWin98Shim(std::string* why) {
    if (!Win98ShimWanted()) return true;
    if (!FileExists(ShimPath())) {
        *why = "no " + ShimPath() + " (the 32-bit build makes it)";
        return false;
    }
    char temp[MAX_PATH];
    const DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp) {
        *why = "no temporary folder for the shim's log";
        return false;
    }
    logPath = JoinPath(temp, "pelto-win98-shim-" + RunTag() + ".log");
    DeleteFileA(logPath.c_str());
    SetEnvironmentVariableA("PELTO_WIN98_SHIM_LOG", logPath.c_str());
    return true;
}

bool LoadWin98Shim(HANDLE process) {
    const std::string path = ShimPath();
    void* remote = VirtualAllocEx(process, nullptr, path.size() + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) {
        Trace("VirtualAllocEx for the shim failed, error %lu", static_cast<unsigned long>(GetLastError()));
        return false;
    }
    bool loaded = false;
    SIZE_T written = 0;
    // kernel32 lies at the same address in every process of one bitness.
    auto loadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
    if (WriteProcessMemory(process, remote, path.c_str(), path.size() + 1, &written) && written == path.size() + 1) {
        HANDLE thread = CreateRemoteThread(process, nullptr, 0, loadLibrary, remote, 0, nullptr);
        if (thread) {
            DWORD module = 0;
            loaded = WaitForSingleObject(thread, 20000) == WAIT_OBJECT_0 && GetExitCodeThread(thread, &module) &&
                     module != 0;
            CloseHandle(thread);
        }
        if (!loaded) Trace("the shim did not load (error %lu)", static_cast<unsigned long>(GetLastError()));
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return loaded;
}

void MarkWin98ShimLogStart() { testStartOffset = LogText().size(); }

std::vector<std::string> Win98ShimLines() {
    std::vector<std::string> lines;
    const std::string text = LogText();
    std::size_t at = testStartOffset < text.size() ? testStartOffset : text.size();
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) break;  // a line still being written
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

bool Win98ShimLogged(const std::string& text) {
    for (const std::string& line : Win98ShimLines())
        if (line.find(text) != std::string::npos) return true;
    return false;
}

std::vector<std::string> Win98ShimRefusals() {
    std::vector<std::string> refused;
    for (const std::string& line : Win98ShimLines())
        if (line.find(" REFUSED ") != std::string::npos) refused.push_back(line);
    return refused;
}

}  // namespace e2e
