// Where the skin window goes on its target window.
#pragma once

struct ScreenRect {
    int left, top, right, bottom;
};

struct SkinPlacementRule {
    int SkinWidth;
    int AnchorCorner;  // 1 top-left, 2 top-right, 3 bottom-right, 4 bottom-left
    int NormalX, NormalY;
    int SmallX, SmallY;
};

// The skin window's top-left corner for a target rectangle. A target wider than
// SkinWidth + 200 takes the normal offsets, any other the small ones. Returns
// false, and leaves x and y alone, for an anchor corner outside 1 to 4: such a
// skin defines no corner, so the window is not moved.
bool PlaceSkin(const ScreenRect& target, const SkinPlacementRule& rule, int* x, int* y);
