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
