// The plain way to turn a skin bitmap into a window region: one rectangle per
// run of visible pixels, each joined into the result as soon as it is found.
// Kept as the yardstick that the program's own BuildSkinRegion is measured
// and checked against.
#pragma once
#include <windows.h>

// Returns a new region (the caller owns it), or null when the bitmap cannot be
// read. Pixels of the colour colourKey are left out.
HRGN BuildSkinRegionRunByRun(HBITMAP bitmap, COLORREF colourKey);
