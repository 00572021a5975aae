// Leaving Windows (answered No), control-panel applets, the wallpaper by dialog
// and by a real drop, and which dropped files Pelto acts on.
#include <windows.h>

#include <string>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "pelto_session.h"
#include "plugin_support.h"
#include "target_support.h"

namespace {

using namespace e2e;

const char kDesktopKey[] = "Control Panel\\Desktop";
const char kSentinelWallpaper[] = "C:\\before-the-test.bmp";
const char kWallpaperQuestionTail[] = "\nこのファイルを壁紙に設定しますか？";

std::string Wallpaper() { return ReadUserRegistryString(kDesktopKey, "Wallpaper"); }

struct ExitQuestion {
    const char* name;
    unsigned command;
    const char* text;
};

class ExitQuestions : public StartedPelto, public ::testing::WithParamInterface<ExitQuestion> {};

TEST_P(ExitQuestions, System_ExitQuestionsAnsweredNoChangeNothing) {
    const ExitQuestion& q = GetParam();
    s.ChooseFromMenu(q.command);
    AnswerBox(s.pelto, {q.text, "Pelto", s.skin, false, {IDYES, IDNO}}, IDNO);
    EXPECT_TRUE(PeltoAnswers(s.pelto)) << "Pelto does not answer after No: " << s.pelto;
    EXPECT_TRUE(s.pelto.MessageBoxes().empty());
    // Windows (here, the Wine session) is still there: a new process starts.
    TargetProcess probe;
    EXPECT_TRUE(probe.Start("--title \"Still Here\" --rect 10 400 100 100 --no-activate", "Still Here")) << "the session ended";
}

INSTANTIATE_TEST_SUITE_P(System, ExitQuestions,
                         ::testing::Values(ExitQuestion{"ShutDown", 40024, "Windowsを終了してよろしいですか"},
                                           ExitQuestion{"Restart", 40025, "Windowsを再起動してよろしいですか"},
                                           ExitQuestion{"LogOff", 40026, "ログオフしてよろしいですか"}),
                         [](const ::testing::TestParamInfo<ExitQuestion>& info) { return std::string(info.param.name); });

// Takes control.exe out of the system folder that Pelto's shell searches, for
// the life of the object; with a stand-in, puts the test's recording
// control.exe there instead.
struct ControlPanelSwap {
    std::string real = JoinPath(PeltoSystemFolder(), "control.exe"), aside = real + ".pelto-test";
    bool moved = false, ok = false, overridden = false;
    explicit ControlPanelSwap(bool standIn) {
        moved = MoveFileA(real.c_str(), aside.c_str()) != 0;
        ok = moved;
        if (ok && standIn) {
            ok = CopyFileA(JoinPath(DriverFolder(), "PeltoControlStandIn.exe").c_str(), real.c_str(), FALSE) != 0;
            // Wine runs its own control.exe for that path unless told otherwise.
            WriteUserRegistryString(kDllOverrides, "control.exe", "native");
            overridden = true;
        }
    }
    ~ControlPanelSwap() {
        if (overridden) DeleteUserRegistryValue(kDllOverrides, "control.exe");
        if (!moved) return;
        DeleteFileA(real.c_str());
        MoveFileA(aside.c_str(), real.c_str());
    }
    static constexpr const char* kDllOverrides = "Software\\Wine\\DllOverrides";
};

struct Applet {
    const char* name;
    unsigned command;
    const char* arguments;
};

const Applet kApplets[] = {{"System", 40054, "sysdm.cpl,,0"},
                           {"AddRemove", 40051, "appwiz.cpl"},
                           {"Display", 40059, "desk.cpl"},
                           {"Multimedia", 40056, "mmsys.cpl,,0"},
                           {"Mouse", 40055, "main.cpl,,0"}};

std::string AppletName(const ::testing::TestParamInfo<Applet>& info) { return info.param.name; }

class AppletThatCannotStart : public StartedPelto, public ::testing::WithParamInterface<Applet> {};

TEST_P(AppletThatCannotStart, System_AppletThatCannotStartSaysSo) {
    const Applet& a = GetParam();
    ControlPanelSwap hidden(false);
    ASSERT_TRUE(hidden.ok) << Format("cannot hide %s", hidden.real.c_str());
    s.ChooseFromMenu(a.command);
    AnswerBox(s.pelto, {"起動に失敗しました。", "Pelto", s.skin});
}

INSTANTIATE_TEST_SUITE_P(System, AppletThatCannotStart, ::testing::ValuesIn(kApplets), AppletName);

// Each applet command starts control.exe with its own applet, and no message.
class AppletStarts : public ::testing::TestWithParam<Applet> {};

TEST_P(AppletStarts, System_AppletsStartControlWithTheirApplet) {
    const Applet& a = GetParam();
    ControlPanelSwap standIn(true);
    ASSERT_TRUE(standIn.ok) << Format("cannot put the stand-in at %s", standIn.real.c_str());
    PeltoSession s("appletok");
    std::string log = s.folder.File("control-arguments.txt");
    SetEnvironmentVariableA("PELTO_CONTROL_LOG", log.c_str());  // Pelto and its children inherit it
    s.Start();
    SetEnvironmentVariableA("PELTO_CONTROL_LOG", nullptr);
    const std::string expected = std::string(a.arguments) + "\n";
    s.ChooseFromMenu(a.command);
    EXPECT_TRUE(WaitUntil(5000, [&] { return ReadFileText(log) == expected; })) << Format("after command %u control.exe was started with \"%s\", expected \"%s\"", a.command, Printable(ReadFileText(log)).c_str(), Printable(expected).c_str());
    EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << Format("a message after a successful start: %s", DescribeBoxes(s.pelto).c_str());
}

INSTANTIATE_TEST_SUITE_P(System, AppletStarts, ::testing::ValuesIn(kApplets), AppletName);

COLORREF WallPixel(int x, int y) { return RGB(x * 8, y * 8, 128); }

// Drops a fresh bitmap on the running skin window, with a known wallpaper set
// before, and returns the question it asks.
HWND DropBitmapForQuestion(PeltoSession& s, const std::string& bmp, int x) {
    WriteUserRegistryString(kDesktopKey, "Wallpaper", kSentinelWallpaper);
    [&] { ASSERT_TRUE(WriteBmp24(bmp, 16, 16, WallPixel)) << "cannot write the bitmap"; }();
    [&] { ASSERT_TRUE(DropOnSkin(x, 9, {bmp})) << "the drop was not accepted"; }();
    HWND box = WaitForBox(s.pelto, bmp + kWallpaperQuestionTail);
    [&] { ASSERT_TRUE(box != nullptr) << Format("no question for %s: %s", bmp.c_str(), DescribeBoxes(s.pelto).c_str()); }();
    return box;
}

// A hidden top-level window of the driver's that notes the actions of the
// settings changes broadcast to every top-level window (WM_SETTINGCHANGE).
class SettingChanges {
public:
    SettingChanges() {
        static const char kClass[] = "PeltoTestSettingChanges";
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kClass;
        RegisterClassA(&wc);  // fails harmlessly when registered already
        Actions().clear();
        window_ = CreateWindowExA(WS_EX_TOOLWINDOW, kClass, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    }
    ~SettingChanges() {
        if (window_) DestroyWindow(window_);
    }
    bool ok() const { return window_ != nullptr; }
    bool Seen(UINT action) const {
        for (WPARAM a : Actions())
            if (a == action) return true;
        return false;
    }

private:
    static std::vector<WPARAM>& Actions() {
        static std::vector<WPARAM> actions;
        return actions;
    }
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_SETTINGCHANGE) Actions().push_back(wParam);
        return DefWindowProcA(window, message, wParam, lParam);
    }
    HWND window_ = nullptr;
};

TEST_F(StartedPelto, Drop_BitmapAnsweredYesBecomesTheWallpaper) {
    SettingChanges changes;
    ASSERT_TRUE(changes.ok()) << "cannot make the window that hears settings changes";
    std::string bmp = s.folder.File("wall.bmp");
    HWND box = DropBitmapForQuestion(s, bmp, 100);
    MessageBoxContent c = ReadMessageBox(box);
    EXPECT_EQ(c.caption, "Pelto");
    EXPECT_TRUE(c.owner == s.skin) << "the question is not owned by the skin window";
    EXPECT_EQ(Wallpaper(), kSentinelWallpaper);  // nothing before the answer
    EXPECT_TRUE(DismissMessageBox(box, IDYES));
    EXPECT_TRUE(WaitUntil(5000, [&] { return Wallpaper() == bmp; })) << Format("wallpaper is \"%s\", expected \"%s\"", Wallpaper().c_str(), bmp.c_str());
    // The change is announced to every window, so that a desktop the shell
    // draws (Windows 98's Active Desktop) repaints.
    EXPECT_TRUE(WaitUntil(5000, [&] { return changes.Seen(SPI_SETDESKWALLPAPER); }))
        << "no WM_SETTINGCHANGE for SPI_SETDESKWALLPAPER reached the driver's window";
}

TEST_F(StartedPelto, Drop_BitmapAnsweredNoChangesNothing) {
    HWND box = DropBitmapForQuestion(s, s.folder.File("other.bmp"), 30);
    EXPECT_TRUE(DismissMessageBox(box, IDNO));
    EXPECT_TRUE(PeltoAnswers(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_EQ(Wallpaper(), kSentinelWallpaper);
}

TEST_F(StartedPelto, Drop_OnlyExactLowerCaseExtensionsAndTheFirstFileCount) {
    WriteUserRegistryString(kDesktopKey, "Wallpaper", kSentinelWallpaper);
    std::string upper = s.folder.File("LOUD.BMP"), text = s.folder.File("notes.txt"), lzh = s.folder.File("skin.LZH"),
                zip = s.folder.File("pack.Zip"), second = s.folder.File("second.bmp");
    for (const std::string& f : {upper, second}) {
        ASSERT_TRUE(WriteBmp24(f, 8, 8, WallPixel)) << Format("cannot write %s", f.c_str());
    }
    for (const std::string& f : {text, lzh, zip}) { ASSERT_TRUE(WriteFileBytes(f, "data")) << Format("cannot write %s", f.c_str()); }

    // Ignored: capital letters (archives too: no missing-library message),
    // other extensions; a bitmap second in a drop does not count.
    for (const std::vector<std::string>& drop :
         {std::vector<std::string>{upper}, {text}, {lzh}, {zip}, {text, second}}) {
        ASSERT_TRUE(DropOnSkin(100, 9, drop)) << Format("the drop of %s was not accepted", drop[0].c_str());
        ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
        EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << Format("dropping %s gave %s", drop[0].c_str(), DescribeBoxes(s.pelto).c_str());
        for (HWND box : s.pelto.MessageBoxes()) DismissMessageBox(box, IDNO);
    }
    EXPECT_TRUE(s.pelto.Running());

    ASSERT_TRUE(DropOnSkin(100, 9, {second, text})) << "the drop was not accepted";
    HWND box = WaitForBox(s.pelto, second + kWallpaperQuestionTail);
    EXPECT_TRUE(box != nullptr) << Format("no question for the first of two files: %s", DescribeBoxes(s.pelto).c_str());
    if (box) DismissMessageBox(box, IDNO);
}

TEST_F(StartedPelto, Wallpaper_ChosenInTheDialogIsSetAtOnce) {
    WriteUserRegistryString(kDesktopKey, "Wallpaper", kSentinelWallpaper);
    std::string bmp = s.folder.File("chosen.bmp");
    ASSERT_TRUE(WriteBmp24(bmp, 16, 16, WallPixel)) << "cannot write the bitmap";

    // Cancel first: nothing changes.
    s.ChooseFromMenu(40041);
    HWND dialog = WaitForOpenDialog(s.pelto.pid());
    ASSERT_TRUE(dialog != nullptr) << Format("no open-file dialog: %s", DescribeBoxes(s.pelto).c_str());
    EXPECT_TRUE(GetWindow(dialog, GW_OWNER) == s.skin) << "the dialog is not owned by the skin window";
    ClickDialogButton(dialog, IDCANCEL);
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(dialog); })) << "Cancel did not close the dialog";
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_EQ(Wallpaper(), kSentinelWallpaper);

    s.ChooseFromMenu(40041);
    dialog = WaitForOpenDialog(s.pelto.pid());
    ASSERT_TRUE(dialog != nullptr) << "no open-file dialog the second time";
    const std::string name = ControlText(FileNameEdit(dialog));
    EXPECT_TRUE(name.empty()) << Format("the file name box starts with \"%s\"", name.c_str());
    EXPECT_TRUE(ChooseInOpenDialog(dialog, bmp)) << "OK did not close the open-file dialog";
    EXPECT_TRUE(WaitUntil(8000, [&] { return Wallpaper() == bmp; })) << Format("wallpaper is \"%s\", expected \"%s\"", Wallpaper().c_str(), bmp.c_str());
    EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << Format("something is still open: %s", DescribeBoxes(s.pelto).c_str());
}

}  // namespace
