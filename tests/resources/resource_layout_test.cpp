// The menu, dialogs and pictures of the built Pelto.exe, Tachel.ppi and
// Moldra.ppi, read from the files of both Windows installations, and the user
// guide shipped beside them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "resources/moldra_ids.h"
#include "resources/resource_ids.h"
#include "resources/tachel_ids.h"
#include "tests/resources/pe_resources.h"

namespace {

// Styles as the system headers number them.
constexpr uint32_t WS_POPUP = 0x80000000, WS_CHILD = 0x40000000, WS_VISIBLE = 0x10000000, WS_CAPTION = 0x00C00000,
                   WS_BORDER = 0x00800000, WS_VSCROLL = 0x00200000, WS_SYSMENU = 0x00080000,
                   WS_MINIMIZEBOX = 0x00020000, WS_TABSTOP = 0x00010000;
constexpr uint32_t DS_MODALFRAME = 0x80, DS_CENTER = 0x800, DS_CENTERMOUSE = 0x1000;
constexpr uint32_t SS_LEFT = 0, SS_CENTER = 1, SS_BITMAP = 0xE, SS_TYPEMASK = 0x1F, SS_SUNKEN = 0x1000;
constexpr uint32_t ES_MULTILINE = 4, ES_AUTOHSCROLL = 0x80, ES_READONLY = 0x800;
constexpr uint32_t LBS_NOTIFY = 1, LBS_SORT = 2, LBS_NOINTEGRALHEIGHT = 0x100;
// The low four bits are the button type: plain push buttons, never the default
// one, so that Enter ends nothing.
constexpr uint32_t kButtonType = 0x0F, BS_PUSHBUTTON = 0, BS_GROUPBOX = 7;
constexpr uint32_t kChild = WS_CHILD | WS_VISIBLE;
// A modal frame with title bar and system menu, placed where the template says.
constexpr uint32_t kFrameMask = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER;
constexpr uint32_t kFrame = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr unsigned kJapanese = 0x0411;

// A control a table names: only the style bits in mask are compared, so a mask
// can demand bits and forbid others.
struct ExpectedControl {
    int id;
    const char* className;
    const char* text;
    int x, y, cx, cy;
    uint32_t mask, value;
};
struct ExpectedDialog {
    const char* caption;
    int cx, cy;
    bool atOrigin;  // the template's position is (0, 0)
    uint32_t mask, value;
    std::vector<ExpectedControl> controls;  // in template order
};

void ExpectLayout(const pe::Resource& r, const ExpectedDialog& e) {
    ASSERT_EQ(r.error, "");
    const pe::Dialog d = pe::ParseDialog(r.bytes);
    ASSERT_EQ(d.error, "");
    EXPECT_EQ(d.caption, e.caption);
    EXPECT_EQ((std::array<int, 2>{d.cx, d.cy}), (std::array<int, 2>{e.cx, e.cy})) << "size";
    if (e.atOrigin) {
        EXPECT_EQ((std::array<int, 2>{d.x, d.y}), (std::array<int, 2>{0, 0})) << "position";
    }
    EXPECT_EQ(d.fontName, "ＭＳ Ｐゴシック");
    EXPECT_EQ(d.fontPointSize, 9);
    EXPECT_EQ(d.style & e.mask, e.value) << std::hex << "style 0x" << d.style;
    ASSERT_EQ(d.controls.size(), e.controls.size());
    for (std::size_t i = 0; i < e.controls.size(); ++i) {
        const pe::Control& a = d.controls[i];
        const ExpectedControl& x = e.controls[i];
        SCOPED_TRACE("control " + std::to_string(i) + " (id " + std::to_string(x.id) + ")");
        EXPECT_EQ(a.id, x.id);
        EXPECT_EQ(a.className, x.className);
        EXPECT_EQ(a.text, x.text);
        EXPECT_EQ((std::array<int, 4>{a.x, a.y, a.cx, a.cy}), (std::array<int, 4>{x.x, x.y, x.cx, x.cy}));
        EXPECT_EQ(a.style & x.mask, x.value) << std::hex << "style 0x" << a.style;
    }
}

// Text as UTF-8, where a search cannot match inside a character.
std::string Utf8(const std::string& cp932, bool* ok = nullptr) { return pe::Convert(cp932, "CP932", "UTF-8", ok); }

// A menu item: depth, text ("" for a separator), id (0 for a pop-up or a
// separator), whether a separator, whether a pop-up.
using Row = std::tuple<int, std::string, int, bool, bool>;

// The menu in reading order, each pop-up's items right after it. An expected
// menu is written without flags: {} is a separator, an item with items a pop-up.
void Flatten(const std::vector<pe::MenuItem>& items, int depth, std::vector<Row>* rows, unsigned* marks) {
    for (const pe::MenuItem& item : items) {
        const bool popup = item.popup || !item.items.empty();
        const bool separator = item.separator || (!popup && item.id == 0 && item.text.empty());
        rows->emplace_back(depth, separator ? "" : item.text, popup ? 0 : item.id, separator, popup);
        *marks |= item.flags & (1 | 2 | 8);  // MF_GRAYED, MF_DISABLED, MF_CHECKED
        Flatten(item.items, depth + 1, rows, marks);
    }
}

// Each test runs on both Windows builds' installations (scripts/build.sh
// x86_64 and i686); a missing file fails.
class Built : public ::testing::TestWithParam<const char*> {
protected:
    std::string File(const char* relative) const {
        return std::string(PELTO_INSTALLS) + "/install-" + GetParam() + "/Pelto/" + relative;
    }
    // The main menu's rows (the template's one pop-up), flattened.
    void MainMenu(std::vector<Row>* rows, unsigned* marks) const {
        std::vector<pe::MenuItem> items;
        const pe::Resource r = pe::Load(File("Pelto.exe"), pe::kMenu, IDR_MAIN_MENU);
        ASSERT_EQ(r.error, "");
        ASSERT_TRUE(pe::ParseMenu(r.bytes, &items)) << "the menu template is no plain one or ends early";
        ASSERT_TRUE(items.size() == 1 && items[0].popup) << "the menu template holds no single pop-up";
        Flatten(items[0].items, 0, rows, marks);
    }
};
INSTANTIATE_TEST_SUITE_P(Installations, Built, ::testing::Values("x86_64", "i686"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

TEST_P(Built, MainMenuHoldsEveryItemInOrder) {
    std::vector<Row> rows;
    unsigned marks = 0;
    ASSERT_NO_FATAL_FAILURE(MainMenu(&rows, &marks));
    std::vector<Row> expected;
    unsigned unmarked = 0;
    Flatten({
        {"■　Windows", 0, {{"■　終了", IDM_SHUTDOWN}, {"■　再起動", IDM_RESTART}, {}, {"■　ログオフ", IDM_LOGOFF}}},
        {"■　全てのウインドウ", 0, {{"■　最小化", IDM_ALL_MINIMIZE}, {"■　終了", IDM_ALL_CLOSE}}},
        {"■　アクティブウインドウ", 0,
         {{"■　システムトレイに格納", IDM_STORE_IN_TRAY}, {}, {"■　最大化", IDM_TARGET_MAXIMIZE},
          {"■　最小化", IDM_TARGET_MINIMIZE}, {"■　終了", IDM_TARGET_CLOSE}, {}, {"■　名前の変更", IDM_TARGET_RENAME}}},
        {"■　コントロール パネル", 0,
         {{"■　システム", IDM_CPL_SYSTEM}, {"■　アプリケーションの追加と削除", IDM_CPL_APPWIZ},
          {"■　画面", IDM_CPL_DISPLAY}, {"■　マルチメディア", IDM_CPL_MULTIMEDIA}, {"■　マウス", IDM_CPL_MOUSE}}},
        {"■　ランチャ", 0,
         {{"■　一覧表示", IDM_LAUNCHER_LIST}, {"■　このウインドウを追加", IDM_LAUNCHER_ADD},
          {"■　ランチャの設定", IDM_LAUNCHER_SETTINGS}}},
        {"■　壁紙変更", IDM_WALLPAPER},
        {"■　寄生 ON/OFF", IDM_ATTACH_TOGGLE},
        {},
        {"■　プラグイン", IDM_PLUGIN_LIST},
        {},
        {"■　Peltoメニュー", 0,
         {{"■　プラグイン情報を更新", IDM_PLUGIN_REFRESH}, {}, {"■　Peltoについて", IDM_ABOUT}, {"■　設定", IDM_SETTINGS},
          {}, {"■　閉じる", IDM_CLOSE}}},
    }, 0, &expected, &unmarked);
    for (std::size_t i = 0; i < std::min(rows.size(), expected.size()); ++i)
        EXPECT_EQ(rows[i], expected[i]) << "row " << i << ", " << Utf8(std::get<1>(expected[i]));
    EXPECT_EQ(rows.size(), expected.size());
    EXPECT_EQ(marks, 0u) << "an item is greyed or checked";
}

// The masks and values of the controls' styles below.
constexpr uint32_t kSunkenLabel = SS_TYPEMASK | SS_SUNKEN, kOneLineEdit = ES_READONLY | ES_AUTOHSCROLL | ES_MULTILINE;
constexpr uint32_t kUnsortedList = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER;
constexpr uint32_t kEditMask = ES_AUTOHSCROLL | ES_MULTILINE, kSettingsEdit = ES_READONLY | ES_MULTILINE;
// Tachel: a caption and modal frame, no system menu (no close box), not centred.
constexpr uint32_t kTachelFrame = WS_CAPTION | DS_MODALFRAME | WS_POPUP, kChildButton = kChild | kButtonType;
constexpr uint32_t kMoldraFrame = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, kChildLabel = kChild | SS_TYPEMASK;
constexpr uint32_t kMoldraEdit = kChild | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, kPush = kChild | BS_PUSHBUTTON;
constexpr uint32_t kText = kChild | SS_LEFT;

struct DialogRow {
    const char* name;
    const char* file;
    int id;
    bool japanese;  // the resource's language is checked to be Japanese
    ExpectedDialog expected;
};
const DialogRow kDialogs[] = {
    {"rename", "Pelto.exe", IDD_RENAME, false,
     {"■　アクティブウインドウの名前の変更", 187, 73, false, kFrame, kFrame,
      {
          {-1, "Static", "元の名前", 3, 6, 45, 12, kSunkenLabel, SS_CENTER | SS_SUNKEN},
          {IDC_RENAME_CURRENT, "Edit", "", 51, 6, 132, 12, kOneLineEdit, ES_READONLY | ES_AUTOHSCROLL},
          {-1, "Static", "新しいの名前", 3, 27, 45, 12, kSunkenLabel, SS_CENTER | SS_SUNKEN},
          {IDC_RENAME_NEW, "Edit", "", 51, 27, 132, 12, kOneLineEdit, ES_AUTOHSCROLL},
          {IDC_RENAME_OK, "Button", "&OK", 75, 51, 51, 15, kButtonType, BS_PUSHBUTTON},
          {IDC_RENAME_CANCEL, "Button", "ｷｬﾝｾﾙ(&C)", 132, 51, 51, 15, kButtonType, BS_PUSHBUTTON},
      }}},
    // Its ids leave out IDC_LAUNCHER_REFRESH, the entry dialog's refresh request.
    {"launcher settings", "Pelto.exe", IDD_LAUNCHER_SETTINGS, false,
     {"ランチャの設定", 261, 121, true, kFrameMask, kFrame,
      {
          {IDC_LAUNCHER_LIST, "ListBox", "", 9, 12, 165, 99, kUnsortedList | LBS_SORT, kUnsortedList},
          {-1, "Button", "登録されたファイル", 3, 0, 177, 117, kButtonType, BS_GROUPBOX},
          {IDC_LAUNCHER_ADD, "Button", "追加(&A)", 189, 3, 66, 15, kButtonType, BS_PUSHBUTTON},
          {IDC_LAUNCHER_DELETE, "Button", "削除(&D)", 189, 21, 66, 15, kButtonType, BS_PUSHBUTTON},
          {IDC_LAUNCHER_EDIT, "Button", "編集(&E)", 189, 39, 66, 15, kButtonType, BS_PUSHBUTTON},
          {IDC_LAUNCHER_APPLY, "Button", "変更を適応(&U)", 189, 84, 66, 15, kButtonType, BS_PUSHBUTTON},
          {IDC_LAUNCHER_CANCEL, "Button", "キャンセル(&C)", 189, 102, 66, 15, kButtonType, BS_PUSHBUTTON},
      }}},
    {"launcher entry", "Pelto.exe", IDD_LAUNCHER_ENTRY, false,
     {"新規登録 or 登録済みデータの編集", 215, 93, true, kFrameMask, kFrame,
      {
          {-1, "Static", "対象のファイルのある場所", 6, 6, 90, 12, SS_TYPEMASK, SS_LEFT},
          {IDC_ENTRY_PATH, "Edit", "", 6, 21, 165, 12, kEditMask, ES_AUTOHSCROLL},
          {IDC_ENTRY_BROWSE, "Button", "参照", 174, 21, 36, 12, kButtonType, BS_PUSHBUTTON},
          {-1, "Static", "ファイルのタイトル", 6, 36, 90, 12, SS_TYPEMASK, SS_LEFT},
          {IDC_ENTRY_TITLE, "Edit", "", 6, 51, 165, 12, kEditMask, ES_AUTOHSCROLL},
          {IDC_ENTRY_OK, "Button", "&OK", 75, 75, 66, 15, kButtonType, BS_PUSHBUTTON},
      }}},
    {"settings", "Pelto.exe", IDD_SETTINGS, false,
     {"■　Peltoの設定", 195, 153, true, kFrame, kFrame,
      {
          {-1, "Static", "タイマーの間隔", 6, 3, 54, 12, SS_TYPEMASK, SS_LEFT},
          {IDC_SETTINGS_INTERVAL, "Edit", "", 66, 3, 75, 12, kSettingsEdit, 0},
          {-1, "Static", "（1000 = 1秒）", 144, 3, 45, 12, SS_TYPEMASK, SS_LEFT},
          {-1, "Button", "スキンの設定", 3, 21, 186, 63, kButtonType, BS_GROUPBOX},
          {-1, "Static", "ファイル名", 6, 36, 36, 12, SS_TYPEMASK, SS_LEFT},
          {IDC_SETTINGS_SKIN_FILE, "Edit", "", 48, 36, 102, 12, kSettingsEdit, 0},
          {IDC_SETTINGS_BROWSE, "Button", "参照", 153, 36, 30, 12, kButtonType, BS_PUSHBUTTON},
          {-1, "Static", "画像名", 6, 51, 27, 12, SS_TYPEMASK, SS_LEFT},
          {IDC_SETTINGS_BITMAP, "Edit", "", 39, 51, 78, 12, kSettingsEdit, ES_READONLY},
          {-1, "Static", "サイズ", 117, 51, 24, 12, SS_TYPEMASK, SS_LEFT},
          {IDC_SETTINGS_SIZE, "Edit", "", 147, 51, 36, 12, kSettingsEdit, ES_READONLY},
          {-1, "Static", "作者名", 6, 66, 27, 12, SS_TYPEMASK, SS_LEFT},
          {IDC_SETTINGS_AUTHOR, "Edit", "", 39, 66, 144, 12, kSettingsEdit, ES_READONLY},
          {-1, "Button", "FollowingMouse の設定", 3, 90, 186, 33, kButtonType, BS_GROUPBOX},
          {-1, "Static", "FollowingMouse の ON / OFF", 6, 105, 93, 12, SS_TYPEMASK, SS_LEFT},
          {IDC_SETTINGS_FOLLOWING, "Button", "ON", 105, 105, 78, 12, kButtonType, BS_PUSHBUTTON},
          {IDC_SETTINGS_OK, "Button", "&OK", 66, 135, 48, 15, kButtonType, BS_PUSHBUTTON},
          {IDC_SETTINGS_CANCEL, "Button", "ｷｬﾝｾﾙ(&C)", 123, 135, 48, 15, kButtonType, BS_PUSHBUTTON},
      }}},
    // The picture controls name their class by text, stored in capitals by the
    // resource compiler.
    {"about", "Pelto.exe", IDD_ABOUT, false,
     {"■　Peltoについて", 283, 163, true, kFrameMask, kFrame,
      {
          {-1, "STATIC", "#110", 6, 6, 179, 67, kSunkenLabel, SS_BITMAP | SS_SUNKEN},
          {IDC_ABOUT_OK, "Button", "&OK", 207, 6, 69, 15, kButtonType, BS_PUSHBUTTON},
          {IDC_ABOUT_HOME_PAGE, "Button", "&Quorval Online", 207, 27, 69, 15, kButtonType, BS_PUSHBUTTON},
          {IDC_ABOUT_REGISTER, "Button", "スタートアップに登録", 207, 54, 69, 15, kButtonType, BS_PUSHBUTTON},
          {-1, "Static", "Quorval Pelto ver 0.10\nデスクトップの小さな相棒\nfor Microsoft Windows98 / 2000", 6, 84,
           111, 27, kSunkenLabel, SS_LEFT},
          {-1, "Static", "プログラム：Quorval\nグラフィック：Quorval\nヘルプ：Quorval", 120, 84, 84, 27,
           kSunkenLabel, SS_LEFT},
          {-1, "Static",
           "ご意見・ご感想・不具合のご報告は、お気軽に\nquorval@example.com "
           "までメールでお寄せください。\n右上の「Quorval "
           "Online」ボタンを押すと、\n作者のホームページ Quorval Online "
           "を開きます。\nスキンやプラグインもそちらで公開中です。",
           6, 114, 198, 45, kSunkenLabel, SS_LEFT},
          {-1, "STATIC", "#125", 222, 99, 42, 47, kSunkenLabel, SS_BITMAP},
          {-1, "Static", "いつもそばに", 219, 147, 50, 8, kSunkenLabel, SS_CENTER},
      }}},
    {"Tachel", "plugins/Tachel.ppi", IDD_METER, true,
     {"Quorval Tachel", 111, 9, true, kTachelFrame | WS_SYSMENU | DS_CENTER | DS_CENTERMOUSE, kTachelFrame,
      {
          {IDC_METER_BAR, "MSCTLS_PROGRESS32", "Progress1", 0, 0, 84, 9, kChild | WS_BORDER, kChild | WS_BORDER},
          {IDC_METER_CLOSE, "Button", "x", 84, 0, 27, 9, kChildButton | WS_TABSTOP, kChild | WS_TABSTOP | BS_PUSHBUTTON},
      }}},
    {"Moldra", "plugins/Moldra.ppi", IDD_SKIN_MAKER, true,
     {"■　Quorval Moldra", 235, 201, true, kMoldraFrame, kMoldraFrame,
      {
          {-1, "STATIC", "#102", 3, 3, 229, 40, kChildLabel, kChild | SS_BITMAP},
          {-1, "Static", "スキンの名前", 3, 48, 51, 12, kChildLabel, kText},
          {IDC_SKIN_NAME, "Edit", "", 57, 48, 99, 12, kMoldraEdit, kMoldraEdit},
          {-1, "Static", "Bmpファイル", 3, 66, 51, 12, kChildLabel, kText},
          {IDC_BITMAP_PATH, "Edit", "", 57, 66, 123, 12, kMoldraEdit, kMoldraEdit},
          {IDC_BROWSE, "Button", "参照", 183, 66, 39, 12, kChildButton, kPush},
          {-1, "Static", "作者名", 3, 87, 51, 12, kChildLabel, kText},
          {IDC_AUTHOR, "Edit", "", 57, 87, 99, 12, kMoldraEdit, kMoldraEdit},
          {-1, "Button", "スキンの表示位置", 3, 105, 228, 72, kChildButton, kChild | BS_GROUPBOX},
          {-1, "Static", "\n\nスキンの\n表示位置の\n基準", 6, 117, 42, 54, kChildLabel, kText},
          {IDC_ANCHOR, "Button", "右上", 51, 117, 75, 21, kChildButton, kPush},
          {-1, "Static", "通常の X 座標", 129, 114, 54, 12, kChildLabel, kText},
          {IDC_NORMAL_X, "Edit", "", 186, 114, 39, 12, kMoldraEdit, kMoldraEdit},
          {-1, "Static", "通常の Y 座標", 129, 129, 54, 12, kChildLabel, kText},
          {IDC_NORMAL_Y, "Edit", "", 186, 129, 39, 12, kMoldraEdit, kMoldraEdit},
          {-1, "Static", "スキンよりウインドウが小さいときの X 座標", 51, 144, 132, 12, kChildLabel, kText},
          {IDC_SMALL_X, "Edit", "", 186, 144, 39, 12, kMoldraEdit, kMoldraEdit},
          {-1, "Static", "スキンよりウインドウが小さいときの Y 座標", 51, 159, 132, 12, kChildLabel, kText},
          {IDC_SMALL_Y, "Edit", "", 186, 159, 39, 12, kMoldraEdit, kMoldraEdit},
          {IDC_CREATE, "Button", "スキンファイルの作成", 39, 183, 78, 15, kChildButton, kPush},
          {IDC_CANCEL_MAKER, "Button", "キャンセル", 123, 183, 63, 15, kChildButton, kPush},
      }}},
};

TEST_P(Built, Dialogs) {
    for (const DialogRow& row : kDialogs) {
        SCOPED_TRACE(row.name);
        const pe::Resource r = pe::Load(File(row.file), pe::kDialog, row.id);
        ExpectLayout(r, row.expected);
        if (row.japanese) {
            EXPECT_EQ(r.language, kJapanese);
        }
    }
}

// Width, height and bits a pixel, from each bitmap's header (zeros when missing).
TEST_P(Built, Pictures) {
    const std::tuple<const char*, int, std::array<int, 3>> pictures[] = {
        {"Pelto.exe", IDB_ABOUT_BANNER, {344, 110, 8}},
        {"Pelto.exe", IDB_ABOUT_MASCOT, {73, 70, 8}},
        {"plugins/Moldra.ppi", IDB_MOLDRA_BANNER, {400, 60, 8}},
    };
    for (const auto& [file, id, expected] : pictures) {
        const std::string header = pe::Load(File(file), pe::kBitmap, id).bytes + std::string(16, '\0');
        auto at = [&](std::size_t i, std::size_t n) {
            uint32_t v = 0;
            for (std::size_t k = n; k-- > 0;) v = v << 8 | static_cast<unsigned char>(header[i + k]);
            return static_cast<int>(n == 2 ? v : static_cast<int32_t>(v));
        };
        EXPECT_EQ((std::array<int, 3>{at(4, 4), std::abs(at(8, 4)), at(14, 2)}), expected) << id;
    }
}

TEST_P(Built, GuideIsCp932WithCrLfAndNamesEveryMenuItemAndHotkey) {
    std::ifstream file(File("readme.txt"), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // A Notepad that a Japanese Windows 98 user opens it in opens files up to
    // 64 KB and has no word wrap at first.
    ASSERT_GT(bytes.size(), 0u) << "no readme.txt beside Pelto.exe";
    EXPECT_LE(bytes.size(), 65535u);
    std::size_t start = 0, longest = 0;
    for (std::size_t at; (at = bytes.find('\n', start)) != std::string::npos; start = at + 1) {
        ASSERT_TRUE(at > start && bytes[at - 1] == '\r') << "a line that does not end in CR LF at byte " << at;
        longest = std::max(longest, at - 1 - start);
    }
    EXPECT_EQ(start, bytes.size()) << "the last line does not end in CR LF";
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\r'), std::count(bytes.begin(), bytes.end(), '\n'))
        << "a lone CR";
    EXPECT_LE(longest, 80u) << "the longest line, in bytes";
    bool valid = false;
    const std::string guide = Utf8(bytes, &valid);
    ASSERT_TRUE(valid) << "the guide is not valid code page 932";

    // Every item as the program spells it, in the menu's order, so that the
    // guide walks the menu as the user sees it.
    std::vector<Row> rows;
    unsigned marks = 0;
    ASSERT_NO_FATAL_FAILURE(MainMenu(&rows, &marks));
    std::size_t at = 0;
    for (const Row& row : rows) {
        if (std::get<3>(row)) continue;  // a separator
        const std::string item = Utf8(std::get<1>(row));
        const std::size_t found = guide.find(item, at);
        EXPECT_NE(found, std::string::npos) << "the guide does not name " << item
                                            << (guide.find(item) != std::string::npos ? " in the menu's order" : "");
        if (found != std::string::npos) at = found + item.size();
    }
    // What a user must find in it. The guide opens with plain ASCII, which a
    // Windows that shows its Japanese garbled still shows: how to make it Japanese.
    EXPECT_EQ(guide.rfind("Pelto and this guide are written in Japanese", 0), 0u) << "the guide's English opening";
    const std::size_t banner = bytes.find("━");  // the literal is code page 932, as the file
    ASSERT_NE(banner, std::string::npos) << "no title banner";
    EXPECT_TRUE(std::all_of(bytes.begin(), bytes.begin() + banner, [](char c) { return (c & 0x80) == 0; }))
        << "the English opening is not plain 7-bit ASCII";
    // Every hotkey, then the topics.
    for (const char* topic : {"Ctrl+Shift+Z", "Ctrl+Shift+X", "Ctrl+Shift+A", "Shift+Enter", "Ctrl+Shift+↑", "Ctrl+Shift+↓",
                              "Ctrl+Shift+←", "Ctrl+Shift+→",
                              "ver 0.10", "Pelto-i686.zip", "Pelto-x86_64.zip", "Program Files", "setting",
                              "launch_data", "skin\\", "plugins\\", "Moldra", "Tachel", "UNLHA32.DLL", "UNZIP32.DLL",
                              "Pelto.lnk", "アンインストール", "MIT License", "Copyright (c) 2026 Quorval", "更新履歴",
                              "デフォルト", "hotkeys.txt", "stored_windows", "文字化け",
                              "Language for non-Unicode programs", "SysWOW64"})
        EXPECT_NE(guide.find(Utf8(topic)), std::string::npos) << "the guide does not name " << Utf8(topic);
}

}  // namespace
