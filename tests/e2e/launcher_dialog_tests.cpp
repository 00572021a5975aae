// The launcher settings and entry dialogs: the list's working copy, add, edit, delete, apply, cancel, browse, limits.
#include <windows.h>

#include <string>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "launcher_support.h"
#include "pelto_session.h"
#include "resources/resource_ids.h"
#include "target_support.h"

namespace {

using namespace e2e;

const char kPathTooLongText[] = "ファイルの場所が長すぎます。\n登録できるのは100バイトまでです。";

HWND OpenSettings(PeltoSession& s) { return s.OpenDialog(IDM_LAUNCHER_SETTINGS, kLauncherSettingsCaption); }

// Opens the entry dialog with a settings button (Add or Edit) and checks its owner.
HWND OpenEntry(PeltoSession& s, HWND settings, int button) {
    HWND entry = OpenEntryDialog(s, settings, button);
    [&] { ASSERT_NE(entry, nullptr) << "button " << button << " opened no entry dialog"; }();
    EXPECT_EQ(GetWindow(entry, GW_OWNER), settings) << "the entry dialog's owner";
    return entry;
}

void Select(HWND dialog, int line) { SendMessageA(GetDlgItem(dialog, IDC_LAUNCHER_LIST), LB_SETCURSEL, static_cast<WPARAM>(line), 0); }

// OK with a path the entry dialog refuses: the message, and the dialog stays.
void ExpectRefused(const PeltoSession& s, HWND entry, const std::string& path, const char* text) {
    SetControlText(entry, IDC_ENTRY_PATH, path);
    ClickDialogButton(entry, IDC_ENTRY_OK);
    AnswerBox(s.pelto, {text, "Pelto", entry}, IDOK);
    EXPECT_TRUE(IsWindow(entry)) << "the entry dialog closed on a refused path";
}

void CheckFileBecomes(const PeltoSession& s, const std::string& expected) { EXPECT_EQ(WaitForLauncherFile(s.folder, expected), expected) << "launch_data"; }

// A real click on a button that ends the dialog (cancel, apply, OK).
void EndWith(HWND dialog, int button) {
    EXPECT_TRUE(ClickDialogButton(dialog, button) && WindowGoes(dialog)) << "button " << button << " did not end the dialog";
}

std::vector<std::string> Lines(HWND dialog) { return ListBoxLines(dialog, IDC_LAUNCHER_LIST); }
void CheckLines(HWND dialog, const std::vector<std::string>& expected, const char* when) { EXPECT_EQ(Lines(dialog), expected) << "the list " << when; }

const std::vector<LauncherItem> kThree = {{"C:\\a.exe", "Title A"}, {"C:\\b.exe", "Title B"}, {"C:\\c.exe", "Title C"}};
const std::vector<std::string> kThreePaths = {"C:\\a.exe", "C:\\b.exe", "C:\\c.exe"};

// One Pelto with three entries for the dialogs' cases, each leaving both closed.
TEST(LauncherDialog, LauncherDialogs_OnlyTheirButtonsEndThemCancelKeepsTheFileApplyWritesItAndBrowseFillsThePath) {
    SetTestTimeLimit(240);
    PeltoSession s("dialogends");
    s.Start([](const InstallFolder& f) { return WriteLauncherFile(f, kThree); });
    // Each dialog is first seen to take keys typed for real.
    HWND settings = OpenSettings(s);
    HWND list = GetDlgItem(settings, IDC_LAUNCHER_LIST);
    const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    ASSERT_TRUE(PressKeysOn(settings, {VK_DOWN})) << "cannot type Down";
    EXPECT_TRUE(WaitUntil(2000, [&] { return SendMessageA(list, LB_GETCURSEL, 0, 0) != selected; })) << "Down did not move the list's selection from " << selected;
    CheckEscEnterAndCloseBoxLeaveOpen(settings, "settings dialog");
    // A button's mnemonic does act: Alt+A opens the entry dialog.
    ASSERT_TRUE(BringToForeground(settings) && PressKeys({VK_MENU, 'A'})) << "cannot type Alt+A";
    HWND entry = WaitForDialog(s.pelto.pid(), kNewEntryCaption);
    ASSERT_NE(entry, nullptr) << "Alt+A opened no entry dialog: " << s.pelto;
    ASSERT_TRUE(PressKeysOn(entry, {'X', 'Y', 'Z'})) << "cannot type xyz";
    EXPECT_TRUE(WaitUntil(2000, [&] { return ControlText(entry, IDC_ENTRY_PATH) == "xyz"; })) << "the keys typed gave \"" << Printable(ControlText(entry, IDC_ENTRY_PATH)) << "\"";
    CheckEscEnterAndCloseBoxLeaveOpen(entry, "entry dialog");
    EXPECT_EQ(ControlText(entry, IDC_ENTRY_PATH), "xyz") << "the entry dialog's path after Esc, Enter and the close box";
    CheckLines(settings, kThreePaths, "while the entry dialog is open");
    // From the top one down, a real click on its own button ends each.
    EndWith(entry, IDC_ENTRY_OK);
    CheckLines(settings, {"C:\\a.exe", "C:\\b.exe", "C:\\c.exe", "xyz"}, "after OK");
    // Cancel after an add and a delete changes neither the file nor the list the next opening shows.
    DeleteLauncherLine(s, settings, 0, IDYES);
    CheckLines(settings, {"C:\\b.exe", "C:\\c.exe", "xyz"}, "before cancel");
    EndWith(settings, IDC_LAUNCHER_CANCEL);
    EXPECT_TRUE(PeltoAnswers(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_EQ(LauncherFileOf(s.folder), LauncherFileText(kThree));
    {
        SCOPED_TRACE("add, edit, delete and apply");
        settings = OpenSettings(s);
        CheckLines(settings, kThreePaths, "at opening after the cancel (paths, not titles)");

        // Add two, in a row; the second first tries the path just added.
        entry = OpenEntry(s, settings, IDC_LAUNCHER_ADD);
        EXPECT_EQ(ControlText(entry, IDC_ENTRY_PATH), "");
        EXPECT_EQ(ControlText(entry, IDC_ENTRY_TITLE), "");
        EXPECT_TRUE(FillEntry(entry, "C:\\new one.exe", "New One"));
        CheckLines(settings, {"C:\\a.exe", "C:\\b.exe", "C:\\c.exe", "C:\\new one.exe"}, "after the first add");
        entry = OpenEntry(s, settings, IDC_LAUNCHER_ADD);
        SetControlText(entry, IDC_ENTRY_TITLE, "Again");
        ExpectRefused(s, entry, "C:\\new one.exe", kDuplicateText);
        EXPECT_EQ(ControlText(entry, IDC_ENTRY_PATH), "C:\\new one.exe");
        EXPECT_EQ(ControlText(entry, IDC_ENTRY_TITLE), "Again");
        EXPECT_TRUE(FillEntry(entry, "C:\\second.exe", ""));  // an empty title is accepted and keeps its place in the file
        CheckLines(settings, {"C:\\a.exe", "C:\\b.exe", "C:\\c.exe", "C:\\new one.exe", "C:\\second.exe"}, "after two adds");

        // Delete: with no line selected Yes removes nothing; No keeps the line; Yes removes it.
        for (int line : {-1, 0}) {
            DeleteLauncherLine(s, settings, line, line < 0 ? IDYES : IDNO);
            EXPECT_EQ(Lines(settings).size(), 5u) << "after deleting line " << line;
        }
        DeleteLauncherLine(s, settings, 0, IDYES);
        CheckLines(settings, {"C:\\b.exe", "C:\\c.exe", "C:\\new one.exe", "C:\\second.exe"}, "after deleting the first");

        // Edit with no line selected opens nothing; with one, the entry's own texts.
        Select(settings, -1);
        ClickDialogButton(settings, IDC_LAUNCHER_EDIT);
        ASSERT_TRUE(WaitForWindowIdle(settings)) << "the dialog does not answer";
        EXPECT_EQ(WaitForDialog(s.pelto.pid(), kEditEntryCaption, 100), nullptr) << "edit opened with no line selected";
        Select(settings, 1);
        entry = OpenEntry(s, settings, IDC_LAUNCHER_EDIT);
        EXPECT_EQ(ControlText(entry, IDC_ENTRY_PATH), "C:\\c.exe");
        EXPECT_EQ(ControlText(entry, IDC_ENTRY_TITLE), "Title C");
        ExpectRefused(s, entry, "C:\\b.exe", kDuplicateText);  // another entry's path
        EXPECT_TRUE(FillEntry(entry, "C:\\c.exe", "Title C edited"));  // its own path: accepted
        Select(settings, 2);
        EXPECT_TRUE(FillEntry(OpenEntry(s, settings, IDC_LAUNCHER_EDIT), "C:\\renamed.exe"));
        CheckLines(settings, {"C:\\b.exe", "C:\\c.exe", "C:\\renamed.exe", "C:\\second.exe"}, "after the edits");

        // Deleting an entry and adding its path again is accepted.
        DeleteLauncherLine(s, settings, 0, IDYES);
        EXPECT_TRUE(FillEntry(OpenEntry(s, settings, IDC_LAUNCHER_ADD), "C:\\b.exe", "B back"));
        EndWith(settings, IDC_LAUNCHER_APPLY);
        CheckFileBecomes(s, "4\nC:\\c.exe\nTitle?C?edited\nC:\\renamed.exe\nNew?One\nC:\\second.exe\n?\nC:\\b.exe\nB?back\n");

        // The applied list is the one the program now holds.
        settings = OpenSettings(s);
        CheckLines(settings, {"C:\\c.exe", "C:\\renamed.exe", "C:\\second.exe", "C:\\b.exe"}, "at the next opening");
        // Applying an empty list writes a file of 0, so the entries stay deleted.
        for (int i = 0; i < 4; ++i) DeleteLauncherLine(s, settings, 0, IDYES);
        CheckLines(settings, {}, "after deleting all");
        ClickDialogButton(settings, IDC_LAUNCHER_APPLY);
        CheckFileBecomes(s, "0\n");
    }
    {
        SCOPED_TRACE("browse fills the path and its cancel keeps it");
        const std::string chosen = s.folder.File("Pelto.exe");
        settings = OpenSettings(s);
        entry = OpenEntry(s, settings, IDC_LAUNCHER_ADD);
        SetControlText(entry, IDC_ENTRY_PATH, "C:\\typed.exe");
        SetControlText(entry, IDC_ENTRY_TITLE, "Kept Title");
        CheckBrowseButton(s.pelto, entry, IDC_ENTRY_BROWSE, IDC_ENTRY_PATH, chosen);
        EXPECT_EQ(ControlText(entry, IDC_ENTRY_TITLE), "Kept Title");
        EXPECT_TRUE(FillEntry(entry, ControlText(entry, IDC_ENTRY_PATH)));
        ClickDialogButton(settings, IDC_LAUNCHER_APPLY);
        CheckFileBecomes(s, "1\n" + chosen + "\nKept?Title\n");
    }
}

// What start-up reads from launch_data (a fresh start each): the popup, the dialog's list. The full list then meets
// the limits: "add this window" and the add are refused at 100 entries; with one deleted, an entry holds 100 bytes.
TEST(LauncherDialog, LauncherDialogs_ShowTheListAsStartUpReadItAndKeepItsLimits) {
    SetTestTimeLimit(240);
    const std::string pairs = "\nC:\\a.exe\na\nC:\\b.exe\nb\n";
    std::string crlf = "150\r\n";
    std::vector<LauncherItem> first100;
    std::vector<std::string> first100Paths;
    for (int i = 0; i < 150; ++i) {
        crlf += Format("C:\\p%d.exe\r\nT?%d\r\n", i, i);
        if (i >= 100) continue;
        first100.push_back({Format("C:\\p%d.exe", i), Format("T %d", i)});
        first100Paths.push_back(first100.back().path);
    }
    const struct {
        const char* name;
        const char* tag;
        std::string file;
        int popup;  // 1: the list's popup opens, 0: it does not, -1: not tried (the limits are)
        std::vector<std::string> lines;
    } cases[] = {
        {"CR LF line ends and more entries than the list holds: the first 100", "startupcrlf", crlf, -1, first100Paths},
        {"a negative count is an empty list", "startupnegative", "-2" + pairs, 0, {}},
        {"the positive control: a count of 2 over the same pairs", "startuppositive", "2" + pairs, 1, {"C:\\a.exe", "C:\\b.exe"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PeltoSession s(c.tag);
        s.Start([&](const InstallFolder& f) { return WriteFileBytes(f.File("launch_data"), c.file); });
        if (c.popup < 0) {
            TargetProcess target;
            ASSERT_EQ(AddThisWindow(s, target, TestProgramPath("PeltoTarget.exe"), "--title \"One Too Many\" --rect 100 200 500 300", "One Too Many"), "");
            AnswerBox(s.pelto, {kLauncherFullText, "Pelto", s.skin});
            EXPECT_EQ(LauncherFileOf(s.folder), c.file) << "launch_data changed";
        } else {
            s.ChooseFromMenu(IDM_LAUNCHER_LIST);
            if (!c.popup) { ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << s.pelto; }
            const HWND popup = c.popup ? WaitForMenuWindow(s.pelto.pid()) : VisibleMenuWindow(s.pelto.pid());
            EXPECT_EQ(popup != nullptr, c.popup == 1) << "whether the list's popup opened";
            CloseMenu(s.pelto.pid());
        }
        HWND settings = OpenSettings(s);
        CheckLines(settings, c.lines, "at opening");
        if (c.popup >= 0) {
            ClickDialogButton(settings, IDC_LAUNCHER_CANCEL);
            continue;
        }
        ClickDialogButton(settings, IDC_LAUNCHER_ADD);
        AnswerBox(s.pelto, {kLauncherFullText, "Pelto", settings}, IDOK);
        EXPECT_EQ(WaitForDialog(s.pelto.pid(), kNewEntryCaption, 300), nullptr) << "the entry dialog opened at 100 entries";
        DeleteLauncherLine(s, settings, 99, IDYES);
        HWND entry = OpenEntry(s, settings, IDC_LAUNCHER_ADD);
        for (int field : {IDC_ENTRY_PATH, IDC_ENTRY_TITLE})
            EXPECT_EQ(SendMessageA(GetDlgItem(entry, field), EM_GETLIMITTEXT, 0, 0), 100) << "the limit of field " << field;
        // A path that does not fit is refused (a cut path names another file)...
        ExpectRefused(s, entry, "C:\\" + std::string(98, 'p'), kPathTooLongText);
        // ... one of 100 bytes is taken; a long title is cut on a character boundary, a tab made a blank.
        const std::string path100 = "C:\\" + std::string(97, 'q');
        EXPECT_TRUE(FillEntry(entry, path100, ("tab\there" + std::string(91, 'x') + "\x82\xA0" + "tail").c_str()));
        EXPECT_EQ(Lines(settings).size(), 100u);
        ClickDialogButton(settings, IDC_LAUNCHER_APPLY);
        first100.back() = {path100, "tab here" + std::string(91, 'x')};
        CheckFileBecomes(s, LauncherFileText(first100));
    }
}

}  // namespace
