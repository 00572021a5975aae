// The About box: its pictures, which commands end it, registration in the
// Startup folder (the shortcut read back through IShellLinkA) and the home page.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "launcher_support.h"
#include "pelto_session.h"
#include "plugin_support.h"
#include "resources/resource_ids.h"

namespace {

using namespace e2e;

const char kAboutCaption[] = "■　Peltoについて";
const char kRegistered[] = "Pelto のスタートアップへの登録は完了しました。";
const char kAlready[] = "既に登録されています。";

// use(link, file, widePath) on a new shell-link object; false when it cannot be had or use fails.
template <class Use>
bool WithShellLink(const std::string& path, Use use) {
    WCHAR wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH)) return false;
    if (FAILED(CoInitialize(nullptr))) return false;
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    const bool ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                               reinterpret_cast<void**>(&link))) &&
                    SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
                    use(link, file, wide);
    if (file) file->Release();
    if (link) link->Release();
    CoUninitialize();
    return ok;
}

// A shortcut's target, arguments, description, folder, icon and show command ("(unreadable)": none).
std::string ShortcutText(const std::string& path) {
    std::string text = "(unreadable)";
    WithShellLink(path, [&](IShellLinkA* link, IPersistFile* file, const WCHAR* wide) {
        char field[5][1024] = {};
        int icon = -1, show = -1;
        if (FAILED(file->Load(wide, STGM_READ)) || FAILED(link->GetPath(field[0], sizeof field[0], nullptr, 0))) return false;
        link->GetArguments(field[1], sizeof field[1]);
        link->GetDescription(field[2], sizeof field[2]);
        link->GetWorkingDirectory(field[3], sizeof field[3]);
        link->GetIconLocation(field[4], sizeof field[4], &icon);
        link->GetShowCmd(&show);
        text = Format("target %s\narguments %s\ndescription %s\nfolder %s\nicon %s,%d\nshow %d\n", field[0], field[1], field[2], field[3], field[4], icon, show);
        return true;
    });
    return text;
}

// Keeps the shared Startup folder of the prefix free of the tests' links.
struct StartupLinks {
    char path[MAX_PATH] = "";
    std::string folder = SHGetSpecialFolderPathA(nullptr, path, CSIDL_STARTUP, TRUE) ? path : "";
    std::string pelto = JoinPath(folder, "Pelto.lnk"), other = JoinPath(folder, "Pelto shortcut.lnk");
    StartupLinks() { Clear(); }
    ~StartupLinks() { Clear(); }
    void Clear() const { for (const std::string& link : {pelto, other}) DeleteFileA(link.c_str()); }
};

HWND OpenAbout(PeltoSession& s) { return s.OpenDialog(IDM_ABOUT, kAboutCaption); }

void CloseAbout(HWND about) {
    ASSERT_TRUE(ClickDialogButton(about, IDC_ABOUT_OK)) << "cannot click OK";
    ASSERT_TRUE(WindowGoes(about)) << "a click on OK did not end the About box";
}

// Presses the register button and returns the message it shows, dismissed.
std::string PressRegister(PeltoSession& s, HWND about) {
    ClickDialogButton(about, IDC_ABOUT_REGISTER);
    return AnswerBox(s.pelto, {"", "Pelto", about}).text;
}

// What Register writes: Pelto started with /s, no folder or icon of its own.
std::string PeltoShortcut(const PeltoSession& s) {
    return Format("target %s\narguments /s\ndescription 高機能デスクトップユーティリティ\nfolder \nicon ,0\nshow %d\n", s.folder.File("Pelto.exe").c_str(), SW_SHOWNORMAL);
}

const char kHomePage[] = "http://www.example.com/quorval/";

// The program that opens "http" addresses: Wine's shell reads only the machine's
// classes (HKLM), not the user's; the handler there before the test comes back after it.
struct HttpHandler {
    const char* key = "Software\\Classes\\http\\shell\\open\\command";
    std::string saved = ReadRegistryString(HKEY_LOCAL_MACHINE, key, nullptr);
    bool Use(const std::string& program) const {
        return WriteRegistryString(HKEY_LOCAL_MACHINE, key, nullptr, "\"" + program + "\" \"%1\"");
    }
    ~HttpHandler() {
        if (!saved.empty()) WriteRegistryString(HKEY_LOCAL_MACHINE, key, nullptr, saved);
        else DeleteRegistryValue(HKEY_LOCAL_MACHINE, key, nullptr);
    }
};

TEST(AboutBox, About_PicturesRegistrationStartupFolderAndHomePage) {
    SetTestTimeLimit(150);
    StartupLinks links;
    ASSERT_FALSE(links.folder.empty()) << "no Startup folder";
    HttpHandler http;
    PeltoSession s("about");
    s.Start();
    // A shortcut of another name, even to Pelto, is no registration.
    ASSERT_TRUE(WithShellLink(links.other, [&](IShellLinkA* link, IPersistFile* file, const WCHAR* wide) {
        return SUCCEEDED(link->SetPath(s.folder.File("Pelto.exe").c_str())) && SUCCEEDED(file->Save(wide, TRUE));
    })) << "cannot write " << links.other;
    ASSERT_EQ(ShortcutText(links.other).find("target " + s.folder.File("Pelto.exe") + "\n"), 0u) << "the other shortcut does not read back";
    HWND about = OpenAbout(s);
    // Both pictures hold their bitmaps; the sprout is on the screen pixel for pixel
    // (Wine draws the 256-colour banner with many colours a step off: not compared).
    int seen = 0;
    ASSERT_TRUE(WaitForWindowIdle(about)) << "the About box does not answer";
    for (HWND c = GetWindow(about, GW_CHILD); c && seen < 2; c = GetWindow(c, GW_HWNDNEXT)) {
        if ((GetWindowLongPtrA(c, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP) continue;
        ++seen;
        EXPECT_NE(SendMessageA(c, STM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "picture " << seen << " holds no bitmap";
        if (seen != 2) continue;
        DataModule pelto(JoinPath(StagedInstall(), "Pelto.exe"));
        HBITMAP bitmap = pelto.get() ? static_cast<HBITMAP>(LoadImageA(pelto.get(), MAKEINTRESOURCEA(IDB_ABOUT_MASCOT), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)) : nullptr;
        const Image sprout = BitmapPixels(bitmap);
        if (bitmap) DeleteObject(bitmap);
        ASSERT_TRUE(sprout.ok()) << "the sprout bitmap cannot be read from Pelto.exe";
        POINT origin = {0, 0};
        ClientToScreen(c, &origin);
        std::string detail;
        WaitUntil(3000, [&] { return CompareScreenWithSkin(sprout, origin, kMagenta, &detail) == 0; });
        EXPECT_EQ(detail, "") << "the sprout on the screen";
    }
    EXPECT_EQ(seen, 2);

    // Esc and the close box, pressed and clicked for real, leave it open; Tab typed
    // after Esc moves the focus, so Esc reached the box.
    EXPECT_TRUE(PressKeysOn(about, {VK_ESCAPE})) << "the About box did not come to the foreground";
    EXPECT_TRUE(TabMovesFocus(about)) << "Tab typed after Esc did not move the About box's focus: no proof Esc arrived";
    EXPECT_TRUE(IsWindow(about) && IsWindowVisible(about)) << "Esc ended the About box";
    EXPECT_TRUE(ClickCloseBox(about)) << "no uncovered close box found";
    // Register's click comes after the close box's in the same input: the box still open proves it did nothing.
    EXPECT_EQ(PressRegister(s, about), kRegistered);
    EXPECT_TRUE(IsWindow(about) && IsWindowVisible(about)) << "the close box ended the About box";
    EXPECT_EQ(ShortcutText(links.pelto), PeltoShortcut(s));
    // Pressed again while the box stays open: written again.
    ASSERT_TRUE(DeleteFileA(links.pelto.c_str())) << "cannot remove the shortcut";
    EXPECT_EQ(PressRegister(s, about), kRegistered);
    EXPECT_EQ(ShortcutText(links.pelto), PeltoShortcut(s));
    CloseAbout(about);

    // Opened again: any file of the name counts, and nothing is written.
    ASSERT_TRUE(WriteFileBytes(links.pelto, "not a shortcut")) << "cannot replace the shortcut";
    about = OpenAbout(s);
    EXPECT_EQ(PressRegister(s, about), kAlready);
    EXPECT_EQ(ReadFileText(links.pelto), "not a shortcut") << "the registration was written again";
    CloseAbout(about);

    // A missing Startup folder is made when the box opens.
    RemoveTree(links.folder);
    ASSERT_EQ(GetFileAttributesA(links.folder.c_str()), INVALID_FILE_ATTRIBUTES) << "cannot remove " << links.folder;
    about = OpenAbout(s);
    EXPECT_TRUE(WaitUntil(3000, [&] { return GetFileAttributesA(links.folder.c_str()) != INVALID_FILE_ATTRIBUTES; })) << "the Startup folder was not created";
    EXPECT_EQ(PressRegister(s, about), kRegistered);
    EXPECT_TRUE(FileExists(links.pelto));
    CloseAbout(about);

    // Only a click on the home-page button opens it; the recorder leaves <itself>.ran with its command line.
    const std::string recorder = s.folder.File("browser\\PeltoMarker.exe");
    ASSERT_TRUE(PlaceMarker(recorder)) << "cannot place " << recorder;
    ASSERT_TRUE(http.Use(recorder)) << "cannot register the recorder for http";
    about = OpenAbout(s);
    ASSERT_TRUE(WaitForMarkersDone(s.pelto, {recorder})) << "the recorder still runs";
    EXPECT_FALSE(MarkerRan(recorder)) << "an address was opened before the button was clicked";
    ASSERT_TRUE(ClickDialogButton(about, IDC_ABOUT_HOME_PAGE)) << "cannot click the home-page button";
    ASSERT_TRUE(WaitUntil(10000, [&] { return MarkerRan(recorder); })) << "the click opened nothing: " << DescribeBoxes(s.pelto);
    ASSERT_TRUE(WaitForMarkersDone(s.pelto, {recorder})) << "the recorder still runs";  // so its file holds the whole line
    EXPECT_EQ(ReadFileText(recorder + ".ran"), "\"" + recorder + "\" \"" + kHomePage + "\"");
    const std::vector<HWND> boxes = s.pelto.MessageBoxes();  // the About box is a dialog of the process too
    EXPECT_TRUE(std::all_of(boxes.begin(), boxes.end(), [&](HWND w) { return w == about; })) << "a message after the address was opened: " << DescribeBoxes(s.pelto);
    EXPECT_TRUE(IsWindow(about) && IsWindowVisible(about)) << "the home-page button ended the About box";

    // A handler that cannot be started: the failure message, owned by the box.
    ASSERT_TRUE(DeleteFileA((recorder + ".ran").c_str())) << "cannot remove the recorder's marker";
    ASSERT_TRUE(http.Use(s.folder.File("browser\\missing.exe"))) << "cannot register the missing handler";
    ASSERT_TRUE(ClickDialogButton(about, IDC_ABOUT_HOME_PAGE)) << "cannot click the home-page button";
    AnswerBox(s.pelto, {"起動に失敗しました。", "Pelto", about, false, {IDOK}});
    EXPECT_FALSE(MarkerRan(recorder)) << "the recorder ran for the missing handler";
    EXPECT_TRUE(IsWindow(about)) << "the failure ended the About box";
    CloseAbout(about);
    EXPECT_TRUE(s.pelto.Running());
}

}  // namespace
