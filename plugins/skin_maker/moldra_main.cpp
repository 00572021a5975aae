// Moldra, the skin maker plug-in of Pelto.
#include <windows.h>

#include "common/text_buffers.h"
#include "plugin_host/plugin_contract.h"
#include "plugins/skin_maker/skin_maker_dialog.h"
#include "resources/moldra_ids.h"

namespace {

HINSTANCE Instance;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
    Instance = instance;
    return TRUE;
}

extern "C" char* WINAPI PpiGetData(char* displayName) {
    CopyText(displayName, kPluginDisplayNameSize, "Moldra");
    return displayName;
}

extern "C" int WINAPI PpiStart(HWND, HWND, const char* hostPath, const char*) {
    KeepHostPath(hostPath);
    return static_cast<int>(
        DialogBoxParamA(Instance, MAKEINTRESOURCEA(IDD_SKIN_MAKER), nullptr, SkinMakerDialogProc, 0));
}
