// The installation as a user receives it: version information in every binary,
// Pelto's manifest, the Japanese guide beside Pelto.exe, and the sample skins.
#include <windows.h>

#include <string>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "pelto_session.h"
#include "resource_layout.h"
#include "target_support.h"

namespace {

using namespace e2e;

constexpr int kMainMenuId = 119;
constexpr int kAboutBoxId = 115;
constexpr int kManifestId = 1;
constexpr WORD kManifestType = 24;  // RT_MANIFEST
constexpr WORD kJapanese = 0x0411;
constexpr WORD kCodePage932 = 932;

struct Binary {
    const char* relative;     // in the installation
    const char* fileName;     // OriginalFilename
    const char* internal;     // InternalName
    const char* description;  // FileDescription
    DWORD fileType;
};

const Binary kBinaries[] = {
    {"Pelto.exe", "Pelto.exe", "Pelto", "Pelto デスクトップの小さな相棒", VFT_APP},
    {"plugins\\Moldra.ppi", "Moldra.ppi", "Moldra", "Pelto プラグイン Moldra（スキン作成）", VFT_DLL},
    {"plugins\\Tachel.ppi", "Tachel.ppi", "Tachel", "Pelto プラグイン Tachel（CPU 使用率メーター）", VFT_DLL},
};

// A binary's version resource, read as Explorer's Properties read it.
class VersionInfo {
public:
    explicit VersionInfo(const std::string& path) {
        DWORD ignored = 0;
        DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
        if (size == 0) return;
        data_.resize(size);
        if (!GetFileVersionInfoA(path.c_str(), 0, size, data_.data())) data_.clear();
    }
    bool ok() const { return !data_.empty(); }

    const VS_FIXEDFILEINFO* Fixed() const {
        void* block = nullptr;
        UINT size = 0;
        if (!VerQueryValueA(data_.data(), "\\", &block, &size) || size < sizeof(VS_FIXEDFILEINFO)) return nullptr;
        return static_cast<const VS_FIXEDFILEINFO*>(block);
    }
    // The first language and code page of the translation table.
    bool Translation(WORD* language, WORD* codePage) const {
        void* block = nullptr;
        UINT size = 0;
        if (!VerQueryValueA(data_.data(), "\\VarFileInfo\\Translation", &block, &size) || size < 4) return false;
        const WORD* pair = static_cast<const WORD*>(block);
        *language = pair[0];
        *codePage = pair[1];
        return true;
    }
    // A string of the block the translation names ("(none)" when it is missing).
    std::string String(const char* name) const {
        WORD language = 0, codePage = 0;
        if (!Translation(&language, &codePage)) return "(no translation)";
        std::string key = Format("\\StringFileInfo\\%04x%04x\\%s", language, codePage, name);
        void* block = nullptr;
        UINT size = 0;
        if (!VerQueryValueA(data_.data(), const_cast<char*>(key.c_str()), &block, &size) || !block) return "(none)";
        return static_cast<const char*>(block);
    }

private:
    std::vector<BYTE> data_;
};

std::string VersionText(DWORD ms, DWORD ls) {
    return Format("%lu.%lu.%lu.%lu", static_cast<unsigned long>(HIWORD(ms)), static_cast<unsigned long>(LOWORD(ms)),
                  static_cast<unsigned long>(HIWORD(ls)), static_cast<unsigned long>(LOWORD(ls)));
}

// The first line of the About box's version text, as built into Pelto.exe.
std::string AboutVersionLine() {
    DialogLayout about;
    std::string error;
    if (!LoadDialogLayout(JoinPath(StagedInstall(), "Pelto.exe"), kAboutBoxId, &about, &error)) return "(" + error + ")";
    for (const DialogControl& c : about.controls)
        if (c.text.compare(0, 14, "Quorval Pelto ") == 0) return c.text.substr(0, c.text.find('\n'));
    return "(no version text)";
}

TEST(Package, Package_EveryBinaryCarriesItsVersionInformation) {
    std::string fileVersion;
    for (const Binary& b : kBinaries) {
        const std::string path = JoinPath(StagedInstall(), b.relative);
        VersionInfo info(path);
        REQUIRE_MSG(info.ok(), "%s has no version information (error %lu)", b.relative,
                    static_cast<unsigned long>(GetLastError()));
        const VS_FIXEDFILEINFO* fixed = info.Fixed();
        REQUIRE_MSG(fixed != nullptr && fixed->dwSignature == 0xFEEF04BD, "%s: no fixed version block", b.relative);
        CHECK_EQ_STR(VersionText(fixed->dwFileVersionMS, fixed->dwFileVersionLS), "0.10.0.0");
        CHECK_EQ_STR(VersionText(fixed->dwProductVersionMS, fixed->dwProductVersionLS), "0.10.0.0");
        CHECK_MSG(fixed->dwFileType == b.fileType, "%s: file type %lu, expected %lu", b.relative,
                  static_cast<unsigned long>(fixed->dwFileType), static_cast<unsigned long>(b.fileType));
        WORD language = 0, codePage = 0;
        CHECK_MSG(info.Translation(&language, &codePage) && language == kJapanese && codePage == kCodePage932,
                  "%s: translation 0x%04X / %u, expected Japanese 0x0411 with code page 932", b.relative, language,
                  codePage);
        CHECK_EQ_STR(info.String("FileVersion"), "0.10");
        CHECK_EQ_STR(info.String("ProductVersion"), "0.10");
        CHECK_EQ_STR(info.String("CompanyName"), "Quorval");
        CHECK_EQ_STR(info.String("ProductName"), "Pelto");
        CHECK_EQ_STR(info.String("FileDescription"), b.description);
        CHECK_EQ_STR(info.String("LegalCopyright"), "Copyright (C) 2026 Quorval");
        CHECK_EQ_STR(info.String("InternalName"), b.internal);
        CHECK_EQ_STR(info.String("OriginalFilename"), b.fileName);
        if (fileVersion.empty()) fileVersion = info.String("FileVersion");
    }
    // The About box shows the same number: both come from one in the build.
    CHECK_EQ_STR(AboutVersionLine(), "Quorval Pelto ver " + fileVersion);
}

// ACTCTXA as Windows XP declares it; the driver is built against the Windows
// 2000 headers, which lack it.
struct ActivationContextRequest {
    ULONG cbSize;
    DWORD dwFlags;
    LPCSTR lpSource;
    USHORT wProcessorArchitecture;
    LANGID wLangId;
    LPCSTR lpAssemblyDirectory;
    LPCSTR lpResourceName;
    LPCSTR lpApplicationName;
    HMODULE hModule;
};
constexpr DWORD kActCtxResourceNameValid = 0x008;

// Whether the system accepts the program's manifest: an activation context made
// from it (as the loader makes one when the program starts).
bool SystemAcceptsManifest(const std::string& modulePath, std::string* why) {
    typedef HANDLE(WINAPI * CreateProc)(const ActivationContextRequest*);
    typedef void(WINAPI * ReleaseProc)(HANDLE);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto create = reinterpret_cast<CreateProc>(reinterpret_cast<void*>(GetProcAddress(kernel, "CreateActCtxA")));
    auto release = reinterpret_cast<ReleaseProc>(reinterpret_cast<void*>(GetProcAddress(kernel, "ReleaseActCtx")));
    if (!create || !release) {
        *why = "the system has no activation contexts";
        return false;
    }
    ActivationContextRequest request;
    ZeroMemory(&request, sizeof request);
    request.cbSize = sizeof request;
    request.dwFlags = kActCtxResourceNameValid;
    request.lpSource = modulePath.c_str();
    request.lpResourceName = MAKEINTRESOURCEA(kManifestId);
    HANDLE context = create(&request);
    if (context == INVALID_HANDLE_VALUE) {
        *why = Format("CreateActCtxA failed with error %lu", static_cast<unsigned long>(GetLastError()));
        return false;
    }
    release(context);
    return true;
}

bool Holds(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

TEST(Package, Package_PeltoCarriesItsManifest) {
    const std::string pelto = JoinPath(StagedInstall(), "Pelto.exe");
    std::string manifest;
    {
        DataModule module(pelto);
        REQUIRE_MSG(module.get(), "cannot load Pelto.exe as data (error %lu)",
                    static_cast<unsigned long>(GetLastError()));
        manifest = module.Resource(MAKEINTRESOURCEA(kManifestType), MAKEINTRESOURCEA(kManifestId));
    }
    REQUIRE_MSG(!manifest.empty(), "Pelto.exe: no resource of type RT_MANIFEST with id 1");
    const char* const parts[] = {
        // its own identity, with the build's version
        "name=\"Quorval.Pelto\" version=\"0.10.0.0\"",
        // visual styles on Windows XP and later
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
        "publicKeyToken=\"6595b64144ccf1df\"",
        // no elevation
        "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
        // Vista, 7, 8, 8.1, 10 and 11
        "<supportedOS Id=\"{e2011457-1546-43c5-a5fe-008deee3d3f0}\"/>",
        "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>",
        "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>",
        "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>",
        "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",
        // the skin on exact pixels on every monitor
        "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>",
        "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2, PerMonitor"
        "</dpiAwareness>",
    };
    for (const char* part : parts) CHECK_MSG(Holds(manifest, part), "the manifest lacks %s", part);
    // The manifest names the version the version resource gives.
    VersionInfo info(pelto);
    REQUIRE_MSG(info.ok() && info.Fixed(), "Pelto.exe has no version information");
    const std::string identity = "version=\"" + VersionText(info.Fixed()->dwFileVersionMS,
                                                            info.Fixed()->dwFileVersionLS) + "\"";
    CHECK_MSG(Holds(manifest, identity.c_str()), "the manifest's identity lacks %s", identity.c_str());
    std::string why;
    CHECK_MSG(SystemAcceptsManifest(pelto, &why), "the system refuses the manifest: %s", why.c_str());
    // Positive control: the same request finds nothing in a plug-in, which has none.
    CHECK_MSG(!SystemAcceptsManifest(JoinPath(StagedInstall(), "plugins\\Tachel.ppi"), &why),
              "an activation context came from a library without a manifest");
}

// The whole text as UTF-16, or "" when it is not valid code page 932.
std::wstring FromCp932(const std::string& bytes) {
    if (bytes.empty()) return L"";
    int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return L"";
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), &wide[0], n);
    return wide;
}

// Whether every line ends in CR LF and no CR or LF stands alone. longest
// receives the longest line in bytes.
bool AllCrLf(const std::string& bytes, std::size_t* longest) {
    *longest = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            if (i + 1 >= bytes.size() || bytes[i + 1] != '\n') return false;
            if (i - start > *longest) *longest = i - start;
            start = i + 2;
            ++i;
        } else if (bytes[i] == '\n') {
            return false;
        }
    }
    return start == bytes.size();
}

// Every item of the shown menu (submenu 0 of the template), in menu order,
// pop-ups included, separators left out.
void CollectItems(const std::vector<MenuItemLayout>& items, std::vector<std::string>* out) {
    for (const MenuItemLayout& item : items) {
        if (item.separator) continue;
        out->push_back(item.text);
        CollectItems(item.items, out);
    }
}

// Sizes a Notepad that a Japanese Windows 98 user opens it in copes with: it
// opens files up to 64 KB, and has no word wrap at first.
constexpr std::size_t kNotepadLimit = 65535;
constexpr std::size_t kLongestLine = 80;

TEST(Package, Package_GuideIsCp932WithCrLfAndNamesEveryMenuItemAndHotkey) {
    std::string bytes;
    REQUIRE_MSG(ReadFileBytes(JoinPath(StagedInstall(), "readme.txt"), &bytes), "no readme.txt beside Pelto.exe");
    CHECK_MSG(bytes.size() > 0 && bytes.size() <= kNotepadLimit, "the guide is %u bytes",
              static_cast<unsigned>(bytes.size()));
    std::size_t longest = 0;
    CHECK_MSG(AllCrLf(bytes, &longest), "the guide has a line that does not end in CR LF");
    CHECK_MSG(longest <= kLongestLine, "the longest line of the guide is %u bytes", static_cast<unsigned>(longest));
    const std::wstring guide = FromCp932(bytes);
    REQUIRE_MSG(!guide.empty(), "the guide is not valid code page 932");

    MenuLayout menu;
    std::string error;
    REQUIRE_MSG(LoadMenuLayout(JoinPath(StagedInstall(), "Pelto.exe"), kMainMenuId, &menu, &error), "menu %d: %s",
                kMainMenuId, error.c_str());
    REQUIRE_MSG(menu.items.size() == 1 && menu.items[0].popup, "the menu template has no single pop-up");
    std::vector<std::string> items;
    CollectItems(menu.items[0].items, &items);
    REQUIRE_MSG(items.size() >= 30, "only %u menu items read", static_cast<unsigned>(items.size()));
    // Each item as the program spells it, in the menu's order, so that the
    // guide walks the menu as the user sees it.
    std::size_t at = 0;
    for (const std::string& item : items) {
        const std::wstring wide = FromCp932(item);
        REQUIRE_MSG(!wide.empty(), "menu item %s is not code page 932", Printable(item).c_str());
        std::size_t found = guide.find(wide, at);
        CHECK_MSG(found != std::wstring::npos, "the guide does not name \"%s\"%s", Printable(item).c_str(),
                  guide.find(wide) != std::wstring::npos ? " in the menu's order" : "");
        if (found != std::wstring::npos) at = found + wide.size();
    }

    const char* const hotkeys[] = {"Ctrl+Shift+Z", "Ctrl+Shift+X", "Ctrl+Shift+A", "Shift+Enter",
                                   "Ctrl+Shift+↑", "Ctrl+Shift+↓", "Ctrl+Shift+←", "Ctrl+Shift+→"};
    for (const char* key : hotkeys)
        CHECK_MSG(guide.find(FromCp932(key)) != std::wstring::npos, "the guide does not name the hotkey %s",
                  Printable(key).c_str());

    // What a user must find in it.
    const char* const topics[] = {"ver 0.10",   "Pelto-i686.zip", "Pelto-x86_64.zip", "Program Files",
                                  "setting",    "launch_data",    "skin\\",           "plugins\\",
                                  "Moldra",     "Tachel",         "UNLHA32.DLL",      "UNZIP32.DLL",
                                  "Pelto.lnk",  "アンインストール", "MIT License",      "Copyright (c) 2026 Quorval",
                                  "更新履歴",   "デフォルト"};
    for (const char* topic : topics)
        CHECK_MSG(guide.find(FromCp932(topic)) != std::wstring::npos, "the guide does not mention %s",
                  Printable(topic).c_str());
}

constexpr int kBrowse = 1007, kOk = 1001, kSkinFile = 1006, kBitmap = 1008, kAuthor = 1009, kSize = 1010;
const char kSettingsCaption[] = "■　Peltoの設定";
const COLORREF kTargetColour = RGB(40, 90, 160);  // PeltoTarget.exe's window

// The skin window is shaped like bitmap; on a target started at area, it goes
// to `at` and shows the bitmap's pixels there, the target where it is cut away.
void CheckSkinOnTarget(HWND skin, const Image& bitmap, TargetProcess& target, const char* title, const RECT& area,
                       POINT at) {
    const RECT r = WindowRect(skin);
    CHECK_MSG(r.right - r.left == bitmap.width && r.bottom - r.top == bitmap.height,
              "the skin window is %s, the bitmap %d x %d", RectText(r).c_str(), bitmap.width, bitmap.height);
    int type = ERROR;
    HRGN actual = CopyWindowRegion(skin, &type);
    REQUIRE_MSG(actual != nullptr, "the skin window has no region (GetWindowRgn answered %d)", type);
    HRGN expected = RegionFromImage(bitmap);
    CHECK_MSG(EqualRgn(actual, expected), "the outline is not the bitmap's: %s",
              DescribeRegionDifference(actual, expected).c_str());
    DeleteObject(expected);
    DeleteObject(actual);
    REQUIRE_MSG(StartPopupTarget(target, title, area), "no target window");
    CHECK_MSG(WaitForWindowAt(skin, at.x, at.y), "the skin window is at %s, not at the target's corner",
              RectText(WindowRect(skin)).c_str());
    REQUIRE_MSG(RaiseSkinInX(), "xdotool windowraise failed");
    std::string detail;
    int mismatches = 0;
    auto shown = [&] { return (mismatches = CompareScreenWithSkin(bitmap, at, kTargetColour, &detail)) == 0; };
    WaitUntil(5000, shown, 50);
    CHECK_MSG(mismatches == 0, "the screen does not show the skin over the target: %s", detail.c_str());
}

TEST(Package, Package_SampleSkinChosenWithBrowseShowsAfterTheRestart) {
    PeltoSession s("sampleskin");
    REQUIRE_MSG(s.folder.ok() && FileExists(s.folder.File("skin\\sakura.skn")) &&
                    FileExists(s.folder.File("skin\\sakura.bmp")),
                "the installation has no sample skin sakura");
    const Image bitmap = LoadBmpPixels(s.folder.File("skin\\sakura.bmp"));
    REQUIRE_MSG(bitmap.ok(), "cannot read skin\\sakura.bmp");
    s.Start();
    HWND dialog = s.OpenDialog(40039, kSettingsCaption);

    // 参照, the name typed where the chooser opens (skin\), Enter.
    REQUIRE_MSG(ClickDialogButton(dialog, kBrowse), "cannot click 参照");
    HWND chooser = WaitForOpenDialog(s.pelto.pid(), dialog);
    REQUIRE_MSG(chooser != nullptr, "no open-file dialog: %s", s.pelto.Describe().c_str());
    REQUIRE_MSG(TypeText(chooser, "sakura.skn"), "the open-file dialog did not come to the foreground");
    WaitUntil(3000, [&] { return ControlText(FileNameEdit(chooser)) == "sakura.skn"; });
    CHECK_EQ_STR(ControlText(FileNameEdit(chooser)), "sakura.skn");
    REQUIRE_MSG(PressKeysOn(chooser, {VK_RETURN}), "the open-file dialog left the foreground");
    REQUIRE_MSG(WaitUntil(5000, [&] { return !IsWindow(chooser); }), "the open-file dialog stayed open");
    CHECK_EQ_STR(ControlText(dialog, kSkinFile), "sakura.skn");
    CHECK_EQ_STR(ControlText(dialog, kBitmap), "sakura.bmp");
    CHECK_EQ_STR(ControlText(dialog, kSize), Format("%d x %d", bitmap.width, bitmap.height));
    CHECK_EQ_STR(ControlText(dialog, kAuthor), "Quorval");

    REQUIRE_MSG(ClickDialogButton(dialog, kOk), "cannot click OK");
    REQUIRE_MSG(s.pelto.WaitForExit(20000, nullptr), "the first Pelto did not end: %s", s.pelto.Describe().c_str());
    std::string setting;
    CHECK_MSG(ReadFileBytes(s.folder.File("setting"), &setting) && setting == "500 0 sakura.skn",
              "setting holds \"%s\"", Printable(setting).c_str());
    std::vector<DWORD> others;
    WaitUntil(20000, [&] { return !(others = OtherPeltoProcesses(s.pelto.pid())).empty(); });
    PeltoProcess restarted;
    REQUIRE_MSG(!others.empty() && restarted.Adopt(others.front()), "no Pelto came back after OK");
    HWND skin = restarted.WaitForSkinWindow(20000, false);
    REQUIRE_MSG(skin != nullptr, "the new Pelto shows no skin window: %s", restarted.Describe().c_str());
    // On a target 400 x 300 at (300, 300) the blossom sits inside its
    // bottom-right corner: sakura.skn says corner 3, offsets (-56, -56).
    TargetProcess target;
    CheckSkinOnTarget(skin, bitmap, target, "Sakura Target", {300, 300, 700, 600}, POINT{700 - 56, 600 - 56});
    CHECK_MSG(ChooseFromMainMenu(restarted, kCloseCommand) && restarted.WaitForExit(10000, nullptr),
              "the new Pelto did not close");
}

TEST(Package, Package_ReadmeMintExampleIsShippedAndLoads) {
    PeltoSession s("mintskin");
    std::string definition;
    REQUIRE_MSG(s.folder.ok() && ReadFileBytes(s.folder.File("skin\\mint.skn"), &definition),
                "the installation has no skin\\mint.skn");
    CHECK_EQ_STR(definition, "mint.bmp 2 -265 4 -200 -18 Quorval");
    const Image bitmap = LoadBmpPixels(s.folder.File("skin\\mint.bmp"));
    REQUIRE_MSG(bitmap.ok(), "cannot read skin\\mint.bmp");
    // The mint tab the art script draws, not some other picture under its name.
    CHECK_MSG(bitmap.width == 160 && bitmap.height == 22, "skin\\mint.bmp is %d x %d, expected 160 x 22",
              bitmap.width, bitmap.height);
    REQUIRE_MSG(s.folder.WriteSetting("500 0 mint.skn"), "cannot write setting");
    s.Start();
    // A wide target: top-right corner, 265 left of its right edge, 4 below its top.
    TargetProcess target;
    CheckSkinOnTarget(s.skin, bitmap, target, "Mint Target", {300, 300, 900, 600}, POINT{900 - 265, 300 + 4});
}

}  // namespace
