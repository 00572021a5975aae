// The launcher settings dialog (128) and its entry dialog (129): the working
// copy of the list, add, edit, delete, apply, cancel, browse and the limits.
#include <windows.h>

#include <string>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "launcher_support.h"
#include "pelto_session.h"
#include "target_support.h"

namespace {

using namespace e2e;

constexpr int kList = 1013, kAdd = 1014, kDelete = 1015, kEdit = 1016, kCancel = 1018, kApply = 1019;
constexpr int kPath = 1015, kTitle = 1016, kOk = 1017, kBrowse = 1018;
const char kPathTooLongText[] = "ファイルの場所が長すぎます。\n登録できるのは100バイトまでです。";

HWND OpenSettings(PeltoSession& s) {
    return s.OpenDialog(40062, kLauncherSettingsCaption);
}

// Opens the entry dialog with a settings button (with a click when realClick).
HWND OpenEntry(PeltoSession& s, HWND settings, int button, const char* caption, bool realClick = false) {
    if (realClick) {
        EXPECT_TRUE(ClickDialogButton(settings, button)) << Format("cannot click button %d of the settings dialog", button);
    }
    else
        ClickDialogButton(settings, button);
    HWND entry = WaitForDialog(s.pelto.pid(), caption);
    [&] { ASSERT_TRUE(entry != nullptr) << Format("no entry dialog \"%s\"", Printable(caption).c_str()); }();
    EXPECT_TRUE(GetWindow(entry, GW_OWNER) == settings) << "the entry dialog is not owned by the settings dialog";
    return entry;
}

void Select(HWND dialog, int line) { SendMessageA(GetDlgItem(dialog, kList), LB_SETCURSEL, static_cast<WPARAM>(line), 0); }

bool Closes(HWND dialog) {
    return WaitUntil(5000, [&] { return !IsWindow(dialog); });
}

void AcceptEntry(HWND entry) {
    ClickDialogButton(entry, kOk);
    EXPECT_TRUE(Closes(entry)) << "OK did not close the entry dialog";
}

// Opens the entry dialog with Add or Edit, fills it (a null title is left
// untouched) and presses OK.
void EnterEntry(PeltoSession& s, HWND settings, int button, const std::string& path, const char* title = nullptr) {
    HWND entry = OpenEntry(s, settings, button, button == kAdd ? kNewEntryCaption : kEditEntryCaption);
    SetControlText(entry, kPath, path);
    if (title) SetControlText(entry, kTitle, title);
    AcceptEntry(entry);
}

// Selects a line (-1: none), presses Delete (clicked as ClickDialogButton does when
// realClick) and answers the question, which offers Yes and No.
void DeleteLine(const PeltoSession& s, HWND settings, int line, int answer, bool realClick = false) {
    Select(settings, line);
    if (realClick) {
        EXPECT_TRUE(ClickDialogButton(settings, kDelete)) << "cannot click the delete button";
    }
    else
        ClickDialogButton(settings, kDelete);
    AnswerBox(s.pelto, {kDeleteQuestion, "Pelto", settings, false, {IDYES, IDNO}}, answer);
}

// Waits for launch_data to hold expected; a failure shows the last 160 bytes of both.
void CheckFileBecomes(const PeltoSession& s, const std::string& expected) {
    auto tail = [](const std::string& t) { return Printable(t.substr(t.size() > 160 ? t.size() - 160 : 0)); };
    EXPECT_TRUE(WaitUntil(5000, [&] { return LauncherFileOf(s.folder) == expected; })) << Format("launch_data ends \"%s\", expected \"%s\"", tail(LauncherFileOf(s.folder)).c_str(), tail(expected).c_str());
}

std::vector<std::string> Lines(HWND dialog) { return ListBoxLines(dialog, kList); }

std::string Joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += (out.empty() ? "" : " | ") + l;
    return out;
}

void CheckLines(HWND dialog, const std::vector<std::string>& expected, const char* when) {
    std::vector<std::string> lines = Lines(dialog);
    EXPECT_TRUE(lines == expected) << Format("%s: the list shows [%s], expected [%s]", when, Printable(Joined(lines)).c_str(), Printable(Joined(expected)).c_str());
}

// Esc and Enter typed for real, then a real click on the close box: the dialog
// stays open. Tab typed after the keys moves the focus, so they arrived. The
// click point is first confirmed as the close box by the dialog's own hit test,
// so a click that misses cannot pass for one that was ignored.
void CheckStaysOpenOnEnterEscAndClose(HWND dialog, const char* which) {
    ASSERT_TRUE(BringToForeground(dialog)) << Format("the %s did not come to the foreground", which);
    EXPECT_TRUE(PressKeys({VK_ESCAPE})) << "cannot type Esc";
    EXPECT_TRUE(PressKeys({VK_RETURN})) << "cannot type Enter";
    EXPECT_TRUE(IsWindow(dialog) && TabMovesFocus(dialog)) << Format("Tab typed after Esc and Enter did not move the %s's focus", which);
    EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog)) << Format("Esc or Enter ended the %s", which);
    if (!IsWindow(dialog)) return;
    EXPECT_TRUE(ClickCloseBox(dialog)) << Format("no close box of the %s to click", which);
    WaitForWindowIdle(dialog);
    EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog)) << Format("the close box ended the %s", which);
}

const std::vector<LauncherItem> kThree = {{"C:\\a.exe", "Title A"}, {"C:\\b.exe", "Title B"}, {"C:\\c.exe", "Title C"}};

TEST(LauncherDialog, LauncherDialogs_AddEditDeleteAndApply) {
    PeltoSession s("dialogs");
    s.Start([](const InstallFolder& f) { return WriteLauncherFile(f, kThree); });
    HWND settings = OpenSettings(s);
    EXPECT_TRUE(GetWindow(settings, GW_OWNER) == s.skin) << "the settings dialog is not owned by the skin window";
    CheckLines(settings, {"C:\\a.exe", "C:\\b.exe", "C:\\c.exe"}, "at opening (paths, not titles)");

    // Add two, in a row (the first by a real click); the second first tries the path just added.
    ASSERT_TRUE(BringToForeground(settings)) << "the settings dialog did not come to the foreground";
    HWND entry = OpenEntry(s, settings, kAdd, kNewEntryCaption, true);
    EXPECT_EQ(ControlText(entry, kPath), "");
    EXPECT_EQ(ControlText(entry, kTitle), "");
    SetControlText(entry, kPath, "C:\\new one.exe");
    SetControlText(entry, kTitle, "New One");
    AcceptEntry(entry);
    CheckLines(settings, {"C:\\a.exe", "C:\\b.exe", "C:\\c.exe", "C:\\new one.exe"}, "after the first add");
    entry = OpenEntry(s, settings, kAdd, kNewEntryCaption);
    SetControlText(entry, kPath, "C:\\new one.exe");
    SetControlText(entry, kTitle, "Again");
    ClickDialogButton(entry, kOk);
    AnswerBox(s.pelto, {kDuplicateText, "Pelto", entry}, IDOK);
    EXPECT_TRUE(IsWindow(entry)) << "the entry dialog closed on a duplicate";
    EXPECT_EQ(ControlText(entry, kPath), "C:\\new one.exe");
    EXPECT_EQ(ControlText(entry, kTitle), "Again");
    SetControlText(entry, kPath, "C:\\second.exe");
    SetControlText(entry, kTitle, "");  // an empty title is accepted and keeps its place in the file
    AcceptEntry(entry);
    CheckLines(settings, {"C:\\a.exe", "C:\\b.exe", "C:\\c.exe", "C:\\new one.exe", "C:\\second.exe"}, "after two adds");

    // Delete: with no line selected Yes removes nothing; No keeps the line; Yes removes it.
    DeleteLine(s, settings, -1, IDYES);
    EXPECT_EQ(Lines(settings).size(), 5);
    DeleteLine(s, settings, 0, IDNO);
    EXPECT_EQ(Lines(settings).size(), 5);
    DeleteLine(s, settings, 0, IDYES, true);
    CheckLines(settings, {"C:\\b.exe", "C:\\c.exe", "C:\\new one.exe", "C:\\second.exe"}, "after deleting the first");

    // Edit with no line selected opens nothing; with one, the entry's own texts.
    Select(settings, -1);
    ClickDialogButton(settings, kEdit);
    ASSERT_TRUE(WaitForWindowIdle(settings)) << "the dialog does not answer";
    EXPECT_TRUE(WaitForDialog(s.pelto.pid(), kEditEntryCaption, 100) == nullptr) << "edit opened with no line selected";
    Select(settings, 1);
    entry = OpenEntry(s, settings, kEdit, kEditEntryCaption);
    EXPECT_EQ(ControlText(entry, kPath), "C:\\c.exe");
    EXPECT_EQ(ControlText(entry, kTitle), "Title C");
    SetControlText(entry, kPath, "C:\\b.exe");  // another entry's path: refused
    ClickDialogButton(entry, kOk);
    AnswerBox(s.pelto, {kDuplicateText, "Pelto", entry}, IDOK);
    SetControlText(entry, kPath, "C:\\c.exe");  // its own path: accepted
    SetControlText(entry, kTitle, "Title C edited");
    AcceptEntry(entry);
    Select(settings, 2);
    EnterEntry(s, settings, kEdit, "C:\\renamed.exe");
    CheckLines(settings, {"C:\\b.exe", "C:\\c.exe", "C:\\renamed.exe", "C:\\second.exe"}, "after the edits");

    // Deleting an entry and adding its path again is accepted.
    DeleteLine(s, settings, 0, IDYES);
    EnterEntry(s, settings, kAdd, "C:\\b.exe", "B back");

    ASSERT_TRUE(BringToForeground(settings)) << "the settings dialog did not come back to the foreground";
    EXPECT_TRUE(ClickDialogButton(settings, kApply)) << "cannot click the apply button";
    EXPECT_TRUE(Closes(settings)) << "apply did not close the dialog";
    CheckFileBecomes(s,
                     "4\nC:\\c.exe\nTitle?C?edited\nC:\\renamed.exe\nNew?One\nC:\\second.exe\n?\nC:\\b.exe\nB?back\n");

    // The applied list is the one the program now holds.
    settings = OpenSettings(s);
    CheckLines(settings, {"C:\\c.exe", "C:\\renamed.exe", "C:\\second.exe", "C:\\b.exe"}, "at the next opening");
    ClickDialogButton(settings, kCancel);
}

// Esc, Enter and the close box end neither dialog; the keys demonstrably reach
// each dialog, and each dialog's own button, pressed for real, does end it.
TEST(LauncherDialog, LauncherDialogs_EscEnterAndTheCloseBoxEndNeither) {
    PeltoSession s("dialogkeys");
    s.Start([](const InstallFolder& f) { return WriteLauncherFile(f, kThree); });
    HWND settings = OpenSettings(s);
    ASSERT_TRUE(BringToForeground(settings)) << "the settings dialog did not come to the foreground";
    HWND list = GetDlgItem(settings, kList);
    const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    EXPECT_TRUE(PressKeys({VK_DOWN})) << "cannot type Down";
    EXPECT_TRUE(WaitUntil(2000, [&] { return SendMessageA(list, LB_GETCURSEL, 0, 0) != selected; })) << Format("Down typed on the settings dialog did not move the list's selection (%d)", static_cast<int>(selected));
    CheckStaysOpenOnEnterEscAndClose(settings, "settings dialog");

    // A button's mnemonic, typed for real, does act: Alt+A opens the entry dialog.
    ASSERT_TRUE(BringToForeground(settings)) << "the settings dialog did not come back to the foreground";
    EXPECT_TRUE(PressKeys({VK_MENU, 'A'})) << "cannot type Alt+A";
    HWND entry = WaitForDialog(s.pelto.pid(), kNewEntryCaption);
    ASSERT_TRUE(entry != nullptr) << "Alt+A opened no entry dialog: " << s.pelto;
    ASSERT_TRUE(BringToForeground(entry)) << "the entry dialog did not come to the foreground";
    for (WORD key : {'X', 'Y', 'Z'}) { EXPECT_TRUE(PressKeys({key})) << "cannot type a letter"; }
    EXPECT_TRUE(WaitUntil(2000, [&] { return ControlText(entry, kPath) == "xyz"; })) << Format("the keys typed on the entry dialog gave \"%s\", not \"xyz\"", Printable(ControlText(entry, kPath)).c_str());
    CheckStaysOpenOnEnterEscAndClose(entry, "entry dialog");
    EXPECT_EQ(ControlText(entry, kPath), "xyz");
    CheckLines(settings, {"C:\\a.exe", "C:\\b.exe", "C:\\c.exe"}, "while the entry dialog is open");

    // Its own OK, clicked for real, ends it.
    EXPECT_TRUE(ClickDialogButton(entry, kOk)) << "cannot click OK of the entry dialog";
    EXPECT_TRUE(Closes(entry)) << "a real click on OK did not end the entry dialog";
    CheckLines(settings, {"C:\\a.exe", "C:\\b.exe", "C:\\c.exe", "xyz"}, "after OK");

    // Cancel, clicked for real, ends the settings dialog and keeps the file.
    ASSERT_TRUE(BringToForeground(settings)) << "the settings dialog did not come back to the foreground";
    EXPECT_TRUE(ClickDialogButton(settings, kCancel)) << "cannot click cancel of the settings dialog";
    EXPECT_TRUE(Closes(settings)) << "a real click on cancel did not end the settings dialog";
    EXPECT_TRUE(PeltoAnswers(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_EQ(LauncherFileOf(s.folder), LauncherFileText(kThree));
}

TEST(LauncherDialog, LauncherDialogs_CancelChangesNeitherListNorFile) {
    PeltoSession s("dialogcancel");
    s.Start([](const InstallFolder& f) { return WriteLauncherFile(f, kThree); });
    HWND settings = OpenSettings(s);
    EnterEntry(s, settings, kAdd, "C:\\dropped.exe");
    DeleteLine(s, settings, 0, IDYES);
    CheckLines(settings, {"C:\\b.exe", "C:\\c.exe", "C:\\dropped.exe"}, "before cancel");
    ClickDialogButton(settings, kCancel);
    EXPECT_TRUE(Closes(settings)) << "cancel did not close the dialog";
    EXPECT_TRUE(PeltoAnswers(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_EQ(LauncherFileOf(s.folder), LauncherFileText(kThree));
    settings = OpenSettings(s);
    CheckLines(settings, {"C:\\a.exe", "C:\\b.exe", "C:\\c.exe"}, "after cancel");

    // Applying an empty list writes a file of 0, so the entries stay deleted.
    for (int i = 0; i < 3; ++i) DeleteLine(s, settings, 0, IDYES);
    CheckLines(settings, {}, "after deleting all");
    ClickDialogButton(settings, kApply);
    CheckFileBecomes(s, "0\n");
}

TEST_F(StartedPelto, LauncherDialogs_BrowseFillsThePathAndItsCancelKeepsIt) {
    const std::string chosen = s.folder.File("Pelto.exe");
    HWND settings = OpenSettings(s);
    HWND entry = OpenEntry(s, settings, kAdd, kNewEntryCaption);
    SetControlText(entry, kPath, "C:\\typed.exe");
    SetControlText(entry, kTitle, "Kept Title");

    ClickDialogButton(entry, kBrowse);
    HWND files = WaitForOpenDialog(s.pelto.pid(), nullptr, entry);
    ASSERT_TRUE(files != nullptr) << "browse opened no file dialog";
    ClickDialogButton(files, IDCANCEL);
    EXPECT_TRUE(Closes(files)) << "the file dialog did not close";
    EXPECT_TRUE(PeltoAnswers(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_EQ(ControlText(entry, kPath), "C:\\typed.exe");

    ClickDialogButton(entry, kBrowse);
    files = WaitForOpenDialog(s.pelto.pid(), nullptr, entry);
    ASSERT_TRUE(files != nullptr) << "browse opened no file dialog the second time";
    EXPECT_TRUE(ChooseInOpenDialog(files, chosen)) << "the file dialog did not take the path and close on OK";
    EXPECT_TRUE(WaitUntil(3000, [&] { return ControlText(entry, kPath) == chosen; })) << Format("the path field holds \"%s\"", Printable(ControlText(entry, kPath)).c_str());
    EXPECT_EQ(ControlText(entry, kTitle), "Kept Title");
    AcceptEntry(entry);
    ClickDialogButton(settings, kApply);
    CheckFileBecomes(s, "1\n" + chosen + "\nKept?Title\n");
}

TEST(LauncherDialog, LauncherDialogs_LimitsOfAnEntryAndOfTheList) {
    PeltoSession s("dialoglimits");
    std::vector<LauncherItem> items;
    for (int i = 0; i < 100; ++i) items.push_back({Format("C:\\apps\\p%d.exe", i), Format("P %d", i)});
    s.Start([&](const InstallFolder& f) { return WriteLauncherFile(f, items); });
    HWND settings = OpenSettings(s);
    EXPECT_EQ(Lines(settings).size(), 100);

    // A 101st entry is refused before the entry dialog opens.
    ClickDialogButton(settings, kAdd);
    AnswerBox(s.pelto, {kLauncherFullText, "Pelto", settings}, IDOK);
    EXPECT_TRUE(WaitForDialog(s.pelto.pid(), kNewEntryCaption, 300) == nullptr) << "the entry dialog opened at 100 entries";

    // With one deleted, add works again; both fields hold 100 bytes.
    DeleteLine(s, settings, 99, IDYES);
    HWND entry = OpenEntry(s, settings, kAdd, kNewEntryCaption);
    EXPECT_EQ(SendMessageA(GetDlgItem(entry, kPath), EM_GETLIMITTEXT, 0, 0), 100);
    EXPECT_EQ(SendMessageA(GetDlgItem(entry, kTitle), EM_GETLIMITTEXT, 0, 0), 100);
    // A path that does not fit is refused (a cut path names another file)...
    SetControlText(entry, kPath, "C:\\" + std::string(98, 'p'));
    ClickDialogButton(entry, kOk);
    AnswerBox(s.pelto, {kPathTooLongText, "Pelto", entry}, IDOK);
    EXPECT_TRUE(IsWindow(entry)) << "the entry dialog closed on a path that does not fit";
    // ... one of 100 bytes is taken; an over-long title is cut on a character
    // boundary, and a tab in it becomes a blank.
    const std::string path100 = "C:\\" + std::string(97, 'q');
    SetControlText(entry, kPath, path100);
    SetControlText(entry, kTitle, "tab\there" + std::string(91, 'x') + "\x82\xA0" + "tail");
    AcceptEntry(entry);
    EXPECT_EQ(Lines(settings).size(), 100);
    ClickDialogButton(settings, kApply);
    items.pop_back();
    std::string expected = LauncherFileText(items);
    expected.replace(0, 2, "100");
    expected += path100 + "\ntab?here" + std::string(91, 'x') + "\n";
    CheckFileBecomes(s, expected);
}

// What start-up reads from launch_data, as the settings dialog then shows it.
TEST(LauncherDialog, LauncherDialogs_ShowTheListAsStartUpReadIt) {
    const std::string pairs = "\nC:\\a.exe\na\nC:\\b.exe\nb\n";
    {
        // CR LF line ends, and more entries than the list holds: the first 100.
        PeltoSession s("startupcrlf");
        std::string text = "150\r\n";
        for (int i = 0; i < 150; ++i) text += Format("C:\\p%d.exe\r\nT?%d\r\n", i, i);
        s.Start([&](const InstallFolder& f) { return WriteFileBytes(f.File("launch_data"), text); });
        std::vector<std::string> first100;
        for (int i = 0; i < 100; ++i) first100.push_back(Format("C:\\p%d.exe", i));
        HWND settings = OpenSettings(s);
        CheckLines(settings, first100, "with 150 entries in a CR LF file");
        ClickDialogButton(settings, kCancel);
    }
    {
        // A negative count is an empty list: no popup opens and the dialog is empty.
        PeltoSession s("startupnegative");
        s.Start([&](const InstallFolder& f) { return WriteFileBytes(f.File("launch_data"), "-2" + pairs); });
        s.ChooseFromMenu(40061);
        ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
        EXPECT_TRUE(VisibleMenuWindow(s.pelto.pid()) == nullptr) << "a popup opened for a negative count";
        HWND settings = OpenSettings(s);
        CheckLines(settings, {}, "with a negative count");
        ClickDialogButton(settings, kCancel);
    }
    {
        // The positive control: a count of 2 over the same pairs opens a popup.
        PeltoSession s("startuppositive");
        s.Start([&](const InstallFolder& f) { return WriteFileBytes(f.File("launch_data"), "2" + pairs); });
        s.ChooseFromMenu(40061);
        EXPECT_TRUE(WaitForMenuWindow(s.pelto.pid()) != nullptr) << "no popup for two entries";
        CloseMenu(s.pelto.pid());
    }
}

}  // namespace
