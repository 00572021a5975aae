#include "plugin_host/plugin_launch.h"

// Filled in by plug-in start.
void StartPlugin(HWND, int) {}
