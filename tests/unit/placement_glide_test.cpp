#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <vector>

#include "core/glide.h"
#include "core/placement.h"

namespace {

const SkinPlacementRule kDefaultSkin = {200, 2, -265, 4, -200, -18};

struct PlaceRow {
    const char* name;
    ScreenRect target;
    SkinPlacementRule rule;
    int x, y;
};
const PlaceRow kPlaces[] = {
    {"default skin, wide target", {100, 50, 700, 500}, kDefaultSkin, 435, 54},
    {"default skin, exactly 400 wide: small offsets", {100, 50, 500, 500}, kDefaultSkin, 300, 32},
    {"default skin, one more pixel: normal offsets", {100, 50, 501, 500}, kDefaultSkin, 236, 54},
    {"default skin, 900 by 550", {100, 50, 900, 600}, kDefaultSkin, 635, 54},
    {"default skin, 400 by 550", {500, 50, 900, 600}, kDefaultSkin, 700, 32},
    {"top-left", {100, 200, 900, 700}, {64, 1, 5, 6, -7, -8}, 105, 206},
    {"top-right", {100, 200, 900, 700}, {64, 2, 5, 6, -7, -8}, 905, 206},
    {"bottom-right", {100, 200, 900, 700}, {64, 3, 5, 6, -7, -8}, 905, 706},
    {"bottom-left, narrow: small offsets", {100, 200, 200, 700}, {64, 4, 5, 6, -7, -8}, 93, 692},
    {"bottom-right, negative offsets", {0, 0, 1000, 800}, {200, 3, -100, -30, -100, -30}, 900, 770},
    {"negative target edges are not clamped", {-4, -4, 1284, 1028}, kDefaultSkin, 1019, 0},
};

TEST(Placement, EachCornerWithNormalAndSmallOffsets) {
    for (const PlaceRow& row : kPlaces) {
        SCOPED_TRACE(row.name);
        int x = -1, y = -1;
        EXPECT_TRUE(PlaceSkin(row.target, row.rule, &x, &y));
        EXPECT_EQ((std::array<int, 2>{x, y}), (std::array<int, 2>{row.x, row.y}));
    }
}

TEST(Placement, CornersOutsideOneToFourMoveNothing) {
    for (int corner : {0, 5, -1, 1000}) {
        SkinPlacementRule rule = kDefaultSkin;
        rule.AnchorCorner = corner;
        int x = 77, y = 88;
        EXPECT_FALSE(PlaceSkin({0, 0, 800, 600}, rule, &x, &y));
        EXPECT_EQ(x, 77);
        EXPECT_EQ(y, 88);
    }
}

// The pointer's positions from (fromX, fromY) to the point (x, y); a row names
// where the pointer starts.
struct GlideRow {
    const char* name;
    int x, y, fromX, fromY;
    std::vector<PointerPos> path;
};
const GlideRow kGlides[] = {
    {"from 10,10 to 15,4", 15, 4, 10, 10, {{10, 10}, {12, 10}, {13, 10}, {15, 10}, {15, 10}, {15, 8}, {15, 6}, {15, 4}}},
    {"one to the right: a step away first", 20, 5, 21, 5, {{22, 5}, {20, 5}, {20, 5}}},
    {"one to the left: a step away first", 20, 5, 19, 5, {{18, 5}, {20, 5}, {20, 5}}},
    {"one below: a step away first", 0, 10, 0, 11, {{0, 11}, {0, 12}, {0, 10}}},
    {"one above: a step away first", 0, 10, 0, 9, {{0, 9}, {0, 8}, {0, 10}}},
    {"five to the right", 100, 0, 105, 0, {{105, 0}, {103, 0}, {102, 0}, {100, 0}, {100, 0}}},
    {"five to the left", 105, 0, 100, 0, {{100, 0}, {102, 0}, {103, 0}, {105, 0}, {105, 0}}},
    {"the same point is set twice", 3, 4, 3, 4, {{3, 4}, {3, 4}}},
};

TEST(Glide, Paths) {
    for (const GlideRow& row : kGlides) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(GlidePath(row.x, row.y, row.fromX, row.fromY), row.path);
    }
}

TEST(Glide, PositionCountsAndEndpoints) {
    for (int d = 0; d <= 41; ++d) {
        for (int sign : {1, -1}) {
            std::vector<PointerPos> p = GlidePath(50 + sign * d, 7, 50, 7);
            int horizontal = static_cast<int>(p.size()) - 1;  // the vertical phase is one position
            int expected = d % 2 == 0 ? d / 2 + 1 : (d + 3) / 2;
            EXPECT_EQ(horizontal, expected) << "d=" << d;
            EXPECT_EQ(p[horizontal - 1].x, 50 + sign * d);
            EXPECT_EQ(p.back().x, 50 + sign * d);
            for (int i = 1; i < horizontal; ++i) EXPECT_LE(std::abs(p[i].x - p[i - 1].x), 2);
        }
    }
}

// Monitors as the system reports them, right and bottom edges excluded.
MonitorQuery Monitors(std::vector<ScreenRect> monitors) {
    return [monitors](int x, int y) {
        for (const ScreenRect& m : monitors)
            if (m.left <= x && x < m.right && m.top <= y && y < m.bottom) return true;
        return false;
    };
}

// The primary monitor and a shorter second one to its right; the primary with
// one monitor to its left and one above it.
const MonitorQuery kTwoSideBySide = Monitors({{0, 0, 1280, 1024}, {1280, 0, 2304, 768}});
const MonitorQuery kLeftAndAbove = Monitors({{0, 0, 1280, 1024}, {-1024, 0, 0, 768}, {0, -900, 1600, 0}});
constexpr PointerPos kAway = {5, 1010}, kNone = {-1, -1};

// A target window, the pointer, and where the pointer glides to (kNone: it
// stays, and the centre is left alone).
struct DestinationRow {
    const char* what;
    const MonitorQuery* monitors;
    ScreenRect target;
    const char* className;
    PointerPos pointer, centre;
};
const DestinationRow kDestinations[] = {
    {"on the primary monitor", &kTwoSideBySide, {300, 200, 701, 501}, "Editor", kAway, {500, 350}},
    {"wholly on the second monitor", &kTwoSideBySide, {1400, 100, 2000, 500}, "Editor", kAway, {1700, 300}},
    {"across both monitors", &kTwoSideBySide, {1000, 100, 1600, 500}, "Editor", kAway, {1300, 300}},
    {"corner on the second monitor's first column", &kTwoSideBySide, {1280, 0, 1500, 300}, "Editor", kAway, {1390, 150}},
    {"corner below the shorter second monitor", &kTwoSideBySide, {1400, 800, 2000, 1000}, "Editor", kAway, kNone},
    {"corner beyond every monitor", &kTwoSideBySide, {2400, 100, 2600, 300}, "Editor", kAway, kNone},
    {"a maximised window's frame", &kTwoSideBySide, {-4, -4, 1284, 1028}, "Editor", kAway, kNone},
    {"a maximised frame on the second monitor", &kTwoSideBySide, {1276, -4, 2308, 772}, "Editor", kAway, kNone},
    {"corner just past the primary's bottom edge", &kTwoSideBySide, {100, 1024, 300, 1100}, "Editor", kAway, kNone},
    {"on the monitor left of the primary", &kLeftAndAbove, {-900, 100, -300, 500}, "Editor", kAway, {-600, 300}},
    {"on the monitor above the primary", &kLeftAndAbove, {100, -800, 701, -299}, "Editor", kAway, {400, -549}},
    {"an odd span across zero: halved toward zero", &kLeftAndAbove, {-5, 10, 2, 20}, "Editor", kAway, {-1, 15}},
    {"below the left monitor", &kLeftAndAbove, {-900, 800, -300, 900}, "Editor", kAway, kNone},
    {"the desktop", &kTwoSideBySide, {300, 200, 800, 500}, "Progman", kAway, kNone},
    {"a class named like the desktop's", &kTwoSideBySide, {300, 200, 800, 500}, "progman", kAway, {550, 350}},
    {"pointer on the left edge", &kTwoSideBySide, {300, 200, 800, 500}, "Editor", {300, 250}, kNone},
    {"pointer on the bottom-right corner", &kTwoSideBySide, {300, 200, 800, 500}, "Editor", {800, 500}, kNone},
    {"pointer on the top edge", &kTwoSideBySide, {300, 200, 800, 500}, "Editor", {550, 200}, kNone},
    {"pointer inside", &kTwoSideBySide, {300, 200, 800, 500}, "Editor", {550, 350}, kNone},
    {"pointer just left", &kTwoSideBySide, {300, 200, 800, 500}, "Editor", {299, 250}, {550, 350}},
    {"pointer just right", &kTwoSideBySide, {300, 200, 800, 500}, "Editor", {801, 500}, {550, 350}},
    {"pointer just below", &kTwoSideBySide, {300, 200, 800, 500}, "Editor", {550, 501}, {550, 350}},
};

TEST(GlideDestination, CornerOnAnyMonitorNotTheDesktopNorWithThePointerInside) {
    for (const DestinationRow& row : kDestinations) {
        SCOPED_TRACE(row.what);
        PointerPos centre = kNone;
        EXPECT_EQ(GlideDestination(row.target, row.className, row.pointer, *row.monitors, &centre), !(row.centre == kNone));
        EXPECT_EQ((std::array<int, 2>{centre.x, centre.y}), (std::array<int, 2>{row.centre.x, row.centre.y}));
    }
}

}  // namespace
