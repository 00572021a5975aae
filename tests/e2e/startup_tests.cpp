// Start-up of Pelto: which skin it shows, its window, its shape on the screen,
// the messages it gives, its hotkeys and the close command.
#include <windows.h>

#include <string>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "menu_support.h"
#include "pelto_session.h"
#include "resources/resource_ids.h"
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
    EXPECT_EQ(ClassNameOf(window), kSkinClass);
    EXPECT_EQ(WindowText(window), kSkinTitle);
    DWORD ex = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE));
    EXPECT_TRUE(ex == kProgramExStyles) << Format("extended styles are 0x%08lX, expected exactly 0x%08lX (tool window, accepts files, topmost)", static_cast<unsigned long>(ex), static_cast<unsigned long>(kProgramExStyles));
    DWORD style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
    EXPECT_TRUE((style & kProgramStyles) == kProgramStyles && (style & ~(kProgramStyles | WS_CLIPSIBLINGS)) == 0) << Format("styles are 0x%08lX, expected 0x%08lX (WS_CLIPSIBLINGS, which the system adds, allowed)", static_cast<unsigned long>(style), static_cast<unsigned long>(kProgramStyles));
    EXPECT_TRUE(GetWindow(window, GW_OWNER) == nullptr) << "the skin window has an owner";
    RECT r;
    EXPECT_TRUE(GetWindowRect(window, &r));
    RECT want = {0, 0, width, height};
    EXPECT_TRUE(EqualRect(&r, &want)) << Format("window rectangle is %s, expected %s", RectText(r).c_str(), RectText(want).c_str());
}

void CheckRegionMatches(HWND window, const Image& skin) {
    int type = ERROR;
    HRGN actual = CopyWindowRegion(window, &type);
    EXPECT_TRUE(actual != nullptr) << Format("the skin window has no region (GetWindowRgn answered %d)", type);
    if (!actual) return;
    HRGN expected = RegionFromImage(skin);
    EXPECT_TRUE(EqualRgn(actual, expected)) << Format("window region is not the bitmap's non-magenta pixels: %s", DescribeRegionDifference(actual, expected).c_str());
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
    EXPECT_TRUE(mismatches == 0) << Format("the screen does not show the skin over the backdrop: %s", detail.c_str());
}

// Single screen pixels read with GetPixel. cut: the points must show the backdrop.
void CheckScreenPoints(const Image& skin, std::initializer_list<POINT> points, bool cut) {
    for (const POINT& p : points) {
        const int x = p.x, y = p.y;
        EXPECT_TRUE(SameColour(skin.At(x, y), kMagenta) == cut) << Format("test setup: bitmap pixel (%d,%d) is %s", x, y, ColourText(skin.At(x, y)).c_str());
        COLORREF want = cut ? kBackdropColour : skin.At(x, y);
        COLORREF got = ScreenPixel(x, y);
        EXPECT_TRUE(ScreenShowsColour(got, want)) << Format("screen pixel (%d,%d) is %s, expected %s (%s)", x, y, ColourText(got).c_str(), ColourText(want).c_str(), cut ? "cut away: the backdrop" : "the skin's colour");
    }
}

void CheckNoMessageBox(const PeltoProcess& pelto) {
    // A box would be up by the time Pelto has dealt with its start.
    WaitForPeltoIdle(pelto);
    EXPECT_TRUE(pelto.MessageBoxes().empty()) << "unexpected message box: " << pelto;
}

void CheckExactlyOneSkinWindow(const PeltoProcess& pelto) {
    EXPECT_EQ(pelto.SkinWindows().size(), 1u) << "windows of class PeltoClass";
}

// Pelto started in the session's folder once prepare has written it, showing
// its skin window and no message box.
template <class Prepare>
void StartShowingSkin(PeltoSession& s, Prepare prepare) {
    s.Start(prepare);
    CheckNoMessageBox(s.pelto);
    CheckExactlyOneSkinWindow(s.pelto);
}

// The driver's window of the backdrop colour under the skin area, shown.
struct ShownBackdrop : Backdrop {
    ShownBackdrop() : Backdrop(kBackdropArea, kBackdropColour) {
        [&] { ASSERT_TRUE(WaitPainted()) << "the driver's backdrop does not show on the screen"; }();
    }
};

// Over the driver's backdrop, Pelto shows the whole default-skin picture: one
// window, 200 x 18 at the origin, shaped and painted like skin\default.bmp of
// the folder, no message box.
template <class Prepare>
Image StartShowingDefaultSkin(PeltoSession& s, Prepare prepare) {
    StartShowingSkin(s, prepare);
    Image skin = LoadBmpPixels(s.folder.File("skin\\default.bmp"));
    [&] { ASSERT_TRUE(skin.width == 200 && skin.height == 18) << Format("the folder's default.bmp is %d x %d", skin.width, skin.height); }();
    CheckSkinWindow(s.skin, 200, 18);
    CheckRegionMatches(s.skin, skin);
    CheckScreenShowsSkin(skin);
    return skin;
}

bool NoChange(const InstallFolder&) { return true; }

// The main menu's close command, chosen as a user does, ends Pelto with code 0.
void CloseAndCheckExit(const PeltoProcess& pelto, const char* which, HWND clickSkin = nullptr) {
    std::string why;
    EXPECT_TRUE(ChooseFromMainMenu(pelto, IDM_CLOSE, &why, clickSkin)) << which << ": " << why;
    EXPECT_TRUE(pelto.EndsWithCode0()) << which << " did not end with code 0 after the close command: " << pelto;
}

TEST(Startup, default_skin_at_start) {
    ShownBackdrop backdrop;
    PeltoSession s("default_skin");
    const Image skin = StartShowingDefaultSkin(s, NoChange);
    // Cut-away corners show the backdrop; points inside show the picture.
    CheckScreenPoints(skin, {{0, 0}, {199, 0}, {0, 17}, {199, 17}}, true);
    CheckScreenPoints(skin, {{100, 9}, {6, 0}, {0, 6}, {199, 6}, {193, 17}, {50, 5}, {150, 12}}, false);
    COLORREF beyond = ScreenPixel(210, 9);
    EXPECT_TRUE(SameColour(beyond, kBackdropColour)) << "screen pixel (210,9) right of the window is " << ColourText(beyond);
}

// Every setting or skin file that cannot be used gives the default skin: one
// started Pelto a row, as each is about the start.
TEST(Startup, unusable_setting_or_skin_gives_the_default_skin) {
    struct Row {
        const char* name;
        bool (*prepare)(const InstallFolder&);
    };
    const Row rows[] = {
        {"setting_nothing", [](const InstallFolder& f) { return f.WriteSetting("1000 1 nothing"); }},
        {"long_skin_name", [](const InstallFolder& f) { return f.WriteSetting("500 0 " + std::string(400, 's')); }},
        {"empty_setting", [](const InstallFolder& f) { return f.WriteSetting(""); }},
        {"long_bitmap_name",
         [](const InstallFolder& f) {
             return f.WriteSetting("500 0 long.skn") &&
                    f.WriteSkinDefinition("long.skn", std::string(400, 'b') + " 2 -265 4 -200 -18 Tester");
         }},
        {"missing_bitmap",
         [](const InstallFolder& f) {
             return f.WriteSetting("500 0 gone.skn") &&
                    f.WriteSkinDefinition("gone.skn", "gone.bmp 2 -265 4 -200 -18 Tester");
         }},
        // A default.bmp of another size is still shown in a 200 x 18 window.
        {"default_bitmap_50_by_40",
         [](const InstallFolder& f) {
             return f.WriteSkinBitmap("default.bmp", 50, 40,
                                      [](int x, int y) { return (x + y) % 7 == 0 ? kMagenta : RGB(10, 20, 30 + y); });
         }},
    };
    ShownBackdrop backdrop;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PeltoSession s(row.name);
        if (std::string(row.name) == "default_bitmap_50_by_40") {
            StartShowingSkin(s, row.prepare);
            CheckSkinWindow(s.skin, 200, 18);
        } else {
            StartShowingDefaultSkin(s, row.prepare);
        }
    }
}

// The test skin named in setting: its size, its outline (the bitmap file's
// own non-magenta pixels) and its picture over the backdrop.
void CheckNamedSkinShown(const char* tag) {
    ShownBackdrop backdrop;
    PeltoSession s(tag);
    StartShowingSkin(s, WriteTestSkin);
    Image skin = LoadBmpPixels(s.folder.File("skin\\test.bmp"));
    ASSERT_TRUE(skin.width == kTestSkinWidth && skin.height == kTestSkinHeight) << "test.bmp reads back as " << skin.width << " x " << skin.height;
    CheckSkinWindow(s.skin, kTestSkinWidth, kTestSkinHeight);
    CheckRegionMatches(s.skin, skin);
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
    ASSERT_EQ(bits, 16) << "bits a pixel of the display";
    CheckNamedSkinShown("named_skin_16");
}

TEST(Startup, named_skin_needs_no_default_bitmap) {
    PeltoSession s("named_no_default");
    StartShowingSkin(s, [](const InstallFolder& f) { return WriteTestSkin(f) && f.RemoveFile("skin\\default.bmp"); });
    CheckSkinWindow(s.skin, kTestSkinWidth, kTestSkinHeight);
    CheckRegionMatches(s.skin, LoadBmpPixels(s.folder.File("skin\\test.bmp")));
}

TEST(Startup, missing_files_message) {
    PeltoSession s("missing_files");
    ASSERT_TRUE(s.folder.ok() && s.folder.RemoveFile("skin\\default.bmp")) << "cannot remove skin\\default.bmp";
    ASSERT_TRUE(s.pelto.Start(s.folder)) << "cannot start Pelto.exe: " << s.pelto;
    // An OK box of its own, owned by no window.
    HWND box = ExpectBox(s.pelto, {kMissingFilesText, "Pelto", nullptr, false, {IDOK}});
    EXPECT_EQ(s.pelto.MessageBoxes().size(), 1u);
    ASSERT_TRUE(DismissMessageBox(box)) << "the message box does not go away after OK";

    bool another = false;
    WaitUntil(2000, [&] {
        if (!s.pelto.MessageBoxes().empty()) another = true;
        return another || !s.pelto.Running();
    });
    EXPECT_FALSE(another) << "a second message box came: " << s.pelto;
    EXPECT_TRUE(s.pelto.EndsWithCode0()) << "Pelto did not end with code 0 after the message: " << s.pelto;
}

TEST(Startup, second_copy_reports_each_hotkey) {
    PeltoSession first("second_copy_a");
    StartShowingSkin(first, NoChange);

    PeltoSession second("second_copy_b");
    ASSERT_TRUE(second.folder.ok() && second.pelto.Start(second.folder)) << "cannot start the second Pelto.exe: " << second.pelto;
    std::vector<HWND> owners;
    // One OK box a hotkey, in order; their owner is checked once the skin window shows.
    for (int i = 0; i < 8; ++i) {
        HWND box =
            ExpectBox(second.pelto, {kHotkeyFailure + std::string(kHotkeys[i].purpose), "Pelto", nullptr, true, {IDOK}});
        owners.push_back(ReadMessageBox(box).owner);
        ASSERT_TRUE(DismissMessageBox(box)) << "message " << i + 1 << " does not go away after OK";
    }
    HWND window = second.pelto.WaitForSkinWindow();
    ASSERT_TRUE(window != nullptr) << "no skin window: " << second.pelto;
    for (std::size_t i = 0; i < owners.size(); ++i)
        EXPECT_EQ(owners[i], window) << "owner of message " << i + 1 << " (class \"" << ClassNameOf(owners[i]) << "\")";
    EXPECT_TRUE(WaitForPeltoIdle(second.pelto)) << "the second copy: " << second.pelto;
    EXPECT_TRUE(second.pelto.MessageBoxes().empty()) << "a ninth message came: " << second.pelto;
    EXPECT_TRUE(second.pelto.Running()) << "the second copy ended: " << second.pelto;
    CheckExactlyOneSkinWindow(second.pelto);
    EXPECT_EQ(WindowText(window), kSkinTitle);
    EXPECT_TRUE(first.pelto.MessageBoxes().empty()) << "the first copy shows a message: " << first.pelto;

    // The second copy holds no hotkey: once the first has gone, a click on its
    // skin opens its menu.
    CloseAndCheckExit(first.pelto, "the first copy");
    CloseAndCheckExit(second.pelto, "the second copy", window);
}

TEST(Startup, close_command_ends_and_frees_hotkeys) {
    PeltoSession s("close_command");
    StartShowingSkin(s, NoChange);
    // While Pelto runs, it holds all eight; once it has ended, the driver can take each.
    auto checkHotkeys = [](bool free, const char* when) {
        for (int i = 0; i < 8; ++i) {
            const Hotkey& h = kHotkeys[i];
            const bool registered = RegisterHotKey(nullptr, 0xB000 + i, h.modifiers, h.key) != 0;
            EXPECT_EQ(registered, free) << when << ", registering " << h.name << " (error " << GetLastError() << ")";
            if (registered) UnregisterHotKey(nullptr, 0xB000 + i);
        }
    };
    checkHotkeys(false, "while Pelto runs");
    CloseAndCheckExit(s.pelto, "Pelto");
    ASSERT_FALSE(s.pelto.Running()) << "Pelto still runs";
    checkHotkeys(true, "after Pelto ended");
}

// What the setting file gives, seen from outside: whether the pointer glides to
// a new target, and the tracking period (every gap at least minGap, their
// median at most maxMedian). "nothing" gives the default skin, the file's
// interval, and following on; the same line naming a skin that loads turns
// following off, with the same interval. An empty file gives no interval: a
// tick as often as the system allows, not the 500 ms of a missing file.
TEST(Startup, setting_gives_interval_and_following) {
    struct Row {
        const char* name;
        const char* setting;
        bool follows;
        DWORD minGap, maxMedian;
    };
    const Row rows[] = {
        {"nothing_ticks", "1000 1 nothing", true, 850, 1600},
        {"named_ticks", "1000 1 same.skn", false, 850, 1600},
        {"empty_ticks", "", true, 0, 250},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(ParkPointer()) << "cannot park the pointer";
        PeltoSession s(row.name);
        // A named skin that loads and places itself as the default one does.
        s.Start([&](const InstallFolder& f) {
            return f.WriteSetting(row.setting) &&
                   f.WriteSkinDefinition("same.skn", "default.bmp 2 -265 4 -200 -18 Tester");
        });
        TargetProcess target;
        ASSERT_TRUE(StartPopupTarget(target, "Interval Target", {100, 100, 700, 500})) << "no target";
        ASSERT_TRUE(WaitForWindowAt(s.skin, 700 - 265, 104)) << "skin never attached: " << RectText(WindowRect(s.skin));
        if (row.follows) {
            EXPECT_TRUE(WaitForPointerAt(400, 300)) << "the pointer did not glide to the new target, it is at " << CursorPos().x << "," << CursorPos().y;
        } else {
            // The glide would come in the tick that placed the skin; it is over once Pelto answers.
            ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
            POINT c = CursorPos();
            EXPECT_TRUE(c.x == kParkX && c.y == kParkY) << "the pointer glided to " << c.x << "," << c.y << " with following off";
        }
        std::vector<DWORD> gaps = DefaultSkinFollowGaps(s.skin, target.window(), 4);
        ASSERT_EQ(gaps.size(), 4u) << "the skin stopped following the target (" << GapsText(gaps) << ")";
        for (DWORD g : gaps) EXPECT_GE(g, row.minGap) << "a tick gap (" << GapsText(gaps) << ")";
        EXPECT_LE(MedianGap(gaps), row.maxMedian) << "the median tick gap (" << GapsText(gaps) << ")";
    }
}

}  // namespace
