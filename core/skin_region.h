// The skin window's outline: every pixel of the bitmap that is not the colour key.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

// Returns a new region in window coordinates, or null when the bitmap cannot be
// read. The caller owns the region. A DIB section (LoadSkinShape) is read as its
// file holds it; any other bitmap through a 32-bit copy (CopyToDib32), which
// sees a device bitmap in the display's format.
HRGN BuildSkinRegion(HBITMAP bitmap, COLORREF colourKey);

// A DIB section's own pixels in the layout of CopyToDib32, read from its memory
// (not through GDI); false for any other bitmap or an unusual format.
bool ReadDibSectionPixels(HBITMAP bitmap, std::vector<std::uint32_t>* pixels, int* width, int* height);

// A copy of the bitmap as a 32-bit bottom-up DIB section (the copy converts any
// format): returns the DIB, which the caller deletes, with its pixels and size;
// null when the bitmap cannot be read or copied.
HBITMAP CopyToDib32(HBITMAP bitmap, const std::uint32_t** pixels, int* width, int* height);

// A colour as a pixel of such a DIB: blue in the lowest byte, red in the third.
std::uint32_t DibPixelOf(COLORREF colour);
