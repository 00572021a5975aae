// The skin window's outline: every pixel of the bitmap that is not the colour key.
#pragma once
#include <windows.h>

#include <cstdint>

// Returns a new region in window coordinates, or null when the bitmap cannot be
// read. The caller owns the region.
HRGN BuildSkinRegion(HBITMAP bitmap, COLORREF colourKey);

// A copy of the bitmap as a 32-bit bottom-up DIB section (the copy converts any
// format): returns the DIB, which the caller deletes, with its pixels and size;
// null when the bitmap cannot be read or copied.
HBITMAP CopyToDib32(HBITMAP bitmap, const std::uint32_t** pixels, int* width, int* height);

// A colour as a pixel of such a DIB: blue in the lowest byte, red in the third.
std::uint32_t DibPixelOf(COLORREF colour);
