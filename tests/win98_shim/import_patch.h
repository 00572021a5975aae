// Rewrites a loaded module's import address table so that its calls of chosen
// functions go to replacements. The module's file on disk is not touched.
#pragma once
#include <windows.h>

// The replacement for dll!function (dll as the import table names it), or null
// to leave the slot as it is.
using ReplacementLookup = void* (*)(const char* dll, const char* function);

// Puts the replacements into the module's import slots (imports by name only)
// and returns how many slots now hold a replacement. Safe to call again.
int PatchImports(HMODULE module, ReplacementLookup lookup);
