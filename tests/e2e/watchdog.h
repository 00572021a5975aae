// The per-test time limit: a thread that, when the running test passes its
// limit, fails it by name and ends every process it started, so that whatever
// the test waits on returns and the run goes on with the next test.
#pragma once
#include <windows.h>

#include <string>

namespace e2e {

// Starts the watchdog thread (once, before the first test).
void StartWatchdog();

// A test begins: its clock starts with the default limit, and no process is
// yet counted as its own.
void ArmWatchdog(const std::string& testName);

// The test has ended (passed: as GoogleTest judged it); a limit that runs out
// now is nobody's. True when its time ran out: it counts as failed whatever
// else it recorded.
bool DisarmWatchdog(bool passed);

// A process the running test started (ended by the watchdog when time is up).
void NoteStartedProcess(DWORD pid);

}  // namespace e2e
