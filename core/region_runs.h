// The skin's shape as rectangles: every pixel whose colour differs from the key.
// Pixels are 32-bit words (blue lowest, red third byte) in bottom-up memory rows,
// the layout of a 32-bit bottom-up DIB section.
#pragma once
#include <cstdint>
#include <vector>

struct RegionRect {
    int left, top, right, bottom;  // right and bottom exclusive
    bool operator==(const RegionRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// Whether a pixel is cut away. The top byte is padding the copy may or may not
// clear, so only colour bits take part.
inline bool IsKeyPixel(std::uint32_t pixel, std::uint32_t key) {
    return ((pixel ^ key) & 0x00FFFFFFu) == 0;
}

// Every maximal horizontal run of non-key pixels as a one-pixel-high rectangle,
// in scan order: memory row 0 (the picture's bottom row) first, left to right.
std::vector<RegionRect> CollectSkinRuns(const std::uint32_t* pixels, int width, int height,
                                        std::uint32_t key);

// The same pixel set as y-x banded rectangles, top to bottom and left to right
// within a band, with each row that repeats the row above folded into the band
// above. The result is in the order region data must have.
std::vector<RegionRect> BuildSkinBands(const std::uint32_t* pixels, int width, int height,
                                       std::uint32_t key);
