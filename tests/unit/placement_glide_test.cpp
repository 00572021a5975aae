#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "core/glide.h"
#include "core/placement.h"

namespace {

const SkinPlacementRule kDefaultSkin = {200, 2, -265, 4, -200, -18};

struct Pos {
    int x, y;
};

Pos Place(const ScreenRect& r, const SkinPlacementRule& rule) {
    Pos p = {-1, -1};
    EXPECT_TRUE(PlaceSkin(r, rule, &p.x, &p.y));
    return p;
}

TEST(Placement, DefaultSkinOnWideAndNarrowTargets) {
    Pos p = Place({100, 50, 700, 500}, kDefaultSkin);
    EXPECT_EQ(p.x, 435);
    EXPECT_EQ(p.y, 54);
    p = Place({100, 50, 500, 500}, kDefaultSkin);  // exactly 400 wide: small offsets
    EXPECT_EQ(p.x, 300);
    EXPECT_EQ(p.y, 32);
    p = Place({100, 50, 501, 500}, kDefaultSkin);  // one more pixel: normal offsets
    EXPECT_EQ(p.x, 236);
    EXPECT_EQ(p.y, 54);
}

TEST(Placement, DefaultSkinOnA900By50Corner) {
    Pos p = Place({100, 50, 900, 600}, kDefaultSkin);
    EXPECT_EQ(p.x, 635);
    EXPECT_EQ(p.y, 54);
    p = Place({500, 50, 900, 600}, kDefaultSkin);
    EXPECT_EQ(p.x, 700);
    EXPECT_EQ(p.y, 32);
}

TEST(Placement, EachCorner) {
    const ScreenRect wide = {100, 200, 900, 700};
    SkinPlacementRule rule = {64, 1, 5, 6, -7, -8};
    Pos p = Place(wide, rule);
    EXPECT_EQ(p.x, 105);
    EXPECT_EQ(p.y, 206);
    rule.AnchorCorner = 2;
    p = Place(wide, rule);
    EXPECT_EQ(p.x, 905);
    EXPECT_EQ(p.y, 206);
    rule.AnchorCorner = 3;
    p = Place(wide, rule);
    EXPECT_EQ(p.x, 905);
    EXPECT_EQ(p.y, 706);
    rule.AnchorCorner = 4;
    p = Place({100, 200, 200, 700}, rule);  // narrow: small offsets
    EXPECT_EQ(p.x, 93);
    EXPECT_EQ(p.y, 692);
}

TEST(Placement, BottomRightWithNegativeOffsets) {
    SkinPlacementRule rule = {200, 3, -100, -30, -100, -30};
    Pos p = Place({0, 0, 1000, 800}, rule);
    EXPECT_EQ(p.x, 900);
    EXPECT_EQ(p.y, 770);
}

TEST(Placement, NegativeTargetEdgesAreNotClamped) {
    Pos p = Place({-4, -4, 1284, 1028}, kDefaultSkin);
    EXPECT_EQ(p.x, 1019);
    EXPECT_EQ(p.y, 0);
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

std::vector<PointerPos> Path(std::initializer_list<PointerPos> l) { return l; }

TEST(Glide, FromTenTenToFifteenFour) {
    EXPECT_EQ(GlidePath(15, 4, 10, 10),
              Path({{10, 10}, {12, 10}, {13, 10}, {15, 10}, {15, 10}, {15, 8}, {15, 6}, {15, 4}}));
}

TEST(Glide, OnePixelStartsStepAwayFirst) {
    EXPECT_EQ(GlidePath(20, 5, 21, 5), Path({{22, 5}, {20, 5}, {20, 5}}));
    EXPECT_EQ(GlidePath(20, 5, 19, 5), Path({{18, 5}, {20, 5}, {20, 5}}));
    EXPECT_EQ(GlidePath(0, 10, 0, 11), Path({{0, 11}, {0, 12}, {0, 10}}));
    EXPECT_EQ(GlidePath(0, 10, 0, 9), Path({{0, 9}, {0, 8}, {0, 10}}));
}

TEST(Glide, DistanceFive) {
    EXPECT_EQ(GlidePath(100, 0, 105, 0), Path({{105, 0}, {103, 0}, {102, 0}, {100, 0}, {100, 0}}));
    EXPECT_EQ(GlidePath(105, 0, 100, 0), Path({{100, 0}, {102, 0}, {103, 0}, {105, 0}, {105, 0}}));
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

TEST(Glide, SamePointSetsItTwice) { EXPECT_EQ(GlidePath(3, 4, 3, 4), Path({{3, 4}, {3, 4}})); }

// Monitors as the system reports them, right and bottom edges excluded.
MonitorQuery Monitors(std::vector<ScreenRect> monitors) {
    return [monitors](int x, int y) {
        for (const ScreenRect& m : monitors)
            if (m.left <= x && x < m.right && m.top <= y && y < m.bottom) return true;
        return false;
    };
}

// The primary monitor and a shorter second one to its right.
const MonitorQuery kTwoSideBySide = Monitors({{0, 0, 1280, 1024}, {1280, 0, 2304, 768}});
const PointerPos kPointerAway = {5, 1010};

struct GlideCase {
    const char* what;
    ScreenRect target;
    bool glides;
};

TEST(GlideDestination, CornerOnAnyMonitor) {
    const GlideCase cases[] = {
        {"on the primary monitor", {300, 200, 701, 501}, true},
        {"wholly on the second monitor", {1400, 100, 2000, 500}, true},
        {"across both monitors", {1000, 100, 1600, 500}, true},
        {"corner on the second monitor's first column", {1280, 0, 1500, 300}, true},
        {"corner below the shorter second monitor", {1400, 800, 2000, 1000}, false},
        {"corner beyond every monitor", {2400, 100, 2600, 300}, false},
        {"a maximised window's frame", {-4, -4, 1284, 1028}, false},
        {"a maximised frame on the second monitor", {1276, -4, 2308, 772}, false},
        {"corner just past the primary's bottom edge", {100, 1024, 300, 1100}, false},
    };
    for (const GlideCase& c : cases) {
        SCOPED_TRACE(c.what);
        PointerPos centre = {-1, -1};
        EXPECT_EQ(GlideDestination(c.target, "Editor", kPointerAway, kTwoSideBySide, &centre), c.glides);
        if (c.glides) {
            EXPECT_EQ(centre.x, (c.target.left + c.target.right) / 2);
            EXPECT_EQ(centre.y, (c.target.top + c.target.bottom) / 2);
        } else {
            EXPECT_EQ(centre, (PointerPos{-1, -1}));
        }
    }
}

TEST(GlideDestination, MonitorsLeftOfAndAboveThePrimaryCountLikeAnyOther) {
    const MonitorQuery layout = Monitors({{0, 0, 1280, 1024}, {-1024, 0, 0, 768}, {0, -900, 1600, 0}});
    PointerPos centre;
    EXPECT_TRUE(GlideDestination({-900, 100, -300, 500}, "Editor", kPointerAway, layout, &centre));
    EXPECT_EQ(centre, (PointerPos{-600, 300}));
    EXPECT_TRUE(GlideDestination({100, -800, 701, -299}, "Editor", kPointerAway, layout, &centre));
    EXPECT_EQ(centre, (PointerPos{400, -549}));
    // The centre of an odd span across zero is halved toward zero.
    EXPECT_TRUE(GlideDestination({-5, 10, 2, 20}, "Editor", kPointerAway, layout, &centre));
    EXPECT_EQ(centre, (PointerPos{-1, 15}));
    // Below the left monitor there is none.
    EXPECT_FALSE(GlideDestination({-900, 800, -300, 900}, "Editor", kPointerAway, layout, &centre));
}

TEST(GlideDestination, DesktopAndPointerInsideGetNoGlide) {
    const ScreenRect target = {300, 200, 800, 500};
    PointerPos centre;
    EXPECT_FALSE(GlideDestination(target, "Progman", kPointerAway, kTwoSideBySide, &centre));
    EXPECT_TRUE(GlideDestination(target, "progman", kPointerAway, kTwoSideBySide, &centre));
    for (PointerPos inside : {PointerPos{300, 250}, PointerPos{800, 500}, PointerPos{550, 200}, PointerPos{550, 350}})
        EXPECT_FALSE(GlideDestination(target, "Editor", inside, kTwoSideBySide, &centre)) << inside.x << "," << inside.y;
    for (PointerPos outside : {PointerPos{299, 250}, PointerPos{801, 500}, PointerPos{550, 501}})
        EXPECT_TRUE(GlideDestination(target, "Editor", outside, kTwoSideBySide, &centre)) << outside.x << "," << outside.y;
}

}  // namespace
