// The launcher list of the running program and its file launch_data.
#pragma once
#include <windows.h>

#include <cstddef>

#include "launcher/launcher_list.h"

extern LauncherListRecord LauncherList;

// Reads launch_data from the program's folder. 0 when it was read and closed;
// 1 when it cannot be opened (no message: nothing registered yet) or cannot be
// closed (told to the user, and the file is deleted).
int LoadLauncherList();

// Rewrites launch_data whole from LauncherList, never leaving it truncated or
// missing. A failed save is told to the user in a box owned by owner: the
// change would otherwise be gone at the next start.
void SaveLauncherList(HWND owner);

// The long form of a path (GetLongPathNameA, where the system has it), so that an
// 8.3 path and the long one of the same file compare equal; the path as it is
// when the file cannot be found. out holds size bytes.
void LongPathForm(const char* path, char* out, std::size_t size);

// Main-menu command 40060: registers the program of the target window.
void AddTargetToLauncher(HWND skinWindow);

// Shows the refusal of one more entry beyond the capacity.
void ShowLauncherFullMessage(HWND owner);
