// The skin window's outline: every pixel of the bitmap that is not the colour key.
#pragma once
#include <windows.h>

// Returns a new region in window coordinates, or null when the bitmap cannot be
// read. The caller owns the region.
HRGN BuildSkinRegion(HBITMAP bitmap, COLORREF colourKey);
