// The launcher tests' helpers: launch_data, "add this window", marker programs, the popup, the dialogs.
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

// launch_data as the program writes it: the count, then path and title lines, blanks as '?'.
std::string LauncherFileText(const std::vector<LauncherItem>& items);
bool WriteLauncherFile(const InstallFolder& folder, const std::vector<LauncherItem>& items);
std::string LauncherFileOf(const InstallFolder& folder);  // "" when there is none
// launch_data once it reads expected, or as it reads after timeoutMs.
std::string WaitForLauncherFile(const InstallFolder& folder, const std::string& expected, DWORD timeoutMs = 5000);

// Target brought to the front, the skin at its top-right corner (the default skin's
// place) and a later tick finding it there: "this window" is target. The place is
// checked, not a move (an earlier target may have left it there). "" or what was seen.
std::string AttachSkinTo(const PeltoSession& s, HWND target);
// exe started, the skin attached to its window `title`, "add this window" chosen; "" or what failed.
std::string AddThisWindow(PeltoSession& s, TargetProcess& target, const std::string& exe, const std::string& args,
                          const std::string& title);

// The launcher popup by Ctrl+Shift+Z with the pointer at (400, 300), where it opens; null for none.
HWND OpenLauncherPopup(const PeltoSession& s);

// PeltoMarker.exe copied to path (its folder made); whether that copy has run since.
bool PlaceMarker(const std::string& path);
bool MarkerRan(const std::string& path);
// Pelto idle (every start it made under way) and no marker of these paths still running.
bool WaitForMarkersDone(const PeltoProcess& pelto, const std::vector<std::string>& paths, DWORD timeoutMs = 10000);

// The texts of the program's own messages.
inline constexpr char kLaunchFailedText[] = "起動に失敗しました。";
inline constexpr char kLauncherFullText[] = "ランチャに登録できるのは100件までです。\nこれ以上は登録できません。";
inline constexpr char kLauncherSettingsCaption[] = "ランチャの設定";
inline constexpr char kNewEntryCaption[] = "新規登録";
inline constexpr char kEditEntryCaption[] = "登録済みデータの編集";
inline constexpr char kDeleteQuestion[] = "本当に削除してよろしいですか？";
inline constexpr char kDuplicateText[] = "このファイル名は既に登録されています。";

// The settings dialog's Add or Edit and the entry dialog it opens (null: none); the entry
// filled (null title: left) and OK, true once it closed; Delete on a line (-1: none), answered.
HWND OpenEntryDialog(const PeltoSession& s, HWND settings, int button);
bool FillEntry(HWND entry, const std::string& path, const char* title = nullptr);
void DeleteLauncherLine(const PeltoSession& s, HWND settings, int line, int answer = IDYES);

std::vector<std::string> ListBoxLines(HWND dialog, int id);  // LB_GETTEXT

}  // namespace e2e
