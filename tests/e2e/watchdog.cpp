// When a test's time is up the watchdog thread sets the flag the waits look at and ends the
// test's processes (those it started, their children, every one with a skin window: Pelto
// restarts as a new process). The test's next wait records the failure on its own thread
// (MinGW's win32 thread model leaves GoogleTest without thread support) and stops it. A test
// not back after a grace period cannot be stopped from outside: the driver prints the summary
// so far and ends. Chosen over a driver per test: process starts are dear under Wine.
#include "watchdog.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"

namespace e2e {
namespace {

constexpr DWORD kGraceMs = 30000;

CRITICAL_SECTION lock;
HANDLE wake = nullptr;
bool armed = false;
bool timeUp = false;
DWORD startTick = 0;
DWORD limitMs = kDefaultTestTimeLimit * 1000;
std::string running;
std::vector<DWORD> started;
bool reported = false;
int passedSoFar = 0, failedSoFar = 0;

// Every process whose parent is in pids, added to pids, until none is new.
void AddDescendants(std::vector<DWORD>* pids) {
    auto known = [&](DWORD pid) { return std::find(pids->begin(), pids->end(), pid) != pids->end(); };
    for (bool grew = true; grew;) {
        grew = false;
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE) return;
        PROCESSENTRY32 entry;
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
            const DWORD pid = entry.th32ProcessID;
            if (known(entry.th32ParentProcessID) && !known(pid) && pid != 0 && pid != GetCurrentProcessId()) {
                pids->push_back(pid);
                grew = true;
            }
        }
        CloseHandle(snapshot);
    }
}

void EndTestProcesses(std::vector<DWORD> pids) {
    for (DWORD pid : OtherPeltoProcesses(GetCurrentProcessId())) pids.push_back(pid);
    // A process id of 0 would make every system process a "child".
    pids.erase(std::remove(pids.begin(), pids.end(), 0ul), pids.end());
    AddDescendants(&pids);
    for (DWORD pid : pids) {  // the driver's own is in none of the lists
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!process) continue;
        TerminateProcess(process, 0xDEAD);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

DWORD WINAPI Watch(LPVOID) {
    for (;;) {
        EnterCriticalSection(&lock);
        const DWORD spent = GetTickCount() - startTick, allowed = timeUp ? limitMs + kGraceMs : limitMs;
        if (!armed || spent < allowed) {
            const DWORD wait = armed ? allowed - spent : INFINITE;
            LeaveCriticalSection(&lock);
            WaitForSingleObject(wake, wait);
        } else if (!timeUp) {
            timeUp = true;
            const std::string name = running;
            const unsigned seconds = limitMs / 1000;
            const std::vector<DWORD> pids = started;
            LeaveCriticalSection(&lock);
            std::printf("WATCHDOG %s ran past %u s: ending its processes\n", name.c_str(), seconds);
            EndTestProcesses(pids);
        } else {  // not back even with its processes gone
            std::printf("FAIL %s (did not return %lu s after its time limit)\n", running.c_str(),
                        static_cast<unsigned long>(kGraceMs / 1000));
            std::printf("e2e run stopped: %s is stuck; the tests after it did not run\n", running.c_str());
            std::printf("e2e: %d passed, %d failed\n", passedSoFar, failedSoFar + 1);
            LeaveCriticalSection(&lock);
            ExitProcess(3);
        }
    }
}

}  // namespace

void StartWatchdog() {
    InitializeCriticalSection(&lock);
    wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, Watch, nullptr, 0, nullptr);
    if (thread) CloseHandle(thread);
}

void ArmWatchdog(const std::string& testName) {
    EnterCriticalSection(&lock);
    armed = true;
    timeUp = false;
    reported = false;
    startTick = GetTickCount();
    limitMs = kDefaultTestTimeLimit * 1000;
    running = testName;
    started.clear();
    LeaveCriticalSection(&lock);
    SetEvent(wake);
}

bool DisarmWatchdog(bool passed) {
    EnterCriticalSection(&lock);
    armed = false;
    bool up = timeUp;
    ++((passed && !up) ? passedSoFar : failedSoFar);
    LeaveCriticalSection(&lock);
    SetEvent(wake);
    return up;
}

void NoteStartedProcess(DWORD pid) {
    if (!wake || pid == 0 || pid == GetCurrentProcessId()) return;
    EnterCriticalSection(&lock);
    started.push_back(pid);
    LeaveCriticalSection(&lock);
}

void SetTestTimeLimit(unsigned seconds) {
    if (!wake) return;
    EnterCriticalSection(&lock);
    limitMs = seconds * 1000;
    LeaveCriticalSection(&lock);
    SetEvent(wake);
}

bool TestTimeIsUp() {
    if (!wake) return false;
    EnterCriticalSection(&lock);
    bool up = armed && timeUp;
    bool first = up && !reported;
    reported = reported || up;
    unsigned seconds = limitMs / 1000;
    LeaveCriticalSection(&lock);
    if (first)
        ADD_FAILURE() << CurrentTestName() << " ran past its time limit of " << seconds
                      << " s; its processes were ended";
    return up;
}

}  // namespace e2e
