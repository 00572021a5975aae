#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "core/region_runs.h"

namespace {

constexpr std::uint32_t K = 0x00FF00FF;  // the key as a DIB pixel
constexpr std::uint32_t O = 0x00123456;  // any other colour

std::vector<std::vector<std::uint32_t>> Filled(int w, int h, std::uint32_t colour) {
    return std::vector<std::vector<std::uint32_t>>(h, std::vector<std::uint32_t>(w, colour));
}

using PixelSet = std::set<std::pair<int, int>>;

PixelSet Cover(const std::vector<RegionRect>& rects) {
    PixelSet s;
    for (const RegionRect& r : rects)
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) EXPECT_TRUE(s.insert({x, y}).second) << "overlap at " << x << "," << y;
    return s;
}

// A picture, top row first as one reads it, and the runs (a row at a time, in
// scan order) or the bands (equal rows folded) its non-key pixels make.
struct ShapeRow {
    const char* name;
    bool bands;
    std::vector<std::vector<std::uint32_t>> rowsTopFirst;
    std::vector<RegionRect> expected;
};
const ShapeRow kShapes[] = {
    {"the four by two example", false, {{K, O, O, K}, {O, K, O, O}}, {{0, 1, 1, 2}, {2, 1, 4, 2}, {1, 0, 3, 1}}},
    {"key at both ends, two stretches, a lone pixel at the end", false,
     {{K, O, O, O, K}, {O, O, K, O, O}, {K, K, K, K, O}}, {{4, 2, 5, 3}, {0, 1, 2, 2}, {3, 1, 5, 2}, {1, 0, 4, 1}}},
    {"the top byte does not hide the key", false, {{0xFFFF00FF, O, 0x01FF00FF}}, {{1, 0, 2, 1}}},
    {"no key pixel: a run a row", false, Filled(6, 3, O), {{0, 2, 6, 3}, {0, 1, 6, 2}, {0, 0, 6, 1}}},
    {"no key pixel: the full rectangle", true, Filled(6, 3, O), {{0, 0, 6, 3}}},
    {"only key pixels: no runs", false, Filled(5, 4, K), {}},
    {"only key pixels: no bands", true, Filled(5, 4, K), {}},
    {"repeated rows fold into one band", true,
     {{K, O, O, K}, {K, O, O, K}, {K, O, O, K}, {O, O, K, O}, {O, O, K, O}, {K, O, O, K}},
     {{1, 0, 3, 3}, {0, 3, 2, 5}, {3, 3, 4, 5}, {1, 5, 3, 6}}},
    {"empty rows split bands", true, {{O, O}, {K, K}, {O, O}}, {{0, 0, 2, 1}, {0, 2, 2, 3}}},
};

TEST(RegionRuns, Shapes) {
    for (const ShapeRow& row : kShapes) {
        SCOPED_TRACE(row.name);
        std::vector<std::uint32_t> px;  // stored bottom-up
        for (auto it = row.rowsTopFirst.rbegin(); it != row.rowsTopFirst.rend(); ++it) px.insert(px.end(), it->begin(), it->end());
        const int w = static_cast<int>(row.rowsTopFirst[0].size()), h = static_cast<int>(row.rowsTopFirst.size());
        EXPECT_EQ(row.bands ? BuildSkinBands(px.data(), w, h, K) : CollectSkinRuns(px.data(), w, h, K), row.expected);
    }
}

TEST(RegionRuns, BandsAndRunsCoverTheSamePixelsOnNoise) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 30; ++round) {
        int w = 1 + static_cast<int>(rng() % 40), h = 1 + static_cast<int>(rng() % 40);
        std::vector<std::uint32_t> px(static_cast<size_t>(w) * h);
        // Some rows copied from the row below so that bands actually form; the
        // non-key pixels as (x, y), y counted from the top.
        PixelSet truth;
        for (int r = 0; r < h; ++r)
            for (int x = 0; x < w; ++x) {
                px[r * w + x] = (r > 0 && rng() % 3 == 0) ? px[(r - 1) * w + x] : (rng() % 2 ? K : O + (rng() % 5));
                if (!IsKeyPixel(px[r * w + x], K)) truth.insert({x, h - 1 - r});
            }
        EXPECT_EQ(Cover(CollectSkinRuns(px.data(), w, h, K)), truth);
        std::vector<RegionRect> bands = BuildSkinBands(px.data(), w, h, K);
        EXPECT_EQ(Cover(bands), truth);
        // Region data order: bands top to bottom, rectangles left to right.
        for (size_t i = 1; i < bands.size(); ++i) {
            const RegionRect& a = bands[i - 1];
            const RegionRect& b = bands[i];
            EXPECT_TRUE(b.top > a.top || (b.top == a.top && b.bottom == a.bottom && b.left >= a.right));
            EXPECT_TRUE(b.top >= a.bottom || b.top == a.top);
        }
    }
}

TEST(RegionRuns, NothingToScan) {
    std::uint32_t one = O;
    EXPECT_TRUE(CollectSkinRuns(nullptr, 3, 3, K).empty());
    EXPECT_TRUE(BuildSkinBands(&one, 0, 1, K).empty());
    EXPECT_TRUE(BuildSkinBands(&one, 1, -1, K).empty());
}

}  // namespace
