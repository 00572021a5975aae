// Loading the skin: a named definition file from skin\, or the built-in default.
#pragma once
#include <windows.h>

// Reads skin\<SkinFileName> and its bitmap into the Skin record. 0 on success, 1
// when the definition or its bitmap cannot be read (fields read so far stay).
int LoadSkinFile();

// Loads skin\default.bmp with the built-in placement; turns the interval marker
// -1 into 500. 0 on success, 1 when the bitmap cannot be loaded.
int LoadDefaultSkin();

// The current skin's bitmap file (Skin.BitmapFileName) as a DIB section, which
// keeps the file's own pixels whatever the display's colour depth: what the
// outline is cut from. The caller deletes it; null when it cannot be loaded.
HBITMAP LoadSkinShape();
