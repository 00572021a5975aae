// Tachel, the CPU meter plug-in of Pelto.
#include <windows.h>

#include "plugin_host/plugin_contract.h"
#include "plugins/cpu_meter/meter_dialog.h"
#include "plugins/plugin_entry.h"
#include "resources/tachel_ids.h"

extern const char kPluginDisplayName[] = "Quorval Tachel";

extern "C" int WINAPI PpiStart(HWND, HWND, const char*, const char*) {
    return static_cast<int>(DialogBoxParamA(PluginInstance, MAKEINTRESOURCEA(IDD_METER), nullptr, MeterDialogProc, 0));
}
