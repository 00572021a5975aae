// The installation as a user receives it: version information in every binary,
// Pelto's manifest, and the sample skins.
#include <windows.h>

#include <string>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "pelto_session.h"
#include "target_support.h"

namespace {

using namespace e2e;

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

TEST(Package, Package_EveryBinaryCarriesItsVersionInformation) {
    for (const Binary& b : kBinaries) {
        const std::string path = JoinPath(StagedInstall(), b.relative);
        VersionInfo info(path);
        ASSERT_TRUE(info.ok()) << Format("%s has no version information (error %lu)", b.relative, static_cast<unsigned long>(GetLastError()));
        const VS_FIXEDFILEINFO* fixed = info.Fixed();
        ASSERT_TRUE(fixed != nullptr && fixed->dwSignature == 0xFEEF04BD) << Format("%s: no fixed version block", b.relative);
        EXPECT_EQ(VersionText(fixed->dwFileVersionMS, fixed->dwFileVersionLS), "0.10.0.0");
        EXPECT_EQ(VersionText(fixed->dwProductVersionMS, fixed->dwProductVersionLS), "0.10.0.0");
        EXPECT_TRUE(fixed->dwFileType == b.fileType) << Format("%s: file type %lu, expected %lu", b.relative, static_cast<unsigned long>(fixed->dwFileType), static_cast<unsigned long>(b.fileType));
        WORD language = 0, codePage = 0;
        EXPECT_TRUE(info.Translation(&language, &codePage) && language == kJapanese && codePage == kCodePage932) << Format("%s: translation 0x%04X / %u, expected Japanese 0x0411 with code page 932", b.relative, language, codePage);
        EXPECT_EQ(info.String("FileVersion"), "0.10");
        EXPECT_EQ(info.String("ProductVersion"), "0.10");
        EXPECT_EQ(info.String("CompanyName"), "Quorval");
        EXPECT_EQ(info.String("ProductName"), "Pelto");
        EXPECT_EQ(info.String("FileDescription"), b.description);
        EXPECT_EQ(info.String("LegalCopyright"), "Copyright (C) 2026 Quorval");
        EXPECT_EQ(info.String("InternalName"), b.internal);
        EXPECT_EQ(info.String("OriginalFilename"), b.fileName);
    }
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
        ASSERT_TRUE(module.get()) << Format("cannot load Pelto.exe as data (error %lu)", static_cast<unsigned long>(GetLastError()));
        manifest = module.Resource(MAKEINTRESOURCEA(kManifestType), MAKEINTRESOURCEA(kManifestId));
    }
    ASSERT_TRUE(!manifest.empty()) << "Pelto.exe: no resource of type RT_MANIFEST with id 1";
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
    for (const char* part : parts) { EXPECT_TRUE(Holds(manifest, part)) << Format("the manifest lacks %s", part); }
    // The manifest names the version the version resource gives.
    VersionInfo info(pelto);
    ASSERT_TRUE(info.ok() && info.Fixed()) << "Pelto.exe has no version information";
    const std::string identity = "version=\"" + VersionText(info.Fixed()->dwFileVersionMS,
                                                            info.Fixed()->dwFileVersionLS) + "\"";
    EXPECT_TRUE(Holds(manifest, identity.c_str())) << Format("the manifest's identity lacks %s", identity.c_str());
    std::string why;
    EXPECT_TRUE(SystemAcceptsManifest(pelto, &why)) << Format("the system refuses the manifest: %s", why.c_str());
    // Positive control: the same request finds nothing in a plug-in, which has none.
    EXPECT_TRUE(!SystemAcceptsManifest(JoinPath(StagedInstall(), "plugins\\Tachel.ppi"), &why)) << "an activation context came from a library without a manifest";
}

constexpr int kBrowse = 1007, kOk = 1001, kSkinFile = 1006, kBitmap = 1008, kAuthor = 1009, kSize = 1010;
const char kSettingsCaption[] = "■　Peltoの設定";
const COLORREF kTargetColour = RGB(40, 90, 160);  // PeltoTarget.exe's window

// The skin window is shaped like bitmap; on a target started at area, it goes
// to `at` and shows the bitmap's pixels there, the target where it is cut away.
void CheckSkinOnTarget(HWND skin, const Image& bitmap, TargetProcess& target, const char* title, const RECT& area,
                       POINT at) {
    const RECT r = WindowRect(skin);
    EXPECT_TRUE(r.right - r.left == bitmap.width && r.bottom - r.top == bitmap.height) << Format("the skin window is %s, the bitmap %d x %d", RectText(r).c_str(), bitmap.width, bitmap.height);
    int type = ERROR;
    HRGN actual = CopyWindowRegion(skin, &type);
    ASSERT_TRUE(actual != nullptr) << Format("the skin window has no region (GetWindowRgn answered %d)", type);
    HRGN expected = RegionFromImage(bitmap);
    EXPECT_TRUE(EqualRgn(actual, expected)) << Format("the outline is not the bitmap's: %s", DescribeRegionDifference(actual, expected).c_str());
    DeleteObject(expected);
    DeleteObject(actual);
    ASSERT_TRUE(StartPopupTarget(target, title, area)) << "no target window";
    EXPECT_TRUE(WaitForWindowAt(skin, at.x, at.y)) << Format("the skin window is at %s, not at the target's corner", RectText(WindowRect(skin)).c_str());
    ASSERT_TRUE(RaiseSkinInX()) << "xdotool windowraise failed";
    std::string detail;
    int mismatches = 0;
    auto shown = [&] { return (mismatches = CompareScreenWithSkin(bitmap, at, kTargetColour, &detail)) == 0; };
    WaitUntil(5000, shown, 50);
    EXPECT_TRUE(mismatches == 0) << Format("the screen does not show the skin over the target: %s", detail.c_str());
}

TEST(Package, Package_SampleSkinChosenWithBrowseShowsAfterTheRestart) {
    PeltoSession s("sampleskin");
    ASSERT_TRUE(s.folder.ok() && FileExists(s.folder.File("skin\\sakura.skn")) &&
                    FileExists(s.folder.File("skin\\sakura.bmp"))) << "the installation has no sample skin sakura";
    const Image bitmap = LoadBmpPixels(s.folder.File("skin\\sakura.bmp"));
    ASSERT_TRUE(bitmap.ok()) << "cannot read skin\\sakura.bmp";
    s.Start();
    HWND dialog = s.OpenDialog(40039, kSettingsCaption);

    // 参照, the name typed where the chooser opens (skin\), Enter.
    ASSERT_TRUE(ClickDialogButton(dialog, kBrowse)) << "cannot click 参照";
    HWND chooser = WaitForOpenDialog(s.pelto.pid(), dialog);
    ASSERT_TRUE(chooser != nullptr) << "no open-file dialog: " << s.pelto;
    ASSERT_TRUE(TypeText(chooser, "sakura.skn")) << "the open-file dialog did not come to the foreground";
    WaitUntil(3000, [&] { return ControlText(FileNameEdit(chooser)) == "sakura.skn"; });
    EXPECT_EQ(ControlText(FileNameEdit(chooser)), "sakura.skn");
    ASSERT_TRUE(PressKeysOn(chooser, {VK_RETURN})) << "the open-file dialog left the foreground";
    ASSERT_TRUE(WaitUntil(5000, [&] { return !IsWindow(chooser); })) << "the open-file dialog stayed open";
    EXPECT_EQ(ControlText(dialog, kSkinFile), "sakura.skn");
    EXPECT_EQ(ControlText(dialog, kBitmap), "sakura.bmp");
    EXPECT_EQ(ControlText(dialog, kSize), Format("%d x %d", bitmap.width, bitmap.height));
    EXPECT_EQ(ControlText(dialog, kAuthor), "Quorval");

    ASSERT_TRUE(ClickDialogButton(dialog, kOk)) << "cannot click OK";
    ASSERT_TRUE(s.pelto.WaitForExit(20000, nullptr)) << "the first Pelto did not end: " << s.pelto;
    std::string setting;
    EXPECT_TRUE(ReadFileBytes(s.folder.File("setting"), &setting) && setting == "500 0 sakura.skn") << Format("setting holds \"%s\"", Printable(setting).c_str());
    std::vector<DWORD> others;
    WaitUntil(20000, [&] { return !(others = OtherPeltoProcesses(s.pelto.pid())).empty(); });
    PeltoProcess restarted;
    ASSERT_TRUE(!others.empty() && restarted.Adopt(others.front())) << "no Pelto came back after OK";
    HWND skin = restarted.WaitForSkinWindow(20000, false);
    ASSERT_TRUE(skin != nullptr) << "the new Pelto shows no skin window: " << restarted;
    // On a target 400 x 300 at (300, 300) the blossom sits inside its
    // bottom-right corner: sakura.skn says corner 3, offsets (-56, -56).
    TargetProcess target;
    CheckSkinOnTarget(skin, bitmap, target, "Sakura Target", {300, 300, 700, 600}, POINT{700 - 56, 600 - 56});
    EXPECT_TRUE(ChooseFromMainMenu(restarted, kCloseCommand) && restarted.WaitForExit(10000, nullptr)) << "the new Pelto did not close";
}

TEST(Package, Package_ReadmeMintExampleIsShippedAndLoads) {
    PeltoSession s("mintskin");
    std::string definition;
    ASSERT_TRUE(s.folder.ok() && ReadFileBytes(s.folder.File("skin\\mint.skn"), &definition)) << "the installation has no skin\\mint.skn";
    EXPECT_EQ(definition, "mint.bmp 2 -265 4 -200 -18 Quorval");
    const Image bitmap = LoadBmpPixels(s.folder.File("skin\\mint.bmp"));
    ASSERT_TRUE(bitmap.ok()) << "cannot read skin\\mint.bmp";
    // The mint tab the art script draws, not some other picture under its name.
    EXPECT_TRUE(bitmap.width == 160 && bitmap.height == 22) << Format("skin\\mint.bmp is %d x %d, expected 160 x 22", bitmap.width, bitmap.height);
    ASSERT_TRUE(s.folder.WriteSetting("500 0 mint.skn")) << "cannot write setting";
    s.Start();
    // A wide target: top-right corner, 265 left of its right edge, 4 below its top.
    TargetProcess target;
    CheckSkinOnTarget(s.skin, bitmap, target, "Mint Target", {300, 300, 900, 600}, POINT{900 - 265, 300 + 4});
}

}  // namespace
