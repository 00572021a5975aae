// Moldra, the skin maker plug-in of Pelto.
#include <windows.h>

#include "plugin_host/plugin_contract.h"
#include "plugins/plugin_entry.h"
#include "plugins/skin_maker/skin_maker_dialog.h"
#include "resources/moldra_ids.h"

extern const char kPluginDisplayName[] = "Moldra";

extern "C" int WINAPI PpiStart(HWND, HWND, const char* hostPath, const char*) {
    KeepHostPath(hostPath);
    return static_cast<int>(
        DialogBoxParamA(PluginInstance, MAKEINTRESOURCEA(IDD_SKIN_MAKER), nullptr, SkinMakerDialogProc, 0));
}
