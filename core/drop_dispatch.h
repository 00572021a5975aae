// Files dropped on the skin window, dispatched by extension.
#pragma once
#include <windows.h>

// Takes the first dropped file only: "lzh" and "zip" (exact lower case) go to
// archive extraction, "bmp" to the wallpaper question; anything else is ignored.
LRESULT OnSkinDropFiles(HWND skinWindow, HDROP drop);
