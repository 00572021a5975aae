// The skin maker Moldra: the definition file and bitmap it writes, its failure
// messages, separate dialogs, the keys that end nothing, and the new skin in
// Pelto.
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "pelto_session.h"
#include "plugin_support.h"
#include "target_support.h"

namespace {

using namespace e2e;

const char kMakerCaption[] = "■　Quorval Moldra";
const char kDoneText[] = "貴方のスキンは正常に作成・インストールされました。";
const char kOpenFailedText[] = "ファイルがオープンできませんでした。";
const char kCopyFailedText[] = "ビットマップファイルのコピーに失敗しました。\nお手数ですが、手動でコピーをして下さい。";

enum : int {
    kSkinName = 1000, kBitmapPath = 1001, kAuthor = 1003, kCreate = 1004, kCancel = 1005,
    kNormalX = 1006, kNormalY = 1007, kSmallX = 1008, kSmallY = 1009, kAnchor = 1011,
};

int MoldraRow(const PeltoSession& s) { return RowOf(PluginRowOrder(s.folder, {"Moldra.ppi", "Tachel.ppi"}), "Moldra.ppi"); }

// Starts Moldra from the popup and returns the dialog that was not there
// before; `which` names it in the failure that stops the test without one.
HWND OpenMaker(const PeltoSession& s, const char* which) {
    const std::vector<HWND> before = DialogsCaptioned(s.pelto.pid(), kMakerCaption);
    HWND dialog = nullptr;
    if (ChooseFromPluginPopup(s, MoldraRow(s), 2))
        WaitUntil(8000, [&] {
            for (HWND w : DialogsCaptioned(s.pelto.pid(), kMakerCaption))
                if (std::find(before.begin(), before.end(), w) == before.end()) dialog = w;
            return dialog != nullptr;
        });
    [&] { ASSERT_TRUE(dialog != nullptr) << Format("no %s Moldra dialog: ", which) << s.pelto; }();
    return dialog;
}

void Fill(HWND dialog, std::initializer_list<std::pair<int, std::string>> fields) {
    for (const auto& field : fields) SetControlText(dialog, field.first, field.second);
}

// A real click on the create button, then each message it gives answered in turn.
void Create(const PeltoSession& s, HWND dialog, std::initializer_list<const char*> messages) {
    ClickDialogButton(dialog, kCreate);
    for (const char* text : messages) AnswerBox(s.pelto, {text, "Moldra", dialog});
}

std::string AnchorText(HWND dialog) { return ControlText(dialog, kAnchor); }

// Real clicks on the anchor button, each seen to change its text.
void PressAnchor(HWND dialog, int times) {
    for (int i = 0; i < times; ++i) {
        const std::string before = AnchorText(dialog);
        ASSERT_TRUE(ClickDialogButton(dialog, kAnchor)) << "cannot click the anchor button";
        ASSERT_TRUE(WaitUntil(3000, [&] { return AnchorText(dialog) != before; })) << Format("a click on the anchor button left it at \"%s\"", Printable(before).c_str());
    }
}

COLORREF MintPixel(int x, int y) { return x < 4 && y < 4 ? kMagenta : RGB(120 + x, 220, 180 - y); }

TEST_F(StartedPelto, Moldra_MintExampleWritesTheDefinitionCopiesTheBitmapAndPeltoLoadsIt) {
    ASSERT_TRUE(CreateDirectoryA(s.folder.File("pics").c_str(), nullptr)) << "cannot make pics";
    const std::string source = s.folder.File("pics\\mint.bmp");
    ASSERT_TRUE(WriteBmp24(source, 48, 24, MintPixel)) << "cannot write mint.bmp";

    HWND dialog = OpenMaker(s, "first");
    EXPECT_TRUE(GetWindow(dialog, GW_OWNER) == nullptr) << "the dialog has an owner";
    EXPECT_TRUE(GetWindowThreadProcessId(dialog, nullptr) != GetWindowThreadProcessId(s.skin, nullptr)) << "the dialog runs on the skin window's thread";
    EXPECT_EQ(AnchorText(dialog), "右上");
    for (int id : {kSkinName, kBitmapPath, kAuthor, kNormalX, kNormalY, kSmallX, kSmallY}) {
        EXPECT_TRUE(ControlText(dialog, id).empty()) << Format("field %d does not start empty", id);
    }

    Fill(dialog, {{kSkinName, "mint"}, {kBitmapPath, source}, {kAuthor, "Quorval"}, {kNormalX, "-265"}, {kNormalY, "4"},
                  {kSmallX, "-200"}, {kSmallY, "-18"}});
    PressAnchor(dialog, 1);
    EXPECT_EQ(AnchorText(dialog), "右下");
    Create(s, dialog, {kDoneText});
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(dialog); })) << "the dialog stayed open after the skin was made";

    EXPECT_EQ(ReadFileText(s.folder.File("skin\\mint.skn")), "mint.bmp 3 -265 4 -200 -18 Quorval");
    const std::string original = ReadFileText(source);
    EXPECT_TRUE(!original.empty() && ReadFileText(s.folder.File("skin\\mint.bmp")) == original) << "skin\\mint.bmp is not a copy of the picked bitmap";

    // The new skin, named in the settings, is what Pelto shows at its next start.
    s.ChooseFromMenu(kCloseCommand);
    ASSERT_TRUE(s.pelto.WaitForExit(10000, nullptr)) << "Pelto did not close";
    ASSERT_TRUE(s.folder.WriteSetting("500 0 mint.skn")) << "cannot write the setting";
    PeltoProcess again;
    ASSERT_TRUE(again.Start(s.folder)) << "Pelto did not start again";
    HWND skin = again.WaitForSkinWindow();
    ASSERT_TRUE(skin != nullptr) << "no skin window with the new skin: " << again;
    RECT r = WindowRect(skin);
    EXPECT_TRUE(r.right - r.left == 48 && r.bottom - r.top == 24) << Format("skin window %s, expected the 48 x 24 mint skin", RectText(r).c_str());
    int type = ERROR;
    HRGN region = CopyWindowRegion(skin, &type);
    EXPECT_TRUE(region && !PtInRegion(region, 1, 1) && PtInRegion(region, 10, 10)) << "the mint skin's cut-away corner is not cut from the window";
    if (region) DeleteObject(region);
}

TEST_F(StartedPelto, Moldra_FailedCreateThenACorrectedTryAndACopyFailure) {
    HWND dialog = OpenMaker(s, "first");

    // A name no file can have: the open fails, nothing is written, the form stays.
    Fill(dialog,
         {{kSkinName, "bad?name"}, {kBitmapPath, "C:\\nowhere\\none.bmp"}, {kNormalX, "12px"}, {kSmallY, "abc"}});
    Create(s, dialog, {kOpenFailedText});
    ASSERT_TRUE(WaitForWindowIdle(dialog)) << "the dialog does not answer";
    EXPECT_TRUE(IsWindow(dialog)) << "the dialog closed after the failed create";
    EXPECT_EQ(ControlText(dialog, kSkinName), "bad?name");

    // Corrected: written to the same skin folder. The bitmap cannot be copied:
    // that message, then the completion all the same, and the dialog closes.
    SetControlText(dialog, kSkinName, "fixed");
    Create(s, dialog, {kCopyFailedText, kDoneText});
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(dialog); })) << "the dialog stayed open";
    EXPECT_EQ(ReadFileText(s.folder.File("skin\\fixed.skn")), "none.bmp 2 12 0 0 0 ");
    EXPECT_TRUE(!FileExists(s.folder.File("skin\\none.bmp"))) << "a bitmap appeared from nowhere";
    EXPECT_TRUE(s.pelto.Running());
}

TEST_F(StartedPelto, Moldra_TwoDialogsKeepTheirOwnAnchorAndOnlyTheirButtonsEndThem) {
    HWND first = OpenMaker(s, "first");
    HWND second = OpenMaker(s, "second");
    ASSERT_TRUE(second != first) << "no second Moldra dialog";

    PressAnchor(first, 2);
    EXPECT_EQ(AnchorText(first), "左下");
    EXPECT_EQ(AnchorText(second), "右上");
    PressAnchor(second, 4);  // four presses: round to top-right again
    EXPECT_EQ(AnchorText(second), "右上");
    PressAnchor(second, 3);
    EXPECT_EQ(AnchorText(second), "左上");
    EXPECT_EQ(AnchorText(first), "左下");

    // Esc and Enter in a field, and the close box, end neither dialog. The keys
    // are a user's: a click into the name field, then Esc, Enter and k through
    // the input queue. The k after Esc and Enter shows that the keys arrived.
    HWND field = GetDlgItem(second, kSkinName);
    SetControlText(second, kSkinName, "");
    ASSERT_TRUE(BringToForeground(second) && ClickDialogButton(second, kSkinName)) << "cannot click into the name field";
    ASSERT_TRUE(WaitUntil(3000, [&] { return FocusOfThreadOf(second) == field; })) << "the click did not focus the field";
    ASSERT_TRUE(PressKeysOn(second, {VK_ESCAPE, VK_RETURN, 'K'})) << "the second dialog is gone or not in front";
    EXPECT_TRUE(WaitUntil(3000, [&] { return ControlText(second, kSkinName) == "k"; })) << "the keys did not reach the dialog";
    // The close boxes by real clicks, each dialog brought to the front first
    // (both open at (0, 0), one over the other; the second is in front).
    for (HWND d : {second, first}) {
        ASSERT_TRUE(BringToForeground(d) && ClickCloseBox(d)) << "cannot click a dialog's close box";
    }
    ClickDialogButton(second, IDOK);
    ASSERT_TRUE(WaitForWindowIdle(first) && WaitForWindowIdle(second)) << "a dialog does not answer";
    EXPECT_TRUE(IsWindow(first) && IsWindow(second)) << "Esc, Enter or the close box ended a dialog";

    // Each writes its own anchor.
    SetControlText(first, kSkinName, "one");
    SetControlText(second, kSkinName, "two");
    Create(s, first, {kCopyFailedText, kDoneText});  // no bitmap named
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(first); })) << "the first dialog stayed open";
    EXPECT_TRUE(IsWindow(second)) << "the first dialog's create closed the second";
    Create(s, second, {kCopyFailedText, kDoneText});
    EXPECT_EQ(ReadFileText(s.folder.File("skin\\one.skn")), " 4 0 0 0 0 ");
    EXPECT_EQ(ReadFileText(s.folder.File("skin\\two.skn")), " 1 0 0 0 0 ");

    // Cancel ends a dialog and writes nothing.
    HWND third = OpenMaker(s, "third");
    SetControlText(third, kSkinName, "three");
    ClickDialogButton(third, kCancel);
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(third); })) << "cancel did not end the dialog";
    EXPECT_TRUE(!FileExists(s.folder.File("skin\\three.skn"))) << "cancel wrote a definition";
    EXPECT_TRUE(WaitUntil(5000, [&] { return !ModuleLoaded(s.pelto.pid(), "Moldra.ppi"); })) << "Moldra.ppi is still loaded after its dialogs closed";
}

TEST_F(StartedPelto, Moldra_BrowsePutsThePickedPathInTheBitmapField) {
    const std::string picked = s.folder.File("skin\\default.bmp");
    HWND dialog = OpenMaker(s, "first");
    SetControlText(dialog, kBitmapPath, "C:\\before.bmp");

    // Cancelled: the field keeps what it held.
    ClickDialogButton(dialog, 1002);
    HWND files = WaitForOpenDialog(s.pelto.pid(), nullptr, dialog);
    ASSERT_TRUE(files != nullptr) << "no open-file dialog owned by Moldra's";
    ClickDialogButton(files, IDCANCEL);
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(files); })) << "cancel did not close the open-file dialog";
    ASSERT_TRUE(WaitForWindowIdle(dialog)) << "the dialog does not answer";
    EXPECT_EQ(ControlText(dialog, kBitmapPath), "C:\\before.bmp");

    // Picked: its full path goes into the field.
    ClickDialogButton(dialog, 1002);
    files = WaitForOpenDialog(s.pelto.pid(), nullptr, dialog);
    ASSERT_TRUE(files != nullptr) << "no open-file dialog the second time";
    EXPECT_TRUE(ChooseInOpenDialog(files, picked)) << "OK did not close the open-file dialog";
    EXPECT_TRUE(WaitUntil(3000, [&] { return ControlText(dialog, kBitmapPath) == picked; })) << Format("the field holds \"%s\"", ControlText(dialog, kBitmapPath).c_str());
    ClickDialogButton(dialog, kCancel);
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(dialog); })) << "cancel did not end the dialog";
}

}  // namespace
