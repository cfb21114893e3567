#include <gtest/gtest.h>

#include "framework/Placement.h"

using hr::CentreWindowIn;
using hr::PlaceRect;

namespace {
const PlaceRect kWorkArea{0, 0, 1280, 984};
}

TEST(CentreWindowIn, CentresOverTheOwnerRectangle) {
    // 348 x 236 prompt over a 434 x 634 main window at (423, 175).
    auto pt = CentreWindowIn(348, 236, PlaceRect{423, 175, 857, 809}, kWorkArea);
    EXPECT_EQ(pt.x, 423 + 217 - 174);
    EXPECT_EQ(pt.y, 175 + 317 - 118);
}

TEST(CentreWindowIn, OddSizesRoundTowardTheTopLeft) {
    auto pt = CentreWindowIn(101, 51, PlaceRect{0, 0, 201, 101}, kWorkArea);
    EXPECT_EQ(pt.x, 100 - 50);
    EXPECT_EQ(pt.y, 50 - 25);
}

TEST(CentreWindowIn, PullsBackInsideTheWorkArea) {
    // Owner hanging off the right and bottom edges.
    auto pt = CentreWindowIn(300, 200, PlaceRect{1200, 900, 1400, 1100}, kWorkArea);
    EXPECT_EQ(pt.x, 1280 - 300);
    EXPECT_EQ(pt.y, 984 - 200);
    // ... and off the left and top edges of an area that does not start at 0.
    pt = CentreWindowIn(300, 200, PlaceRect{-400, -300, -100, -100}, PlaceRect{10, 20, 1290, 1004});
    EXPECT_EQ(pt.x, 10);
    EXPECT_EQ(pt.y, 20);
}

TEST(CentreWindowIn, WindowLargerThanTheAreaKeepsItsTopLeftVisible) {
    auto pt = CentreWindowIn(2000, 1500, PlaceRect{0, 0, 1280, 984}, kWorkArea);
    EXPECT_EQ(pt.x, 0);
    EXPECT_EQ(pt.y, 0);
}

TEST(CentreWindowIn, CentresInTheAreaItself) {
    auto pt = CentreWindowIn(400, 300, kWorkArea, kWorkArea);
    EXPECT_EQ(pt.x, 440);
    EXPECT_EQ(pt.y, 342);
}
