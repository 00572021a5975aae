#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/hotkey_file.h"

namespace {

enum Hotkey { LauncherList, PluginList, MainMenu, Attachment, MoveUp, MoveDown, MoveLeft, MoveRight };

HotkeyFileResult Parse(const std::string& text) {
    HotkeyFileResult r;
    ParseHotkeyFile(text.data(), text.size(), &r);
    return r;
}

// A hotkey's choice as text, so that a failure shows it whole.
std::string Choice(const HotkeyChoiceRow& row) {
    if (row.Choice != HotkeyChoice::Keys) return row.Choice == HotkeyChoice::Off ? "off" : "default";
    std::ostringstream out;
    out << "modifiers " << row.Modifiers << ", key 0x" << std::hex << row.Key;
    return out.str();
}
std::string Keys(unsigned modifiers, unsigned key) { return Choice({HotkeyChoice::Keys, modifiers, key}); }
std::vector<std::string> Choices(const HotkeyFileResult& r) {
    std::vector<std::string> choices;
    for (const HotkeyChoiceRow& row : r.Hotkeys) choices.push_back(Choice(row));
    return choices;
}
constexpr unsigned kCtrlAltShift = kHotkeyControl | kHotkeyAlt | kHotkeyShift;

// The longest line: "MoveRight =", blanks, "off", 200 bytes in all.
const std::string kLongest = "MoveRight =" + std::string(kHotkeyLineMaxBytes - 14, ' ') + "off";

// Files without a bad line, and every hotkey's choice after them.
const std::pair<std::string, std::vector<std::string>> kGoodFiles[] = {
    {"", std::vector<std::string>(kHotkeyCount, "default")},
    {"LauncherList = off\n"
     "PluginList = Ctrl+Alt+P\n"
     "MainMenu=Win+M\n"
     "Attachment = off\n"
     "MoveUp = Ctrl+Alt+Shift+Up\n"
     "MoveDown = F9\n"
     "MoveLeft = Alt+Left\n"
     "MoveRight = Ctrl+Alt+Shift+Right\n",
     {"off", Keys(kHotkeyControl | kHotkeyAlt, 'P'), Keys(kHotkeyWin, 'M'), "off", Keys(kCtrlAltShift, 0x26), Keys(0, 0x78),
      Keys(kHotkeyAlt, 0x25), Keys(kCtrlAltShift, 0x27)}},
    // Names and keys in any case, blanks around the signs.
    {"  attachment\t=\tOFF  \nMOVERIGHT =  ctrl + ALT +shift+   right\t\nmainmenu=sHiFt+a\n",
     {"default", "default", Keys(kHotkeyShift, 'A'), "off", "default", "default", "default", Keys(kCtrlAltShift, 0x27)}},
    // Comments, blank lines, CR LF, a byte order mark and no last line end.
    {"\xEF\xBB\xBF; my keys\r\n\r\n   \r\n# Shift+Enter breaks lines in chat\r\nAttachment = off\r\n\tMoveLeft = off\r\nMoveRight = off",
     {"default", "default", "default", "off", "default", "default", "off", "off"}},
    // The longest line, counted without the line end and the blanks at its ends.
    {kLongest + "\n", {"default", "default", "default", "default", "default", "default", "default", "off"}},
    {"  " + kLongest + " \t\r\n", {"default", "default", "default", "default", "default", "default", "default", "off"}},
};

TEST(HotkeyFile, EachHotkeyOffOtherKeysOrKeptAsItWas) {
    for (const auto& [text, choices] : kGoodFiles) {
        SCOPED_TRACE(::testing::PrintToString(text));
        const HotkeyFileResult r = Parse(text);
        EXPECT_EQ(r.BadLines, 0);
        EXPECT_EQ(r.FirstBadLine, 0);
        EXPECT_EQ(HotkeyFileMessage(r), "");
        EXPECT_EQ(Choices(r), choices);
    }
}

// Every modifier, then every key name after Ctrl+ (on a line with its line end).
TEST(HotkeyFile, EveryKeyNameAndModifier) {
    const std::pair<const char*, unsigned> keys[] = {
        {"A", 'A'},           {"z", 'Z'},          {"0", '0'},          {"9", '9'},
        {"F1", 0x70},         {"F9", 0x78},        {"F10", 0x79},       {"f12", 0x7B},
        {"Up", 0x26},         {"Down", 0x28},      {"Left", 0x25},      {"Right", 0x27},
        {"Enter", 0x0D},      {"Space", 0x20},     {"Tab", 0x09},       {"Esc", 0x1B},
        {"Backspace", 0x08},  {"Insert", 0x2D},    {"Delete", 0x2E},    {"Home", 0x24},
        {"End", 0x23},        {"PageUp", 0x21},    {"PageDown", 0x22},  {"Pause", 0x13},
    };
    std::vector<std::pair<std::string, std::string>> cases = {
        {"Ctrl+A", Keys(kHotkeyControl, 'A')},
        {"Shift+A", Keys(kHotkeyShift, 'A')},
        {"Alt+A", Keys(kHotkeyAlt, 'A')},
        {"Win+A", Keys(kHotkeyWin, 'A')},
        {"Win+Alt+Shift+Ctrl+A", Keys(15, 'A')},
        {"Pause", Keys(0, 0x13)},
        {"Ctrl+Ctrl+A", Keys(kHotkeyControl, 'A')},  // the same modifier twice means it once
    };
    for (const auto& k : keys) cases.emplace_back(std::string("Ctrl+") + k.first + "\n", Keys(kHotkeyControl, k.second));
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.first));
        HotkeyFileResult r = Parse("MainMenu = " + c.first);
        EXPECT_EQ(r.BadLines, 0);
        EXPECT_EQ(Choice(r.Hotkeys[MainMenu]), c.second);
    }
}

TEST(HotkeyFile, ABadLineKeepsItsHotkeyAndTheRestCount) {
    const std::pair<const char*, HotkeyLineProblem> cases[] = {
        {"Attachment off", HotkeyLineProblem::NoEquals},
        {"Attachment ＝ off", HotkeyLineProblem::NoEquals},
        {"Atachment = off", HotkeyLineProblem::UnknownHotkey},
        {"= off", HotkeyLineProblem::UnknownHotkey},
        {"寄生 = off", HotkeyLineProblem::UnknownHotkey},
        {"MoveLeft = Ctrl+Shift+Lft", HotkeyLineProblem::UnknownKey},
        {"MoveLeft = Ctrl+Shift+", HotkeyLineProblem::UnknownKey},
        {"MoveLeft = Ctrl+Shift", HotkeyLineProblem::UnknownKey},
        {"MoveLeft = Ctrl++Left", HotkeyLineProblem::UnknownKey},
        {"MoveLeft = Left+Ctrl", HotkeyLineProblem::UnknownKey},
        {"MoveLeft = Ctrl Shift Left", HotkeyLineProblem::UnknownKey},
        {"MoveLeft = Ctrl＋Left", HotkeyLineProblem::UnknownKey},
        {"MoveLeft = F13", HotkeyLineProblem::UnknownKey},
        {"MoveLeft = F0", HotkeyLineProblem::UnknownKey},
        {"MoveLeft =", HotkeyLineProblem::UnknownKey},
        {"MoveLeft = off = on", HotkeyLineProblem::UnknownKey},
        {"MoveLeft = Ctrl+Shift+Left ; mine", HotkeyLineProblem::UnknownKey},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        HotkeyFileResult r = Parse(std::string("MoveUp = off\n\n") + c.first + "\nMoveDown = off\n");
        EXPECT_EQ(r.BadLines, 1);
        EXPECT_EQ(r.FirstBadLine, 3);
        EXPECT_EQ(r.FirstProblem, c.second);
        EXPECT_STREQ(r.FirstBadText, c.first);
        EXPECT_EQ(Choice(r.Hotkeys[MoveLeft]), "default");
        EXPECT_EQ(Choice(r.Hotkeys[MoveUp]), "off");
        EXPECT_EQ(Choice(r.Hotkeys[MoveDown]), "off");
    }
}

TEST(HotkeyFile, AHotkeyNamedTwiceKeepsItsOwnKeys) {
    HotkeyFileResult r = Parse("MoveRight = off\nAttachment = off\nmoveright = Ctrl+Alt+Shift+Right\n");
    EXPECT_EQ(r.BadLines, 1);
    EXPECT_EQ(r.FirstBadLine, 3);
    EXPECT_EQ(r.FirstProblem, HotkeyLineProblem::GivenTwice);
    EXPECT_EQ(Choice(r.Hotkeys[MoveRight]), "default");
    EXPECT_EQ(Choice(r.Hotkeys[Attachment]), "off");
    // A good line does not undo a bad one for the same hotkey, before or after it.
    r = Parse("MoveRight = Ctrl+Alt+Rigth\nMoveRight = off\n");
    EXPECT_EQ(r.BadLines, 2);
    EXPECT_EQ(r.FirstProblem, HotkeyLineProblem::UnknownKey);
    EXPECT_EQ(Choice(r.Hotkeys[MoveRight]), "default");
}

// The longest line fits (kGoodFiles); one byte more does not.
TEST(HotkeyFile, OverLongLines) {
    ASSERT_EQ(kLongest.size(), kHotkeyLineMaxBytes);
    const HotkeyFileResult r = Parse("MoveRight = " + std::string(kHotkeyLineMaxBytes - 14, ' ') + "off\nAttachment = off\n");
    EXPECT_EQ(r.BadLines, 1);
    EXPECT_EQ(r.FirstProblem, HotkeyLineProblem::TooLong);
    EXPECT_EQ(Choice(r.Hotkeys[MoveRight]), "default");
    EXPECT_EQ(Choice(r.Hotkeys[Attachment]), "off");
    EXPECT_EQ(std::string(r.FirstBadText).size(), kHotkeyShownLineBytes);
}

TEST(HotkeyFile, TheShownLineIsCutWholeAndControlBytesShowAsQuestionMarks) {
    // 59 bytes, then a double-byte character that would end past 60.
    HotkeyFileResult r = Parse(std::string(59, 'x') + "寄生 = off\n");
    EXPECT_EQ(r.FirstProblem, HotkeyLineProblem::UnknownHotkey);
    EXPECT_EQ(std::string(r.FirstBadText), std::string(59, 'x'));
    r = Parse(std::string("Move\x01Left\x7F = off\n"));
    EXPECT_STREQ(r.FirstBadText, "Move?Left? = off");
    // A double-byte character that ends at the 60th byte is kept whole.
    r = Parse(std::string(58, 'x') + "寄生 = off\n");
    EXPECT_EQ(std::string(r.FirstBadText), std::string(58, 'x') + "寄");
}

TEST(HotkeyFile, MessageNamesTheFirstBadLineAndCountsTheOthers) {
    HotkeyFileResult r = Parse("Attachment = off\nMoveRight = Ctrl+Alt+Rigth\n");
    EXPECT_EQ(HotkeyFileMessage(r),
              "ホットキーの設定ファイル hotkeys.txt の 2 行目を読めませんでした（キーの名前が違います）。\n"
              "MoveRight = Ctrl+Alt+Rigth\n"
              "この行は使わず、そのホットキーは元のキーのままにします。");
    r = Parse("Atachment = off\nMoveRight off\nx\n");
    EXPECT_EQ(HotkeyFileMessage(r),
              "ホットキーの設定ファイル hotkeys.txt の 1 行目を読めませんでした（ホットキーの名前が違います）。\n"
              "Atachment = off\n"
              "この行は使わず、そのホットキーは元のキーのままにします。\n"
              "ほかにも読めない行が 2 行あります。");
    const std::string whys[][2] = {{"a b\n", "（「=」がありません）"},
                                   {"MoveUp=off\nMoveUp=off\n", "（同じホットキーが前の行にもあります）"},
                                   {std::string(300, 'y') + "\n", "（行が長すぎます）"}};
    for (const auto& why : whys) {
        SCOPED_TRACE(why[0]);
        EXPECT_NE(HotkeyFileMessage(Parse(why[0])).find(why[1]), std::string::npos);
    }
}

}  // namespace
