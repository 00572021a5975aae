// The per-test time limit: past it the test fails by name and its processes are ended,
// so whatever it waits on returns and the run goes on.
#pragma once
#include <windows.h>

#include <string>

namespace e2e {

void StartWatchdog();  // once, before the first test
// A test begins: its clock starts with the default limit, no process yet its own.
void ArmWatchdog(const std::string& testName);
// The test has ended (passed: GoogleTest's verdict); true when its time ran out (failed).
bool DisarmWatchdog(bool passed);
// A process the running test started, ended when its time is up.
void NoteStartedProcess(DWORD pid);

}  // namespace e2e
