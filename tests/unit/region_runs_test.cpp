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

// Pixels given top row first, as one reads a picture; stored bottom-up.
std::vector<std::uint32_t> BottomUp(const std::vector<std::vector<std::uint32_t>>& rowsTopFirst) {
    std::vector<std::uint32_t> px;
    for (auto it = rowsTopFirst.rbegin(); it != rowsTopFirst.rend(); ++it) px.insert(px.end(), it->begin(), it->end());
    return px;
}

using PixelSet = std::set<std::pair<int, int>>;

PixelSet Cover(const std::vector<RegionRect>& rects) {
    PixelSet s;
    for (const RegionRect& r : rects)
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) EXPECT_TRUE(s.insert({x, y}).second) << "overlap at " << x << "," << y;
    return s;
}

PixelSet NonKey(const std::vector<std::uint32_t>& px, int w, int h) {
    PixelSet s;
    for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; ++x)
            if (!IsKeyPixel(px[r * w + x], K)) s.insert({x, h - 1 - r});
    return s;
}

TEST(RegionRuns, FourByTwoExampleInScanOrder) {
    auto px = BottomUp({{K, O, O, K}, {O, K, O, O}});
    std::vector<RegionRect> runs = CollectSkinRuns(px.data(), 4, 2, K);
    std::vector<RegionRect> expected = {{0, 1, 1, 2}, {2, 1, 4, 2}, {1, 0, 3, 1}};
    EXPECT_EQ(runs, expected);
}

TEST(RegionRuns, NoKeyPixelGivesTheFullRectangle) {
    std::vector<std::uint32_t> px(6 * 3, O);
    EXPECT_EQ(BuildSkinBands(px.data(), 6, 3, K), (std::vector<RegionRect>{{0, 0, 6, 3}}));
    EXPECT_EQ(CollectSkinRuns(px.data(), 6, 3, K).size(), 3u);
}

TEST(RegionRuns, OnlyKeyPixelsGiveNothing) {
    std::vector<std::uint32_t> px(5 * 4, K);
    EXPECT_TRUE(CollectSkinRuns(px.data(), 5, 4, K).empty());
    EXPECT_TRUE(BuildSkinBands(px.data(), 5, 4, K).empty());
}

TEST(RegionRuns, RowShapes) {
    // Key at both ends: one run; two stretches: two runs; a lone pixel at the end.
    auto px = BottomUp({{K, O, O, O, K}, {O, O, K, O, O}, {K, K, K, K, O}});
    std::vector<RegionRect> runs = CollectSkinRuns(px.data(), 5, 3, K);
    std::vector<RegionRect> expected = {{4, 2, 5, 3}, {0, 1, 2, 2}, {3, 1, 5, 2}, {1, 0, 4, 1}};
    EXPECT_EQ(runs, expected);
}

TEST(RegionRuns, TheTopByteDoesNotHideTheKey) {
    auto px = BottomUp({{0xFFFF00FF, O, 0x01FF00FF}});
    EXPECT_EQ(CollectSkinRuns(px.data(), 3, 1, K), (std::vector<RegionRect>{{1, 0, 2, 1}}));
}

TEST(RegionRuns, RepeatedRowsFoldIntoOneBand) {
    auto px = BottomUp({{K, O, O, K}, {K, O, O, K}, {K, O, O, K}, {O, O, K, O}, {O, O, K, O}, {K, O, O, K}});
    std::vector<RegionRect> bands = BuildSkinBands(px.data(), 4, 6, K);
    std::vector<RegionRect> expected = {{1, 0, 3, 3}, {0, 3, 2, 5}, {3, 3, 4, 5}, {1, 5, 3, 6}};
    EXPECT_EQ(bands, expected);
}

TEST(RegionRuns, EmptyRowsSplitBands) {
    auto px = BottomUp({{O, O}, {K, K}, {O, O}});
    EXPECT_EQ(BuildSkinBands(px.data(), 2, 3, K), (std::vector<RegionRect>{{0, 0, 2, 1}, {0, 2, 2, 3}}));
}

TEST(RegionRuns, BandsAndRunsCoverTheSamePixelsOnNoise) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 30; ++round) {
        int w = 1 + static_cast<int>(rng() % 40), h = 1 + static_cast<int>(rng() % 40);
        std::vector<std::uint32_t> px(static_cast<size_t>(w) * h);
        // Some rows copied from the row below so that bands actually form.
        for (int r = 0; r < h; ++r)
            for (int x = 0; x < w; ++x)
                px[r * w + x] = (r > 0 && rng() % 3 == 0) ? px[(r - 1) * w + x] : (rng() % 2 ? K : O + (rng() % 5));
        PixelSet truth = NonKey(px, w, h);
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
