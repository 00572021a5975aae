// Start-up: the skin shown, its window and shape on the screen, the messages, the hotkeys and the close command.
#include <windows.h>

#include <algorithm>
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
// A second copy's message for a hotkey it cannot take: this line, then the hotkey's purpose.
const char kHotkeyFailure[] = "ホットキーの設定に失敗しました。\n失敗したホットキー：";
const struct Hotkey {
    UINT modifiers, key;
    const char *name, *purpose;
} kHotkeys[8] = {
    {MOD_CONTROL | MOD_SHIFT, 'Z', "Ctrl+Shift+Z", "ランチャ一覧表示"},
    {MOD_CONTROL | MOD_SHIFT, 'X', "Ctrl+Shift+X", "プラグイン一覧表示"},
    {MOD_CONTROL | MOD_SHIFT, 'A', "Ctrl+Shift+A", "メインメニュー表示"},
    {MOD_SHIFT, VK_RETURN, "Shift+Enter", "寄生のON / OFF"},
    {MOD_CONTROL | MOD_SHIFT, VK_UP, "Ctrl+Shift+Up", "全ウインドウを㊤"},
    {MOD_CONTROL | MOD_SHIFT, VK_DOWN, "Ctrl+Shift+Down", "全ウインドウを㊦"},
    {MOD_CONTROL | MOD_SHIFT, VK_LEFT, "Ctrl+Shift+Left", "全ウインドウを㊧"},
    {MOD_CONTROL | MOD_SHIFT, VK_RIGHT, "Ctrl+Shift+Right", "全ウインドウを㊨"},
};

// A 64 x 32 skin: cut-away corners, a round hole, a slit, a single cut pixel, and two stripes
// one step away from the key colour, which must stay.
constexpr int kTestSkinWidth = 64, kTestSkinHeight = 32;

COLORREF TestSkinPixel(int x, int y) {
    const int w = kTestSkinWidth, h = kTestSkinHeight;
    if (x + y < 5 || (w - 1 - x) + y < 5 || x + (h - 1 - y) < 5 || (w - 1 - x) + (h - 1 - y) < 5) return kMagenta;
    const int dx = x - 40, dy = y - 16;
    if (dx * dx + dy * dy <= 36 || (x == 12 && y >= 8 && y < 24) || (x == 52 && y == 5)) return kMagenta;
    if (y == 28 && x >= 20 && x < 30) return RGB(254, 0, 255);
    if (y == 3 && x >= 20 && x < 30) return RGB(255, 1, 255);
    return RGB(x * 4, y * 8, 0x80);
}

// The tracking period seen from outside: the wide target (the default skin sits 265 pixels left of its
// right edge, 4 below its top) moves each time the skin has followed it. The `count` gaps in ms, fewer
// when the skin stops following.
std::vector<DWORD> DefaultSkinFollowGaps(HWND skin, HWND target, int count, DWORD timeoutMs = 4000) {
    std::vector<DWORD> gaps;
    RECT t = WindowRect(target);
    const int width = t.right - t.left, height = t.bottom - t.top;
    auto followed = [&](const RECT& at) {
        RECT r = WindowRect(skin);
        return r.left == at.right - 265 && r.top == at.top + 4;
    };
    if (!WaitUntil(timeoutMs, [&] { return followed(t); }, 2)) return gaps;
    // The first follow only finds a tick to start from (the skin may have been placed long before).
    for (int i = 0; i <= count; ++i) {
        t.top = (i % 2 == 0) ? t.top + 60 : t.top - 60;
        t.bottom = t.top + height;
        DWORD moved = GetTickCount();
        MoveWindow(target, t.left, t.top, width, height, TRUE);
        if (!WaitUntil(timeoutMs, [&] { return followed(t); }, 2)) break;
        if (i > 0) gaps.push_back(GetTickCount() - moved);
    }
    return gaps;
}

std::string GapsText(const std::vector<DWORD>& gaps) {
    std::string text;
    for (DWORD g : gaps) text += (text.empty() ? "" : ", ") + std::to_string(g) + " ms";
    return text.empty() ? "none" : text;
}

DWORD MedianGap(std::vector<DWORD> gaps) {
    if (gaps.empty()) return 0;
    std::sort(gaps.begin(), gaps.end());
    return gaps[gaps.size() / 2];
}

// Single screen pixels read with GetPixel. cut: the points must show the backdrop.
void CheckScreenPoints(const Image& skin, std::initializer_list<POINT> points, bool cut) {
    for (const POINT& p : points) {
        EXPECT_EQ(SameColour(skin.At(p.x, p.y), kMagenta), cut) << Format("test setup: bitmap pixel (%ld,%ld) is ", p.x, p.y) << ColourText(skin.At(p.x, p.y));
        const COLORREF want = cut ? kBackdropColour : skin.At(p.x, p.y), got = ScreenPixel(p.x, p.y);
        EXPECT_TRUE(ScreenShowsColour(got, want)) << Format("screen pixel (%ld,%ld) is %s, expected %s (%s)", p.x, p.y, ColourText(got).c_str(), ColourText(want).c_str(), cut ? "cut away: the backdrop" : "the skin's colour");
    }
}

// Pelto started once prepare has written the folder: no message box, one skin window of its kind at the origin.
template <class Prepare>
void StartShowingSkin(PeltoSession& s, Prepare prepare, int width, int height) {
    s.Start(prepare);
    // A box would be up by the time Pelto has dealt with its start.
    WaitForPeltoIdle(s.pelto);
    EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << "unexpected message box: " << s.pelto;
    EXPECT_EQ(s.pelto.SkinWindows().size(), 1u) << "windows of class PeltoClass";
    EXPECT_EQ(WindowText(s.skin), kSkinTitle);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(s.skin, GWL_EXSTYLE)), static_cast<DWORD>(WS_EX_TOOLWINDOW | WS_EX_ACCEPTFILES | WS_EX_TOPMOST))
        << "extended styles";
    // WS_CLIPSIBLINGS, which the system adds, allowed.
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(s.skin, GWL_STYLE)) & ~WS_CLIPSIBLINGS,
              static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_SYSMENU | WS_MINIMIZEBOX)) << "styles";
    EXPECT_EQ(GetWindow(s.skin, GW_OWNER), nullptr) << "the skin window's owner";
    EXPECT_EQ(RectText(WindowRect(s.skin)), RectText({0, 0, width, height})) << "the window rectangle";
}

// The skin window shaped like the folder's bitmap (its non-magenta pixels) and showing it over the backdrop.
Image CheckSkinShown(const PeltoSession& s, const char* bitmap, int width, int height) {
    const Image skin = LoadBmpPixels(s.folder.File(bitmap));
    [&] { ASSERT_TRUE(skin.width == width && skin.height == height) << bitmap << " reads back as " << skin.width << " x " << skin.height; }();
    EXPECT_EQ(RegionMismatch(s.skin, skin), "") << "the window region against the bitmap's non-magenta pixels";
    std::string detail;
    int mismatches = 0;
    WaitUntil(5000, [&] { return (mismatches = CompareScreenWithSkin(skin, POINT{0, 0}, kBackdropColour, &detail)) == 0; }, 50);
    EXPECT_EQ(mismatches, 0) << "the screen does not show the skin over the backdrop: " << detail;
    return skin;
}

// The driver's window of the backdrop colour under the skin area, shown.
struct ShownBackdrop : Backdrop {
    ShownBackdrop() : Backdrop({0, 0, 320, 120}, kBackdropColour) {
        [&] { ASSERT_TRUE(WaitPainted()) << "the driver's backdrop does not show on the screen"; }();
    }
};

bool NoChange(const InstallFolder&) { return true; }

// The main menu's close command, chosen as a user does, ends Pelto with code 0.
void CloseAndCheckExit(const PeltoProcess& pelto, const char* which, HWND clickSkin = nullptr) {
    std::string why;
    EXPECT_TRUE(ChooseFromMainMenu(pelto, IDM_CLOSE, &why, clickSkin)) << which << ": " << why;
    EXPECT_TRUE(pelto.EndsWithCode0()) << which << " did not end with code 0 after the close command: " << pelto;
}

// A fresh install, every unusable setting or skin file, and a named skin on default.bmp show the default
// picture (200 x 18 at the origin, shaped and painted like skin\default.bmp). Rows with ticks show whether the
// pointer glides to a new target and the period (gaps >= minGap, median <= maxMedian): "nothing" keeps interval
// and following, a skin that loads turns following off, an empty file gives no interval. One Pelto a row.
TEST(Startup, default_skin_and_the_setting_at_start) {
    SetTestTimeLimit(180);
    const struct {
        const char* name;
        bool (*prepare)(const InstallFolder&);
        bool picture;  // default.bmp is the installed 200 x 18 one
        bool ticks, follows;
        DWORD minGap, maxMedian;
    } rows[] = {
        {"default_skin", NoChange, true, false, false, 0, 0},
        {"setting_nothing", [](const InstallFolder& f) { return f.WriteSetting("1000 1 nothing"); }, true, true, true, 850, 1600},
        {"named_same_skin", [](const InstallFolder& f) { return f.WriteSetting("1000 1 same.skn") && f.WriteSkinDefinition("same.skn", "default.bmp 2 -265 4 -200 -18 Tester"); }, true, true, false, 850, 1600},
        {"empty_setting", [](const InstallFolder& f) { return f.WriteSetting(""); }, true, true, true, 0, 250},
        {"long_skin_name", [](const InstallFolder& f) { return f.WriteSetting("500 0 " + std::string(400, 's')); }, true, false, false, 0, 0},
        {"long_bitmap_name", [](const InstallFolder& f) { return f.WriteSetting("500 0 long.skn") && f.WriteSkinDefinition("long.skn", std::string(400, 'b') + " 2 -265 4 -200 -18 Tester"); }, true, false, false, 0, 0},
        {"missing_bitmap", [](const InstallFolder& f) { return f.WriteSetting("500 0 gone.skn") && f.WriteSkinDefinition("gone.skn", "gone.bmp 2 -265 4 -200 -18 Tester"); }, true, false, false, 0, 0},
        // A default.bmp of another size is still shown in a 200 x 18 window.
        {"default_bitmap_50_by_40", [](const InstallFolder& f) { return f.WriteSkinBitmap("default.bmp", 50, 40, [](int x, int y) { return (x + y) % 7 == 0 ? kMagenta : RGB(10, 20, 30 + y); }); }, false, false, false, 0, 0},
    };
    ShownBackdrop backdrop;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(ParkPointer()) << "cannot park the pointer";
        PeltoSession s(row.name);
        StartShowingSkin(s, row.prepare, 200, 18);
        if (row.picture) {
            const Image skin = CheckSkinShown(s, "skin\\default.bmp", 200, 18);
            // Cut-away corners show the backdrop; points inside show the picture.
            CheckScreenPoints(skin, {{0, 0}, {199, 0}, {0, 17}, {199, 17}}, true);
            CheckScreenPoints(skin, {{100, 9}, {6, 0}, {0, 6}, {199, 6}, {193, 17}, {50, 5}, {150, 12}}, false);
            EXPECT_TRUE(SameColour(ScreenPixel(210, 9), kBackdropColour)) << "screen pixel (210,9) right of the window is " << ColourText(ScreenPixel(210, 9));
        }
        if (!row.ticks) continue;
        TargetProcess target;
        ASSERT_TRUE(StartPopupTarget(target, "Interval Target", {100, 100, 700, 500})) << "no target";
        ASSERT_TRUE(WaitForWindowAt(s.skin, 700 - 265, 104)) << "skin never attached: " << RectText(WindowRect(s.skin));
        if (row.follows) {
            EXPECT_TRUE(WaitForPointerAt(400, 300)) << "the pointer did not glide to the new target, it is at " << CursorPos().x << "," << CursorPos().y;
        } else {
            // The glide would come in the tick that placed the skin; it is over once Pelto answers.
            ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
            EXPECT_TRUE(PointerAt(kParkX, kParkY)) << "the pointer glided to " << CursorPos().x << "," << CursorPos().y << " with following off";
        }
        std::vector<DWORD> gaps = DefaultSkinFollowGaps(s.skin, target.window(), 4);
        ASSERT_EQ(gaps.size(), 4u) << "the skin stopped following the target (" << GapsText(gaps) << ")";
        for (DWORD g : gaps) EXPECT_GE(g, row.minGap) << "a tick gap (" << GapsText(gaps) << ")";
        EXPECT_LE(MedianGap(gaps), row.maxMedian) << "the median tick gap (" << GapsText(gaps) << ")";
    }
}

// The test skin named in setting, with no default.bmp (a named skin needs none): size, outline, picture.
void CheckNamedSkinShown(const char* tag) {
    ShownBackdrop backdrop;
    PeltoSession s(tag);
    StartShowingSkin(s, [](const InstallFolder& f) {
        return f.WriteSetting("500 0 test.skn") && f.WriteSkinDefinition("test.skn", "test.bmp 2 -265 4 -200 -18 Tester") &&
               f.WriteSkinBitmap("test.bmp", kTestSkinWidth, kTestSkinHeight, TestSkinPixel) && f.RemoveFile("skin\\default.bmp");
    }, kTestSkinWidth, kTestSkinHeight);
    const Image skin = CheckSkinShown(s, "skin\\test.bmp", kTestSkinWidth, kTestSkinHeight);
    // A corner, the hole, the slit, the single cut pixel; the two near-key stripes and a plain point.
    CheckScreenPoints(skin, {{0, 0}, {40, 16}, {12, 15}, {52, 5}}, true);
    CheckScreenPoints(skin, {{25, 28}, {25, 3}, {60, 20}}, false);
}

TEST(Startup, named_skin_from_setting) { CheckNamedSkinShown("named_skin"); }

// On a 16-bit display a device bitmap keeps 5 or 6 bits a channel: the near-key stripes look
// like the key, and the key may come back as another colour (0xF800F8 on Windows). The outline
// must still be the file's: every key pixel cut, the stripes kept.
TEST(Startup, HighColor_named_skin_from_setting) {
    HDC screen = GetDC(nullptr);
    const int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(bits, 16) << "bits a pixel of the display";
    CheckNamedSkinShown("named_skin_16");
}

TEST(Startup, missing_files_message) {
    PeltoSession s("missing_files");
    ASSERT_TRUE(s.folder.ok() && s.folder.RemoveFile("skin\\default.bmp")) << "cannot remove skin\\default.bmp";
    ASSERT_TRUE(s.pelto.Start(s.folder)) << "cannot start Pelto.exe: " << s.pelto;
    HWND box = ExpectBox(s.pelto, {"あるはずのファイルがありません。\nもう一度インストールし直してください。", "Pelto", nullptr, false, {IDOK}});
    EXPECT_EQ(s.pelto.MessageBoxes().size(), 1u);
    ASSERT_TRUE(DismissMessageBox(box)) << "the message box does not go away after OK";
    bool another = false;
    WaitUntil(2000, [&] { return (another |= !s.pelto.MessageBoxes().empty()) || !s.pelto.Running(); });
    EXPECT_FALSE(another) << "a second message box came: " << s.pelto;
    EXPECT_TRUE(s.pelto.EndsWithCode0()) << "Pelto did not end with code 0 after the message: " << s.pelto;
}

// Whether the driver can register each of the eight hotkeys (not while a Pelto holds them).
void CheckHotkeysFree(bool free, const char* when) {
    for (int i = 0; i < 8; ++i) {
        const Hotkey& h = kHotkeys[i];
        const bool registered = RegisterHotKey(nullptr, 0xB000 + i, h.modifiers, h.key) != 0;
        EXPECT_EQ(registered, free) << when << ", registering " << h.name << " (error " << GetLastError() << ")";
        if (registered) UnregisterHotKey(nullptr, 0xB000 + i);
    }
}

// A second copy reports each hotkey the first holds, in order, and runs on; closing a copy frees its hotkeys.
TEST(Startup, second_copy_reports_each_hotkey_and_close_frees_them) {
    PeltoSession first("second_copy_a");
    StartShowingSkin(first, NoChange, 200, 18);
    CheckHotkeysFree(false, "while Pelto runs");

    PeltoSession second("second_copy_b");
    ASSERT_TRUE(second.folder.ok() && second.pelto.Start(second.folder)) << "cannot start the second Pelto.exe: " << second.pelto;
    std::vector<HWND> owners;
    // One OK box a hotkey, in order; their owner is checked once the skin window shows.
    for (int i = 0; i < 8; ++i) {
        HWND box = ExpectBox(second.pelto, {kHotkeyFailure + std::string(kHotkeys[i].purpose), "Pelto", nullptr, true, {IDOK}});
        owners.push_back(ReadMessageBox(box).owner);
        ASSERT_TRUE(DismissMessageBox(box)) << "message " << i + 1 << " does not go away after OK";
    }
    HWND window = second.pelto.WaitForSkinWindow();
    ASSERT_NE(window, nullptr) << "no skin window: " << second.pelto;
    for (std::size_t i = 0; i < owners.size(); ++i)
        EXPECT_EQ(owners[i], window) << "owner of message " << i + 1 << " (class \"" << ClassNameOf(owners[i]) << "\")";
    EXPECT_TRUE(WaitForPeltoIdle(second.pelto)) << "the second copy: " << second.pelto;
    EXPECT_TRUE(second.pelto.MessageBoxes().empty()) << "a ninth message came: " << second.pelto;
    EXPECT_TRUE(second.pelto.Running()) << "the second copy ended: " << second.pelto;
    EXPECT_EQ(second.pelto.SkinWindows().size(), 1u) << "windows of class PeltoClass";
    EXPECT_EQ(WindowText(window), kSkinTitle);
    EXPECT_TRUE(first.pelto.MessageBoxes().empty()) << "the first copy shows a message: " << first.pelto;

    CloseAndCheckExit(first.pelto, "the first copy");
    ASSERT_FALSE(first.pelto.Running()) << "the first copy still runs";
    // The second copy, still running, holds none of them; a click on its skin opens its menu.
    CheckHotkeysFree(true, "after the first copy ended");
    CloseAndCheckExit(second.pelto, "the second copy", window);
}

}  // namespace
