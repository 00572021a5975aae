// Tachel, the CPU meter plug-in of Pelto.
#include <windows.h>

#include "common/text_buffers.h"
#include "plugin_host/plugin_contract.h"
#include "plugins/cpu_meter/meter_dialog.h"
#include "resources/tachel_ids.h"

namespace {

HINSTANCE Instance;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
    Instance = instance;
    return TRUE;
}

extern "C" char* WINAPI PpiGetData(char* displayName) {
    CopyText(displayName, kPluginDisplayNameSize, "Quorval Tachel");
    return displayName;
}

extern "C" int WINAPI PpiStart(HWND, HWND, const char*, const char*) {
    return static_cast<int>(DialogBoxParamA(Instance, MAKEINTRESOURCEA(IDD_METER), nullptr, MeterDialogProc, 0));
}
