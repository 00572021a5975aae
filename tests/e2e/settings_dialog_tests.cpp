// The settings dialog: its fields, the save (and a failed one), and the restart after a new skin.
#include <windows.h>

#include <string>

#include "driver_framework.h"
#include "driver_support.h"
#include "pelto_session.h"
#include "plugin_support.h"
#include "resources/resource_ids.h"
#include "target_support.h"

namespace {

using namespace e2e;

const char kSettingsCaption[] = "■　Peltoの設定";
const char kUnexpectedError[] = "予期せぬエラーが発生しました。";

// skin\mint.skn (64 x 32) and skin\other.skn (40 x 20, top-left corner, offsets 10, 20).
bool WriteTwoSkins(const InstallFolder& f) {
    return f.WriteSkinDefinition("mint.skn", "mint.bmp 2 -80 4 -70 -18 Tester") &&
           f.WriteSkinBitmap("mint.bmp", 64, 32, [](int x, int) { return RGB(40, 160 + x, 120); }) &&
           f.WriteSkinDefinition("other.skn", "other.bmp 1 10 20 10 20 Other") &&
           f.WriteSkinBitmap("other.bmp", 40, 20, [](int, int y) { return RGB(200, 60 + y * 4, 30); });
}

std::string Setting(const InstallFolder& f) { return ReadFileText(f.File("setting")); }
HWND OpenSettings(PeltoSession& s) { return s.OpenDialog(IDM_SETTINGS, kSettingsCaption); }

void CheckFields(HWND dialog, std::initializer_list<std::pair<int, const char*>> fields) {
    for (const auto& f : fields) EXPECT_EQ(ControlText(dialog, f.first), f.second) << "field " << f.first;
}

// Opens the dialog, sets field id to text and presses OK; the dialog comes back.
HWND SetAndPressOk(PeltoSession& s, int id, const char* text) {
    HWND dialog = OpenSettings(s);
    SetControlText(dialog, id, text);
    ClickDialogButton(dialog, IDC_SETTINGS_OK);
    return dialog;
}

// A real click on OK or cancel: the dialog ends, the setting file holds saved.
void EndWith(const PeltoSession& s, HWND dialog, int button, const char* saved) {
    ClickDialogButton(dialog, button);
    ASSERT_TRUE(WindowGoes(dialog)) << (button == IDC_SETTINGS_OK ? "OK" : "cancel") << " did not end the dialog";
    EXPECT_EQ(Setting(s.folder), saved);
}

void BrowseTo(PeltoSession& s, HWND settings, const std::string& path) {
    ClickDialogButton(settings, IDC_SETTINGS_BROWSE);
    HWND chooser = WaitForOpenDialog(s.pelto.pid(), settings, settings);
    ASSERT_TRUE(chooser != nullptr) << "no open-file dialog owned by the settings dialog: " << s.pelto;
    ASSERT_TRUE(ChooseInOpenDialog(chooser, path)) << "the open-file dialog stayed open";
}

// Three visits to the dialog of one Pelto, none of which restarts it.
TEST(SettingsDialog, Settings_ShowsTheValuesIgnoresEscEnterAndTheCloseBoxAndSavesATypedName) {
    PeltoSession s("settingsopen");
    s.Start([](const InstallFolder& f) {
        // A CR LF, which a save does not write, tells whether a save happened.
        return WriteTwoSkins(f) && f.WriteSetting("700 0 mint.skn\r\n") && WriteFileBytes(f.File("setting.old"), "stale");
    });
    HWND dialog = OpenSettings(s);
    CheckFields(dialog, {{IDC_SETTINGS_INTERVAL, "700"}, {IDC_SETTINGS_SKIN_FILE, "mint.skn"}, {IDC_SETTINGS_BITMAP, "mint.bmp"},
                         {IDC_SETTINGS_SIZE, "64 x 32"}, {IDC_SETTINGS_AUTHOR, "Tester"}, {IDC_SETTINGS_FOLLOWING, "ON"}});
    // Opening saved nothing (which fields are read-only is the dialog template's, checked with the resources).
    EXPECT_EQ(Setting(s.folder), "700 0 mint.skn\r\n");

    EndWith(s, dialog, IDC_SETTINGS_OK, "700 0 mint.skn");
    EXPECT_FALSE(FileExists(s.folder.File("setting.tmp"))) << "the save left setting.tmp";
    // A setting.old beside a whole setting is left over from an earlier save: not kept.
    EXPECT_FALSE(FileExists(s.folder.File("setting.old"))) << "a stale setting.old is still there after the save";
    // A restart would end this Pelto: it still answers once OK has been dealt with.
    EXPECT_TRUE(WaitForPeltoIdle(s.pelto)) << "after OK: " << s.pelto;
    EXPECT_TRUE(s.pelto.Running() && s.pelto.MessageBoxes().empty()) << "after OK: " << s.pelto;
    EXPECT_TRUE(OtherPeltoProcesses(s.pelto.pid()).empty()) << "OK without changes started another Pelto";

    // Real keys: digits land in the interval field, which has the focus; Enter, Esc and the close box end nothing.
    dialog = OpenSettings(s);
    ASSERT_TRUE(PressKeysOn(dialog, {'4', '2'})) << "the dialog did not come to the foreground";
    // Under load the field may show the last digit only a moment after the keys were taken.
    std::string typed;
    auto endsIn42 = [&] { typed = ControlText(dialog, IDC_SETTINGS_INTERVAL); return typed.size() >= 2 && typed.compare(typed.size() - 2, 2, "42") == 0; };
    EXPECT_TRUE(WaitUntil(3000, endsIn42)) << "the field reads " << typed;
    CheckEscEnterAndCloseBoxLeaveOpen(dialog, "real keys and the close box");
    EndWith(s, dialog, IDC_SETTINGS_OK, (typed + " 0 mint.skn").c_str());

    // A typed skin name is saved but not loaded.
    dialog = SetAndPressOk(s, IDC_SETTINGS_SKIN_FILE, "other.skn");
    ASSERT_TRUE(WindowGoes(dialog)) << "OK did not end the dialog";
    EXPECT_EQ(Setting(s.folder), typed + " 0 other.skn");
    EXPECT_TRUE(WaitForPeltoIdle(s.pelto)) << "after OK: " << s.pelto;
    EXPECT_TRUE(s.pelto.Running() && OtherPeltoProcesses(s.pelto.pid()).empty()) << "a typed name restarted Pelto: " << s.pelto;
    dialog = OpenSettings(s);  // the loaded skin is still the old one
    CheckFields(dialog, {{IDC_SETTINGS_BITMAP, "mint.bmp"}, {IDC_SETTINGS_SIZE, "64 x 32"}, {IDC_SETTINGS_SKIN_FILE, "other.skn"}});
    EndWith(s, dialog, IDC_SETTINGS_CANCEL, (typed + " 0 other.skn").c_str());
}

TEST(SettingsDialog, Settings_NewIntervalBrowsedOffsetsAndFollowingMouseAreInForceAtOnce) {
    ASSERT_TRUE(ParkPointer()) << "cannot park the pointer";
    PeltoSession s("settingsinterval");
    // A minute between ticks: the skin attaches within the test only with the new period.
    s.Start([](const InstallFolder& f) { return WriteTwoSkins(f) && f.WriteSetting("60000 1 nothing"); });
    {
        TargetProcess first;
        ASSERT_TRUE(StartPopupTarget(first, "First Target", {100, 50, 700, 500})) << "no target";
        // No tick within a minute: a move must not come (the new period below is the control).
        EXPECT_FALSE(WaitUntil(1500, [&] { return !SameRect(WindowRect(s.skin), RECT{0, 0, 200, 18}); }))
            << "the skin moved within the old period: " << RectText(WindowRect(s.skin));
    }
    HWND dialog = OpenSettings(s);
    CheckFields(dialog, {{IDC_SETTINGS_INTERVAL, "60000"}, {IDC_SETTINGS_SKIN_FILE, "デフォルト"}});
    SetControlText(dialog, IDC_SETTINGS_INTERVAL, "2s");
    EndWith(s, dialog, IDC_SETTINGS_OK, "2 0 デフォルト");
    {
        TargetProcess second;
        ASSERT_TRUE(StartPopupTarget(second, "Second Target", {100, 50, 700, 500})) << "no target";
        EXPECT_TRUE(WaitForWindowAt(s.skin, 435, 54, 1500)) << "the skin did not follow within the new period: " << RectText(WindowRect(s.skin));
        MoveWindow(second.window(), 300, 200, 600, 400, TRUE);
        EXPECT_TRUE(WaitForWindowAt(s.skin, 635, 204, 1000)) << "the skin did not follow the moved target: " << RectText(WindowRect(s.skin));
    }
    // Text without digits gives 0 (the system then ticks as fast as it can).
    dialog = OpenSettings(s);
    EXPECT_EQ(ControlText(dialog, IDC_SETTINGS_INTERVAL), "2");
    SetControlText(dialog, IDC_SETTINGS_INTERVAL, "abc");
    EndWith(s, dialog, IDC_SETTINGS_OK, "0 0 デフォルト");
    EXPECT_TRUE(s.pelto.Running() && OtherPeltoProcesses(s.pelto.pid()).empty()) << "the program restarted: " << s.pelto;

    // Browse, then cancel: nothing saved, the new offsets in force.
    dialog = OpenSettings(s);
    BrowseTo(s, dialog, s.folder.File("skin\\other.skn"));
    EXPECT_EQ(ControlText(dialog, IDC_SETTINGS_SIZE), "40 x 20");
    EndWith(s, dialog, IDC_SETTINGS_CANCEL, "0 0 デフォルト");
    {
        TargetProcess target;
        ASSERT_TRUE(StartPopupTarget(target, "Offset Target", {200, 150, 700, 450})) << "no target";
        EXPECT_TRUE(WaitForWindowAt(s.skin, 210, 170)) << "skin at " << RectText(WindowRect(s.skin)) << ", expected the new skin's (210, 170)";
        EXPECT_EQ(RegionMismatch(s.skin, LoadBmpPixels(s.folder.File("skin\\default.bmp"))), "") << "the shape changed with the browse";
        EXPECT_TRUE(OtherPeltoProcesses(s.pelto.pid()).empty()) << "cancel restarted Pelto";
    }

    // FollowingMouse (on, with no skin in the setting) acts at once each way; cancel keeps the last change, saves nothing.
    dialog = OpenSettings(s);
    HWND button = GetDlgItem(dialog, IDC_SETTINGS_FOLLOWING);
    EXPECT_EQ(WindowText(button), "ON");
    auto toggle = [&](const char* text) {
        ClickDialogButton(dialog, IDC_SETTINGS_FOLLOWING);
        EXPECT_TRUE(WaitUntil(3000, [&] { return WindowText(button) == text; })) << "the button reads " << WindowText(button) << ", expected " << text;
    };
    toggle("OFF");
    ASSERT_TRUE(ParkPointer()) << "cannot park the pointer";
    {
        // No glide in the tick that moves the skin, over once Pelto (in the dialog's loop) answers.
        const RECT before = WindowRect(s.skin);
        TargetProcess off;
        ASSERT_TRUE(StartPopupTarget(off, "Off Target", {300, 200, 701, 501})) << "no target";
        EXPECT_TRUE(WaitUntil(5000, [&] { return !SameRect(WindowRect(s.skin), before); })) << "no tick took the target";
        ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
        EXPECT_TRUE(PointerAt(kParkX, kParkY)) << "the pointer glided with FollowingMouse off: " << CursorPos().x << ", " << CursorPos().y;
    }
    for (const char* text : {"ON", "OFF", "ON"}) toggle(text);
    ASSERT_TRUE(ParkPointer()) << "cannot park the pointer";
    {
        TargetProcess on;
        ASSERT_TRUE(StartPopupTarget(on, "On Target", {300, 200, 701, 501})) << "no target";
        EXPECT_TRUE(WaitForPointerAt(500, 350)) << "no glide with FollowingMouse on again: pointer at " << CursorPos().x << ", " << CursorPos().y;
    }
    toggle("OFF");
    EndWith(s, dialog, IDC_SETTINGS_CANCEL, "0 0 デフォルト");
    dialog = OpenSettings(s);
    EXPECT_EQ(ControlText(dialog, IDC_SETTINGS_FOLLOWING), "OFF");
    EndWith(s, dialog, IDC_SETTINGS_CANCEL, "0 0 デフォルト");
}

// Each row starts a Pelto on the mint skin (a folder with a file in the save's way, where given), sets a field and
// presses OK, or browses; a message owned by the dialog may come first, then Pelto ends, goes on, or restarts.
TEST(SettingsDialog, Settings_FailedSavesStrayDefinitionsAndRestarts) {
    SetTestTimeLimit(180);
    const bool win9x = ReportedWindowsFamily() == ReportedFamily::Windows9x;
    struct OkCase {
        const char* name;
        std::string folder;
        int field;  // set to text before OK; 0: browse to text
        const char* text;
        const char* message;
        const char* saved;  // the setting file afterwards
        const char* after;  // "ends", "runs" or the new Pelto's skin size
        bool moveProgram;   // Pelto.exe moved aside while it runs: a restart finds nothing
    };
    const OkCase cases[] = {
        {"a folder holds the name of the new copy", "setting.tmp", IDC_SETTINGS_INTERVAL, "800", kUnexpectedError, "500 0 mint.skn", "ends", false},
        // It blocks only the Windows 9x replace step, which moves the old file aside to that name.
        {"a folder named setting.old", "setting.old", IDC_SETTINGS_INTERVAL, "800", win9x ? kUnexpectedError : nullptr,
         win9x ? "500 0 mint.skn" : "800 0 mint.skn", win9x ? "ends" : "runs", false},
        {"a cleared name saves nothing and restarts with the default skin", "", IDC_SETTINGS_SKIN_FILE, "", nullptr, "500 0 nothing", "200 x 18", false},
        {"a failed save with a restart still starts the new instance", "setting.tmp", IDC_SETTINGS_SKIN_FILE, "", kUnexpectedError, "500 0 mint.skn", "64 x 32", false},
        {"a definition from another folder", "elsewhere", 0, "elsewhere\\stray.skn", kUnexpectedError, "500 0 mint.skn", "ends", false},
        {"a restart that cannot start", "", IDC_SETTINGS_SKIN_FILE, "", "起動に失敗しました。", "500 0 nothing", "ends", true},
    };
    for (const OkCase& c : cases) {
        SCOPED_TRACE(c.name);
        PeltoSession s("settingsok");
        s.Start([&](const InstallFolder& f) {
            return WriteTwoSkins(f) && f.WriteSetting("500 0 mint.skn") &&
                   (c.folder.empty() || (CreateDirectoryA(f.File(c.folder).c_str(), nullptr) &&
                                         WriteFileBytes(f.File(c.folder + "\\stray.skn"), "other.bmp 1 0 0 0 0 Stray")));
        });
        ASSERT_EQ(SizeOf(s.skin), "64 x 32") << "the mint skin is not shown";
        if (c.moveProgram) { ASSERT_TRUE(MoveFileA(s.folder.File("Pelto.exe").c_str(), s.folder.File("Pelto.moved").c_str())) << "cannot move Pelto.exe aside"; }
        HWND dialog = c.field ? SetAndPressOk(s, c.field, c.text) : OpenSettings(s);
        if (!c.field) BrowseTo(s, dialog, s.folder.File(c.text));
        if (c.message) {
            HWND box = ExpectBox(s.pelto, {c.message, "Pelto", dialog});
            EXPECT_EQ(Setting(s.folder), c.saved) << "while the message shows";
            EXPECT_TRUE(OtherPeltoProcesses(s.pelto.pid()).empty()) << "a new Pelto started before the message was read";
            EXPECT_TRUE(DismissMessageBox(box, IDOK));
        }
        if (c.after == std::string("ends")) {
            EXPECT_TRUE(s.pelto.EndsWithCode0()) << "the program did not end with code 0: " << s.pelto;
            EXPECT_TRUE(OtherPeltoProcesses(s.pelto.pid()).empty()) << "another Pelto was started";
        } else if (c.after == std::string("runs")) {
            EXPECT_EQ(WaitForBox(s.pelto, kUnexpectedError, "", 3000), nullptr) << "the save failed: " << DescribeBoxes(s.pelto);
            EXPECT_TRUE(s.pelto.Running());
        } else {  // the one other Pelto that the restart started, adopted, then closed
            PeltoProcess restarted;
            HWND skin = AdoptRestartedPelto(s.pelto, &restarted) ? restarted.WaitForSkinWindow(20000, false) : nullptr;
            ASSERT_TRUE(skin != nullptr) << "no new Pelto: " << restarted;
            EXPECT_EQ(SizeOf(skin), c.after) << "the new Pelto's skin";
            // Without a message, the old one ended with code 0, and the new one answers and shows none.
            EXPECT_TRUE(c.message ? s.pelto.WaitForExit(10000, nullptr) : s.pelto.EndsWithCode0()) << "the old Pelto: " << s.pelto;
            EXPECT_TRUE(c.message || (WaitForPeltoIdle(restarted) && restarted.MessageBoxes().empty())) << "the new Pelto: " << restarted;
            EXPECT_TRUE(ChooseFromMainMenu(restarted, IDM_CLOSE) && restarted.WaitForExit(10000, nullptr)) << "the new Pelto did not close";
        }
        EXPECT_EQ(Setting(s.folder), c.saved);
        EXPECT_FALSE(FileExists(s.folder.File("setting.tmp"))) << "a save left the file setting.tmp";
    }
}

}  // namespace
