// What both delivered plug-ins do the same way: the library's entry point keeps
// the instance handle (for the plug-in's own resources), and PpiGetData writes
// the display name. Each plug-in defines its name and its PpiStart.
#pragma once
#include <windows.h>

// The plug-in library's instance, set by its entry point for every reason.
extern HINSTANCE PluginInstance;

// Defined by each plug-in: its display name (at most 100 bytes).
extern const char kPluginDisplayName[];
