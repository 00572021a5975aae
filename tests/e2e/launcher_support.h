// Helpers for the launcher tests: launch_data files, marker programs that show
// which entry was started, the popup's pixels and the launcher dialogs.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "driver_support.h"
#include "pelto_session.h"

namespace e2e {

struct LauncherItem {
    std::string path;
    std::string title;
};

// launch_data as the program writes it: the count, then path and title lines,
// blanks as question marks.
std::string LauncherFileText(const std::vector<LauncherItem>& items);
bool WriteLauncherFile(const InstallFolder& folder, const std::vector<LauncherItem>& items);
std::string LauncherFileOf(const InstallFolder& folder);  // "" when there is none

// Copies PeltoMarker.exe to path (its folder is made); MarkerRan tells whether
// that copy has been started since.
bool PlaceMarker(const std::string& path);
bool MarkerRan(const std::string& path);
// Waits until Pelto has dealt with what it was given (every start it made is
// under way) and no copy of the marker at these paths still runs (each one
// started has left its file). False when that does not come within timeoutMs.
bool WaitForMarkersDone(const PeltoProcess& pelto, const std::vector<std::string>& paths, DWORD timeoutMs = 10000);

// The texts of the program's own messages.
extern const char kLaunchFailedText[];
extern const char kLauncherFullText[];
extern const char kLauncherSettingsCaption[];
extern const char kNewEntryCaption[];
extern const char kEditEntryCaption[];
extern const char kDeleteQuestion[];
extern const char kDuplicateText[];


// A control's text by WM_GETTEXT, and the lines of a list box (LB_GETTEXT).
std::vector<std::string> ListBoxLines(HWND dialog, int id);

}  // namespace e2e
