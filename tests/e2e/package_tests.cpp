// The installation as a user receives it: version information in every binary,
// Pelto's manifest, and the sample skins.
#include <windows.h>

#include <string>

#include "pelto_session.h"
#include "plugin_support.h"
#include "resources/resource_ids.h"

namespace {

using namespace e2e;

constexpr int kManifestId = 1;
constexpr WORD kManifestType = 24;  // RT_MANIFEST

// A binary's version resource, read as Explorer's Properties read it ("" for none),
// and a block of it of at least minSize bytes (null for none).
std::string VersionData(const std::string& path) {
    DWORD ignored = 0;
    std::string data(GetFileVersionInfoSizeA(path.c_str(), &ignored), '\0');
    return !data.empty() && GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(data.size()), &data[0]) ? data : "";
}

const void* VersionBlock(const std::string& data, const std::string& key, UINT minSize = 0) {
    void* block = nullptr;
    UINT size = 0;
    return !data.empty() && VerQueryValueA(data.data(), key.c_str(), &block, &size) && block && size >= minSize ? block : nullptr;
}

std::string VersionText(DWORD ms, DWORD ls) { return Format("%d.%d.%d.%d", HIWORD(ms), LOWORD(ms), HIWORD(ls), LOWORD(ls)); }

// ACTCTXA as Windows XP declares it; the driver is built against the Windows 2000 headers, which lack it.
struct ActivationContextRequest {
    ULONG cbSize;
    DWORD dwFlags;
    LPCSTR lpSource;
    USHORT wProcessorArchitecture;
    LANGID wLangId;
    LPCSTR lpAssemblyDirectory, lpResourceName, lpApplicationName;
    HMODULE hModule;
};
constexpr DWORD kActCtxResourceNameValid = 0x008;

// Why the system refuses the module's manifest ("" when it accepts it): an
// activation context made from it, as the loader makes one when the program starts.
std::string ManifestRefusal(const std::string& modulePath) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto create = reinterpret_cast<HANDLE(WINAPI*)(const ActivationContextRequest*)>(reinterpret_cast<void*>(GetProcAddress(kernel, "CreateActCtxA")));
    auto release = reinterpret_cast<void(WINAPI*)(HANDLE)>(reinterpret_cast<void*>(GetProcAddress(kernel, "ReleaseActCtx")));
    if (!create || !release) return "the system has no activation contexts";
    const ActivationContextRequest request = {sizeof(ActivationContextRequest), kActCtxResourceNameValid, modulePath.c_str(), 0, 0,
                                              nullptr, MAKEINTRESOURCEA(kManifestId), nullptr, nullptr};
    HANDLE context = create(&request);
    if (context == INVALID_HANDLE_VALUE) return Format("CreateActCtxA failed with error %lu", static_cast<unsigned long>(GetLastError()));
    release(context);
    return "";
}

// Every binary's version information; Pelto's manifest, which names the same
// version and which the system accepts (the plug-ins have none: the control).
TEST(Package, Package_EveryBinaryCarriesItsVersionInformationAndPeltoItsManifest) {
    const struct {
        const char *relative, *fileName, *internal, *description;  // OriginalFilename, InternalName, FileDescription
        DWORD fileType;
    } binaries[] = {
        {"Pelto.exe", "Pelto.exe", "Pelto", "Pelto デスクトップの小さな相棒", VFT_APP},
        {"plugins\\Moldra.ppi", "Moldra.ppi", "Moldra", "Pelto プラグイン Moldra（スキン作成）", VFT_DLL},
        {"plugins\\Tachel.ppi", "Tachel.ppi", "Tachel", "Pelto プラグイン Tachel（CPU 使用率メーター）", VFT_DLL},
    };
    const char* const manifestParts[] = {
        "name=\"Quorval.Pelto\" version=\"0.10.0.0\"",
        // visual styles on Windows XP and later
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
        "publicKeyToken=\"6595b64144ccf1df\"",
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
    for (const auto& b : binaries) {
        SCOPED_TRACE(b.relative);
        const std::string path = JoinPath(StagedInstall(), b.relative), data = VersionData(path);
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(VersionBlock(data, "\\", sizeof(VS_FIXEDFILEINFO)));
        ASSERT_TRUE(fixed != nullptr && fixed->dwSignature == 0xFEEF04BD) << "no fixed version block (" << data.size() << " bytes of version information)";
        EXPECT_EQ(VersionText(fixed->dwFileVersionMS, fixed->dwFileVersionLS), "0.10.0.0");
        EXPECT_EQ(VersionText(fixed->dwProductVersionMS, fixed->dwProductVersionLS), "0.10.0.0");
        EXPECT_EQ(fixed->dwFileType, b.fileType);
        // The strings are read from the block the first translation names.
        const WORD* translation = static_cast<const WORD*>(VersionBlock(data, "\\VarFileInfo\\Translation", 4));
        ASSERT_TRUE(translation != nullptr) << "no translation table";
        EXPECT_EQ(translation[0], 0x0411) << "not Japanese";
        EXPECT_EQ(translation[1], 932) << "not code page 932";
        const std::pair<const char*, const char*> strings[] = {
            {"FileVersion", "0.10"}, {"ProductVersion", "0.10"}, {"CompanyName", "Quorval"}, {"ProductName", "Pelto"},
            {"FileDescription", b.description}, {"LegalCopyright", "Copyright (C) 2026 Quorval"},
            {"InternalName", b.internal}, {"OriginalFilename", b.fileName}};
        for (const auto& string : strings) {
            const void* text = VersionBlock(data, Format("\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], string.first));
            EXPECT_EQ(text ? static_cast<const char*>(text) : "(none)", std::string(string.second)) << string.first;
        }
        if (b.fileType != VFT_APP) {
            EXPECT_NE(ManifestRefusal(path), "") << "an activation context came from a library without a manifest";
            continue;
        }
        std::string manifest;
        {
            DataModule module(path);
            ASSERT_TRUE(module.get()) << "cannot load Pelto.exe as data (error " << GetLastError() << ")";
            manifest = module.Resource(MAKEINTRESOURCEA(kManifestType), MAKEINTRESOURCEA(kManifestId));
        }
        ASSERT_FALSE(manifest.empty()) << "Pelto.exe: no resource of type RT_MANIFEST with id 1";
        for (const std::string part : manifestParts) EXPECT_NE(manifest.find(part), std::string::npos) << "the manifest lacks " << part;
        const std::string identity = "version=\"" + VersionText(fixed->dwFileVersionMS, fixed->dwFileVersionLS) + "\"";
        EXPECT_NE(manifest.find(identity), std::string::npos) << "the manifest's identity lacks " << identity;
        EXPECT_EQ(ManifestRefusal(path), "") << "the system refuses the manifest";
    }
}

const COLORREF kTargetColour = RGB(40, 90, 160);  // PeltoTarget.exe's window

// The skin window is shaped like bitmap; on a target started at area, it goes
// to `at` and shows the bitmap's pixels there, the target where it is cut away.
void CheckSkinOnTarget(HWND skin, const Image& bitmap, const char* title, const RECT& area, POINT at) {
    EXPECT_EQ(SizeOf(skin), Format("%d x %d", bitmap.width, bitmap.height)) << "the skin window's size against the bitmap's";
    EXPECT_EQ(RegionMismatch(skin, bitmap), "") << "the skin window's outline against the bitmap's";
    TargetProcess target;
    ASSERT_TRUE(StartPopupTarget(target, title, area)) << "no target window";
    EXPECT_TRUE(WaitForWindowAt(skin, at.x, at.y)) << "the skin window is at " << RectText(WindowRect(skin)) << ", not at the target's corner";
    ASSERT_TRUE(RaiseSkinInX()) << "xdotool windowraise failed";
    std::string detail;
    WaitUntil(5000, [&] { return CompareScreenWithSkin(bitmap, at, kTargetColour, &detail) == 0; }, 50);
    EXPECT_EQ(detail, "") << "the screen does not show the skin over the target";
}

// The README's mint example, then the sample sakura chosen with 参照: each is
// shipped and shows on a target, the second after the restart that OK gives.
TEST(Package, Package_ShippedMintAndBrowsedSakuraShowOnATarget) {
    SetTestTimeLimit(120);
    PeltoSession s("sampleskins");
    EXPECT_EQ(ReadFileText(s.folder.File("skin\\mint.skn")), "mint.bmp 2 -265 4 -200 -18 Quorval");
    const Image mint = LoadBmpPixels(s.folder.File("skin\\mint.bmp"));
    ASSERT_TRUE(mint.ok()) << "cannot read skin\\mint.bmp";
    // The mint tab the art script draws, not some other picture under its name.
    EXPECT_EQ(Format("%d x %d", mint.width, mint.height), "160 x 22") << "skin\\mint.bmp";
    ASSERT_TRUE(FileExists(s.folder.File("skin\\sakura.skn"))) << "the installation has no sample skin sakura";
    const Image sakura = LoadBmpPixels(s.folder.File("skin\\sakura.bmp"));
    ASSERT_TRUE(sakura.ok()) << "cannot read skin\\sakura.bmp";
    s.Start([](const InstallFolder& f) { return f.WriteSetting("500 0 mint.skn"); });
    // A wide target: top-right corner, 265 left of its right edge, 4 below its top.
    CheckSkinOnTarget(s.skin, mint, "Mint Target", {300, 300, 900, 600}, POINT{900 - 265, 300 + 4});

    // 参照, the name typed where the chooser opens (skin\), Enter.
    HWND dialog = s.OpenDialog(IDM_SETTINGS, "■　Peltoの設定");
    ASSERT_TRUE(ClickDialogButton(dialog, IDC_SETTINGS_BROWSE)) << "cannot click 参照";
    HWND chooser = WaitForOpenDialog(s.pelto.pid(), dialog, dialog);
    ASSERT_TRUE(chooser != nullptr) << "no open-file dialog owned by the settings dialog: " << s.pelto;
    ASSERT_TRUE(TypeText(chooser, "sakura.skn")) << "the open-file dialog did not come to the foreground";
    EXPECT_TRUE(WaitUntil(3000, [&] { return ControlText(FileNameEdit(chooser)) == "sakura.skn"; })) << ControlText(FileNameEdit(chooser));
    ASSERT_TRUE(PressKeysOn(chooser, {VK_RETURN})) << "the open-file dialog left the foreground";
    ASSERT_TRUE(WindowGoes(chooser)) << "the open-file dialog stayed open";
    EXPECT_EQ(ControlText(dialog, IDC_SETTINGS_SKIN_FILE), "sakura.skn");
    EXPECT_EQ(ControlText(dialog, IDC_SETTINGS_BITMAP), "sakura.bmp");
    EXPECT_EQ(ControlText(dialog, IDC_SETTINGS_SIZE), Format("%d x %d", sakura.width, sakura.height));
    EXPECT_EQ(ControlText(dialog, IDC_SETTINGS_AUTHOR), "Quorval");
    EXPECT_EQ(ReadFileText(s.folder.File("setting")), "500 0 mint.skn") << "saved before OK";

    ASSERT_TRUE(ClickDialogButton(dialog, IDC_SETTINGS_OK)) << "cannot click OK";
    ASSERT_TRUE(s.pelto.WaitForExit(20000, nullptr)) << "the first Pelto did not end: " << s.pelto;
    EXPECT_EQ(ReadFileText(s.folder.File("setting")), "500 0 sakura.skn");
    PeltoProcess restarted;
    ASSERT_TRUE(AdoptRestartedPelto(s.pelto, &restarted)) << "no Pelto came back after OK";
    HWND skin = restarted.WaitForSkinWindow(20000, false);
    ASSERT_TRUE(skin != nullptr) << "the new Pelto shows no skin window: " << restarted;
    // The blossom sits inside the target's bottom-right corner: sakura.skn says corner 3, offsets (-56, -56).
    CheckSkinOnTarget(skin, sakura, "Sakura Target", {300, 300, 700, 600}, POINT{700 - 56, 600 - 56});
    EXPECT_TRUE(ChooseFromMainMenu(restarted, IDM_CLOSE) && restarted.WaitForExit(10000, nullptr)) << "the new Pelto did not close";
}

}  // namespace
