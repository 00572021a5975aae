// Helpers for the launcher tests: launch_data files, "add this window", marker
// programs that show which entry was started, the popup and the dialogs.
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
// launch_data once it reads expected, or as it reads when timeoutMs have passed.
std::string WaitForLauncherFile(const InstallFolder& folder, const std::string& expected, DWORD timeoutMs = 5000);

// Brings target to the front as a user's click would, and waits until the skin
// stands at its top-right corner (the default skin's place) and a later tick
// has found it there: then the commands on "this window" act on target. The
// place is checked, not a move: an earlier target may have left the skin where
// this one puts it. "" when so, else what was seen.
std::string AttachSkinTo(const PeltoSession& s, HWND target);
// Starts exe with args, attaches the skin to its window titled title and
// chooses "add this window"; "" when all of it was done, else what failed.
std::string AddThisWindow(PeltoSession& s, TargetProcess& target, const std::string& exe, const std::string& args,
                          const std::string& title);

// Opens the launcher popup by its hotkey, Ctrl+Shift+Z, with the pointer at
// (400, 300), where it opens; null when none opened.
HWND OpenLauncherPopup(const PeltoSession& s);

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

// The launcher settings dialog's buttons: Add or Edit, waiting for the entry
// dialog it opens (null: none); OK after the entry's path and title (null:
// left as it is) are filled in, whether the entry dialog then closed; Delete on
// a line (-1: none selected), its question answered by a real click.
HWND OpenEntryDialog(const PeltoSession& s, HWND settings, int button);
bool FillEntry(HWND entry, const std::string& path, const char* title = nullptr);
void DeleteLauncherLine(const PeltoSession& s, HWND settings, int line, int answer = IDYES);

// The lines of a list box (LB_GETTEXT).
std::vector<std::string> ListBoxLines(HWND dialog, int id);

}  // namespace e2e
