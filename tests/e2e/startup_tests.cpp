// Start-up of Pelto: which skin it shows, its window, its shape on the screen,
// the messages it gives, its hotkeys and the close command.
#include <windows.h>

#include <string>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "menu_support.h"
#include "target_support.h"

namespace {

using namespace e2e;

// The driver's backdrop under the skin area: what cut-away pixels must show.
const COLORREF kBackdropColour = RGB(0, 255, 0);
const RECT kBackdropArea = {0, 0, 320, 120};

const char kMissingFilesText[] = "あるはずのファイルがありません。\nもう一度インストールし直してください。";

// A second copy's message for a hotkey it cannot take: this line, then the hotkey's purpose.
const char kHotkeyFailure[] = "ホットキーの設定に失敗しました。\n失敗したホットキー：";

struct Hotkey {
    UINT modifiers;
    UINT key;
    const char* name;
    const char* purpose;
};

const Hotkey kHotkeys[8] = {
    {MOD_CONTROL | MOD_SHIFT, 'Z', "Ctrl+Shift+Z", "ランチャ一覧表示"},
    {MOD_CONTROL | MOD_SHIFT, 'X', "Ctrl+Shift+X", "プラグイン一覧表示"},
    {MOD_CONTROL | MOD_SHIFT, 'A', "Ctrl+Shift+A", "メインメニュー表示"},
    {MOD_SHIFT, VK_RETURN, "Shift+Enter", "寄生のON / OFF"},
    {MOD_CONTROL | MOD_SHIFT, VK_UP, "Ctrl+Shift+Up", "全ウインドウを㊤"},
    {MOD_CONTROL | MOD_SHIFT, VK_DOWN, "Ctrl+Shift+Down", "全ウインドウを㊦"},
    {MOD_CONTROL | MOD_SHIFT, VK_LEFT, "Ctrl+Shift+Left", "全ウインドウを㊧"},
    {MOD_CONTROL | MOD_SHIFT, VK_RIGHT, "Ctrl+Shift+Right", "全ウインドウを㊨"},
};

constexpr DWORD kProgramExStyles = WS_EX_TOOLWINDOW | WS_EX_ACCEPTFILES | WS_EX_TOPMOST;  // 0x98
constexpr DWORD kProgramStyles = WS_POPUP | WS_VISIBLE | WS_SYSMENU | WS_MINIMIZEBOX;     // 0x900A0000

// A 64 x 32 skin with cut-away corners, a round hole, a slit and a single cut
// pixel; two stripes are one step away from the key colour and must stay.
constexpr int kTestSkinWidth = 64, kTestSkinHeight = 32;

COLORREF TestSkinPixel(int x, int y) {
    const int w = kTestSkinWidth, h = kTestSkinHeight;
    if (x + y < 5 || (w - 1 - x) + y < 5 || x + (h - 1 - y) < 5 || (w - 1 - x) + (h - 1 - y) < 5) return kMagenta;
    int dx = x - 40, dy = y - 16;
    if (dx * dx + dy * dy <= 36) return kMagenta;
    if (x == 12 && y >= 8 && y < 24) return kMagenta;
    if (x == 52 && y == 5) return kMagenta;
    if (y == 28 && x >= 20 && x < 30) return RGB(254, 0, 255);
    if (y == 3 && x >= 20 && x < 30) return RGB(255, 1, 255);
    return RGB(x * 4, y * 8, 0x80);
}

bool WriteTestSkin(const InstallFolder& folder) {
    return folder.WriteSetting("500 0 test.skn") &&
           folder.WriteSkinDefinition("test.skn", "test.bmp 2 -265 4 -200 -18 Tester") &&
           folder.WriteSkinBitmap("test.bmp", kTestSkinWidth, kTestSkinHeight, TestSkinPixel);
}

void CheckSkinWindow(HWND window, int width, int height) {
    CHECK_EQ_STR(ClassNameOf(window), kSkinClass);
    CHECK_EQ_STR(WindowText(window), kSkinTitle);
    DWORD ex = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE));
    CHECK_MSG(ex == kProgramExStyles,
              "extended styles are 0x%08lX, expected exactly 0x%08lX (tool window, accepts files, topmost)",
              static_cast<unsigned long>(ex), static_cast<unsigned long>(kProgramExStyles));
    DWORD style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
    CHECK_MSG((style & kProgramStyles) == kProgramStyles && (style & ~(kProgramStyles | WS_CLIPSIBLINGS)) == 0,
              "styles are 0x%08lX, expected 0x%08lX (WS_CLIPSIBLINGS, which the system adds, allowed)",
              static_cast<unsigned long>(style), static_cast<unsigned long>(kProgramStyles));
    CHECK_MSG(GetWindow(window, GW_OWNER) == nullptr, "the skin window has an owner");
    RECT r;
    CHECK(GetWindowRect(window, &r));
    RECT want = {0, 0, width, height};
    CHECK_MSG(EqualRect(&r, &want), "window rectangle is %s, expected %s", RectText(r).c_str(),
              RectText(want).c_str());
}

void CheckRegionMatches(HWND window, const Image& skin) {
    int type = ERROR;
    HRGN actual = CopyWindowRegion(window, &type);
    CHECK_MSG(actual != nullptr, "the skin window has no region (GetWindowRgn answered %d)", type);
    if (!actual) return;
    HRGN expected = RegionFromImage(skin);
    CHECK_MSG(EqualRgn(actual, expected), "window region is not the bitmap's non-magenta pixels: %s",
              DescribeRegionDifference(actual, expected).c_str());
    DeleteObject(expected);
    DeleteObject(actual);
}

// Every pixel of the skin area on the screen: the skin's colour where it is not
// magenta, the backdrop's where it is. Waits for painting to finish first.
void CheckScreenShowsSkin(const Image& skin) {
    std::string detail;
    int mismatches = 0;
    auto shown = [&] { return (mismatches = CompareScreenWithSkin(skin, POINT{0, 0}, kBackdropColour, &detail)) == 0; };
    WaitUntil(5000, shown, 50);
    CHECK_MSG(mismatches == 0, "the screen does not show the skin over the backdrop: %s", detail.c_str());
}

// Single screen pixels read with GetPixel. cut: the points must show the backdrop.
void CheckScreenPoints(const Image& skin, std::initializer_list<POINT> points, bool cut) {
    for (const POINT& p : points) {
        const int x = p.x, y = p.y;
        CHECK_MSG(SameColour(skin.At(x, y), kMagenta) == cut, "test setup: bitmap pixel (%d,%d) is %s", x, y,
                  ColourText(skin.At(x, y)).c_str());
        COLORREF want = cut ? kBackdropColour : skin.At(x, y);
        COLORREF got = ScreenPixel(x, y);
        CHECK_MSG(ScreenShowsColour(got, want), "screen pixel (%d,%d) is %s, expected %s (%s)", x, y,
                  ColourText(got).c_str(), ColourText(want).c_str(), cut ? "cut away: the backdrop" : "the skin's colour");
    }
}

void CheckNoMessageBox(const PeltoProcess& pelto) {
    // A box would be up by the time Pelto has dealt with its start.
    WaitForPeltoIdle(pelto);
    CHECK_MSG(pelto.MessageBoxes().empty(), "unexpected message box: %s", pelto.Describe().c_str());
}

HWND RequireSkinWindow(const PeltoProcess& pelto) {
    HWND window = pelto.WaitForSkinWindow();
    REQUIRE_MSG(window != nullptr, "no visible skin window: %s", pelto.Describe().c_str());
    return window;
}

void StartPelto(PeltoProcess& pelto, const InstallFolder& folder) {
    REQUIRE_MSG(pelto.Start(folder), "cannot start Pelto.exe: %s", pelto.Describe().c_str());
}

// Pelto started in the folder, showing its skin window and no message box.
HWND StartShowingSkin(PeltoProcess& pelto, const InstallFolder& folder) {
    StartPelto(pelto, folder);
    HWND window = RequireSkinWindow(pelto);
    CheckNoMessageBox(pelto);
    return window;
}

void CheckExactlyOneSkinWindow(const PeltoProcess& pelto) {
    CHECK_MSG(pelto.SkinWindows().size() == 1, "%d windows of class PeltoClass, expected 1",
              static_cast<int>(pelto.SkinWindows().size()));
}

// Pelto started in the folder, showing the whole default-skin picture: one window,
// 200 x 18 at the origin, shaped and painted like skin\default.bmp of the folder
// (which comes back), no message box.
Image StartShowingDefaultSkin(PeltoProcess& pelto, const InstallFolder& folder) {
    Image skin = LoadBmpPixels(folder.File("skin\\default.bmp"));
    REQUIRE_MSG(skin.ok(), "cannot read the folder's skin\\default.bmp");
    HWND window = StartShowingSkin(pelto, folder);
    CheckExactlyOneSkinWindow(pelto);
    CheckSkinWindow(window, 200, 18);
    CheckRegionMatches(window, skin);
    if (skin.width == 200 && skin.height == 18) CheckScreenShowsSkin(skin);
    CHECK_MSG(pelto.Running(), "Pelto ended: %s", pelto.Describe().c_str());
    return skin;
}

// The main menu's close command, chosen as a user does, ends Pelto with code 0.
void CloseAndCheckExit(const PeltoProcess& pelto, const char* which, HWND clickSkin = nullptr) {
    std::string why;
    CHECK_MSG(ChooseFromMainMenu(pelto, kCloseCommand, &why, clickSkin), "%s: %s", which, why.c_str());
    CHECK_MSG(pelto.EndsWithCode0(), "%s did not end with code 0 after the close command: %s", which,
              pelto.Describe().c_str());
}

// A fresh install folder, which the test cannot do without.
struct Folder : InstallFolder {
    explicit Folder(const char* tag) : InstallFolder(tag) {
        REQUIRE_MSG(ok(), "cannot make a fresh install folder at %s", path().c_str());
    }
};

TEST(Startup, default_skin_at_start) {
    Folder folder("default_skin");
    Backdrop backdrop(kBackdropArea, kBackdropColour);
    REQUIRE_MSG(backdrop.WaitPainted(), "the driver's backdrop does not show on the screen");
    PeltoProcess pelto;
    const Image skin = StartShowingDefaultSkin(pelto, folder);
    REQUIRE_MSG(skin.width == 200 && skin.height == 18, "the installed default.bmp is %d x %d", skin.width,
                skin.height);
    // Cut-away corners show the backdrop; points inside show the picture.
    CheckScreenPoints(skin, {{0, 0}, {199, 0}, {0, 17}, {199, 17}}, true);
    CheckScreenPoints(skin, {{100, 9}, {6, 0}, {0, 6}, {199, 6}, {193, 17}, {50, 5}, {150, 12}}, false);
    COLORREF beyond = ScreenPixel(210, 9);
    CHECK_MSG(SameColour(beyond, kBackdropColour), "screen pixel (210,9) right of the window is %s",
              ColourText(beyond).c_str());
}

TEST(Startup, default_skin_window_is_200_by_18) {
    Folder folder("default_size");
    REQUIRE_MSG(folder.WriteSkinBitmap("default.bmp", 50, 40,
                                       [](int x, int y) { return (x + y) % 7 == 0 ? kMagenta : RGB(10, 20, 30 + y); }),
                "cannot write the 50 x 40 default.bmp");
    PeltoProcess pelto;
    HWND window = StartShowingSkin(pelto, folder);
    CheckExactlyOneSkinWindow(pelto);
    CheckSkinWindow(window, 200, 18);
}

// The test skin named in setting: its size, its outline (the bitmap file's
// own non-magenta pixels) and its picture over the backdrop.
void CheckNamedSkinShown(const char* tag) {
    Folder folder(tag);
    REQUIRE_MSG(WriteTestSkin(folder), "cannot write the setting and skin files");
    Image skin = LoadBmpPixels(folder.File("skin\\test.bmp"));
    REQUIRE_MSG(skin.width == kTestSkinWidth && skin.height == kTestSkinHeight, "test.bmp reads back as %d x %d",
                skin.width, skin.height);
    Backdrop backdrop(kBackdropArea, kBackdropColour);
    REQUIRE_MSG(backdrop.WaitPainted(), "the driver's backdrop does not show on the screen");
    PeltoProcess pelto;
    HWND window = StartShowingSkin(pelto, folder);
    CheckExactlyOneSkinWindow(pelto);
    CheckSkinWindow(window, kTestSkinWidth, kTestSkinHeight);
    CheckRegionMatches(window, skin);
    CheckScreenShowsSkin(skin);
    // A corner, the hole, the slit and the single cut pixel; then the two stripes
    // of nearly the key colour, shown, and a plain point.
    CheckScreenPoints(skin, {{0, 0}, {40, 16}, {12, 15}, {52, 5}}, true);
    CheckScreenPoints(skin, {{25, 28}, {25, 3}, {60, 20}}, false);
}

TEST(Startup, named_skin_from_setting) { CheckNamedSkinShown("named_skin"); }

// On a 16-bit display a device bitmap keeps 5 or 6 bits a channel: the stripes
// one step away from the key then look like the key itself, and the key may
// come back as something else (0xF800F8 on Windows). The outline must still be
// the file's: every key pixel cut, the stripes kept.
TEST(Startup, HighColor_named_skin_from_setting) {
    HDC screen = GetDC(nullptr);
    const int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    REQUIRE_MSG(bits == 16, "the display has %d bits a pixel, not 16", bits);
    CheckNamedSkinShown("named_skin_16");
}

TEST(Startup, named_skin_needs_no_default_bitmap) {
    Folder folder("named_no_default");
    REQUIRE_MSG(WriteTestSkin(folder), "cannot write the setting and skin files");
    REQUIRE_MSG(folder.RemoveFile("skin\\default.bmp"), "cannot remove skin\\default.bmp");
    PeltoProcess pelto;
    HWND window = StartShowingSkin(pelto, folder);
    CheckSkinWindow(window, kTestSkinWidth, kTestSkinHeight);
    CheckRegionMatches(window, LoadBmpPixels(folder.File("skin\\test.bmp")));
}

TEST(Startup, missing_files_message) {
    Folder folder("missing_files");
    REQUIRE_MSG(folder.RemoveFile("skin\\default.bmp"), "cannot remove skin\\default.bmp");
    PeltoProcess pelto;
    StartPelto(pelto, folder);
    // An OK box of its own, owned by no window.
    HWND box = ExpectBox(pelto, {kMissingFilesText, "Pelto", nullptr, false, {IDOK}});
    CHECK_EQ_INT(pelto.MessageBoxes().size(), 1);
    REQUIRE_MSG(DismissMessageBox(box), "the message box does not go away after OK");

    bool another = false;
    WaitUntil(2000, [&] {
        if (!pelto.MessageBoxes().empty()) another = true;
        return another || !pelto.Running();
    });
    CHECK_MSG(!another, "a second message box came: %s", pelto.Describe().c_str());
    CHECK_MSG(pelto.EndsWithCode0(), "Pelto did not end with code 0 after the message: %s", pelto.Describe().c_str());
}

TEST(Startup, second_copy_reports_each_hotkey) {
    Folder firstFolder("second_copy_a");
    Folder secondFolder("second_copy_b");
    PeltoProcess first;
    REQUIRE_MSG(first.Start(firstFolder), "cannot start the first Pelto.exe: %s", first.Describe().c_str());
    RequireSkinWindow(first);
    Trace("first copy shows its window");
    CheckNoMessageBox(first);

    PeltoProcess second;
    REQUIRE_MSG(second.Start(secondFolder), "cannot start the second Pelto.exe: %s", second.Describe().c_str());
    Trace("second copy started");
    std::vector<HWND> owners;
    // One OK box a hotkey, in order; their owner is checked once the skin window shows.
    for (int i = 0; i < 8; ++i) {
        HWND box =
            ExpectBox(second, {kHotkeyFailure + std::string(kHotkeys[i].purpose), "Pelto", nullptr, true, {IDOK}});
        owners.push_back(ReadMessageBox(box).owner);
        REQUIRE_MSG(DismissMessageBox(box), "message %d does not go away after OK", i + 1);
    }
    HWND window = RequireSkinWindow(second);
    for (std::size_t i = 0; i < owners.size(); ++i)
        CHECK_MSG(owners[i] == window, "message %d is owned by %p (class \"%s\"), not by the skin window %p",
                  static_cast<int>(i) + 1, static_cast<void*>(owners[i]), ClassNameOf(owners[i]).c_str(),
                  static_cast<void*>(window));
    CHECK_MSG(WaitForPeltoIdle(second), "the second copy: %s", second.Describe().c_str());
    CHECK_MSG(second.MessageBoxes().empty(), "a ninth message came: %s", second.Describe().c_str());
    CHECK_MSG(second.Running(), "the second copy ended: %s", second.Describe().c_str());
    CheckExactlyOneSkinWindow(second);
    CHECK_EQ_STR(WindowText(window), kSkinTitle);
    CHECK_MSG(first.MessageBoxes().empty(), "the first copy shows a message: %s", first.Describe().c_str());

    // The second copy holds no hotkey: once the first has gone, a click on its
    // skin opens its menu.
    CloseAndCheckExit(first, "the first copy");
    CloseAndCheckExit(second, "the second copy", window);
}

TEST(Startup, close_command_ends_and_frees_hotkeys) {
    Folder folder("close_command");
    PeltoProcess pelto;
    StartShowingSkin(pelto, folder);
    // While Pelto runs, it holds all eight; once it has ended, the driver can take each.
    auto checkHotkeys = [](bool free, const char* when) {
        for (int i = 0; i < 8; ++i) {
            const Hotkey& h = kHotkeys[i];
            const bool registered = RegisterHotKey(nullptr, 0xB000 + i, h.modifiers, h.key) != 0;
            CHECK_MSG(registered == free, "%s, the driver %s register %s (error %lu)", when,
                      registered ? "could" : "cannot", h.name, static_cast<unsigned long>(GetLastError()));
            if (registered) UnregisterHotKey(nullptr, 0xB000 + i);
        }
    };
    checkHotkeys(false, "while Pelto runs");
    CloseAndCheckExit(pelto, "Pelto");
    REQUIRE_MSG(!pelto.Running(), "Pelto still runs");
    checkHotkeys(true, "after Pelto ended");
}

// Starts Pelto in a fresh folder prepared by write, and checks that it shows the
// default skin: the fallback for every setting or skin file that cannot be used.
template <class Write>
void ExpectDefaultSkinAfter(const char* tag, Write write) {
    Folder folder(tag);
    REQUIRE_MSG(write(folder), "cannot write the setting and skin files");
    Backdrop backdrop(kBackdropArea, kBackdropColour);
    REQUIRE_MSG(backdrop.WaitPainted(), "the driver's backdrop does not show on the screen");
    PeltoProcess pelto;
    StartShowingDefaultSkin(pelto, folder);
}

// What the setting file gave, seen from outside: whether the pointer glides to
// a new target, and the tracking period (every gap at least minGap, their
// median at most maxMedian).
struct Expected {
    bool follows;
    DWORD minGap, maxMedian;
};

void CheckTrackingSettings(const char* tag, const std::string& setting, bool sameSkin, const Expected& e) {
    Folder folder(tag);
    REQUIRE_MSG(folder.WriteSetting(setting), "cannot write the setting file");
    // A named skin that loads and places itself as the default one does.
    if (sameSkin)
        REQUIRE_MSG(folder.WriteSkinDefinition("same.skn", "default.bmp 2 -265 4 -200 -18 Tester"),
                    "cannot write the skin file");
    REQUIRE_MSG(ParkPointer(), "cannot park the pointer");
    PeltoProcess pelto;
    StartPelto(pelto, folder);
    HWND skin = RequireSkinWindow(pelto);
    TargetProcess target;
    REQUIRE_MSG(StartPopupTarget(target, "Interval Target", {100, 100, 700, 500}), "no target");
    REQUIRE_MSG(WaitForWindowAt(skin, 700 - 265, 104), "skin never attached: %s", RectText(WindowRect(skin)).c_str());
    if (e.follows) {
        CHECK_MSG(WaitForPointerAt(400, 300),
                  "\"%s\": the pointer did not glide to the new target, it is at (%ld, %ld)", setting.c_str(),
                  CursorPos().x, CursorPos().y);
    } else {
        // The glide would come in the tick that placed the skin; it is over once Pelto answers.
        REQUIRE_MSG(WaitForPeltoIdle(pelto), "Pelto does not answer: %s", pelto.Describe().c_str());
        POINT c = CursorPos();
        CHECK_MSG(c.x == kParkX && c.y == kParkY, "\"%s\": the pointer glided to (%ld, %ld) with following off",
                  setting.c_str(), c.x, c.y);
    }
    std::vector<DWORD> gaps = DefaultSkinFollowGaps(skin, target.window(), 4);
    CHECK_MSG(gaps.size() == 4, "\"%s\": the skin stopped following the target (%s)", setting.c_str(),
              GapsText(gaps).c_str());
    for (DWORD g : gaps)
        CHECK_MSG(g >= e.minGap, "\"%s\": a tick came after %lu ms, expected at least %lu (%s)", setting.c_str(),
                  static_cast<unsigned long>(g), static_cast<unsigned long>(e.minGap), GapsText(gaps).c_str());
    CHECK_MSG(MedianGap(gaps) <= e.maxMedian, "\"%s\": ticks every %lu ms, expected at most %lu (%s)",
              setting.c_str(), static_cast<unsigned long>(MedianGap(gaps)), static_cast<unsigned long>(e.maxMedian),
              GapsText(gaps).c_str());
}

// "nothing" gives the default skin, the file's interval, and following on
// whatever the code says; the same line naming a skin that loads turns
// following off, with the same interval.
TEST(Startup, setting_nothing_uses_default_skin) {
    ExpectDefaultSkinAfter("setting_nothing", [](const InstallFolder& f) { return f.WriteSetting("1000 1 nothing"); });
    CheckTrackingSettings("nothing_ticks", "1000 1 nothing", false, {true, 850, 1600});
    CheckTrackingSettings("named_ticks", "1000 1 same.skn", true, {false, 850, 1600});
}

TEST(Startup, long_skin_name_in_setting) {
    ExpectDefaultSkinAfter("long_skin_name",
                           [](const InstallFolder& f) { return f.WriteSetting("500 0 " + std::string(400, 's')); });
}

// An empty file gives no interval: 0, a tick as often as the system allows,
// not the 500 ms of a missing file; following is on.
TEST(Startup, empty_setting_file) {
    ExpectDefaultSkinAfter("empty_setting", [](const InstallFolder& f) { return f.WriteSetting(""); });
    CheckTrackingSettings("empty_ticks", "", false, {true, 0, 250});
}

TEST(Startup, long_bitmap_name_in_skin_file) {
    ExpectDefaultSkinAfter("long_bitmap_name", [](const InstallFolder& f) {
        return f.WriteSetting("500 0 long.skn") &&
               f.WriteSkinDefinition("long.skn", std::string(400, 'b') + " 2 -265 4 -200 -18 Tester");
    });
}

TEST(Startup, skin_naming_missing_bitmap) {
    ExpectDefaultSkinAfter("missing_bitmap", [](const InstallFolder& f) {
        return f.WriteSetting("500 0 gone.skn") && f.WriteSkinDefinition("gone.skn", "gone.bmp 2 -265 4 -200 -18 Tester");
    });
}

}  // namespace
