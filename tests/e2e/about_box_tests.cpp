// The About box: its pictures, the home page opened by its button,
// registration in the Startup folder (the shortcut read back through
// IShellLinkA), the already-registered answer, the Startup folder made when
// missing, and which commands end the box.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "launcher_support.h"
#include "pelto_session.h"
#include "target_support.h"

namespace {

using namespace e2e;

const char kAboutCaption[] = "■　Peltoについて";
const char kRegistered[] = "Pelto のスタートアップへの登録は完了しました。";
const char kAlready[] = "既に登録されています。";

std::string StartupFolder() {
    char folder[MAX_PATH] = "";
    if (!SHGetSpecialFolderPathA(nullptr, folder, CSIDL_STARTUP, TRUE)) return "";
    return folder;
}

struct Shortcut {
    bool ok = false;
    std::string target, arguments, description, workingDirectory, iconFile;
    int iconIndex = -1;
    int showCommand = -1;
};

// Runs use(link, file, widePath) on a new shell-link object and its file
// interface; false when the path, COM or the object cannot be had, or use fails.
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

Shortcut ReadShortcut(const std::string& path) {
    Shortcut s;
    s.ok = WithShellLink(path, [&](IShellLinkA* link, IPersistFile* file, const WCHAR* wide) {
        if (FAILED(file->Load(wide, STGM_READ))) return false;
        char text[1024];
        auto read = [&](auto get) {
            text[0] = '\0';
            get();
            return std::string(text);
        };
        s.target = read([&] { link->GetPath(text, sizeof text, nullptr, 0); });
        s.arguments = read([&] { link->GetArguments(text, sizeof text); });
        s.description = read([&] { link->GetDescription(text, sizeof text); });
        s.workingDirectory = read([&] { link->GetWorkingDirectory(text, sizeof text); });
        s.iconFile = read([&] { link->GetIconLocation(text, sizeof text, &s.iconIndex); });
        link->GetShowCmd(&s.showCommand);
        return true;
    });
    return s;
}

bool WriteShortcut(const std::string& path, const std::string& target) {
    return WithShellLink(path, [&](IShellLinkA* link, IPersistFile* file, const WCHAR* wide) {
        return SUCCEEDED(link->SetPath(target.c_str())) && SUCCEEDED(file->Save(wide, TRUE));
    });
}

// Keeps the shared Startup folder of the prefix free of the tests' links.
struct StartupLinks {
    std::string folder = StartupFolder();
    std::string pelto = JoinPath(folder, "Pelto.lnk");
    std::string other = JoinPath(folder, "Pelto shortcut.lnk");
    StartupLinks() { Clear(); }
    ~StartupLinks() { Clear(); }
    void Clear() const {
        DeleteFileA(pelto.c_str());
        DeleteFileA(other.c_str());
    }
};

// Bitmap resource `id` of the installed Pelto.exe, read as pixels.
Image ResourceBitmap(int id) {
    DataModule pelto(JoinPath(StagedInstall(), "Pelto.exe"));
    if (!pelto.get()) return Image();
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(pelto.get(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    Image image = BitmapPixels(bitmap);
    if (bitmap) DeleteObject(bitmap);
    return image;
}

// Pixels of the picture control's client area on screen that differ from the
// bitmap; detail gets the first three.
int PictureMismatches(HWND control, const Image& bitmap, std::string* detail) {
    POINT origin = {0, 0};
    ClientToScreen(control, &origin);
    detail->clear();
    Image shot = CaptureScreen({origin.x, origin.y, origin.x + bitmap.width, origin.y + bitmap.height});
    if (!shot.ok()) return -1;
    int mismatches = 0;
    for (int y = 0; y < bitmap.height; ++y)
        for (int x = 0; x < bitmap.width; ++x) {
            COLORREF got = shot.At(x, y), want = bitmap.At(x, y);
            if (!SameColour(got, want) && ++mismatches <= 3)
                *detail += Format(" (%d,%d) %s, expected %s", x, y, ColourText(got).c_str(), ColourText(want).c_str());
        }
    return mismatches;
}

HWND OpenAbout(PeltoSession& s) {
    return s.OpenDialog(40038, kAboutCaption);
}

// Presses the register button and returns the message it shows, dismissed.
std::string PressRegister(PeltoSession& s, HWND about) {
    ClickDialogButton(about, 1003);
    return AnswerBox(s.pelto, {"", "Pelto", about}).text;
}

void CheckPeltoShortcut(const PeltoSession& s, const std::string& path) {
    Shortcut link = ReadShortcut(path);
    ASSERT_TRUE(link.ok) << Format("%s cannot be read as a shortcut", path.c_str());
    EXPECT_EQ(link.target, s.folder.File("Pelto.exe"));
    EXPECT_EQ(link.arguments, "/s");
    EXPECT_EQ(link.description, "高機能デスクトップユーティリティ");
    EXPECT_EQ(link.workingDirectory, "");
    EXPECT_EQ(link.iconFile, "");
    EXPECT_EQ(link.iconIndex, 0);
    EXPECT_EQ(link.showCommand, SW_SHOWNORMAL);
}

TEST(AboutBox, About_RegisterWritesTheShortcutUntilTheBoxIsOpenedAgain) {
    StartupLinks links;
    ASSERT_TRUE(!links.folder.empty()) << "no Startup folder";
    PeltoSession s("about");
    s.Start();
    // A shortcut of another name, even to Pelto, is no registration.
    ASSERT_TRUE(WriteShortcut(links.other, s.folder.File("Pelto.exe"))) << Format("cannot write %s", links.other.c_str());
    ASSERT_TRUE(ReadShortcut(links.other).target == s.folder.File("Pelto.exe")) << "the other shortcut does not read back";
    HWND about = OpenAbout(s);
    EXPECT_TRUE(GetWindow(about, GW_OWNER) == s.skin) << "the About box is not owned by the skin window";
    // Both pictures hold their bitmaps; the sprout is on the screen pixel for
    // pixel. (Wine draws the 256-colour banner with many colours a step off, so
    // it is not compared.)
    int seen = 0;
    ASSERT_TRUE(WaitForWindowIdle(about)) << "the About box does not answer";
    for (HWND c = GetWindow(about, GW_CHILD); c && seen < 2; c = GetWindow(c, GW_HWNDNEXT)) {
        if ((GetWindowLongPtrA(c, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP) continue;
        ++seen;
        EXPECT_TRUE(SendMessageA(c, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0) << Format("picture %d holds no bitmap", seen);
        if (seen != 2) continue;
        Image bitmap = ResourceBitmap(125);
        ASSERT_TRUE(bitmap.ok()) << "bitmap 125 cannot be read from Pelto.exe";
        std::string detail;
        int wrong = 0;
        WaitUntil(3000, [&] { return (wrong = PictureMismatches(c, bitmap, &detail)) == 0; });
        EXPECT_TRUE(wrong == 0) << Format("the sprout: %d pixels differ on the screen:%s", wrong, detail.c_str());
    }
    EXPECT_EQ(seen, 2);

    // Esc and the close box, pressed and clicked for real, leave it open. Tab
    // typed after Esc moves the focus: the keys reach the box, so Esc did too.
    EXPECT_TRUE(PressKeysOn(about, {VK_ESCAPE})) << "the About box did not come to the foreground";
    EXPECT_TRUE(TabMovesFocus(about)) << "Tab typed after Esc did not move the About box's focus: no proof Esc arrived";
    EXPECT_TRUE(IsWindow(about) && IsWindowVisible(about)) << "Esc ended the About box";
    EXPECT_TRUE(ClickCloseBox(about)) << "no uncovered close box found";

    // The click on Register, answered, comes after the close box's in the same
    // input stream: the box still open then proves the close box did nothing.
    EXPECT_EQ(PressRegister(s, about), kRegistered);
    EXPECT_TRUE(IsWindow(about) && IsWindowVisible(about)) << "the close box ended the About box";
    CheckPeltoShortcut(s, links.pelto);
    // Pressed again while the box stays open: written again.
    ASSERT_TRUE(DeleteFileA(links.pelto.c_str())) << "cannot remove the shortcut";
    EXPECT_EQ(PressRegister(s, about), kRegistered);
    CheckPeltoShortcut(s, links.pelto);

    ASSERT_TRUE(ClickDialogButton(about, 1001)) << "cannot click OK";
    ASSERT_TRUE(WaitUntil(5000, [&] { return !IsWindow(about); })) << "a click on OK did not end the About box";

    // Opened again: any file of the name counts, and nothing is written.
    ASSERT_TRUE(WriteFileBytes(links.pelto, "not a shortcut")) << "cannot replace the shortcut";
    about = OpenAbout(s);
    EXPECT_EQ(PressRegister(s, about), kAlready);
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(links.pelto, &bytes) && bytes == "not a shortcut") << "the registration was written again";
    ClickDialogButton(about, 1001);
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(about); }));
    EXPECT_TRUE(s.pelto.Running());
}

TEST(AboutBox, About_MissingStartupFolderIsCreatedWhenTheBoxOpens) {
    StartupLinks links;
    ASSERT_TRUE(!links.folder.empty()) << "no Startup folder";
    PeltoSession s("aboutfolder");
    s.Start();
    RemoveTree(links.folder);
    ASSERT_TRUE(GetFileAttributesA(links.folder.c_str()) == INVALID_FILE_ATTRIBUTES) << Format("cannot remove %s", links.folder.c_str());
    HWND about = OpenAbout(s);
    EXPECT_TRUE(WaitUntil(3000, [&] { return GetFileAttributesA(links.folder.c_str()) != INVALID_FILE_ATTRIBUTES; })) << "the Startup folder was not created";
    EXPECT_EQ(PressRegister(s, about), kRegistered);
    EXPECT_TRUE(FileExists(links.pelto));
    ClickDialogButton(about, 1001);
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(about); }));
}

const char kHomePage[] = "http://www.example.com/quorval/";

// The program that opens "http" addresses. Wine's shell reads it from the
// machine's classes only (HKLM\Software\Classes\http), not from the user's;
// the handler there before the test is put back after it.
struct HttpHandler {
    const char* key = "Software\\Classes\\http\\shell\\open\\command";
    std::string saved = ReadRegistryString(HKEY_LOCAL_MACHINE, key, nullptr);
    bool Use(const std::string& program) const {
        return WriteRegistryString(HKEY_LOCAL_MACHINE, key, nullptr, "\"" + program + "\" \"%1\"");
    }
    ~HttpHandler() {
        if (!saved.empty()) {
            WriteRegistryString(HKEY_LOCAL_MACHINE, key, nullptr, saved);
            return;
        }
        HKEY k;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS) return;
        RegDeleteValueA(k, nullptr);
        RegCloseKey(k);
    }
};

TEST(AboutBox, About_HomePageButtonOpensTheAddressOnlyWhenClicked) {
    HttpHandler http;
    PeltoSession s("abouthome");
    s.Start();
    // The recorder leaves <itself>.ran holding the command line it was given.
    const std::string recorder = s.folder.File("browser\\PeltoMarker.exe");
    ASSERT_TRUE(PlaceMarker(recorder)) << Format("cannot place %s", recorder.c_str());
    ASSERT_TRUE(http.Use(recorder)) << "cannot register the recorder for http";
    HWND about = OpenAbout(s);
    ASSERT_TRUE(WaitForMarkersDone(s.pelto, {recorder})) << "the recorder still runs";
    EXPECT_TRUE(!MarkerRan(recorder)) << "an address was opened before the button was clicked";

    ASSERT_TRUE(ClickDialogButton(about, 1002)) << "cannot click the home-page button";
    ASSERT_TRUE(WaitUntil(10000, [&] { return MarkerRan(recorder); })) << Format("the click opened nothing: %s", DescribeBoxes(s.pelto).c_str());
    // The recorder has ended, so its file holds the whole line.
    ASSERT_TRUE(WaitForMarkersDone(s.pelto, {recorder})) << "the recorder still runs";
    std::string line;
    ReadFileBytes(recorder + ".ran", &line);
    EXPECT_EQ(line, "\"" + recorder + "\" \"" + kHomePage + "\"");
    const std::vector<HWND> boxes = s.pelto.MessageBoxes();  // the About box is a dialog of the process too
    EXPECT_TRUE(std::all_of(boxes.begin(), boxes.end(), [&](HWND w) { return w == about; })) << Format("a message after the address was opened: %s", DescribeBoxes(s.pelto).c_str());
    EXPECT_TRUE(IsWindow(about) && IsWindowVisible(about)) << "the home-page button ended the About box";

    // A handler that cannot be started: the failure message, owned by the box.
    ASSERT_TRUE(DeleteFileA((recorder + ".ran").c_str())) << "cannot remove the recorder's marker";
    ASSERT_TRUE(http.Use(s.folder.File("browser\\missing.exe"))) << "cannot register the missing handler";
    ASSERT_TRUE(ClickDialogButton(about, 1002)) << "cannot click the home-page button";
    AnswerBox(s.pelto, {"起動に失敗しました。", "Pelto", about, false, {IDOK}});
    EXPECT_TRUE(!MarkerRan(recorder)) << "the recorder ran for the missing handler";
    EXPECT_TRUE(IsWindow(about)) << "the failure ended the About box";
    ClickDialogButton(about, 1001);
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(about); }));
    EXPECT_TRUE(s.pelto.Running());
}

}  // namespace
