// The settings dialog: what it shows, the interval, FollowingMouse and skin
// fields, the save (and a save that fails), and the restart after a new skin.
#include <windows.h>

#include <string>

#include "driver_framework.h"
#include "driver_support.h"
#include "pelto_session.h"
#include "target_support.h"

namespace {

using namespace e2e;

const char kSettingsCaption[] = "■　Peltoの設定";
const char kUnexpectedError[] = "予期せぬエラーが発生しました。";

constexpr int kOk = 1001, kInterval = 1005, kSkinFile = 1006, kBrowse = 1007, kBitmap = 1008, kAuthor = 1009,
              kSize = 1010, kCancel = 1012, kFollowing = 1031;

// skin\mint.skn (64 x 32, "Tester") and skin\other.skn (40 x 20, top-left corner
// with offsets 10, 20, "Other") beside the default skin.
bool WriteTwoSkins(const InstallFolder& f) {
    return f.WriteSkinDefinition("mint.skn", "mint.bmp 2 -80 4 -70 -18 Tester") &&
           f.WriteSkinBitmap("mint.bmp", 64, 32, [](int x, int) { return RGB(40, 160 + x, 120); }) &&
           f.WriteSkinDefinition("other.skn", "other.bmp 1 10 20 10 20 Other") &&
           f.WriteSkinBitmap("other.bmp", 40, 20, [](int, int y) { return RGB(200, 60 + y * 4, 30); });
}

// The two skins, the setting "500 0 mint.skn", and a folder named folder.
bool WriteMintWithFolder(const InstallFolder& f, const char* folder) {
    return WriteTwoSkins(f) && f.WriteSetting("500 0 mint.skn") && CreateDirectoryA(f.File(folder).c_str(), nullptr);
}

std::string Setting(const InstallFolder& f) {
    std::string bytes;
    return ReadFileBytes(f.File("setting"), &bytes) ? bytes : "(no file)";
}

HWND OpenSettings(PeltoSession& s) { return s.OpenDialog(40039, kSettingsCaption); }

// What each field (by control id) of the dialog reads.
void CheckFields(HWND dialog, std::initializer_list<std::pair<int, const char*>> fields) {
    for (const auto& f : fields) {
        EXPECT_TRUE(ControlText(dialog, f.first) == f.second) << Format("field %d reads \"%s\", expected \"%s\"", f.first, Printable(ControlText(dialog, f.first)).c_str(), Printable(f.second).c_str());
    }
}

bool Closed(HWND dialog) {
    return WaitUntil(5000, [&] { return !IsWindow(dialog); });
}

// Opens the dialog, sets field id to text and presses OK; the dialog comes back.
HWND SetAndPressOk(PeltoSession& s, int id, const char* text) {
    HWND dialog = OpenSettings(s);
    SetControlText(dialog, id, text);
    ClickDialogButton(dialog, kOk);
    return dialog;
}

// Presses OK or cancel: the dialog ends, the setting file holds saved.
void EndWith(const PeltoSession& s, HWND dialog, int button, const char* saved) {
    ClickDialogButton(dialog, button);
    ASSERT_TRUE(Closed(dialog)) << Format("%s did not end the dialog", button == kOk ? "OK" : "cancel");
    EXPECT_EQ(Setting(s.folder), saved);
}

void BrowseTo(PeltoSession& s, HWND settings, const std::string& path) {
    ClickDialogButton(settings, kBrowse);
    HWND chooser = WaitForOpenDialog(s.pelto.pid(), settings, settings);
    ASSERT_TRUE(chooser != nullptr) << "no open-file dialog owned by the settings dialog: " << s.pelto;
    ASSERT_TRUE(ChooseInOpenDialog(chooser, path)) << "the open-file dialog stayed open";
}

bool SkinSizeIs(HWND skin, int width, int height) {
    RECT r = WindowRect(skin);
    return r.right - r.left == width && r.bottom - r.top == height;
}

// The one other Pelto process that a restart started, adopted: it shows a width
// x height skin (what: which one), the old Pelto has ended, the setting file
// holds setting; then it is closed. strict: the old one ended with code 0, and
// the new one answers and shows no message box.
void CheckRestartedPelto(const PeltoSession& s, const char* setting, int width, int height, const char* what,
                         bool strict) {
    DWORD pid = 0;
    WaitUntil(20000, [&] {
        std::vector<DWORD> others = OtherPeltoProcesses(s.pelto.pid());
        if (!others.empty()) pid = others.front();
        return pid != 0;
    });
    PeltoProcess restarted;
    HWND skin = pid && restarted.Adopt(pid) ? restarted.WaitForSkinWindow(20000, false) : nullptr;
    ASSERT_TRUE(skin != nullptr) << "no new Pelto: " << restarted;
    if (strict) {
        EXPECT_TRUE(s.pelto.EndsWithCode0()) << "the old Pelto: " << s.pelto;
    }
    else {
        EXPECT_TRUE(s.pelto.WaitForExit(10000, nullptr)) << "the old Pelto did not end: " << s.pelto;
    }
    EXPECT_EQ(Setting(s.folder), setting);
    EXPECT_TRUE(SkinSizeIs(skin, width, height)) << Format("the new Pelto shows %s, not %s", RectText(WindowRect(skin)).c_str(), what);
    if (strict) {
        EXPECT_TRUE(WaitForPeltoIdle(restarted)) << "the new Pelto: " << restarted;
        EXPECT_TRUE(restarted.MessageBoxes().empty()) << "the new Pelto: " << restarted;
    }
    EXPECT_TRUE(ChooseFromMainMenu(restarted, kCloseCommand) && restarted.WaitForExit(10000, nullptr)) << "the new Pelto did not close";
}

TEST(SettingsDialog, Settings_OpeningShowsTheValuesAndOkWithoutChangesKeepsThem) {
    PeltoSession s("settingsopen");
    s.Start([](const InstallFolder& f) {
        // Written with a CR LF that a save does not write: the file's bytes tell
        // whether a save happened, on either family.
        return WriteTwoSkins(f) && f.WriteSetting("700 0 mint.skn\r\n") &&
               WriteFileBytes(f.File("setting.old"), "stale");
    });
    HWND dialog = OpenSettings(s);
    EXPECT_TRUE(GetWindow(dialog, GW_OWNER) == s.skin) << "the dialog is not owned by the skin window";
    CheckFields(dialog, {{kInterval, "700"}, {kSkinFile, "mint.skn"}, {kBitmap, "mint.bmp"}});
    CheckFields(dialog, {{kSize, "64 x 32"}, {kAuthor, "Tester"}, {kFollowing, "ON"}});
    for (int id : {kBitmap, kSize, kAuthor}) {
        EXPECT_TRUE(GetWindowLongPtrA(GetDlgItem(dialog, id), GWL_STYLE) & ES_READONLY) << Format("field %d is not read-only", id);
    }
    EXPECT_TRUE(!(GetWindowLongPtrA(GetDlgItem(dialog, kSkinFile), GWL_STYLE) & ES_READONLY)) << "the file name field is read-only";

    // The commands Enter (IDOK), Esc (IDCANCEL) and the close box give end
    // nothing (the messages themselves; the real keys and click have a test of
    // their own), each sent and so handled when the send returns.
    ClickDialogButton(dialog, IDOK);
    ClickDialogButton(dialog, IDCANCEL);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0, SMTO_ABORTIFHUNG, 5000, &result);
    EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog)) << "Enter, Esc or the close box ended the dialog";
    EXPECT_EQ(Setting(s.folder), "700 0 mint.skn\r\n");

    EXPECT_TRUE(ClickDialogButton(dialog, kOk));
    ASSERT_TRUE(Closed(dialog)) << "OK did not end the dialog";
    EXPECT_EQ(Setting(s.folder), "700 0 mint.skn");
    EXPECT_TRUE(!FileExists(s.folder.File("setting.tmp"))) << "the save left setting.tmp";
    // A setting.old beside a whole setting is left over from an earlier save:
    // neither the start nor this save keeps it, on either family.
    EXPECT_TRUE(!FileExists(s.folder.File("setting.old"))) << "a stale setting.old is still there after the save";

    // A restart would end this Pelto: it still answers once OK has been dealt with.
    EXPECT_TRUE(WaitForPeltoIdle(s.pelto)) << "after OK: " << s.pelto;
    EXPECT_TRUE(s.pelto.Running() && s.pelto.MessageBoxes().empty()) << "after OK: " << s.pelto;
    EXPECT_TRUE(OtherPeltoProcesses(s.pelto.pid()).empty()) << "OK without changes started another Pelto";
}

TEST(SettingsDialog, Settings_RealEscEnterAndCloseBoxDoNothing) {
    PeltoSession s("settingskeys");
    s.Start([](const InstallFolder& f) { return f.WriteSetting("60000 0 nothing"); });
    HWND dialog = OpenSettings(s);
    // The keys reach the dialog: typed digits land in the interval field, which
    // has the focus; Enter there and Esc end nothing.
    ASSERT_TRUE(PressKeysOn(dialog, {'4', '2', VK_RETURN, VK_ESCAPE})) << "the dialog did not come to the foreground";
    WaitForWindowIdle(dialog);
    EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog)) << "Enter or Esc ended the dialog";
    std::string typed = ControlText(dialog, kInterval);
    EXPECT_TRUE(typed.size() >= 2 && typed.compare(typed.size() - 2, 2, "42") == 0) << Format("the field reads \"%s\"", typed.c_str());
    ASSERT_TRUE(ClickCloseBox(dialog)) << "no close box found";
    WaitForWindowIdle(dialog);
    EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog)) << "the close box ended the dialog";
    // A real click on OK does end it, and saves what was typed.
    ASSERT_TRUE(ClickDialogButton(dialog, kOk)) << "cannot click OK";
    ASSERT_TRUE(Closed(dialog)) << "a click on OK did not end the dialog";
    EXPECT_EQ(Setting(s.folder), typed + " 0 デフォルト");
}

TEST(SettingsDialog, Settings_NewIntervalIsInForceAtOnce) {
    ASSERT_TRUE(ParkPointer()) << "cannot park the pointer";
    PeltoSession s("settingsinterval");
    // A minute between ticks: the skin does not attach within the test unless
    // the timer is restarted with the new period.
    s.Start([](const InstallFolder& f) { return f.WriteSetting("60000 1 nothing"); });
    {
        TargetProcess first;
        ASSERT_TRUE(StartPopupTarget(first, "First Target", {100, 50, 700, 500})) << "no target";
        // No tick comes within a minute, so none can be seen: the wait is for the
        // skin to move, which must not come; the new period below is the control.
        WaitUntil(1500, [&] { return !SameRect(WindowRect(s.skin), RECT{0, 0, 200, 18}); });
        EXPECT_TRUE(SameRect(WindowRect(s.skin), RECT{0, 0, 200, 18})) << Format("the skin moved within the old period: %s", RectText(WindowRect(s.skin)).c_str());
    }
    HWND dialog = OpenSettings(s);
    CheckFields(dialog, {{kInterval, "60000"}, {kSkinFile, "デフォルト"}});
    SetControlText(dialog, kInterval, "2s");
    EndWith(s, dialog, kOk, "2 0 デフォルト");

    TargetProcess second;
    ASSERT_TRUE(StartPopupTarget(second, "Second Target", {100, 50, 700, 500})) << "no target";
    EXPECT_TRUE(WaitForWindowAt(s.skin, 435, 54, 1500)) << Format("the skin did not follow within the new period: %s", RectText(WindowRect(s.skin)).c_str());
    MoveWindow(second.window(), 300, 200, 600, 400, TRUE);
    EXPECT_TRUE(WaitForWindowAt(s.skin, 635, 204, 1000)) << Format("the skin did not follow the moved target: %s", RectText(WindowRect(s.skin)).c_str());

    // Text without digits gives 0 (the system then ticks as fast as it can).
    dialog = OpenSettings(s);
    EXPECT_EQ(ControlText(dialog, kInterval), "2");
    SetControlText(dialog, kInterval, "abc");
    EndWith(s, dialog, kOk, "0 0 デフォルト");
    EXPECT_TRUE(s.pelto.Running() && OtherPeltoProcesses(s.pelto.pid()).empty()) << "the program restarted: " << s.pelto;
}

TEST(SettingsDialog, Settings_FollowingMouseButtonTogglesAndActsAtOnce) {
    ASSERT_TRUE(ParkPointer()) << "cannot park the pointer";
    PeltoSession s("settingsfollow");
    s.Start([](const InstallFolder& f) { return WriteTwoSkins(f) && f.WriteSetting("200 1 mint.skn"); });
    HWND dialog = OpenSettings(s);
    // The menu was chosen with the pointer: park it again.
    ASSERT_TRUE(ParkPointer()) << "cannot park the pointer";
    HWND button = GetDlgItem(dialog, kFollowing);
    EXPECT_EQ(WindowText(button), "OFF");
    {
        // Following is off: no glide in the tick that moves the skin to the
        // target, which is over once Pelto (in the dialog's loop) answers.
        const RECT before = WindowRect(s.skin);
        TargetProcess off;
        ASSERT_TRUE(StartPopupTarget(off, "Off Target", {300, 200, 701, 501})) << "no target";
        EXPECT_TRUE(WaitUntil(5000, [&] { return !SameRect(WindowRect(s.skin), before); })) << "no tick took the target";
        ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
        EXPECT_TRUE(PointerAt(kParkX, kParkY)) << Format("the pointer glided with FollowingMouse off: (%ld, %ld)", CursorPos().x, CursorPos().y);
    }
    for (const char* text : {"ON", "OFF", "ON"}) {
        ClickDialogButton(dialog, kFollowing);
        EXPECT_TRUE(WaitUntil(3000, [&] { return WindowText(button) == text; })) << Format("the button reads \"%s\", expected %s", WindowText(button).c_str(), text);
    }
    ASSERT_TRUE(ParkPointer()) << "cannot park the pointer";
    TargetProcess on;
    ASSERT_TRUE(StartPopupTarget(on, "On Target", {300, 200, 701, 501})) << "no target";
    EXPECT_TRUE(WaitForPointerAt(500, 350)) << Format("no glide with FollowingMouse on again: pointer at (%ld, %ld)", CursorPos().x, CursorPos().y);

    // Cancel keeps the change in force and saves nothing.
    EndWith(s, dialog, kCancel, "200 1 mint.skn");
    dialog = OpenSettings(s);
    EXPECT_EQ(ControlText(dialog, kFollowing), "ON");
    ClickDialogButton(dialog, kCancel);
    EXPECT_TRUE(Closed(dialog));
}

TEST(SettingsDialog, Settings_TypedNameIsSavedButNotLoaded) {
    PeltoSession s("settingstyped");
    s.Start([](const InstallFolder& f) { return WriteTwoSkins(f) && f.WriteSetting("500 0 mint.skn"); });
    HWND dialog = SetAndPressOk(s, kSkinFile, "other.skn");
    ASSERT_TRUE(Closed(dialog)) << "OK did not end the dialog";
    EXPECT_EQ(Setting(s.folder), "500 0 other.skn");
    EXPECT_TRUE(WaitForPeltoIdle(s.pelto)) << "after OK: " << s.pelto;
    EXPECT_TRUE(s.pelto.Running() && OtherPeltoProcesses(s.pelto.pid()).empty()) << "a typed name restarted Pelto: " << s.pelto;
    dialog = OpenSettings(s);  // the loaded skin is still the old one
    CheckFields(dialog, {{kBitmap, "mint.bmp"}, {kSize, "64 x 32"}, {kSkinFile, "other.skn"}});
    ClickDialogButton(dialog, kCancel);
    EXPECT_TRUE(Closed(dialog));
}

TEST(SettingsDialog, Settings_ClearedNameSavesNothingAndRestartsWithTheDefaultSkin) {
    PeltoSession s("settingsclear");
    s.Start([](const InstallFolder& f) { return WriteTwoSkins(f) && f.WriteSetting("500 0 mint.skn"); });
    ASSERT_TRUE(SkinSizeIs(s.skin, 64, 32)) << "the mint skin is not shown";
    SetAndPressOk(s, kSkinFile, "");
    CheckRestartedPelto(s, "500 0 nothing", 200, 18, "the default skin", true);
}

TEST(SettingsDialog, Settings_BrowsedSkinRestartsWithIt) {
    PeltoSession s("settingsbrowse");
    s.Start(WriteTwoSkins);
    HWND dialog = OpenSettings(s);
    BrowseTo(s, dialog, s.folder.File("skin\\other.skn"));
    CheckFields(dialog, {{kSkinFile, "other.skn"}, {kBitmap, "other.bmp"}, {kSize, "40 x 20"}, {kAuthor, "Other"}});
    EXPECT_EQ(Setting(s.folder), "(no file)");  // nothing saved before OK
    ClickDialogButton(dialog, kOk);
    CheckRestartedPelto(s, "500 0 other.skn", 40, 20, "the browsed skin", false);
}

TEST(SettingsDialog, Settings_BrowseThenCancelSavesNothingButTracksWithTheNewOffsets) {
    ASSERT_TRUE(ParkPointer()) << "cannot park the pointer";
    PeltoSession s("settingsbrowsecancel");
    s.Start([](const InstallFolder& f) { return WriteTwoSkins(f) && f.WriteSetting("300 0 nothing"); });
    HWND dialog = OpenSettings(s);
    BrowseTo(s, dialog, s.folder.File("skin\\other.skn"));
    EXPECT_EQ(ControlText(dialog, kSize), "40 x 20");
    EndWith(s, dialog, kCancel, "300 0 nothing");

    TargetProcess target;
    ASSERT_TRUE(StartPopupTarget(target, "Offset Target", {200, 150, 700, 450})) << "no target";
    EXPECT_TRUE(WaitForWindowAt(s.skin, 210, 170)) << Format("skin at %s, expected the new skin's (210, 170)", RectText(WindowRect(s.skin)).c_str());
    int type = 0;
    RECT box = {0, 0, 0, 0};
    if (HRGN region = CopyWindowRegion(s.skin, &type)) {
        GetRgnBox(region, &box);
        DeleteObject(region);
    }
    EXPECT_TRUE(box.right - box.left > 40) << Format("the shape changed with the browse: region box %s", RectText(box).c_str());
    EXPECT_TRUE(OtherPeltoProcesses(s.pelto.pid()).empty()) << "cancel restarted Pelto";
}

TEST(SettingsDialog, Settings_DefinitionFromAnotherFolderEndsTheProgram) {
    PeltoSession s("settingsstray");
    s.Start([](const InstallFolder& f) {
        return WriteTwoSkins(f) && CreateDirectoryA(f.File("elsewhere").c_str(), nullptr) &&
               WriteFileBytes(f.File("elsewhere\\stray.skn"), "other.bmp 1 0 0 0 0 Stray");
    });
    HWND dialog = OpenSettings(s);
    BrowseTo(s, dialog, s.folder.File("elsewhere\\stray.skn"));
    AnswerBox(s.pelto, {kUnexpectedError, "Pelto", dialog});
    EXPECT_TRUE(s.pelto.EndsWithCode0()) << "the program did not end with code 0: " << s.pelto;
    EXPECT_EQ(Setting(s.folder), "(no file)");
    EXPECT_TRUE(OtherPeltoProcesses(s.pelto.pid()).empty()) << "another Pelto was started";
}

// Opens the dialog, sets the interval to 800 and presses OK; returns the error
// message box, or null when the save went through.
HWND SaveWithInterval800(PeltoSession& s) {
    HWND dialog = SetAndPressOk(s, kInterval, "800");
    HWND box = WaitForBox(s.pelto, kUnexpectedError, "", 3000);
    if (box) {
        MessageBoxContent c = ReadMessageBox(box);
        EXPECT_EQ(c.caption, "Pelto");
        EXPECT_TRUE(c.owner == dialog) << "the message is not owned by the settings dialog";
    }
    return box;
}

void CheckFailedSaveEnds(PeltoSession& s, HWND box) {
    EXPECT_TRUE(DismissMessageBox(box, IDOK));
    EXPECT_TRUE(s.pelto.EndsWithCode0()) << "the program did not end with code 0: " << s.pelto;
    EXPECT_EQ(Setting(s.folder), "500 0 mint.skn");
    EXPECT_TRUE(OtherPeltoProcesses(s.pelto.pid()).empty()) << "a failed save restarted Pelto";
}

TEST(SettingsDialog, Settings_SaveThatCannotWriteKeepsTheOldFile) {
    {
        // The new copy cannot be created: a folder holds its name.
        PeltoSession s("settingsnosave");
        s.Start([](const InstallFolder& f) { return WriteMintWithFolder(f, "setting.tmp"); });
        HWND box = SaveWithInterval800(s);
        ASSERT_TRUE(box != nullptr) << "no error message: " << s.pelto;
        CheckFailedSaveEnds(s, box);
    }
    {
        // A folder named setting.old blocks only the Windows 9x replace step,
        // which moves the old file aside to that name.
        PeltoSession s("settingsaside");
        s.Start([](const InstallFolder& f) {
            return WriteMintWithFolder(f, "setting.old") && WriteFileBytes(f.File("setting.old\\keep"), "x");
        });
        HWND box = SaveWithInterval800(s);
        if (ReportedWindowsFamily() == ReportedFamily::Windows9x) {
            ASSERT_TRUE(box != nullptr) << "no error message: " << s.pelto;
            CheckFailedSaveEnds(s, box);
            EXPECT_TRUE(!FileExists(s.folder.File("setting.tmp"))) << "the failed save left setting.tmp";
        } else {
            EXPECT_TRUE(box == nullptr) << Format("the NT save failed: %s", DescribeBoxes(s.pelto).c_str());
            EXPECT_EQ(Setting(s.folder), "800 0 mint.skn");
            EXPECT_TRUE(s.pelto.Running());
        }
    }
}

TEST(SettingsDialog, Settings_FailedSaveWithARestartStillStartsTheNewInstance) {
    PeltoSession s("settingsnosaverestart");
    s.Start([](const InstallFolder& f) { return WriteMintWithFolder(f, "setting.tmp"); });
    SetAndPressOk(s, kSkinFile, "");
    HWND box = WaitForBox(s.pelto, kUnexpectedError);
    ASSERT_TRUE(box != nullptr) << "no error message: " << s.pelto;
    EXPECT_TRUE(OtherPeltoProcesses(s.pelto.pid()).empty()) << "the new instance started before the message was read";
    EXPECT_TRUE(DismissMessageBox(box, IDOK));
    CheckRestartedPelto(s, "500 0 mint.skn", 64, 32, "the skin of the old setting", false);
}

TEST(SettingsDialog, Settings_RestartThatCannotStartSaysSoAndStillEnds) {
    PeltoSession s("settingsnostart");
    s.Start([](const InstallFolder& f) { return WriteTwoSkins(f) && f.WriteSetting("500 0 mint.skn"); });
    // The program file goes away while it runs: the restart finds nothing to start.
    ASSERT_TRUE(MoveFileA(s.folder.File("Pelto.exe").c_str(), s.folder.File("Pelto.moved").c_str())) << "cannot move Pelto.exe aside";
    HWND dialog = SetAndPressOk(s, kSkinFile, "");
    HWND box = ExpectBox(s.pelto, {"起動に失敗しました。", "Pelto", dialog});
    EXPECT_EQ(Setting(s.folder), "500 0 nothing");  // saved before the start was tried
    EXPECT_TRUE(DismissMessageBox(box, IDOK));
    EXPECT_TRUE(s.pelto.EndsWithCode0()) << "the program did not end with code 0: " << s.pelto;
    EXPECT_TRUE(OtherPeltoProcesses(s.pelto.pid()).empty());
}

}  // namespace
