// Where the time of the region build goes: the steps of BuildSkinRegion timed
// one by one, and other ways of joining the rectangles timed for comparison.
#pragma once
#include <windows.h>

// Prints the breakdown for one bitmap. reference is the region BuildSkinRegion
// gave; each alternative is checked against it. Returns false on a mismatch.
bool ProfileRegionBuild(const char* label, HBITMAP bitmap, COLORREF colourKey, HRGN reference);
