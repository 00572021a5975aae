// The skin maker Moldra: the files it writes, its failures, separate dialogs, and the new skin in Pelto.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "pelto_session.h"
#include "plugin_support.h"
#include "resources/moldra_ids.h"
#include "resources/resource_ids.h"
#include "target_support.h"

namespace {

using namespace e2e;

const char kDoneText[] = "貴方のスキンは正常に作成・インストールされました。";
const char kOpenFailedText[] = "ファイルがオープンできませんでした。";
const char kCopyFailedText[] = "ビットマップファイルのコピーに失敗しました。\nお手数ですが、手動でコピーをして下さい。";

const char kMakerCaption[] = "■　Quorval Moldra";

HWND OpenMaker(const PeltoSession& s, const char* which) { return OpenNewPluginDialog(s, "Moldra.ppi", kMakerCaption, which); }

// For a dialog that stayed or gave no message: whether it shows, and which threads still answer.
std::string StayedState(const PeltoSession& s, HWND dialog) {
    std::string answers;
    for (HWND d : DialogsCaptioned(s.pelto.pid(), kMakerCaption)) answers += WindowAnswers(d, 3000) ? " 1" : " 0";
    const GUITHREADINFO info = ThreadState(GetWindowThreadProcessId(dialog, nullptr));
    const POINT at = CursorPos();
    return Format("visible %d, enabled %d, its thread answers %d (capture %p, flags %#lx), the skin window's %d, "
                  "the Moldra dialogs'%s, in front \"%s\", pointer at (%ld, %ld)",
                  IsWindowVisible(dialog) != 0, IsWindowEnabled(dialog) != 0, WindowAnswers(dialog, 3000),
                  static_cast<void*>(info.hwndCapture), info.flags, WindowAnswers(s.skin, 3000), answers.c_str(),
                  Printable(WindowText(GetForegroundWindow())).c_str(), at.x, at.y);
}

// A real click on the create button, then each message it gives answered in turn.
void Create(const PeltoSession& s, HWND dialog, std::initializer_list<const char*> messages) {
    if (!ClickDialogButton(dialog, IDC_CREATE)) {
        ADD_FAILURE() << "the click on create did not reach it: " << StayedState(s, dialog);
        return;
    }
    for (const char* text : messages) {
        if (!WaitForBox(s.pelto, text, "Moldra", 10000)) ADD_FAILURE() << "no message after the click: " << StayedState(s, dialog);
        AnswerBox(s.pelto, {text, "Moldra", dialog});
    }
}

std::string AnchorText(HWND dialog) { return ControlText(dialog, IDC_ANCHOR); }

// Real clicks on the anchor button, each seen to change its text.
void PressAnchor(HWND dialog, int times) {
    for (int i = 0; i < times; ++i) {
        const std::string before = AnchorText(dialog);
        ASSERT_TRUE(ClickDialogButton(dialog, IDC_ANCHOR)) << "cannot click the anchor button";
        ASSERT_TRUE(WaitUntil(3000, [&] { return AnchorText(dialog) != before; })) << "a click on the anchor button left it at \"" << Printable(before) << "\"";
    }
}

// One Pelto for every case; the last one restarts it with the skin it made.
TEST_F(StartedPelto, Moldra_BrowseFailuresTwoDialogsAndTheMintExampleThatPeltoLoads) {
    SetTestTimeLimit(240);
    {
        SCOPED_TRACE("browse puts the picked path in the bitmap field; cancel ends the dialog and writes nothing");
        HWND dialog = OpenMaker(s, "browse");
        SetControlText(dialog, IDC_SKIN_NAME, "cancelled");
        SetControlText(dialog, IDC_BITMAP_PATH, "C:\\before.bmp");
        CheckBrowseButton(s.pelto, dialog, IDC_BROWSE, IDC_BITMAP_PATH, s.folder.File("skin\\default.bmp"));
        ClickDialogButton(dialog, IDC_CANCEL_MAKER);
        EXPECT_TRUE(WindowGoes(dialog)) << "cancel did not end the dialog: " << StayedState(s, dialog);
        EXPECT_FALSE(FileExists(s.folder.File("skin\\cancelled.skn"))) << "cancel wrote a definition";
    }
    {
        SCOPED_TRACE("a failed create, then a corrected try and a copy failure");
        HWND dialog = OpenMaker(s, "failing");
        // A name no file can have: the open fails, nothing is written, the form stays.
        SetControlText(dialog, IDC_SKIN_NAME, "bad?name");
        SetControlText(dialog, IDC_BITMAP_PATH, "C:\\nowhere\\none.bmp");
        SetControlText(dialog, IDC_NORMAL_X, "12px");
        SetControlText(dialog, IDC_SMALL_Y, "abc");
        Create(s, dialog, {kOpenFailedText});
        ASSERT_TRUE(WaitForWindowIdle(dialog)) << "the dialog does not answer";
        EXPECT_TRUE(IsWindow(dialog)) << "the dialog closed after the failed create";
        EXPECT_EQ(ControlText(dialog, IDC_SKIN_NAME), "bad?name");
        // Corrected: written to the same skin folder; the bitmap copy fails, then completion all the same.
        SetControlText(dialog, IDC_SKIN_NAME, "fixed");
        Create(s, dialog, {kCopyFailedText, kDoneText});
        EXPECT_TRUE(WindowGoes(dialog)) << "the dialog stayed open";
        EXPECT_EQ(ReadFileText(s.folder.File("skin\\fixed.skn")), "none.bmp 2 12 0 0 0 ");
        EXPECT_FALSE(FileExists(s.folder.File("skin\\none.bmp"))) << "a bitmap appeared from nowhere";
        EXPECT_TRUE(s.pelto.Running());
    }
    {
        SCOPED_TRACE("two dialogs keep their own anchor and only their buttons end them");
        HWND first = OpenMaker(s, "first");
        HWND second = OpenMaker(s, "second");
        ASSERT_NE(second, first) << "no second Moldra dialog";
        PressAnchor(first, 2);
        EXPECT_EQ(AnchorText(first), "左下");
        EXPECT_EQ(AnchorText(second), "右上");
        PressAnchor(second, 4);  // four presses: round to top-right again
        EXPECT_EQ(AnchorText(second), "右上");
        PressAnchor(second, 3);
        EXPECT_EQ(AnchorText(second), "左上");
        EXPECT_EQ(AnchorText(first), "左下");

        // Esc and Enter typed in a field after a real click, and the close box, end neither dialog;
        // the k typed after Esc and Enter shows that the keys arrived.
        HWND field = GetDlgItem(second, IDC_SKIN_NAME);
        SetControlText(second, IDC_SKIN_NAME, "");
        ASSERT_TRUE(BringToForeground(second) && ClickDialogButton(second, IDC_SKIN_NAME)) << "cannot click into the name field";
        ASSERT_TRUE(WaitUntil(3000, [&] { return FocusOfThreadOf(second) == field; })) << "the click did not focus the field";
        ASSERT_TRUE(PressKeysOn(second, {VK_ESCAPE, VK_RETURN, 'K'})) << "the second dialog is gone or not in front";
        EXPECT_TRUE(WaitUntil(3000, [&] { return ControlText(second, IDC_SKIN_NAME) == "k"; })) << "the keys did not reach the dialog";
        // Both open at (0, 0), the second in front: each brought to the front for its close box.
        for (HWND d : {second, first}) ASSERT_TRUE(BringToForeground(d) && ClickCloseBox(d)) << "cannot click a dialog's close box";
        ClickDialogButton(second, IDOK);
        ASSERT_TRUE(WaitForWindowIdle(first) && WaitForWindowIdle(second)) << "a dialog does not answer";
        EXPECT_TRUE(IsWindow(first) && IsWindow(second)) << "Esc, Enter or the close box ended a dialog";

        // Each writes its own anchor.
        SetControlText(first, IDC_SKIN_NAME, "one");
        SetControlText(second, IDC_SKIN_NAME, "two");
        Create(s, first, {kCopyFailedText, kDoneText});  // no bitmap named
        EXPECT_TRUE(WindowGoes(first)) << "the first dialog stayed open: " << StayedState(s, first);
        EXPECT_TRUE(IsWindow(second)) << "the first dialog's create closed the second";
        Create(s, second, {kCopyFailedText, kDoneText});
        EXPECT_EQ(ReadFileText(s.folder.File("skin\\one.skn")), " 4 0 0 0 0 ");
        EXPECT_EQ(ReadFileText(s.folder.File("skin\\two.skn")), " 1 0 0 0 0 ");
        EXPECT_TRUE(WaitUntil(5000, [&] { return !ModuleLoaded(s.pelto.pid(), "Moldra.ppi"); })) << "Moldra.ppi is still loaded after its dialogs closed";
    }
    SCOPED_TRACE("the mint example writes the definition, copies the bitmap, and Pelto loads it");
    ASSERT_TRUE(CreateDirectoryA(s.folder.File("pics").c_str(), nullptr)) << "cannot make pics";
    const std::string source = s.folder.File("pics\\mint.bmp");
    ASSERT_TRUE(WriteBmp24(source, 48, 24, [](int x, int y) { return x < 4 && y < 4 ? kMagenta : RGB(120 + x, 220, 180 - y); })) << "cannot write mint.bmp";
    HWND dialog = OpenMaker(s, "mint");
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr) << "the dialog's owner";
    EXPECT_NE(GetWindowThreadProcessId(dialog, nullptr), GetWindowThreadProcessId(s.skin, nullptr)) << "the dialog runs on the skin window's thread";
    EXPECT_EQ(AnchorText(dialog), "右上");
    const std::pair<int, const char*> fields[] = {{IDC_SKIN_NAME, "mint"}, {IDC_BITMAP_PATH, source.c_str()}, {IDC_AUTHOR, "Quorval"}, {IDC_NORMAL_X, "-265"}, {IDC_NORMAL_Y, "4"}, {IDC_SMALL_X, "-200"}, {IDC_SMALL_Y, "-18"}};
    for (const auto& f : fields) {
        EXPECT_EQ(ControlText(dialog, f.first), "") << "field " << f.first << " does not start empty";
        SetControlText(dialog, f.first, f.second);
    }
    PressAnchor(dialog, 1);
    EXPECT_EQ(AnchorText(dialog), "右下");
    Create(s, dialog, {kDoneText});
    EXPECT_TRUE(WindowGoes(dialog)) << "the dialog stayed open after the skin was made";
    EXPECT_EQ(ReadFileText(s.folder.File("skin\\mint.skn")), "mint.bmp 3 -265 4 -200 -18 Quorval");
    const std::string original = ReadFileText(source);
    EXPECT_TRUE(!original.empty() && ReadFileText(s.folder.File("skin\\mint.bmp")) == original) << "skin\\mint.bmp is not a copy of the picked bitmap";

    // The new skin, named in the settings, is what Pelto shows at its next start.
    s.ChooseFromMenu(IDM_CLOSE);
    ASSERT_TRUE(s.pelto.WaitForExit(10000, nullptr)) << "Pelto did not close";
    ASSERT_TRUE(s.folder.WriteSetting("500 0 mint.skn")) << "cannot write the setting";
    PeltoProcess again;
    HWND skin = nullptr;
    ASSERT_TRUE(again.Start(s.folder) && (skin = again.WaitForSkinWindow()) != nullptr) << "no skin window with the new skin: " << again;
    EXPECT_EQ(SizeOf(skin), "48 x 24") << "the mint skin's window";
    EXPECT_EQ(RegionMismatch(skin, LoadBmpPixels(s.folder.File("skin\\mint.bmp"))), "") << "the mint skin's outline";
}

}  // namespace
