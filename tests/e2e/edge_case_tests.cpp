// Edge cases of what a user does: a dropped bitmap with the longest path, a
// launcher path with a tab or a line break, a save cut short by a crash, and
// leaving Windows answered Yes.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "launcher_support.h"
#include "pelto_session.h"
#include "plugin_support.h"
#include "resources/resource_ids.h"

namespace {

using namespace e2e;

// Puts text on the clipboard, as a user copies it from somewhere else.
bool CopyToClipboard(const std::string& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    void* p = memory ? GlobalLock(memory) : nullptr;
    if (p) {
        std::memcpy(p, text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
    }
    const bool ok = p && SetClipboardData(CF_TEXT, memory) != nullptr;
    if (memory && !ok) GlobalFree(memory);
    CloseClipboard();
    return ok;
}

// A user's paste into a dialog's edit box: a real click into it, End, Shift+Home
// and Delete to empty it, and Ctrl+V; returns what the box then holds.
std::string PasteInto(HWND dialog, HWND edit, const std::string& text) {
    [&] {
        ASSERT_TRUE(CopyToClipboard(text)) << "cannot put the text on the clipboard";
        ASSERT_TRUE(BringToForeground(dialog)) << "the dialog did not come to the foreground";
        ASSERT_TRUE(Click(edit)) << "cannot click into the edit box";
        ASSERT_TRUE(WaitUntil(3000, [&] { return FocusOfThreadOf(dialog) == edit; })) << "the click did not focus the box";
        ASSERT_TRUE(PressKeys({VK_END}) && PressKeys({VK_SHIFT, VK_HOME}) && PressKeys({VK_DELETE})) << "cannot press the keys";
        ASSERT_TRUE(WaitUntil(3000, [&] { return ControlText(edit).empty(); })) << "the keys did not empty the box: " << Printable(ControlText(edit));
        ASSERT_TRUE(PressKeys({VK_CONTROL, 'V'}) && WaitUntil(3000, [&] { return !ControlText(edit).empty(); })) << "Ctrl+V pasted nothing";
    }();
    return ControlText(edit);
}

// One started Pelto: a long dropped path (first: under Wine the skin takes no drop once
// a box or dialog it owns has been up), then the launcher path, read back at a second
// start after a save cut short.
TEST(EdgeCase, EdgeCase_LongDropLauncherPathsAndASaveCutShort) {
    SetTestTimeLimit(150);
    PeltoSession s("edgecase");
    const std::vector<LauncherItem> before = {{"C:\\first.exe", "First Entry"}, {"C:\\second.exe", "Second"}};
    s.Start([&](const InstallFolder& f) { return WriteLauncherFile(f, before); });
    {
        SCOPED_TRACE("a dropped bitmap path of 259 bytes asks the whole question");
        const std::string folder = s.folder.File("long");
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << "cannot make " << folder;
        const std::size_t nameLength = 259 - folder.size() - 1;
        ASSERT_TRUE(nameLength > 4 && nameLength <= 255) << "the install folder's path is " << folder.size() << " bytes long";
        const std::string bmp = JoinPath(folder, std::string(nameLength - 4, 'w') + ".bmp");
        ASSERT_EQ(bmp.size(), 259u);
        ASSERT_TRUE(WriteBmp24(bmp, 16, 16, [](int x, int y) { return RGB(x * 8, y * 8, 64); })) << "cannot write the bitmap";
        ASSERT_TRUE(DropOnSkin(100, 9, {bmp})) << "the drop was not accepted";
        const char kDesktopKey[] = "Control Panel\\Desktop", kSentinel[] = "C:\\before-the-test.bmp";
        WriteRegistryString(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper", kSentinel);
        // No: Wine keeps at most 255 characters of a wallpaper's path, so Yes would prove nothing more.
        AnswerBox(s.pelto, {bmp + "\nこのファイルを壁紙に設定しますか？", "Pelto", s.skin}, IDNO);
        EXPECT_TRUE(PeltoAnswers(s.pelto)) << s.pelto;
        EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper"), kSentinel);
    }
    SCOPED_TRACE("a launcher path with a tab is refused and a line break cuts it");
    HWND settings = s.OpenDialog(IDM_LAUNCHER_SETTINGS, kLauncherSettingsCaption);
    HWND entry = OpenEntryDialog(s, settings, IDC_LAUNCHER_ADD);
    ASSERT_NE(entry, nullptr) << "no entry dialog: " << s.pelto;
    HWND pathBox = GetDlgItem(entry, IDC_ENTRY_PATH), titleBox = GetDlgItem(entry, IDC_ENTRY_TITLE);
    // A path with a tab, pasted: the box takes it whole, and OK refuses it.
    const std::string tabbed = "C:\\tab\there.exe";
    EXPECT_EQ(PasteInto(entry, titleBox, "Pasted Entry"), "Pasted Entry");
    EXPECT_EQ(PasteInto(entry, pathBox, tabbed), tabbed);
    ClickDialogButton(entry, IDC_ENTRY_OK);
    AnswerBox(s.pelto, {"ファイルの場所にタブや改行は使えません。", "Pelto", entry});
    EXPECT_TRUE(IsWindow(entry)) << "the entry dialog closed on a path with a tab";
    EXPECT_EQ(ListBoxLines(settings, IDC_LAUNCHER_LIST).size(), 2u);
    // A path with a line break, pasted: the one-line box keeps the first line, which OK stores.
    EXPECT_EQ(PasteInto(entry, pathBox, "C:\\line\r\nbreak.exe"), "C:\\line");
    ClickDialogButton(entry, IDC_ENTRY_OK);
    EXPECT_TRUE(WindowGoes(entry)) << "OK did not close the entry dialog: " << DescribeBoxes(s.pelto);
    ClickDialogButton(settings, IDC_LAUNCHER_APPLY);
    std::vector<LauncherItem> after = before;
    after.push_back({"C:\\line", "Pasted Entry"});
    const std::string expected = LauncherFileText(after);
    EXPECT_EQ(WaitForLauncherFile(s.folder, expected), expected) << "launch_data";
    s.ChooseFromMenu(IDM_CLOSE);
    ASSERT_TRUE(s.pelto.WaitForExit(10000, nullptr)) << "Pelto did not end: " << s.pelto;

    SCOPED_TRACE("a save cut short comes back at start from the whole new text or else the old file");
    // A crash between the two moves of a Windows 9x save leaves the old files set aside and
    // the new texts not in place: the whole new setting wins; the new launcher list is cut
    // short (a pair is missing), so the one set aside comes back.
    DeleteFileA(s.folder.File("setting").c_str());
    ASSERT_TRUE(MoveFileA(s.folder.File("launch_data").c_str(), s.folder.File("launch_data.old").c_str())) << "cannot set launch_data aside";
    const std::pair<const char*, const char*> leftovers[] = {{"setting.old", "800 0 nothing"}, {"setting.tmp", "300 0 saved.skn"}, {"launch_data.tmp", "2\nC:\\new.exe\nNew\n"}};
    for (const auto& file : leftovers) ASSERT_TRUE(WriteFileBytes(s.folder.File(file.first), file.second)) << "cannot write " << file.first;
    ASSERT_TRUE(s.folder.WriteSkinDefinition("saved.skn", "saved.bmp 2 -100 4 -100 4 Tester") &&
                s.folder.WriteSkinBitmap("saved.bmp", 70, 26, [](int x, int y) { return RGB(90, 60 + x, 150 + y); })) << "cannot write the saved skin";
    PeltoProcess again;
    HWND skin = again.Start(s.folder) ? again.WaitForSkinWindow() : nullptr;
    ASSERT_NE(skin, nullptr) << "Pelto did not start again: " << again;
    EXPECT_EQ(SizeOf(skin), "70 x 26") << "the skin window is not the saved skin";
    EXPECT_EQ(ReadFileText(s.folder.File("setting")), "300 0 saved.skn");
    EXPECT_EQ(LauncherFileOf(s.folder), expected);
    for (const char* file : {"setting.old", "setting.tmp", "launch_data.old", "launch_data.tmp"}) EXPECT_FALSE(FileExists(s.folder.File(file))) << file << " is still there";
    // The kept list is in use: the launcher popup opens (an empty list opens none), and
    // the settings list every entry in order.
    EXPECT_NE(OpenMenuWithHotkey(again.pid(), 'Z'), nullptr) << "no launcher popup: the list set aside was not read";
    CloseMenu(again.pid());
    std::string why;
    ASSERT_TRUE(ChooseFromMainMenu(again, IDM_LAUNCHER_SETTINGS, &why)) << "launcher settings: " << why;
    settings = WaitForDialog(again.pid(), kLauncherSettingsCaption);
    ASSERT_NE(settings, nullptr) << "no launcher settings dialog: " << again;
    EXPECT_EQ(ListBoxLines(settings, IDC_LAUNCHER_LIST), (std::vector<std::string>{"C:\\first.exe", "C:\\second.exe", "C:\\line"}));
    ClickDialogButton(settings, IDC_LAUNCHER_CANCEL);
}

// Leaving Windows ends the whole Wine session, driver and all, so Pelto runs in a
// session of its own (its own prefix and wineserver, same X display) with a recorder.
// The driver's Win32 view does not reach it: xdotool gives the main-menu hotkey, the
// menu's keys and Enter on the question (Yes is its default). Each step waits for what
// the recorder saw; the log gives the seconds run, and on a failure the windows shown.
const char kLeaveSessionScript[] = R"SH(#!/bin/bash
# session-prefix pelto.exe recorder.exe log keys windows-version
set -u
# PELTO_WINE_BIN: the 64-bit loader's stand-ins where no 32-bit program starts (run_e2e.sh).
export PATH=${PELTO_WINE_BIN:+$PELTO_WINE_BIN:}/usr/bin:/bin WINEPREFIX=$1 WINEDEBUG=-all
pelto=$2 recorder=$3 log=$4 keys=$5 winver=$6
winlog="Z:${log//\//\\}"
shown() { for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do xdotool getwindowname "$w"; done | tr '\n' '|'; }
pelto_state() { [ -z "${pid:-}" ] && return; kill -0 "$pid" 2>/dev/null && echo -n "; Pelto runs" || echo -n "; Pelto ended"; echo -n ", its output: $(tail -c 300 "$app.out" 2>/dev/null | tr '\n' '|')"; }
fail() { echo "fail $1 (${SECONDS} s; shown: $(shown)$(pelto_state))" >> "$log"; wineserver -k 2>/dev/null; timeout 30 wineserver -w; exit 1; }
# The first shown X window named $1, waited for up to $2 s (default 60). Asked again and again
# rather than with --sync: one search ends at once when a window it looks at goes away meanwhile.
window() {
    for _ in $(seq $((${2:-60} * 5))); do
        w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
        [ -n "$w" ] && echo "$w" && return 0
        sleep 0.2
    done
    return 1
}
# A line of the log, waited for up to $2 tenths of a second.
seen() { for _ in $(seq "$2"); do grep -q "$1" "$log" 2>/dev/null && return 0; sleep 0.1; done; return 1; }
if [ ! -d "$WINEPREFIX" ]; then
    timeout 150 wine wineboot -i >/dev/null 2>&1 || fail "the session's prefix was not made"
    if [ -n "$winver" ]; then
        wine reg add 'HKCU\Software\Wine\AppDefaults\Pelto.exe' /v Version /d "$winver" /f >/dev/null 2>&1 ||
            fail "no Windows version for Pelto.exe"
    fi
    timeout 60 wineserver -w || fail "the new session did not settle"
fi
rm -f "$log"
# Pelto runs from a short path: the plug-in paths under the driver's prefix are too long.
app=$WINEPREFIX-app
rm -rf "$app" && cp -a "$(dirname "$pelto")" "$app" || fail "cannot copy Pelto"
# One program at a time into the session: the recorder's window shows that the
# session's server and desktop are up before Pelto starts.
wine "$recorder" "$winlog" >/dev/null 2>&1 &
rw=$(window '^Session Recorder$'); [ -n "$rw" ] || fail "no recorder window"
wine "$app/Pelto.exe" >"$app.out" 2>&1 &
pid=$!
pw=$(window '^Quorval Pelto$'); [ -n "$pw" ] || fail "no skin window"
seen '^started' 200 || fail "the recorder did not start"
xdotool windowfocus --sync "$rw" || fail "cannot focus the recorder"
xdotool key ctrl+shift+a
seen '^menu' 200 || fail "Ctrl+Shift+A opened no menu"
xdotool windowfocus --sync "$pw" || fail "cannot focus the skin window"
xdotool key $keys
seen '^box' 200 || fail "no question after the keys $keys"
bw=$(window '^Pelto$' 10); [ -n "$bw" ] || fail "no X window for the question"
xdotool windowfocus --sync "$bw" || fail "cannot focus the question"
echo "yes at ${SECONDS} s" >> "$log"
xdotool key Return
# The end comes through a new wineboot asking each process in turn: slow under load.
seen '^end' 1200 || fail "the session did not end after Yes"
echo "ended at ${SECONDS} s" >> "$log"
timeout 60 wineserver -w || fail "the session's processes did not end"
)SH";

// The session's prefix and log, removed at the end whatever happened.
struct OwnSession {
    std::string prefix = "/tmp/pelto-e2e-session-" + RunTag();
    std::string log = prefix + ".log";
    ~OwnSession() {
        RunUnixAndWait("WINEPREFIX='" + prefix + "' /usr/bin/wineserver -k; rm -rf '" + prefix + "' '" + prefix + "-app' '" + prefix + "-app.out' '" + log + "'", 60000);
    }
};

TEST(EdgeCase, ShutDownRestartAndLogOffAfterYesEndTheSession) {
    SetTestTimeLimit(600);
    const struct {
        const char* name;
        const char* keys;  // after the menu opens: the first Down lights "■　Windows"
        const char* question;
    } rows[] = {{"shut down", "Down Right Return", "Windowsを終了してよろしいですか"},
                {"restart", "Down Right Down Return", "Windowsを再起動してよろしいですか"},
                // the separator before log off takes no key
                {"log off", "Down Right Down Down Return", "ログオフしてよろしいですか"}};
    InstallFolder folder("leavesession");
    ASSERT_TRUE(folder.ok()) << "no install folder";
    const std::string script = folder.File("leave_session.sh");
    ASSERT_TRUE(WriteFileBytes(script, kLeaveSessionScript)) << "cannot write the script";
    const std::string pelto = UnixPathOf(folder.File("Pelto.exe")), recorder = UnixPathOf(TestProgramPath("PeltoSessionRecorder.exe"));
    ASSERT_TRUE(!pelto.empty() && !recorder.empty()) << "no Unix paths for the programs";
    OwnSession session;
    std::string windowsLog = "Z:" + session.log;
    std::replace(windowsLog.begin(), windowsLog.end(), '/', '\\');
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const bool ran = RunUnixAndWait(Format("/bin/bash '%s' '%s' '%s' '%s' '%s' '%s' '%s'", UnixPathOf(script).c_str(), session.prefix.c_str(), pelto.c_str(),
                                               recorder.c_str(), session.log.c_str(), row.keys, ReportedWindows().c_str()),
                                        360000);
        const std::string log = ReadFileText(windowsLog);
        Trace("the session's log: %s", Printable(log).c_str());
        EXPECT_TRUE(ran) << "the session script failed; its log: " << Printable(log);
        EXPECT_NE(log.find(std::string("\nbox ") + row.question + "\n"), std::string::npos) << "the question was not " << Printable(row.question) << "; log: " << Printable(log);
        EXPECT_TRUE(log.find("\nquery ") != std::string::npos && log.find("\nend 1 ") != std::string::npos) << "the recorder saw no end of the session after Yes; log: " << Printable(log);
    }
}

}  // namespace
