// "Add this window": the program behind the target goes into launch_data, found the NT
// way (PSAPI) or the Windows 98 way (tool-help), as the family Wine reports in the run.
#include <windows.h>

#include <string>
#include <vector>

#include "launcher_support.h"
#include "pelto_session.h"
#include "resources/resource_ids.h"

namespace {

using namespace e2e;

const char kPathTooLongText[] = "このプログラムの場所は100バイトを超えるため、ランチャに登録できません。";
const char kSaveFailedText[] =
    "ランチャの一覧をファイル launch_data に保存できませんでした。\nこの変更は次に起動したときには残っていません。";

bool Win9x() { return ReportedWindowsFamily() == ReportedFamily::Windows9x; }

// An entry for the program at exePath as "add this window" finds it.
LauncherItem Found(const std::string& exePath, const std::string& title) { return {ExpectedProgramPath(exePath), title}; }

void CheckFileBecomes(const PeltoSession& s, const std::vector<LauncherItem>& items) {
    const std::string expected = LauncherFileText(items);
    EXPECT_EQ(WaitForLauncherFile(s.folder, expected), expected) << "launch_data";
}

// Adds this window once more after launch_data was removed: no file comes back, nothing is shown.
void CheckAddingAgainWritesNothing(const PeltoSession& s, const char* why) {
    ASSERT_TRUE(DeleteFileA(s.folder.File("launch_data").c_str())) << "cannot remove launch_data";
    s.ChooseFromMenu(IDM_LAUNCHER_ADD);
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << s.pelto;
    EXPECT_FALSE(FileExists(s.folder.File("launch_data"))) << why;
    EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << DescribeBoxes(s.pelto);
}

// A copy of PeltoTarget.exe at exePath, titled title at (x, 200), added with "add this
// window"; with a list, its entry (under listedTitle) joins it and the file must become it.
void AddTargetCopy(PeltoSession& s, TargetProcess& target, const std::string& exePath, const std::string& title, int x,
                   const char* options = "", std::vector<LauncherItem>* list = nullptr, const std::string& listedTitle = "") {
    CreateDirectoryA(exePath.substr(0, exePath.find_last_of('\\')).c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(TestProgramPath("PeltoTarget.exe").c_str(), exePath.c_str(), FALSE)) << "cannot copy the target";
    ASSERT_EQ(AddThisWindow(s, target, exePath, Format("--title \"%s\" --rect %d 200 500 300 %s", title.c_str(), x, options), title), "");
    if (!list) return;
    list->push_back(Found(exePath, listedTitle.empty() ? title : listedTitle));
    CheckFileBecomes(s, *list);
}

// One Pelto from before any target on; each case adds to the list the one before left.
TEST_F(StartedPelto, Launcher_AddThisWindowFromBeforeAnyTargetToTitlesAndPathsThatDoNotFit) {
    SetTestTimeLimit(180);
    EXPECT_FALSE(FileExists(s.folder.File("launch_data"))) << "a launch_data before anything was added";
    std::vector<LauncherItem> list;
    TargetProcess target, other, pair, titled, distant;
    {
        // Before any target was found the target is the skin window: Pelto is registered under
        // its empty recorded title, which the file keeps as a lone question mark (a blank here).
        SCOPED_TRACE("before any target");
        ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << s.pelto;
        s.ChooseFromMenu(IDM_LAUNCHER_ADD);
        list.push_back(Found(s.folder.File("Pelto.exe"), " "));
        CheckFileBecomes(s, list);
    }
    {
        SCOPED_TRACE("a program registered once");
        // A folder with a blank, kept short: an entry's path holds only 100 bytes.
        const std::string first = s.folder.File("a b\\PeltoTarget.exe");
        AddTargetCopy(s, target, first, "Add Me Target", 100, "", &list);
        EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << DescribeBoxes(s.pelto);
        CheckAddingAgainWritesNothing(s, "the second add of the same program wrote the file");
        // Another program added after it: the list in memory still holds the first one, once.
        const std::string second = s.folder.File("SecondTarget.exe");
        AddTargetCopy(s, other, second, "Second Target", 300, "", &list);
        EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << DescribeBoxes(s.pelto);

        // Its entry, whose path holds a blank, starts from the popup at once.
        ASSERT_EQ(FindWindowA(nullptr, "Pelto Target"), nullptr) << "a window titled Pelto Target is open already";
        ASSERT_NE(OpenMenuWithHotkey(s.pelto.pid(), 'Z'), nullptr) << "no launcher popup";
        ASSERT_TRUE(PressKeys({VK_DOWN}) && PressKeys({VK_DOWN}) && PressKeys({VK_RETURN})) << "cannot press Down and Enter";
        if (Win9x()) {
            // Wine's process list gave the bare file name, which the shell does not find from Pelto's folder.
            AnswerBox(s.pelto, {kLaunchFailedText, "Pelto", nullptr, true});
        } else {
            HWND started = nullptr;
            EXPECT_TRUE(WaitUntil(10000, [&] { return (started = FindWindowA(nullptr, "Pelto Target")) != nullptr; })) << "the registered program did not start: " << s.pelto;
            if (started) PostMessageA(started, WM_CLOSE, 0, 0);
            EXPECT_TRUE(WaitUntil(5000, [&] { return FindWindowA(nullptr, "Pelto Target") == nullptr; })) << "the started program did not close";
            EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << DescribeBoxes(s.pelto);
        }
    }
    {
        // Two windows of one process are one program: the target's owner window adds nothing.
        SCOPED_TRACE("two windows of one process");
        const std::string exe = s.folder.File("pair\\PairTarget.exe");
        AddTargetCopy(s, pair, exe, "Owned Pair", 200, "--owned", &list);
        HWND owner = pair.FindWindowTitled("Owner of Owned Pair");
        ASSERT_NE(owner, nullptr) << "no owner window";
        ASSERT_EQ(AttachSkinTo(s, owner), "");
        CheckAddingAgainWritesNothing(s, "the second window of the same process was added again");
    }
    {
        // A title longer than an entry is cut at 100 bytes, before a double-byte character ending at 101.
        SCOPED_TRACE("a long title");
        const std::string exe = s.folder.File("t\\TitleTarget.exe");
        AddTargetCopy(s, titled, exe, std::string(99, 'T') + "あい", 300, "", &list, std::string(99, 'T'));
    }
    SCOPED_TRACE("a path longer than an entry");
    const std::string exe = s.folder.File("a folder whose name is long enough to push the program path past one hundred bytes\\FarTarget.exe");
    ASSERT_GT(exe.size(), 100u) << "the test path is too short";
    ASSERT_TRUE(DeleteFileA(s.folder.File("launch_data").c_str())) << "cannot remove launch_data";
    AddTargetCopy(s, distant, exe, "Far Away Target", 100);
    if (Win9x()) {
        // The process list names the program by its file name alone: it fits.
        list.push_back(Found(exe, "Far Away Target"));
        CheckFileBecomes(s, list);
        EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << DescribeBoxes(s.pelto);
    } else {
        // A cut path would name another file: the program is refused, and told so.
        AnswerBox(s.pelto, {kPathTooLongText, "Pelto", nullptr, true});
        EXPECT_FALSE(FileExists(s.folder.File("launch_data"))) << "launch_data written for a refused program";
    }
}

// A program listed under its 8.3 name (as Windows 98's process list may give it) is the
// one "add this window" finds under its long name: not added again. A save that cannot
// write is told and leaves the old file; once it can, the next change saves the whole list.
TEST(LauncherStore, Launcher_AddThisWindowKnowsAShortNameAndAFailedSaveIsToldAndLeavesTheOldFile) {
    PeltoSession s("launchershort");
    const std::string exe = s.folder.File("t\\PeltoTarget.exe");
    std::string shortPath;
    s.Start([&](const InstallFolder& f) {
        char buffer[MAX_PATH];
        CreateDirectoryA(f.File("t").c_str(), nullptr);
        if (!CopyFileA(TestProgramPath("PeltoTarget.exe").c_str(), exe.c_str(), FALSE)) return false;
        const DWORD length = GetShortPathNameA(exe.c_str(), buffer, sizeof buffer);
        shortPath.assign(buffer, length < sizeof buffer ? length : 0);
        return !shortPath.empty() && WriteLauncherFile(f, {{shortPath, "Short"}});
    });
    ASSERT_TRUE(shortPath != exe && shortPath.size() <= 100) << "no short 8.3 path for " << exe << ": \"" << shortPath << "\"";
    TargetProcess target, unsavedTarget, savedTarget;
    AddTargetCopy(s, target, exe, "Short Name Target", 100);
    std::vector<LauncherItem> old = {{shortPath, "Short"}};
    // Wine's process list of the 98 run gives the bare file name, which names no file here.
    if (Win9x()) old.push_back({"PeltoTarget.exe", "Short Name Target"});
    CheckFileBecomes(s, old);

    // A folder where the new copy of the file would be written: the save cannot write it.
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto) && CreateDirectoryA(s.folder.File("launch_data.tmp").c_str(), nullptr)) << "cannot block the save";
    const std::string unsaved = s.folder.File("u\\UnsavedTarget.exe"), saved = s.folder.File("v\\SavedTarget.exe");
    AddTargetCopy(s, unsavedTarget, unsaved, "Unsaved Target", 300);
    AnswerBox(s.pelto, {kSaveFailedText, "Pelto", s.skin});
    EXPECT_EQ(LauncherFileOf(s.folder), LauncherFileText(old));
    RemoveDirectoryA(s.folder.File("launch_data.tmp").c_str());
    // The long-named program was not added before the others either.
    old.push_back(Found(unsaved, "Unsaved Target"));
    AddTargetCopy(s, savedTarget, saved, "Saved Target", 100, "", &old);

    SCOPED_TRACE("a file another program holds open for a moment is saved all the same");
    // As a virus scanner does: launch_data is held open from before the save until after its new copy.
    HANDLE held = CreateFileA(s.folder.File("launch_data").c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE) << "cannot open launch_data";
    TargetProcess heldTarget;
    const std::string whileHeld = s.folder.File("w\\HeldTarget.exe");
    AddTargetCopy(s, heldTarget, whileHeld, "Held Target", 300);
    // The NT way's replace meets the hold while the new copy waits beside the file (Wine lets
    // the 98 way's move of an open file go through, where Windows 98 refuses it: same retry).
    if (!Win9x()) {
        EXPECT_TRUE(WaitUntil(5000, [&] { return FileExists(s.folder.File("launch_data.tmp")); })) << "no new copy was written";
        PumpFor(250);  // the other program's hold
    }
    CloseHandle(held);
    old.push_back(Found(whileHeld, "Held Target"));
    CheckFileBecomes(s, old);
    EXPECT_TRUE(WaitForPeltoIdle(s.pelto) && s.pelto.MessageBoxes().empty()) << DescribeBoxes(s.pelto);
}

}  // namespace
