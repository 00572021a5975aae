#include "plugins/plugin_entry.h"

#include "common/text_buffers.h"
#include "plugin_host/plugin_contract.h"

HINSTANCE PluginInstance;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
    PluginInstance = instance;
    return TRUE;
}

extern "C" char* WINAPI PpiGetData(char* displayName) {
    CopyText(displayName, kPluginDisplayNameSize, kPluginDisplayName);
    return displayName;
}
