// Starting a plug-in chosen from the plug-in popup.
#pragma once
#include <windows.h>

// Starts the plug-in at position in PluginList on a thread of its own.
void StartPlugin(HWND skinWindow, int position);
