// The Windows 98 run's shim (tests/win98_shim): Wine reporting Windows 98
// keeps none of 98's own rules, so on that run every Pelto the driver starts
// gets Win98Shim.dll loaded before its own code runs. The shim makes the calls
// of Pelto and its plug-ins keep 98's rules and records what it sees in a log
// (one line per call it refused or recorded); a refused call fails the test
// that caused it.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// Whether this run loads the shim (the Windows 98 run).
bool Win98ShimWanted();

// Before the first test: names the log for every Pelto to come (through the
// environment they inherit) and checks that the shim is there. why: the reason
// when not.
bool PrepareWin98Shim(std::string* why);

// Loads the shim into a process through a thread of its own calling
// LoadLibraryA; waits until it has loaded. A process started suspended gets
// it before any of its own code runs.
bool LoadWin98Shim(HANDLE process);

// A test begins: only log lines written from now on are its own.
void MarkWin98ShimLogStart();
// The log lines written since the test began ("<pid> KIND text").
std::vector<std::string> Win98ShimLines();
// Whether one of them holds text.
bool Win98ShimLogged(const std::string& text);
// Those of them that record a refused call.
std::vector<std::string> Win98ShimRefusals();

}  // namespace e2e
