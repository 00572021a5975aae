// The Windows 98 run's shim (tests/win98_shim): Wine reporting Windows 98 keeps none of
// 98's rules, so every Pelto started gets Win98Shim.dll before its own code runs. It makes
// Pelto's and its plug-ins' calls keep 98's rules and logs one line per call it refused or
// recorded; a refused call fails the test that caused it.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

bool Win98ShimWanted();  // the Windows 98 run

// Before the first test: the log named for every Pelto to come (in the environment they
// inherit), and the shim checked to be there.
bool PrepareWin98Shim(std::string* why);

// The shim loaded through a remote thread calling LoadLibraryA, waited for.
bool LoadWin98Shim(HANDLE process);

// A test begins: only log lines from now on are its own ("<pid> KIND text"); whether one
// holds text; those that record a refused call.
void MarkWin98ShimLogStart();
std::vector<std::string> Win98ShimLines();
bool Win98ShimLogged(const std::string& text);
std::vector<std::string> Win98ShimRefusals();

}  // namespace e2e
